# The six picture-collection files, drawn by artgen.
include(GNUInstallDirs)
set(GRIP_ART_FILES
  ${GRIP_BIN_DIR}/Animation.dxg ${GRIP_BIN_DIR}/balls.dxg ${GRIP_BIN_DIR}/Context.dxg
  ${GRIP_BIN_DIR}/Effect.dxg ${GRIP_BIN_DIR}/FixedBmp.dxg ${GRIP_BIN_DIR}/Gesture.dxg)
add_custom_command(
  OUTPUT ${GRIP_ART_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GRIP_BIN_DIR}
  COMMAND artgen ${GRIP_BIN_DIR}
  DEPENDS artgen
  COMMENT "Drawing the game's pictures"
  VERBATIM)
add_custom_target(data_art ALL DEPENDS ${GRIP_ART_FILES})
add_dependencies(griprhythm data_art)
install(FILES ${GRIP_ART_FILES} DESTINATION ${GRIP_INSTALL_APPDIR})
