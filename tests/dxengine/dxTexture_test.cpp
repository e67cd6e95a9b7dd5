#include <cstdio>
#include <cstring>
#include <filesystem>

#include "dxTestSupport.h"
#include "dxengine/dxUtil.h"
#include "image/bmpBuilder.h"
#include "image/dibImage.h"
#include "image/messageBoxCatcher.h"

namespace {

const uint32_t kRed = 0xFF0000;
const uint32_t kGreen = 0x00FF00;
const uint32_t kBlue = 0x0000FF;
const uint32_t kWhite = 0xFFFFFF;

using DXTextureTest = DXRenderTest;

// A 4 x 4 texture whose quadrants are red (top left), green (top right),
// blue (bottom left) and white.
std::vector<uint32_t> Quadrants() {
  std::vector<uint32_t> texels(16);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      texels[y * 4 + x] = y < 2 ? (x < 2 ? kRed : kGreen) : (x < 2 ? kBlue : kWhite);
  return texels;
}

// A 4 x 1 texture, red at the left half and green at the right.
std::vector<uint32_t> Halves() { return {kRed, kRed, kGreen, kGreen}; }

TEST_F(DXTextureTest, EmptyTextureFormats) {
  DXTexture texture;
  EXPECT_EQ(texture.status, E_UNINIT);
  texture.Init(16, 16, 32, false);
  ASSERT_EQ(texture.status, E_OK) << texture.message;
  D3DSURFACE_DESC desc;
  texture.Texture8()->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(texture.Texture8()->GetLevelCount(), 1u);
  EXPECT_GE(texture.Pitch(), 16);

  DXTexture chain;
  chain.Init(32, 32, 16, true);
  ASSERT_EQ(chain.status, E_OK) << chain.message;
  chain.Texture8()->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(chain.Texture8()->GetLevelCount(), 6u);

  DXTexture eightBits;
  eightBits.Init(64, 64, 8, false);
  EXPECT_EQ(eightBits.status, E_ERROR);
  EXPECT_EQ(eightBits.message, "Unsupported bpp");
  EXPECT_EQ(eightBits.Texture8(), nullptr);
  EXPECT_EQ(eightBits.Lock(), nullptr);

  // 24-bit textures exist only where the device offers R8G8B8.
  IDirect3D8* direct3d = nullptr;
  Device()->GetDirect3D(&direct3d);
  const bool has24 = SUCCEEDED(direct3d->CheckDeviceFormat(
      D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_R8G8B8));
  direct3d->Release();
  DXTexture texture24;
  texture24.Init(64, 64, 24, false);
  if (has24) {
    ASSERT_EQ(texture24.status, E_OK) << texture24.message;
    EXPECT_EQ(texture24.Texture8()->GetLevelCount(), 1u);
    texture24.Texture8()->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_R8G8B8);
  } else {
    EXPECT_EQ(texture24.status, E_ERROR);
    EXPECT_EQ(texture24.message.rfind("Could not create Texture! [64x64x24] hr = 0x", 0), 0u)
        << texture24.message;
  }
}

TEST_F(DXTextureTest, ModulateAddAndSelect) {
  auto texture = MakeTexture(4, 4, Quadrants());
  auto quad = MakeQuad(-1, -1, 1, 1, 0.5f, Colour(0.5f, 0.25f, 1.0f, 1));
  // Quadrant centres: top left, top right, bottom left, bottom right.
  auto sample = [&](int quadrant) {
    const std::vector<uint32_t> pixels = ReadPixels();
    const int x = quadrant % 2 ? 48 : 16, y = quadrant / 2 ? 48 : 16;
    return pixels[y * kSize + x];
  };

  texture->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  quad->Render();
  EXPECT_TRUE(Near(sample(0), Rgb(0.5f, 0, 0))) << std::hex << sample(0);
  EXPECT_TRUE(Near(sample(3), Rgb(0.5f, 0.25f, 1.0f))) << std::hex << sample(3);

  texture->Apply(0, TOP_ADD, ADDRESS_WRAP);
  quad->Render();
  // Sums saturate at 1.
  EXPECT_TRUE(Near(sample(0), Rgb(1.0f, 0.25f, 1.0f))) << std::hex << sample(0);
  EXPECT_TRUE(Near(sample(1), Rgb(0.5f, 1.0f, 1.0f))) << std::hex << sample(1);

  texture->Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  quad->Render();
  EXPECT_EQ(sample(0), kRed);
  EXPECT_EQ(sample(1), kGreen);
  EXPECT_EQ(sample(2), kBlue);
  EXPECT_EQ(sample(3), kWhite);
}

