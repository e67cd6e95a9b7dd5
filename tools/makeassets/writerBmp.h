#pragma once

#include <cstdint>
#include <vector>

#include "makeassets/image.h"

// Encodes a Windows bitmap: the 14-byte file header, the 40-byte info header
// and uncompressed 24-bit pixels, bottom row first, each row blue, green, red
// and padded to a multiple of four bytes.
std::vector<uint8_t> EncodeBmp(const Image& image);
