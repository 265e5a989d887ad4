# The sound played on every caught ball.
include(GNUInstallDirs)
add_custom_command(
  OUTPUT ${GRIP_BIN_DIR}/good.wav
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GRIP_BIN_DIR}
  COMMAND hitsoundgen ${GRIP_BIN_DIR}/good.wav
  DEPENDS hitsoundgen
  COMMENT "Writing good.wav"
  VERBATIM)
add_custom_target(data_hitsound ALL DEPENDS ${GRIP_BIN_DIR}/good.wav)
add_dependencies(griprhythm data_hitsound)
install(FILES ${GRIP_BIN_DIR}/good.wav DESTINATION ${GRIP_INSTALL_APPDIR})
