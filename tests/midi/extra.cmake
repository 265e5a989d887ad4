# The game's song is generated data; the song tests read it from the executables' folder.
if(TARGET data_song)
  add_dependencies(test_midi data_song)
endif()
