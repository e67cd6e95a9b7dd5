#include "image/textureFile.h"

#include <cstdio>

#include "core/log.h"

RgbImage* LoadTextureFile(EngineObject* reporter, const char* filename) {
  RgbImage* image = nullptr;
  if (FILE* probe = std::fopen(filename, "r")) {
    std::fclose(probe);
    image = LoadDibImageA(filename);
  } else {
    LOG_REPORT(reporter, E_ERROR, "File not found! (%s)", filename);
  }
  if (!image) LOG_REPORT(reporter, E_ERROR, "Could not load image %s", filename);
  return image;
}
