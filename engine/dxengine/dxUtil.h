#pragma once

#include <d3d8.h>

// The D3DX 8 utility functions that the Direct3D back end calls, written here
// because the toolchain has no D3DX library. Names, arguments and results
// follow D3DX 8 for the cases the back end uses; the matrices are the
// device's own D3DMATRIX (row-major, row vectors).

// "Take it from the file" (sizes) or "the default" (mip levels, filters).
constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;
// The source file is not an image that can be read.
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

// What the source image was, filled when a caller asks for it. Format is
// R8G8B8, what the bitmap loader delivers, whatever the file's own depth.
struct D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;
};

// Creates a texture from 24-bit pixels in memory: width x height (red,
// green, blue) triples, rows without padding, the bottom row first (the
// bitmap order), as D3DX makes one from an image file:
// - mipLevels: 0 or D3DX_DEFAULT for a full chain, built with a 2 x 2 box
//   filter; otherwise that many levels;
// - format: A8R8G8B8, X8R8G8B8, R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5 or
//   A4R4G4B4; D3DFMT_UNKNOWN picks A8R8G8B8 with a colour key, else X8R8G8B8;
// - pool: as asked; every level is filled through one system-memory
//   surface, in one lock (a texture the device will not copy into, unless
//   in the default pool, gets a lock a level);
// - colourKey: 0 for none; otherwise every pixel equal to it (as an opaque
//   ARGB value) becomes transparent black 0x00000000.
HRESULT DXCreateTextureFromRgb(IDirect3DDevice8* device, const unsigned char* rgb, int width,
                               int height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                               D3DPOOL pool, D3DCOLOR colourKey, IDirect3DTexture8** texture);

// Creates a texture from a Windows bitmap file, read by the bitmap loader
// without its message boxes. width and height: D3DX_DEFAULT (or 0) takes the
// file's size; any other size must equal it (no scaling is done), else
// D3DERR_INVALIDCALL. The other arguments are those of
// DXCreateTextureFromRgb; filter and mipFilter are accepted and not
// interpreted, and the palette is not filled, as no palettised format is
// made. A file the loader cannot read gives D3DXERR_INVALIDDATA.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, const char* fileName, UINT width,
                                     UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                     D3DCOLOR colourKey, D3DXIMAGE_INFO* sourceInfo,
                                     PALETTEENTRY* palette, IDirect3DTexture8** texture);

// out = a * b; out may be a or b.
D3DMATRIX* D3DXMatrixMultiply(D3DMATRIX* out, const D3DMATRIX* a, const D3DMATRIX* b);
// out = transpose of m; out may be m.
D3DMATRIX* D3DXMatrixTranspose(D3DMATRIX* out, const D3DMATRIX* m);
// out = inverse of m, and *determinant (when not null) its determinant. A
// singular matrix returns null and leaves out unchanged.
D3DMATRIX* D3DXMatrixInverse(D3DMATRIX* out, float* determinant, const D3DMATRIX* m);
