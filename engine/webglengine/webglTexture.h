#pragma once

#include <GLES3/gl3.h>

#include <cstdint>

#include "core/texture.h"

// The WebGL texture: a bitmap file or an empty 32-bit texture written
// through Lock and Unlock, bound to texture stage 0 or 1 as the OpenGL
// texture binds to its units. Textures are RGB: their alpha counts as 1.
class WebGLTexture : public Texture {
 public:
  WebGLTexture();
  ~WebGLTexture() override;

  // Only 32 bits per pixel; no mip-maps.
  void Init(int width, int height, int bpp, bool mipmap) override;
  void Init(const char* filename, bool mipmap) override;
  // Stages 0 and 1 only. Clamping stops at the edge texel: WebGL has no
  // border colour to clamp to.
  void Apply(int stage, TextureOp op, AddressMode addressMode) override;
  // The pixel buffer of an empty texture (blue, green, red, unused byte per
  // pixel), null for a file-loaded one.
  void* Lock() override;
  // Uploads the buffer, first turning each pixel in place into red, green,
  // blue, 0.
  void Unlock() override;

  GLuint TextureName() const { return textureName; }
  int Pitch() const { return pitch; }

 private:
  void Release();

  int width;
  int height;
  int pitch;  // in pixels
  bool mipmap;
  uint32_t* pixels;
  GLuint textureName;  // 0: none
  // The addressing last set on the texture object.
  static constexpr int kAddressUnset = -1;
  int address;
};
