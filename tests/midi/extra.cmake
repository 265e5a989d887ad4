# The game's song is generated data; the song tests read it from the executables' folder.
if(TARGET data_song)
  add_dependencies(test_midi data_song)
endif()

# A program that ends with a port still open, run by the tests to see the program's end.
add_executable(grip_port_open_at_exit ${CMAKE_CURRENT_SOURCE_DIR}/midi/programs/PortOpenAtExit.cpp
  ${GRIP_SANITIZER_OPTIONS})
set_target_properties(grip_port_open_at_exit PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_compile_options(grip_port_open_at_exit PRIVATE -Wall -Wextra)
target_link_libraries(grip_port_open_at_exit PRIVATE griprhythm_core)
add_dependencies(test_midi grip_port_open_at_exit)
target_compile_definitions(test_midi PRIVATE GRIP_PORT_OPEN_AT_EXIT="$<TARGET_FILE:grip_port_open_at_exit>")
