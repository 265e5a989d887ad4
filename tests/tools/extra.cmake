# The checks read the generated data and run the generators again to prove they repeat.
add_dependencies(test_${name} data_song data_hitsound)
target_compile_definitions(test_${name} PRIVATE
  GRIP_SONGGEN="$<TARGET_FILE:songgen>" GRIP_HITSOUNDGEN="$<TARGET_FILE:hitsoundgen>")
