# The game's song is generated data; the song tests read it from the executables' folder.
if(TARGET data_song)
  add_dependencies(test_midi data_song)
endif()

# A program that ends with a port still open: the registry's closer closes it while the sound
# output the synthesizer sounds through is still there (a sanitizer build fails on any touch
# of the output after it is gone). Started by CTest itself: a threaded test program that forks
# may start no thread after it under ThreadSanitizer.
add_executable(grip_port_open_at_exit ${CMAKE_CURRENT_SOURCE_DIR}/midi/programs/PortOpenAtExit.cpp
  ${GRIP_SANITIZER_OPTIONS})
set_target_properties(grip_port_open_at_exit PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_compile_options(grip_port_open_at_exit PRIVATE -Wall -Wextra)
target_link_libraries(grip_port_open_at_exit PRIVATE griprhythm_core)
add_test(NAME midi.port_open_at_exit COMMAND grip_port_open_at_exit)
set_tests_properties(midi.port_open_at_exit PROPERTIES TIMEOUT 60)
