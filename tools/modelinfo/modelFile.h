#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ModelFormat { kUnknown, k3ds, kMd2, kMs3dAscii, kBsp };

// The most a model file may hold: far above any real model, and low enough
// that an endless device (/dev/zero) is refused rather than read until
// memory runs out.
constexpr std::uint64_t kModelFileLimit = std::uint64_t{256} << 20;

// A model file read once (a pipe can only be read once): its bytes and its
// format, told by the content or else by the extension.
struct ModelFile {
  std::vector<std::uint8_t> bytes;
  ModelFormat format = ModelFormat::kUnknown;
};

// Reads a file, pipe or device whole, up to the limit, and tells its format.
// False, with `error` saying why, when it cannot be opened or read, is empty,
// or is larger than the limit.
bool ReadModelFile(const char* path, ModelFile& model, std::string& error);

// The format the bytes begin like: the MD2 and BSP magic numbers, the 3DS
// main chunk, or MilkShape 3D ASCII text (its header comment, or a "Frames:"
// line as the first line that is not a comment or blank).
ModelFormat FormatOfContent(const std::vector<std::uint8_t>& bytes);

// The binary format an extension names (".3ds", ".md2", ".bsp", any case).
// Text files are not taken by name: the MilkShape reader accepts any text.
ModelFormat FormatOfName(const std::string& path);
