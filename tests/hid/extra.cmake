# The real hidraw back end against balls that umockdev emulates: a program of its own, since it
# runs under umockdev's preload library.
pkg_check_modules(UMOCKDEV REQUIRED IMPORTED_TARGET umockdev-1.0)
find_program(UMOCKDEV_WRAPPER umockdev-wrapper REQUIRED)
add_library(grip_ballbed STATIC ${CMAKE_CURRENT_SOURCE_DIR}/hid/umockdev/BallBed.cpp)
target_include_directories(grip_ballbed PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/hid/umockdev)
target_link_libraries(grip_ballbed PUBLIC PkgConfig::UMOCKDEV)
target_compile_options(grip_ballbed PRIVATE -Wall -Wextra)

add_executable(test_hid_umockdev ${CMAKE_CURRENT_SOURCE_DIR}/hid/umockdev/HidrawUmockdevTest.cpp
  ${GRIP_SANITIZER_OPTIONS})
set_target_properties(test_hid_umockdev PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_compile_options(test_hid_umockdev PRIVATE -Wall -Wextra)
target_link_libraries(test_hid_umockdev PRIVATE grip_test_support grip_ballbed)
# Only in plain builds: umockdev's library must be preloaded, and AddressSanitizer aborts unless
# its own runtime comes first ("ASan runtime does not come first in initial library list").
if(NOT GRIP_SANITIZE)
  add_test(NAME hid.umockdev COMMAND ${UMOCKDEV_WRAPPER} $<TARGET_FILE:test_hid_umockdev>)
  set_tests_properties(hid.umockdev PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endif()

# The game on emulated balls, for the end-to-end tests (tests/shell/e2e).
add_executable(grip_ballbed_run ${CMAKE_CURRENT_SOURCE_DIR}/hid/umockdev/BallBedMain.cpp)
set_target_properties(grip_ballbed_run PROPERTIES OUTPUT_NAME grip_ballbed RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_link_libraries(grip_ballbed_run PRIVATE grip_ballbed)
add_library(grip_nosoundcards SHARED ${CMAKE_CURRENT_SOURCE_DIR}/hid/umockdev/NoSoundCards.c)
set_target_properties(grip_nosoundcards PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_link_libraries(grip_nosoundcards PRIVATE ${CMAKE_DL_LIBS})
