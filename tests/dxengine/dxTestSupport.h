#pragma once

#include <windows.h>
#include <d3d8.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/colour.h"
#include "core/vec3.h"
#include "dxengine/dxEngine.h"
#include "dxengine/dxMesh.h"
#include "dxengine/dxTexture.h"

// Back-buffer size of the test engines.
constexpr int kSize = 64;

// The test program's window of 64 x 64 pixels, made on first use and kept:
// under Wine without a window manager, closing a window costs seconds.
HWND TestWindow();
// A window of the display's size, likewise kept.
HWND ScreenWindow();

// The text of "Log.txt" in the working directory, with "\n" line ends.
std::string ReadLog();
// The number of times `text` occurs in the log after `from` characters.
int CountInLog(const std::string& text, size_t from);

// Writes a 2 x 2 bitmap file of one colour (0xRRGGBB).
void WriteBitmap(const std::string& path, uint32_t rgb);
// A mesh's positions, read back from its vertex buffer.
std::vector<Vec3> MeshPositions(const DXMesh& mesh);

// 0xRRGGBB of a colour given as floats 0..1, as the device stores it.
uint32_t Rgb(float r, float g, float b);
// Whether two 0xRRGGBB pixels differ by at most `tolerance` in every channel.
bool Near(uint32_t a, uint32_t b, int tolerance = 3);

// Tests that draw with one engine on a 64 x 64 window, created for the
// suite. Each test starts with a black, cleared frame, identity view and
// projection (positions are clip coordinates: x and y from -1 to 1, z from
// 0 to 1), lighting, depth test, blending, culling and stencil off, stage 0
// passing the diffuse colour and stages 1 to 7 off.
class DXRenderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  static IDirect3DDevice8* Device() { return engine->Device(); }
  // The back buffer's pixels (0xRRGGBB, row by row from the top); the scene
  // goes on afterwards.
  std::vector<uint32_t> ReadPixels();
  // The pixel at column x, row y from the top.
  uint32_t PixelAt(int x, int y);

  // A quad over the clip rectangle (x0, y0)-(x1, y1) at depth z with one
  // colour, texture coordinates (0, 0) at its top left to (u, v) at its
  // bottom right in `sets` coordinate sets; indexed as two triangles.
  static std::unique_ptr<DXMesh> MakeQuad(float x0, float y0, float x1, float y1, float z,
                                          const Colour& colour, float u = 1.0f, float v = 1.0f,
                                          int sets = 1);
  // A 32-bit texture of w x h texels, filled row by row (top first) from
  // 0xRRGGBB values.
  static std::unique_ptr<DXTexture> MakeTexture(int w, int h, const std::vector<uint32_t>& texels);

  static DXEngine* engine;
  bool inScene = false;
};
