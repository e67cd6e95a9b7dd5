#pragma once

#include <cstdint>
#include <cstdio>

#include "../image/bmpBuilder.h"
#include "glTestContext.h"

// Writes a 4 x 4 24-bit bitmap file of one colour (rows of 12 bytes need
// no padding).
inline void WriteSolidBitmap(const char* name, const Rgb& colour) {
  BmpSpec spec;
  spec.width = 4;
  spec.height = 4;
  for (int i = 0; i < 16; ++i)
    spec.pixels.insert(spec.pixels.end(),
                       {uint8_t(colour.b), uint8_t(colour.g), uint8_t(colour.r)});
  const auto bytes = BuildBmp(spec);
  if (FILE* f = std::fopen(name, "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}
