# The beat-map checks read the build's own "Fine.txt".
add_dependencies(test_${name} data_song)
# The game harness plays on the build's song, beat map and hit sound.
add_dependencies(test_${name} data_hitsound)
