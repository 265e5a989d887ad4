#pragma once

#include "ArtKit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace art {

// Every picture of the game, checked against the catalogue: each entry drawn once, in its
// store, with its number of patterns, all of one size. Throws std::runtime_error otherwise.
std::vector<TPicture> AllPictures();

// One store's picture-collection file: each picture a strip of its patterns, side by side,
// stored at 24 bits with black as the transparent colour.
std::vector<std::uint8_t> StoreFile(const std::vector<TPicture>& pictures, TStore store);

} // namespace art
