#pragma once

#include "core/engineObject.h"
#include "core/renderTypes.h"

// A texture of a renderer back end.
class Texture : public EngineObject {
 public:
  ~Texture() override = default;

  // An empty texture whose pixels are written through Lock and Unlock.
  virtual void Init(int width, int height, int bpp, bool mipmap) = 0;
  // A texture loaded from an image file.
  virtual void Init(const char* filename, bool mipmap) = 0;
  // Binds the texture to a stage with a colour operation and addressing.
  virtual void Apply(int stage, TextureOp op, AddressMode addressMode) = 0;
  // The pixels, or null; ended by Unlock.
  virtual void* Lock() = 0;
  virtual void Unlock() = 0;
};
