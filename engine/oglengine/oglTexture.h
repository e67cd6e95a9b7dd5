#pragma once

#include <windows.h>

#include <GL/gl.h>

#include <cstdint>

#include "core/texture.h"

// The OpenGL texture: an image file (Windows bitmaps, through the DIB
// loader) or an empty 32-bit texture written through Lock and Unlock.
class OpenGLTexture : public Texture {
 public:
  OpenGLTexture();
  // Deletes the texture name and frees the pixel buffer.
  ~OpenGLTexture() override;

  // Only 32 bits per pixel; no mip-maps.
  void Init(int width, int height, int bpp, bool mipmap) override;
  void Init(const char* filename, bool mipmap) override;
  // Without the multitexture extension only stage 0 exists; other stages
  // are left alone.
  void Apply(int stage, TextureOp op, AddressMode addressMode) override;
  // The pixel buffer of an empty texture (blue, green, red, unused byte per
  // pixel), null for a file-loaded one.
  void* Lock() override;
  // Uploads the buffer, first turning each pixel in place into red, green,
  // blue, 0.
  void Unlock() override;

  GLuint TextureName() const { return textureName; }
  // Pixels per row of the buffer Lock returns.
  int Pitch() const { return pitch; }

 private:
  void Release();

  int width;
  int height;
  int pitch;  // in pixels
  bool mipmap;
  uint32_t* pixels;
  GLuint textureName;  // 0: none
};
