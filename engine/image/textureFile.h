#pragma once

#include "image/dibImage.h"

class EngineObject;

// The image of a texture's bitmap file, for the back ends' textures; null
// after reporting on `reporter` why (a missing file, then the failed load).
RgbImage* LoadTextureFile(EngineObject* reporter, const char* filename);