TEST_F(DXTextureTest, OverlayAddedOnStageOne) {
  auto species = MakeTexture(4, 4, Quadrants());
  auto overlay = MakeTexture(1, 1, {0x004000});
  auto quad = MakeQuad(-1, -1, 1, 1, 0.5f, Colour(1, 1, 1, 1), 1, 1, 2);
  species->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  overlay->Apply(1, TOP_ADD, ADDRESS_WRAP);
  quad->Render();
  std::vector<uint32_t> pixels = ReadPixels();
  EXPECT_TRUE(Near(pixels[16 * kSize + 16], 0xFF4000)) << std::hex << pixels[16 * kSize + 16];
  EXPECT_TRUE(Near(pixels[48 * kSize + 16], 0x0040FF)) << std::hex << pixels[48 * kSize + 16];

  // Stage 1 switched off.
  overlay->Apply(1, TOP_DISABLE, ADDRESS_WRAP);
  quad->Render();
  pixels = ReadPixels();
  EXPECT_EQ(pixels[16 * kSize + 16], kRed);
  // Applying stage 0 again also switches stage 1 off.
  overlay->Apply(1, TOP_ADD, ADDRESS_WRAP);
  species->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  quad->Render();
  EXPECT_EQ(PixelAt(16, 16), kRed);
}

TEST_F(DXTextureTest, WrapClampAndMirror) {
  auto texture = MakeTexture(4, 1, Halves());
  // u runs from 0 to 2 across the screen: four bands of 16 pixels.
  auto quad = MakeQuad(-1, -1, 1, 1, 0.5f, Colour(1, 1, 1, 1), 2.0f, 1.0f);
  auto bands = [&]() {
    const std::vector<uint32_t> pixels = ReadPixels();
    std::vector<uint32_t> centres;
    for (int band = 0; band < 4; ++band) centres.push_back(pixels[32 * kSize + band * 16 + 8]);
    return centres;
  };
  texture->Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  quad->Render();
  EXPECT_EQ(bands(), (std::vector<uint32_t>{kRed, kGreen, kRed, kGreen}));
  texture->Apply(0, TOP_SELECTTEXTURE, ADDRESS_CLAMP);
  quad->Render();
  EXPECT_EQ(bands(), (std::vector<uint32_t>{kRed, kGreen, kGreen, kGreen}));
  texture->Apply(0, TOP_SELECTTEXTURE, ADDRESS_MIRROR);
  quad->Render();
  EXPECT_EQ(bands(), (std::vector<uint32_t>{kRed, kGreen, kGreen, kRed}));
}

