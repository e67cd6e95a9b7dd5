#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a Quake 3 BSP file image through the level reader into `json`: the
// vertex and face counts, texture names, light map count and the box of all
// vertices. False, with `error` giving the reader's reason, when the reader
// refuses the file.
bool SummariseBsp(const std::vector<std::uint8_t>& bytes, const char* path, std::string& json,
                  std::string& error);
