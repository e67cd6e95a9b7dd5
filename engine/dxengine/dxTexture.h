#pragma once

#include <windows.h>
#include <d3d8.h>

#include "core/texture.h"

// The Direct3D 8 texture: an empty texture of a given size and depth whose
// pixels are written through Lock and Unlock, or one loaded from a bitmap
// file. Apply binds it to a texture stage with a colour operation and
// addressing. It uses the device of the engine that was current when it was
// made.
class DXTexture : public Texture {
 public:
  DXTexture();
  ~DXTexture() override;

  void Init(int width, int height, int bpp, bool mipmap) override;
  void Init(const char* filename, bool mipmap) override;
  void Apply(int stage, TextureOp op, AddressMode addressMode) override;
  void* Lock() override;
  void Unlock() override;

  // The Direct3D texture, null until an Init succeeds.
  IDirect3DTexture8* Texture8() const { return texture; }
  // Row pitch of level 0 in pixels, as the last Lock found it; asked for
  // before any, it locks level 0 once to read it. 0 when it cannot.
  int Pitch();

 private:
  void Release();
  // Fetches level 0; false (after the entry) on failure.
  bool FetchLevelZero();

  int pitch;
  int bytesPerPixel;
  bool mipmap;
  IDirect3DTexture8* texture;
  IDirect3DSurface8* surface;
  IDirect3DDevice8* device;
};