TEST_F(DXTextureTest, ApplyStageStates) {
  auto texture = MakeTexture(1, 1, {kWhite});
  IDirect3DDevice8* device = Device();
  auto state = [&](DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
    DWORD value = 0xDEADBEEF;
    device->GetTextureStageState(stage, type, &value);
    return value;
  };
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  texture->Apply(0, TOP_SELECTTEXTURE, ADDRESS_CLAMP);
  EXPECT_EQ(state(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_SELECTARG1));
  EXPECT_EQ(state(0, D3DTSS_COLORARG1), static_cast<DWORD>(D3DTA_TEXTURE));
  EXPECT_EQ(state(0, D3DTSS_COLORARG2), static_cast<DWORD>(D3DTA_DIFFUSE));
  EXPECT_EQ(state(0, D3DTSS_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_CLAMP));
  EXPECT_EQ(state(0, D3DTSS_ADDRESSV), static_cast<DWORD>(D3DTADDRESS_CLAMP));
  EXPECT_EQ(state(0, D3DTSS_MIPFILTER), static_cast<DWORD>(D3DTEXF_NONE));
  EXPECT_EQ(state(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE));

  // Unknown operation and addressing: two entries, the texture still bound.
  const size_t logStart = ReadLog().size();
  device->SetTextureStageState(2, D3DTSS_ADDRESSU, D3DTADDRESS_MIRROR);
  texture->Apply(2, static_cast<TextureOp>(5), static_cast<AddressMode>(3));
  EXPECT_EQ(CountInLog("texture addressing opetaion is not supported.", logStart), 1);
  EXPECT_EQ(CountInLog("texturing operation is not supported.", logStart), 1);
  EXPECT_EQ(texture->status, E_NOSUP);
  EXPECT_EQ(state(2, D3DTSS_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_MIRROR));
  EXPECT_EQ(state(2, D3DTSS_COLORARG2), static_cast<DWORD>(D3DTA_CURRENT));
  IDirect3DBaseTexture8* bound = nullptr;
  device->GetTexture(2, &bound);
  EXPECT_EQ(bound, texture->Texture8());
  if (bound) bound->Release();

  DXTexture mipmapped;
  mipmapped.Init(8, 8, 32, true);
  mipmapped.Apply(3, TOP_MODULATE, ADDRESS_WRAP);
  EXPECT_EQ(state(3, D3DTSS_MIPFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
}

// Textures made from 24-bit pixels in memory, as from a bitmap file.
TEST_F(DXTextureTest, FromRgbPixels) {
  // 3 x 2 pixels, bottom row first: black, red, green / blue, white, black.
  const unsigned char rgb[] = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0};
  auto level0 = [](IDirect3DTexture8* texture, int bytes) {
    std::vector<uint32_t> texels;
    D3DLOCKED_RECT locked;
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return texels;
    for (UINT y = 0; y < desc.Height; ++y)
      for (UINT x = 0; x < desc.Width; ++x) {
        uint32_t value = 0;
        std::memcpy(&value, static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * bytes, bytes);
        texels.push_back(value);
      }
    texture->UnlockRect(0);
    return texels;
  };

  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(DXCreateTextureFromRgb(Device(), rgb, 3, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                   0xFF000000, &texture),
            D3D_OK);
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 3u);
  EXPECT_EQ(desc.Height, 2u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(texture->GetLevelCount(), 1u);
  // Top row first; opaque black became transparent black.
  EXPECT_EQ(level0(texture, 4), (std::vector<uint32_t>{0xFF0000FF, 0xFFFFFFFF, 0x00000000,
                                                       0x00000000, 0xFFFF0000, 0xFF00FF00}));
  texture->Release();

  ASSERT_EQ(DXCreateTextureFromRgb(Device(), rgb, 3, 2, 1, 0, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM, 0,
                                   &texture),
            D3D_OK);
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(level0(texture, 2), (std::vector<uint32_t>{0x001F, 0xFFFF, 0x0000, 0x0000, 0xF800,
                                                       0x07E0}));
  texture->Release();

  EXPECT_EQ(DXCreateTextureFromRgb(Device(), rgb, 3, 2, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, 0,
                                   &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
}

TEST_F(DXTextureTest, FromRgbPixelsWithMipChainAndDefaultPool) {
  // 4 x 4: the left half black, the right half white.
  std::vector<unsigned char> rgb(4 * 4 * 3, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 2; x < 4; ++x)
      for (int c = 0; c < 3; ++c) rgb[(y * 4 + x) * 3 + c] = 255;
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(DXCreateTextureFromRgb(Device(), rgb.data(), 4, 4, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                   D3DPOOL_MANAGED, 0, &texture),
            D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 3u);
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(1, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  const uint32_t* row = static_cast<const uint32_t*>(locked.pBits);
  EXPECT_EQ(row[0] & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(row[1] & 0xFFFFFF, 0xFFFFFFu);
  texture->UnlockRect(1);
  ASSERT_EQ(texture->LockRect(2, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(*static_cast<const uint32_t*>(locked.pBits) & 0xFFFFFF, 0x808080u);
  texture->UnlockRect(2);
  texture->Release();

  // A default-pool texture is filled through the device; it draws as given.
  ASSERT_EQ(DXCreateTextureFromRgb(Device(), rgb.data(), 4, 4, 1, 0, D3DFMT_X8R8G8B8,
                                   D3DPOOL_DEFAULT, 0, &texture),
            D3D_OK);
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
  Device()->SetTexture(0, texture);
  Device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  Device()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  auto quad = MakeQuad(-1, -1, 1, 1, 0.5f, Colour(1, 1, 1, 1));
  quad->Render();
  const std::vector<uint32_t> pixels = ReadPixels();
  EXPECT_EQ(pixels[32 * kSize + 8], 0x000000u);
  EXPECT_EQ(pixels[32 * kSize + 56], 0xFFFFFFu);
  Device()->SetTexture(0, nullptr);
  texture->Release();
}

// A 24-bit bitmap file of w x h pixels given top row first as 0xRRGGBB.
void WriteBitmap(const char* path, int w, int h, const std::vector<uint32_t>& topFirst) {
  BmpSpec spec;
  spec.width = w;
  spec.height = h;
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t rgb = topFirst[static_cast<size_t>(y) * w + x];
      spec.pixels.push_back(static_cast<uint8_t>(rgb));
      spec.pixels.push_back(static_cast<uint8_t>(rgb >> 8));
      spec.pixels.push_back(static_cast<uint8_t>(rgb >> 16));
    }
    while (spec.pixels.size() % 4) spec.pixels.push_back(0);
  }
  const std::vector<uint8_t> bytes = BuildBmp(spec);
  FILE* out = std::fopen(path, "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
}

// Level 0 of a 32-bit texture, row by row from the top.
std::vector<uint32_t> Texels(IDirect3DTexture8* texture) {
  std::vector<uint32_t> texels;
  D3DSURFACE_DESC desc;
  D3DLOCKED_RECT locked;
  texture->GetLevelDesc(0, &desc);
  if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return texels;
  for (UINT y = 0; y < desc.Height; ++y)
    for (UINT x = 0; x < desc.Width; ++x)
      texels.push_back(
          reinterpret_cast<const uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x]);
  texture->UnlockRect(0);
  return texels;
}

TEST_F(DXTextureTest, InitFromBitmapFile) {
  WriteBitmap("texture.bmp", 3, 2, {kRed, 0x000000, kGreen, kBlue, kWhite, 0x102030});
  const size_t logStart = ReadLog().size();
  DXTexture texture;
  texture.Init("texture.bmp", false);
  ASSERT_EQ(texture.status, E_OK) << texture.message;
  EXPECT_EQ(texture.name, "texture.bmp");
  EXPECT_EQ(CountInLog("WARNING [engine/dxengine/dxTexture.cpp:", logStart), 1);
  EXPECT_EQ(CountInLog("DXTexture::Init->DXTexture::Init(char *filename)::This is a very lame "
                       "function :: and is highly incomplete! & unstable! need to fix that one "
                       "day..",
                       logStart),
            1);
  D3DSURFACE_DESC desc;
  texture.Texture8()->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 3u);
  EXPECT_EQ(desc.Height, 2u);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(texture.Texture8()->GetLevelCount(), 1u);
  std::vector<uint32_t> texels = Texels(texture.Texture8());
  for (uint32_t& t : texels) t &= 0xFFFFFF;
  EXPECT_EQ(texels, (std::vector<uint32_t>{kRed, 0x000000, kGreen, kBlue, kWhite, 0x102030}));

  // The pitch, read on request, is that of a lock.
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture.Texture8()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  texture.Texture8()->UnlockRect(0);
  EXPECT_EQ(texture.Pitch(), locked.Pitch / 4);

  DXTexture mipmapped;
  mipmapped.Init("texture.bmp", true);
  ASSERT_EQ(mipmapped.status, E_OK) << mipmapped.message;
  EXPECT_EQ(mipmapped.Texture8()->GetLevelCount(), 2u);
  ASSERT_NE(mipmapped.Lock(), nullptr);
  EXPECT_EQ(mipmapped.Pitch(), locked.Pitch / 4);  // while locked, from the lock
  mipmapped.Unlock();
}

TEST_F(DXTextureTest, MissingBitmapIsReportedWithoutAMessageBox) {
  MessageBoxCatcher boxes;
  DXTexture texture;
  texture.Init("no-such-texture.bmp", false);
  EXPECT_EQ(texture.status, E_ERROR);
  EXPECT_EQ(texture.message, "Failed to create texture!");
  EXPECT_EQ(texture.name, "no-such-texture.bmp");
  EXPECT_EQ(texture.Texture8(), nullptr);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(dibShowErrors);
  // Binding nothing reports nothing.
  texture.Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  EXPECT_EQ(texture.message, "Failed to create texture!");
}

// A texture that failed to load binds nothing: the quad shows its own
// colour, not the texture the stage held before.
TEST_F(DXTextureTest, AFailedTextureBindsNothing) {
  MessageBoxCatcher boxes;
  DXTexture missing;
  missing.Init("no-such-texture.bmp", false);
  ASSERT_EQ(missing.status, E_ERROR);
  auto held = MakeTexture(4, 4, Quadrants());
  auto quad = MakeQuad(-1, -1, 1, 1, 0.5f, Colour(0.5f, 0.25f, 1.0f, 1));
  held->Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  missing.Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  quad->Render();
  const std::vector<uint32_t> pixels = ReadPixels();
  for (int at : {16 * kSize + 16, 48 * kSize + 48})
    EXPECT_TRUE(Near(pixels[at], Rgb(0.5f, 0.25f, 1.0f))) << std::hex << pixels[at];
}

TEST_F(DXTextureTest, CreateFromFileArguments) {
  WriteBitmap("keyed.bmp", 2, 1, {0x000000, 0x0000FF});
  IDirect3DTexture8* texture = nullptr;
  D3DXIMAGE_INFO info = {};
  ASSERT_EQ(D3DXCreateTextureFromFileExA(Device(), "keyed.bmp", 2, D3DX_DEFAULT, 1, 0,
                                         D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                         D3DX_DEFAULT, 0xFF000000, &info, nullptr, &texture),
            D3D_OK);
  EXPECT_EQ(info.Width, 2u);
  EXPECT_EQ(info.Height, 1u);
  // The colour key: opaque black became transparent black.
  EXPECT_EQ(Texels(texture), (std::vector<uint32_t>{0x00000000, 0xFF0000FF}));
  texture->Release();

  // No scaling: a size other than the file's is refused.
  EXPECT_EQ(D3DXCreateTextureFromFileExA(Device(), "keyed.bmp", 4, 1, 1, 0, D3DFMT_A8R8G8B8,
                                         D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                         nullptr, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
  MessageBoxCatcher boxes;
  EXPECT_EQ(D3DXCreateTextureFromFileExA(Device(), "missing.bmp", D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                         D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                         D3DX_DEFAULT, 0, nullptr, nullptr, &texture),
            D3DXERR_INVALIDDATA);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(DXTextureTest, RealBitmap) {
  const char* path = "/usr/share/assimp/models/MD2/faerie2.bmp";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
  // The size, from the file's own header.
  FILE* in = std::fopen(path, "rb");
  ASSERT_NE(in, nullptr);
  unsigned char header[26] = {};
  ASSERT_EQ(std::fread(header, 1, sizeof header, in), sizeof header);
  std::fclose(in);
  int32_t width, height;
  std::memcpy(&width, header + 18, 4);
  std::memcpy(&height, header + 22, 4);

  DXTexture texture;
  texture.Init(path, false);
  ASSERT_EQ(texture.status, E_OK) << texture.message;
  D3DSURFACE_DESC desc;
  texture.Texture8()->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, static_cast<UINT>(width));
  EXPECT_EQ(desc.Height, static_cast<UINT>(height < 0 ? -height : height));
}

}  // namespace
