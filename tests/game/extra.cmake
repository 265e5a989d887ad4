# The beat-map checks read the build's own "Fine.txt".
add_dependencies(test_${name} data_song)
