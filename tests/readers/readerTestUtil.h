#pragma once

// Byte building and log watching for the reader tests.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/log.h"

using Bytes = std::vector<std::uint8_t>;

inline void PutU16(Bytes& b, std::size_t at, std::uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void PutI32(Bytes& b, std::size_t at, std::int32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  const std::uint32_t u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

inline void PutFloat(Bytes& b, std::size_t at, float v) {
  std::int32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutI32(b, at, bits);
}

inline std::int32_t GetI32(const Bytes& b, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
  return static_cast<std::int32_t>(u);
}

inline float GetFloat(const Bytes& b, std::size_t at) {
  const std::int32_t bits = GetI32(b, at);
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

inline bool ReadAll(const std::string& path, Bytes& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

inline void WriteAll(const std::string& path, const void* data, std::size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
}

// Files shipped by Debian's assimp-testmodels; Windows builds run under Wine,
// which sees the Unix root as drive Z.
inline std::string SharedModelPath(const char* unixPath) {
#ifdef _WIN32
  return std::string("Z:") + unixPath;
#else
  return unixPath;
#endif
}

// The log text appended since the watch began.
class LogWatch {
 public:
  LogWatch() : start(Length()) {}

  std::string Added() const {
    std::ifstream in(Log::Get()->FileName(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return start < text.size() ? text.substr(start) : std::string();
  }

 private:
  static std::size_t Length() {
    std::ifstream in(Log::Get()->FileName(), std::ios::binary | std::ios::ate);
    return in ? static_cast<std::size_t>(in.tellg()) : 0;
  }

  std::size_t start;
};
