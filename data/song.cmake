# The song and its beat map come from one score, so they are always written together.
include(GNUInstallDirs)
set(GRIP_SONG_FILES ${GRIP_BIN_DIR}/invincible.mid ${GRIP_BIN_DIR}/Fine.txt)
add_custom_command(
  OUTPUT ${GRIP_SONG_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GRIP_BIN_DIR}
  COMMAND songgen ${GRIP_BIN_DIR}
  DEPENDS songgen
  COMMENT "Writing invincible.mid and Fine.txt"
  VERBATIM)
add_custom_target(data_song ALL DEPENDS ${GRIP_SONG_FILES})
# The game reads them beside itself, so building the game builds them too.
add_dependencies(griprhythm data_song)
install(FILES ${GRIP_SONG_FILES} DESTINATION ${GRIP_INSTALL_APPDIR})
