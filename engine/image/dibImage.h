#pragma once

#include <cstdint>

// A tightly packed 24-bit image: width x height pixels of red, green, blue,
// rows without padding, bottom row first.
struct RgbImage {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
};

// Whether failed loads show their message box (titled "Error").
extern bool dibShowErrors;

// Loads a Windows bitmap ("BM" file or bare packed DIB) of any depth and
// compression that GDI converts. `fileName` is a char string, or a wchar_t
// string when `wide` is set. Null on failure, after one message box.
// A top-down bitmap is delivered bottom row first like any other.
RgbImage* LoadDibImage(const void* fileName, bool wide);
RgbImage* LoadDibImageA(const char* fileName);
// Frees the pixel block, then the record.
void FreeRgbImage(RgbImage* image);
