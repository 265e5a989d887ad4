# The checks read the generated data and run the generators again to prove they repeat.
add_dependencies(test_${name} data_song data_songs data_hitsound)
target_compile_definitions(test_${name} PRIVATE
  GRIP_SONGGEN="$<TARGET_FILE:songgen>" GRIP_HITSOUNDGEN="$<TARGET_FILE:hitsoundgen>")
# The score, tune and beat-map rules are also checked directly, on inputs the real songs never have.
target_sources(test_${name} PRIVATE
  ${CMAKE_SOURCE_DIR}/tools/songgen/Score.cpp ${CMAKE_SOURCE_DIR}/tools/songgen/BeatMapWriter.cpp
  ${CMAKE_SOURCE_DIR}/tools/songgen/Tune.cpp ${CMAKE_SOURCE_DIR}/tools/songgen/TunePatterns.cpp
  ${CMAKE_SOURCE_DIR}/tools/songgen/TuneArranger.cpp ${CMAKE_SOURCE_DIR}/tools/songgen/ArrangeKit.cpp
  ${CMAKE_SOURCE_DIR}/tools/songgen/MidiWriter.cpp)
target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tools/songgen)
