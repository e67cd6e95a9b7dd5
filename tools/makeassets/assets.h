#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AssetFile {
  std::string name;
  std::vector<uint8_t> bytes;
};

// The thirteen files the demonstration loads from its working directory:
// five 3DS models, then eight Windows bitmaps.
std::vector<AssetFile> MakeAssets();
