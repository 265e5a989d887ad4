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

# The shipped songs, one a tune of tools/songgen/tunes/, in songs/ beside the game. They come
# without beat maps: the game makes each from the melody as it loads the song. The folder is
# written afresh, so a tune taken out leaves no song behind.
file(GLOB GRIP_TUNES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/songgen/tunes/*.txt)
set(GRIP_SHIPPED_SONGS)
foreach(tune ${GRIP_TUNES})
  get_filename_component(name ${tune} NAME_WE)
  list(APPEND GRIP_SHIPPED_SONGS ${GRIP_BIN_DIR}/songs/${name}.mid)
endforeach()
add_custom_command(
  OUTPUT ${GRIP_SHIPPED_SONGS}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${GRIP_BIN_DIR}/songs
  COMMAND ${CMAKE_COMMAND} -E make_directory ${GRIP_BIN_DIR}/songs
  COMMAND songgen --tunes ${GRIP_BIN_DIR}/songs ${GRIP_TUNES}
  DEPENDS songgen ${GRIP_TUNES}
  COMMENT "Writing the shipped songs"
  VERBATIM)
add_custom_target(data_songs ALL DEPENDS ${GRIP_SHIPPED_SONGS})
add_dependencies(griprhythm data_songs)
install(FILES ${GRIP_SHIPPED_SONGS} DESTINATION ${GRIP_INSTALL_APPDIR}/songs)
