# The art checks read the generated picture files, run the generator again to prove it repeats,
# and share the catalogue of images with it.
add_dependencies(test_${name} data_art)
target_compile_definitions(test_${name} PRIVATE GRIP_ARTGEN="$<TARGET_FILE:artgen>")
target_link_libraries(test_${name} PRIVATE artgen_art)
# The whole program also runs on them, with the build's song, beat map and hit sound.
add_dependencies(test_${name} data_song data_hitsound)
