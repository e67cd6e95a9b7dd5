// One 3DS model with one texture, camera and transform, drawn by the
// OpenGL and the Direct3D back end. The screenshots are kept in
// build/<flavour>/artefacts.
//
// The two pictures are not the same picture: the Direct3D view is
// left-handed and its projection takes the vertical scale from a 4:3 frame,
// so its picture is the OpenGL one mirrored left to right and stretched
// vertically by kStretch (for the 45-degree field of view with aspect 1);
// its depth range also starts at 1 whatever the near plane, which the
// camera here keeps clear of. Every Direct3D pixel is compared with the
// OpenGL pixels around the point that this mapping gives.

#include <windows.h>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "dxengine/dxEngine.h"
#include "dxengine/dxModel.h"
#include "dxengine/dxTexture.h"
#include "oglengine/oglEngine.h"
#include "oglengine/oglModel.h"
#include "oglengine/oglTexture.h"

namespace {

const int kSide = 128;
const char kModel[] = "/usr/share/assimp/models/3DS/cube_with_diffuse_texture.3DS";
// Written by the test: a texture smooth enough under magnification that the
// two rasterisers' sampling a fraction of a pixel apart changes little,
// with no two texels alike, so that a flipped or shifted coordinate shows.
const char kTexture[] = "compare.bmp";
const int kTexels = 8;
const float kFov = 0.7853982f;
// 1 / tan(atan(0.75 tan fov) / 2) against 1 / tan(fov / 2).
const double kStretch = 3.0 / 2.414213562373095;
const uint32_t kBackground = 0x203040;

// Pixels 0xRRGGBB, row by row from the top.
typedef std::vector<uint32_t> Image;

HWND MakeWindow(const char* title) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "CompareWindow";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "CompareWindow", title, WS_POPUP | WS_VISIBLE, 0, 0, kSide, kSide,
                         nullptr, nullptr, windowClass.hInstance, nullptr);
}

// The frame step's way of drawing one model, through the interface alone.
void DrawScene(Engine& engine, BaseModel& model, Texture& texture) {
  Colour background(0x20 / 255.0f + 0.001f, 0x30 / 255.0f + 0.001f, 0x40 / 255.0f + 0.001f, 0);
  engine.ClearTarget(background);
  engine.ClearDepth();
  engine.BeginScene();
  engine.SetCullMode(CULL_NONE);
  engine.SetLighting(false);
  engine.SetDepthTest(true);
  engine.SetDepthWrite(true);
  engine.SetAlphaBlend(false);
  engine.SetPerspective(kFov, 1.0f, 0.01f, 800.0f);
  engine.LookAt(Vec3(50, 110, 90), Vec3(-25, 57, -5), Vec3(0, 1, 0));
  texture.Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  model.SetTransform(1, -2, 0, 0.1f, 0, 0);
  model.SetScale(1.1f, 1.1f, 1.1f);
  model.Render();
  engine.EndScene();
}

Image ReadOpenGL() {
  Image image(kSide * kSide);
  std::vector<unsigned char> rgba(kSide * kSide * 4);
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  // OpenGL rows run bottom up.
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const unsigned char* p = &rgba[((kSide - 1 - y) * kSide + x) * 4];
      image[y * kSide + x] = (p[0] << 16) | (p[1] << 8) | p[2];
    }
  return image;
}

Image ReadDirect3D(IDirect3DDevice8* device) {
  Image image;
  IDirect3DSurface8* back = nullptr;
  IDirect3DSurface8* copy = nullptr;
  if (SUCCEEDED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) &&
      SUCCEEDED(device->CreateImageSurface(kSide, kSide, D3DFMT_X8R8G8B8, &copy)) &&
      SUCCEEDED(device->CopyRects(back, nullptr, 0, copy, nullptr))) {
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
          image.push_back(reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) +
                                                            y * locked.Pitch)[x] &
                          0xFFFFFF);
      copy->UnlockRect();
    }
  }
  if (copy) copy->Release();
  if (back) back->Release();
  return image;
}

// A 24-bit bitmap file of a square image `side` pixels wide.
void WriteBitmap(const std::filesystem::path& path, const Image& image, int side = kSide) {
  const int rowBytes = (side * 3 + 3) & ~3;
  const uint32_t pixelBytes = rowBytes * side;
  std::vector<unsigned char> out;
  auto put = [&](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
  };
  out.push_back('B');
  out.push_back('M');
  put(54 + pixelBytes, 4);
  put(0, 4);
  put(54, 4);
  put(40, 4);
  put(side, 4);
  put(side, 4);
  put(1, 2);
  put(24, 2);
  put(0, 4);
  put(pixelBytes, 4);
  put(2835, 4);
  put(2835, 4);
  put(0, 4);
  put(0, 4);
  for (int y = side - 1; y >= 0; --y) {
    for (int x = 0; x < side; ++x) put(image[y * side + x], 3);
    for (int pad = side * 3; pad < rowBytes; ++pad) out.push_back(0);
  }
  FILE* file = std::fopen(path.string().c_str(), "wb");
  if (!file) return;
  std::fwrite(out.data(), 1, out.size(), file);
  std::fclose(file);
}

