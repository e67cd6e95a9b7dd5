#pragma once

#include <cstdint>
#include <vector>

// Reads a whole file in binary mode. False when it cannot be opened or read;
// `bytes` is then empty.
bool ReadFileBytes(const char* path, std::vector<std::uint8_t>& bytes);
