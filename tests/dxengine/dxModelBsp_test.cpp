// DXModel::LoadBSP on levels built for the test, with their bitmaps written
// beside them.

#include <cstring>
#include <string>

#include "dxTestSupport.h"
#include "dxengine/dxModel.h"
#include "q3bsp/Quake3Bsp.h"
#include "readers/bspBuilder.h"

namespace {

const uint32_t kRed = 0xFF0000;
const uint32_t kGreen = 0x00FF00;

using DXModelBsp = DXRenderTest;

// A quad over the clip square at depth 0.5 (the file is z-up: its -y is the
// depth), drawn by six faces: textures 0 and 1, an index past the table, a
// negative one, a texture whose bitmap is missing, and a face without
// vertices.
TestBsp Level() {
  TestBsp level;
  level.textures = {"red", "green", "missing"};
  level.vertices = {{{-1, -0.5f, 1, 0, 0, 0.125f, 0.25f, 0, 0, 1}, {}},
                    {{1, -0.5f, 1, 1, 0, 0.375f, 0.5f, 0, 0, 1}, {}},
                    {{1, -0.5f, -1, 1, 1, 0.625f, 0.75f, 0, 0, 1}, {}},
                    {{-1, -0.5f, -1, 0, 1, 0.875f, 1, 0, 0, 1}, {}}};
  level.faces = {{0, 0, 4}, {1, 0, 4}, {5, 0, 4}, {-1, 0, 4}, {2, 0, 4}, {0, 0, 0}};
  return level;
}

void LoadLevel(DXModel& model) {
  const Bytes bytes = Level().Build();
  WriteAll("level.bsp", bytes.data(), bytes.size());
  WriteBitmap("red.bmp", kRed);
  WriteBitmap("green.bmp", kGreen);
  model.LoadBSP("level.bsp");
}

// Level 0 of a 128 x 128 texture, row by row.
std::vector<uint32_t> Texels(const DXTexture& texture) {
  std::vector<uint32_t> texels;
  D3DLOCKED_RECT locked;
  if (FAILED(texture.Texture8()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return texels;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      uint32_t value;
      std::memcpy(&value, static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + 4 * x, 4);
      texels.push_back(value);
    }
  texture.Texture8()->UnlockRect(0);
  return texels;
}

TEST_F(DXModelBsp, OneFanPerFaceWithItsTexture) {
  DXModel model;
  LoadLevel(model);
  ASSERT_EQ(model.status, E_OK) << model.message;
  EXPECT_EQ(model.message, "Succesfully Loaded level.bsp");
  ASSERT_EQ(model.SurfaceTextureCount(), 3);
  EXPECT_EQ(model.SurfaceTexture(0)->name, "red.bmp : 0");
  EXPECT_EQ(model.SurfaceTexture(2)->name, "missing.bmp : 2");
  EXPECT_EQ(model.SurfaceTexture(1)->status, E_OK);
  EXPECT_EQ(model.SurfaceTexture(2)->status, E_ERROR);

  // The face without vertices has no mesh.
  ASSERT_EQ(model.MeshCount(), 5);
  for (int i = 0; i < 5; ++i) {
    const DXMesh& mesh = *model.GetMesh(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(mesh.name, "level.bsp-fan");
    EXPECT_EQ(mesh.status, E_OK) << mesh.message;
    EXPECT_EQ(mesh.primitive, PRIM_TRIANGLEFAN);
    EXPECT_EQ(mesh.vertexCount, 4);
    EXPECT_FALSE(mesh.HasIndexBuffer());
    const bool textured = i < 2;
    EXPECT_EQ(mesh.textures[0], textured ? model.SurfaceTexture(i) : nullptr);
    EXPECT_EQ(mesh.texChannels[0], textured);
    EXPECT_EQ(mesh.texChannels[1], textured);
    EXPECT_EQ(mesh.hasNormals, !textured);  // for lighting what has no texture
  }
  const DXMesh& first = *model.GetMesh(0);
  const std::vector<Vec3> positions = MeshPositions(first);
  EXPECT_EQ(positions[0].x, -1.0f);
  EXPECT_EQ(positions[0].y, 1.0f);
  EXPECT_EQ(positions[0].z, 0.5f);
  EXPECT_EQ(first.ReadVertexWords(first.TexCoordWord(0), 2)[5], -1.0f);  // v held negated
  // The file's normal (0, 0, 1) turned y-up, as the positions are.
  const std::vector<float> normals = model.GetMesh(4)->ReadVertexWords(3, 3);
  EXPECT_EQ(std::vector<float>(normals.begin() + 9, normals.end()), (std::vector<float>{0, 1, 0}));
  EXPECT_EQ(first.ReadVertexWords(first.TexCoordWord(1), 2)[5], 0.75f);

  model.GetMesh(0)->Render();
  EXPECT_EQ(PixelAt(32, 32), kRed);
  model.GetMesh(1)->Render();
  EXPECT_EQ(PixelAt(32, 32), kGreen);
}

TEST_F(DXModelBsp, LightmapsAreBrightenedRowByRow) {
  DXModel model;
  LoadLevel(model);
  ASSERT_EQ(model.LightmapCount(), 2);  // 100000 bytes hold two
  const Bytes file = Level().Build();
  const size_t lump = static_cast<size_t>(GetI32(file, LumpEntry(kLightmapLump)));
  for (int m = 0; m < 2; ++m) {
    SCOPED_TRACE(m);
    const auto map = file.begin() + lump + m * kLightmapBytes;
    Bytes texels(map, map + kLightmapBytes);
    AdjustLightmapGamma(texels.data(), kLightmapBytes, 10.0f);
    const std::vector<uint32_t> pixels = Texels(*model.Lightmap(m));
    ASSERT_EQ(pixels.size(), 128u * 128u);
    for (int i = 0; i < 128 * 128; ++i)
      ASSERT_EQ(pixels[i], static_cast<uint32_t>(texels[3 * i] << 16 | texels[3 * i + 1] << 8 |
                                                 texels[3 * i + 2]))
          << "row " << i / 128 << " column " << i % 128;
  }
  // Texel row 0, column 5 of the first map was (105, 112, 119): ten times
  // brighter, scaled down to keep its hue.
  const uint32_t texel = Texels(*model.Lightmap(0))[5];
  EXPECT_EQ(texel & 0xFF, 255u);
  EXPECT_NEAR(static_cast<int>(texel >> 16), 105 * 255 / 119, 1);
}

}  // namespace
