# The commands run as the built griptool (on the build's beat map and shipped songs too); the HID
# listing is also
# called directly, to run on the simulated bus.
add_dependencies(test_${name} griptool data_song data_songs)
target_link_libraries(test_${name} PRIVATE griptool_commands)
