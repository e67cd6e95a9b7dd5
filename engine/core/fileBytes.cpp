#include "core/fileBytes.h"

#include <cstdio>

bool ReadFileBytes(const char* path, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  FILE* in = path ? std::fopen(path, "rb") : nullptr;
  if (!in) return false;
  bool ok = true;
  std::uint8_t chunk[65536];
  for (;;) {
    const size_t got = std::fread(chunk, 1, sizeof chunk, in);
    bytes.insert(bytes.end(), chunk, chunk + got);
    if (got < sizeof chunk) {
      ok = !std::ferror(in);
      break;
    }
  }
  std::fclose(in);
  if (!ok) bytes.clear();
  return ok;
}
