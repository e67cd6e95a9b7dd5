#include "dxengine/dxUtil.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "image/dibImage.h"

namespace {

// Bytes per pixel of the formats a texture can be made in; 0 for others.
int BytesPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 4;
    case D3DFMT_R8G8B8:
      return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
      return 2;
    default:
      return 0;
  }
}

// Stores an ARGB (8 bits a channel) pixel in `format`, dropping low bits.
void StorePixel(D3DFORMAT format, uint32_t argb, uint8_t* dest) {
  const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  uint16_t packed = 0;
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      std::memcpy(dest, &argb, 4);
      return;
    case D3DFMT_R8G8B8:
      dest[0] = static_cast<uint8_t>(b);
      dest[1] = static_cast<uint8_t>(g);
      dest[2] = static_cast<uint8_t>(r);
      return;
    case D3DFMT_R5G6B5:
      packed = static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
      break;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
      packed = static_cast<uint16_t>(((a >> 7) << 15) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
      break;
    case D3DFMT_A4R4G4B4:
      packed = static_cast<uint16_t>(((a >> 4) << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4));
      break;
    default:
      return;
  }
  std::memcpy(dest, &packed, 2);
}

// One level of the mip chain as ARGB pixels, top row first.
struct Level {
  UINT width = 0;
  UINT height = 0;
  std::vector<uint32_t> pixels;
};

// The next smaller level: each pixel is the mean of a 2 x 2 block (edge
// pixels repeat where a side is odd or already 1).
Level HalveLevel(const Level& source) {
  Level half;
  half.width = source.width > 1 ? source.width / 2 : 1;
  half.height = source.height > 1 ? source.height / 2 : 1;
  half.pixels.resize(static_cast<size_t>(half.width) * half.height);
  for (UINT y = 0; y < half.height; ++y) {
    const UINT y0 = std::min(2 * y, source.height - 1), y1 = std::min(2 * y + 1, source.height - 1);
    for (UINT x = 0; x < half.width; ++x) {
      const UINT x0 = std::min(2 * x, source.width - 1), x1 = std::min(2 * x + 1, source.width - 1);
      const uint32_t block[4] = {source.pixels[y0 * source.width + x0],
                                 source.pixels[y0 * source.width + x1],
                                 source.pixels[y1 * source.width + x0],
                                 source.pixels[y1 * source.width + x1]};
      uint32_t mean = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 0;
        for (uint32_t p : block) sum += (p >> shift) & 0xFF;
        mean |= ((sum + 2) / 4) << shift;
      }
      half.pixels[y * half.width + x] = mean;
    }
  }
  return half;
}

// Writes one level's pixels in `format` into rows `pitch` bytes apart.
void WriteLevel(const Level& level, D3DFORMAT format, uint8_t* bits, INT pitch) {
  const int bytes = BytesPerPixel(format);
  for (UINT y = 0; y < level.height; ++y) {
    uint8_t* row = bits + static_cast<size_t>(y) * pitch;
    const uint32_t* source = &level.pixels[static_cast<size_t>(y) * level.width];
    if (bytes == 4) {
      std::memcpy(row, source, 4 * static_cast<size_t>(level.width));
      continue;
    }
    for (UINT x = 0; x < level.width; ++x) StorePixel(format, source[x], row + x * bytes);
  }
}

// Every level of a texture whose level 0 is `top`, halving on the way down.
std::vector<Level> Chain(IDirect3DTexture8* texture, Level top) {
  std::vector<Level> levels;
  levels.push_back(std::move(top));
  for (DWORD i = 1; i < texture->GetLevelCount(); ++i) levels.push_back(HalveLevel(levels.back()));
  return levels;
}

// Writes every level with a lock of its own.
HRESULT FillLevels(IDirect3DTexture8* texture, D3DFORMAT format, const std::vector<Level>& levels) {
  for (DWORD i = 0; i < levels.size(); ++i) {
    D3DLOCKED_RECT locked;
    const HRESULT hr = texture->LockRect(i, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    WriteLevel(levels[i], format, static_cast<uint8_t*>(locked.pBits), locked.Pitch);
    texture->UnlockRect(i);
  }
  return D3D_OK;
}

// Writes every level through one system-memory surface that holds them one
// below the other, filled in a single lock and copied level by level: every
// lock waits until the device has caught up, a copy does not, and textures
// in the default pool cannot be locked at all.
HRESULT FillLevelsStaged(IDirect3DDevice8* device, IDirect3DTexture8* texture, D3DFORMAT format,
                         const std::vector<Level>& levels) {
  UINT height = 0;
  for (const Level& level : levels) height += level.height;
  IDirect3DSurface8* staging = nullptr;
  HRESULT hr = device->CreateImageSurface(levels[0].width, height, format, &staging);
  if (FAILED(hr)) return hr;
  D3DLOCKED_RECT locked;
  hr = staging->LockRect(&locked, nullptr, 0);
  if (SUCCEEDED(hr)) {
    UINT top = 0;
    for (const Level& level : levels) {
      uint8_t* bits = static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(top) * locked.Pitch;
      WriteLevel(level, format, bits, locked.Pitch);
      top += level.height;
    }
    staging->UnlockRect();
    top = 0;
    for (DWORD i = 0; SUCCEEDED(hr) && i < levels.size(); ++i) {
      IDirect3DSurface8* surface = nullptr;
      hr = texture->GetSurfaceLevel(i, &surface);
      if (FAILED(hr)) break;
      const RECT rect = {0, static_cast<LONG>(top), static_cast<LONG>(levels[i].width),
                         static_cast<LONG>(top + levels[i].height)};
      const POINT origin = {0, 0};
      hr = device->CopyRects(staging, &rect, 1, surface, &origin);
      surface->Release();
      top += levels[i].height;
    }
  }
  staging->Release();
  return hr;
}

}  // namespace

