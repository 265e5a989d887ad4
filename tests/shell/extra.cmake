# The start-up checks copy the build's song, beat map, hit sound and pictures.
add_dependencies(test_${name} data_art data_song data_hitsound)

# The real program on a virtual X server.
add_test(NAME shell.e2e.startup
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/shell/e2e/startup.sh
          $<TARGET_FILE:griprhythm> ${CMAKE_BINARY_DIR}/src/shellart/skin.bmp)
set_tests_properties(shell.e2e.startup PROPERTIES TIMEOUT 120 RESOURCE_LOCK xserver)

# A player's round on the real program: Start, the song moving both lanes, Pause, Resume, End.
add_test(NAME shell.e2e.play
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/shell/e2e/play.sh
          $<TARGET_FILE:griprhythm>)
set_tests_properties(shell.e2e.play PROPERTIES TIMEOUT 120 RESOURCE_LOCK xserver)

# The real program on a private sound server that is killed and started again while the song
# plays. Outside the sanitizer builds (their names hold e2e): the server is a real process,
# and the timings it is judged by are those of the Release build.
add_test(NAME shell.e2e.sound
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/shell/e2e/sound.sh
          $<TARGET_FILE:griprhythm> ${CMAKE_CURRENT_SOURCE_DIR}/support/pulse.sh)
set_tests_properties(shell.e2e.sound PROPERTIES TIMEOUT 120 RESOURCE_LOCK xserver)

# Without a ball, J in a rhythm scores.
add_test(NAME shell.e2e.keys
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/shell/e2e/keys.sh
          $<TARGET_FILE:griprhythm>)
set_tests_properties(shell.e2e.keys PROPERTIES TIMEOUT 120 RESOURCE_LOCK xserver)

# On emulated balls (umockdev): each player's score follows its own ball.
add_test(NAME shell.e2e.balls
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/shell/e2e/balls.sh
          $<TARGET_FILE:griprhythm> $<TARGET_FILE:grip_ballbed_run> $<TARGET_FILE:grip_nosoundcards>)
set_tests_properties(shell.e2e.balls PROPERTIES TIMEOUT 120 RESOURCE_LOCK xserver)

# A song named on the command line, and a file that is no song.
add_test(NAME shell.e2e.song
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/shell/e2e/song.sh
          $<TARGET_FILE:griprhythm> /usr/share/games/openttd/baseset/openmsx/boogi_marabi_redfarn.mid)
set_tests_properties(shell.e2e.song PROPERTIES TIMEOUT 120 RESOURCE_LOCK xserver)

# A whole short game: the results on the surface and the line in the training record.
add_test(NAME shell.e2e.training
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/shell/e2e/training.sh
          $<TARGET_FILE:griprhythm>)
set_tests_properties(shell.e2e.training PROPERTIES TIMEOUT 120 RESOURCE_LOCK xserver)

# Clicks and keys through the window system, as a player's reach the window.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(test_${name} PRIVATE Qt6::Test)
