#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a MilkShape 3D ASCII text through its reader into `json`: the frame
// count, each mesh's counts and material, each material's colour map and each
// bone's parent and key counts. False, with `error` giving the reader's
// reason, when the reader refuses the text.
bool SummariseMs3d(const std::vector<std::uint8_t>& bytes, std::string& json, std::string& error);
