# The checks read the generated data and run the generators again to prove they repeat.
add_dependencies(test_${name} data_song data_hitsound)
target_compile_definitions(test_${name} PRIVATE
  GRIP_SONGGEN="$<TARGET_FILE:songgen>" GRIP_HITSOUNDGEN="$<TARGET_FILE:hitsoundgen>")
# The score and beat-map rules are also checked directly, on inputs the real song never has.
target_sources(test_${name} PRIVATE
  ${CMAKE_SOURCE_DIR}/tools/songgen/Score.cpp ${CMAKE_SOURCE_DIR}/tools/songgen/BeatMapWriter.cpp)
target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tools/songgen)
