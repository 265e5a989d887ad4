# The beat-map checks read the build's own "Fine.txt" and play the shipped songs.
add_dependencies(test_${name} data_song data_songs)
# The game harness plays on the build's song, beat map and hit sound.
add_dependencies(test_${name} data_hitsound)
