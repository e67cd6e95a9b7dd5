#include "modelinfo/modelFile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

namespace {
bool StartsWith(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* text) {
  const std::size_t n = std::strlen(text);
  return bytes.size() >= at + n && std::memcmp(bytes.data() + at, text, n) == 0;
}

// In every file MilkShape writes, the first line that is neither a comment
// ("//") nor blank is "Frames:".
bool LooksLikeMs3dAscii(const std::vector<std::uint8_t>& bytes) {
  if (StartsWith(bytes, 0, "// MilkShape 3D ASCII")) return true;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = at;
    bool blank = true;
    for (; end < bytes.size() && bytes[end] != '\n'; end++)
      blank = blank && std::isspace(bytes[end]);
    if (!blank && !StartsWith(bytes, at, "//")) return StartsWith(bytes, at, "Frames:");
    at = end + 1;
  }
  return false;
}
}  // namespace

bool ReadModelFile(const char* path, ModelFile& model, std::string& error) {
  model = ModelFile();
  const char kTooLarge[] = "larger than 256 MiB, more than any model";
  // A regular file is refused by its size before any of it is read.
  std::error_code failed;
  const std::uintmax_t size = std::filesystem::is_regular_file(path, failed)
                                  ? std::filesystem::file_size(path, failed)
                                  : 0;
  if (!failed && size > kModelFileLimit) {
    error = kTooLarge;
    return false;
  }
  FILE* in = std::fopen(path, "rb");
  if (in == nullptr) {
    error = std::string("cannot open (") + std::strerror(errno) + ")";
    return false;
  }
  std::vector<std::uint8_t>& bytes = model.bytes;
  std::uint8_t chunk[65536];
  std::size_t got;
  try {
    while (error.empty() && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
      if (bytes.size() + got > kModelFileLimit)
        error = kTooLarge;
      else
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
  } catch (const std::bad_alloc&) {
    error = "not enough memory to read it";
  }
  if (error.empty() && std::ferror(in)) error = std::string("cannot read (") + std::strerror(errno) + ")";
  std::fclose(in);
  if (error.empty() && bytes.empty()) error = "empty file";
  if (!error.empty()) {
    model = ModelFile();
    return false;
  }
  // Content that names no format falls back on the extension, so a damaged
  // file gets its reader's complaint.
  model.format = FormatOfContent(bytes);
  if (model.format == ModelFormat::kUnknown) model.format = FormatOfName(path);
  return true;
}

ModelFormat FormatOfContent(const std::vector<std::uint8_t>& bytes) {
  if (StartsWith(bytes, 0, "IDP2")) return ModelFormat::kMd2;
  if (StartsWith(bytes, 0, "IBSP")) return ModelFormat::kBsp;
  if (LooksLikeMs3dAscii(bytes)) return ModelFormat::kMs3dAscii;
  if (bytes.size() >= 2 && bytes[0] == 0x4D && bytes[1] == 0x4D) return ModelFormat::k3ds;
  return ModelFormat::kUnknown;
}

ModelFormat FormatOfName(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return ModelFormat::kUnknown;
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "3ds") return ModelFormat::k3ds;
  if (extension == "md2") return ModelFormat::kMd2;
  if (extension == "bsp") return ModelFormat::kBsp;
  return ModelFormat::kUnknown;
}
