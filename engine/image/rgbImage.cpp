#include <cstdlib>

#include "image/dibImage.h"

// What every flavour of the loader shares.
RgbImage* LoadDibImageA(const char* fileName) { return LoadDibImage(fileName, false); }

void FreeRgbImage(RgbImage* image) {
  if (!image) return;
  std::free(image->pixels);
  std::free(image);
}