void WriteTexture() {
  Image texels(kTexels * kTexels);
  for (int y = 0; y < kTexels; ++y)
    for (int x = 0; x < kTexels; ++x)
      texels[y * kTexels + x] = (32 * x + 16) << 16 | (32 * y + 16) << 8 | (240 - 12 * (x + y));
  WriteBitmap(kTexture, texels, kTexels);
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
        tolerance)
      return false;
  return true;
}

// The OpenGL pixel that the Direct3D pixel (x, y) shows, or -1 outside.
int MappedIndex(int x, int y) {
  const double ndcX = (x + 0.5) / kSide * 2 - 1, ndcY = 1 - (y + 0.5) / kSide * 2;
  const double glX = -ndcX, glY = ndcY / kStretch;
  const int gx = static_cast<int>(std::lround((glX + 1) / 2 * kSide - 0.5));
  const int gy = static_cast<int>(std::lround((1 - glY) / 2 * kSide - 0.5));
  if (gx < 0 || gy < 0 || gx >= kSide || gy >= kSide) return -1;
  return gy * kSide + gx;
}

TEST(BackendCompare, SameModelSamePicture) {
  if (!std::filesystem::exists(kModel)) GTEST_SKIP() << kModel << " is not installed";
  WriteTexture();

  Image gl, dx;
  {
    HWND window = MakeWindow("OpenGL");
    OpenGLEngine engine;
    engine.WinInit(kSide, kSide, 32, false, window);
    ASSERT_EQ(engine.status, E_OK) << engine.message;
    OpenGLTexture texture;
    texture.Init(kTexture, false);
    ASSERT_EQ(texture.status, E_OK) << texture.message;
    OpenGLModel model;
    model.Load3DS(kModel);
    ASSERT_EQ(model.status, E_OK) << model.message;
    DrawScene(engine, model, texture);
    gl = ReadOpenGL();
  }
  {
    HWND window = MakeWindow("Direct3D");
    DXEngine engine;
    engine.WinInit(kSide, kSide, 32, false, window);
    ASSERT_EQ(engine.status, E_OK) << engine.message;
    DXTexture texture;
    texture.Init(kTexture, false);
    ASSERT_EQ(texture.status, E_OK) << texture.message;
    DXModel model;
    model.Load3DS(kModel);
    ASSERT_EQ(model.status, E_OK) << model.message;
    DrawScene(engine, model, texture);
    dx = ReadDirect3D(engine.Device());
  }
  ASSERT_EQ(dx.size(), gl.size());

  // The OpenGL picture as the Direct3D view frames it.
  Image mapped(dx.size(), 0);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const int index = MappedIndex(x, y);
      if (index >= 0) mapped[y * kSide + x] = gl[index];
    }
  const std::filesystem::path folder = "../../artefacts";
  std::filesystem::create_directories(folder);
  WriteBitmap(folder / "compare-opengl.bmp", gl);
  WriteBitmap(folder / "compare-direct3d.bmp", dx);
  WriteBitmap(folder / "compare-opengl-in-direct3d-frame.bmp", mapped);

  // Each Direct3D pixel against the OpenGL pixels within one pixel of its
  // point: the two rasterisers sample the texture and the edges a fraction
  // of a pixel apart.
  int compared = 0, model = 0, differing = 0;
  Image difference(dx.size(), 0);
  for (int y = 1; y < kSide - 1; ++y)
    for (int x = 1; x < kSide - 1; ++x) {
      const int index = MappedIndex(x, y);
      if (index < 0) continue;
      const int gx = index % kSide, gy = index / kSide;
      if (gx < 1 || gy < 1 || gx >= kSide - 1 || gy >= kSide - 1) continue;
      ++compared;
      const uint32_t pixel = dx[y * kSide + x];
      if (!Near(pixel, kBackground, 2)) ++model;
      bool matched = false;
      for (int oy = -1; oy <= 1 && !matched; ++oy)
        for (int ox = -1; ox <= 1 && !matched; ++ox)
          matched = Near(pixel, gl[(gy + oy) * kSide + gx + ox], 8);
      differing += !matched;
      if (!matched) difference[y * kSide + x] = 0xFFFFFF;
    }
  WriteBitmap(folder / "compare-difference.bmp", difference);
  // The model fills a good part of the picture, and nearly every pixel of
  // it matches.
  EXPECT_GT(model, compared / 4);
  EXPECT_LT(differing, compared / 100) << differing << " of " << compared << " pixels differ";
}

}  // namespace
