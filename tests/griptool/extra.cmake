# The commands run as the built griptool (on the build's beat map too); the HID listing is also linked in to run on the simulated bus.
add_dependencies(test_${name} griptool data_song)
target_sources(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tools/griptool/HidCommands.cpp)
target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tools/griptool)
