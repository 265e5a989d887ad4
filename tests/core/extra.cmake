# The core's start-up and the songs chosen in the game copy the build's song, beat map, hit
# sound and pictures.
add_dependencies(test_${name} data_art data_song data_hitsound)
