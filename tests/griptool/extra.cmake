# The commands run as the built griptool (on the build's beat map too); the HID listing is also
# called directly, to run on the simulated bus.
add_dependencies(test_${name} griptool data_song)
target_link_libraries(test_${name} PRIVATE griptool_commands)
