#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ModelFormat { kUnknown, k3ds, kMd2, kMs3dAscii, kBsp };

// Reads the whole file. False, with `error` saying whether it could not be
// opened or not be read, and why.
bool ReadModelFile(const char* path, std::vector<std::uint8_t>& bytes, std::string& error);

// The format the bytes begin like: the MD2 and BSP magic numbers, the 3DS
// main chunk, or MilkShape 3D ASCII text (its header comment, or a "Frames:"
// line as the first line that is not a comment or blank).
ModelFormat FormatOfContent(const std::vector<std::uint8_t>& bytes);

// The binary format an extension names (".3ds", ".md2", ".bsp", any case).
// Text files are not taken by name: the MilkShape reader accepts any text.
ModelFormat FormatOfName(const std::string& path);