HRESULT DXCreateTextureFromRgb(IDirect3DDevice8* device, const unsigned char* rgb, int width,
                               int height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                               D3DPOOL pool, D3DCOLOR colourKey, IDirect3DTexture8** texture) {
  if (!device || !rgb || !texture || width <= 0 || height <= 0) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (format == D3DFMT_UNKNOWN) format = colourKey ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  if (BytesPerPixel(format) == 0) return D3DERR_INVALIDCALL;
  if (mipLevels == D3DX_DEFAULT) mipLevels = 0;

  // Bitmap rows run bottom to top; texture rows top to bottom.
  Level top;
  top.width = static_cast<UINT>(width);
  top.height = static_cast<UINT>(height);
  top.pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const unsigned char* source = rgb + static_cast<size_t>(height - 1 - y) * width * 3;
    for (int x = 0; x < width; ++x, source += 3) {
      uint32_t argb = 0xFF000000u | (source[0] << 16) | (source[1] << 8) | source[2];
      if (colourKey && argb == colourKey) argb = 0;
      top.pixels[static_cast<size_t>(y) * width + x] = argb;
    }
  }

  IDirect3DTexture8* created = nullptr;
  HRESULT hr = device->CreateTexture(top.width, top.height, mipLevels, usage, format, pool, &created);
  if (FAILED(hr)) return hr;
  const std::vector<Level> levels = Chain(created, std::move(top));
  hr = FillLevelsStaged(device, created, format, levels);
  // A device that will not copy into a lockable texture gets a lock a level.
  if (FAILED(hr) && pool != D3DPOOL_DEFAULT) hr = FillLevels(created, format, levels);
  if (FAILED(hr)) {
    created->Release();
    return hr;
  }
  *texture = created;
  return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, const char* fileName, UINT width,
                                     UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool, DWORD /*filter*/, DWORD /*mipFilter*/,
                                     D3DCOLOR colourKey, D3DXIMAGE_INFO* sourceInfo,
                                     PALETTEENTRY* /*palette*/, IDirect3DTexture8** texture) {
  if (!device || !fileName || !texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  // Failures are the caller's to report, through the result.
  const bool showErrors = dibShowErrors;
  dibShowErrors = false;
  RgbImage* image = LoadDibImageA(fileName);
  dibShowErrors = showErrors;
  if (!image) return D3DXERR_INVALIDDATA;
  const auto fileSize = [](UINT asked, int32_t actual) {
    return asked == 0 || asked == D3DX_DEFAULT || asked == static_cast<UINT>(actual);
  };
  HRESULT hr = D3DERR_INVALIDCALL;
  if (fileSize(width, image->width) && fileSize(height, image->height))
    hr = DXCreateTextureFromRgb(device, image->pixels, image->width, image->height, mipLevels,
                                usage, format, pool, colourKey, texture);
  if (SUCCEEDED(hr) && sourceInfo) {
    sourceInfo->Width = static_cast<UINT>(image->width);
    sourceInfo->Height = static_cast<UINT>(image->height);
    sourceInfo->Depth = 1;
    sourceInfo->MipLevels = 1;
    sourceInfo->Format = D3DFMT_R8G8B8;
  }
  FreeRgbImage(image);
  return hr;
}

D3DMATRIX* D3DXMatrixMultiply(D3DMATRIX* out, const D3DMATRIX* a, const D3DMATRIX* b) {
  D3DMATRIX product;
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a->m[row][k] * b->m[k][column];
      product.m[row][column] = sum;
    }
  *out = product;
  return out;
}

D3DMATRIX* D3DXMatrixTranspose(D3DMATRIX* out, const D3DMATRIX* m) {
  D3DMATRIX transposed;
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) transposed.m[row][column] = m->m[column][row];
  *out = transposed;
  return out;
}

D3DMATRIX* D3DXMatrixInverse(D3DMATRIX* out, float* determinant, const D3DMATRIX* m) {
  // Gauss-Jordan elimination with partial pivoting, in double precision.
  double work[4][8];
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) {
      work[row][column] = m->m[row][column];
      work[row][column + 4] = row == column ? 1.0 : 0.0;
    }
  double det = 1.0;
  for (int column = 0; column < 4; ++column) {
    int pivot = column;
    for (int row = column + 1; row < 4; ++row)
      if (std::fabs(work[row][column]) > std::fabs(work[pivot][column])) pivot = row;
    if (work[pivot][column] == 0.0) return nullptr;
    if (pivot != column) {
      for (int k = 0; k < 8; ++k) std::swap(work[pivot][k], work[column][k]);
      det = -det;
    }
    const double p = work[column][column];
    det *= p;
    for (int k = 0; k < 8; ++k) work[column][k] /= p;
    for (int row = 0; row < 4; ++row) {
      if (row == column) continue;
      const double factor = work[row][column];
      for (int k = 0; k < 8; ++k) work[row][k] -= factor * work[column][k];
    }
  }
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column)
      out->m[row][column] = static_cast<float>(work[row][column + 4]);
  if (determinant) *determinant = static_cast<float>(det);
  return out;
}
