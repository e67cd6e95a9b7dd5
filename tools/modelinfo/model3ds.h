#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a 3DS file image through the toolkit into `json`: the format and,
// per mesh object, its name, counts and box. False, with `error` saying what
// is wrong, when the image is not a 3DS mesh file or is malformed.
bool Summarise3ds(const std::vector<std::uint8_t>& bytes, const char* path, std::string& json,
                  std::string& error);
