# The image tests run griptool and ImageMagick's convert.
add_dependencies(test_sprites griptool)
