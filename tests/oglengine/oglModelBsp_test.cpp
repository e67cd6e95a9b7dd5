#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "../readers/bspBuilder.h"
#include "glTestContext.h"
#include "oglengine/oglModel.h"
#include "q3bsp/Quake3Bsp.h"
#include "solidBitmap.h"

namespace {

// File space is z-up: a vertex at (x, 0, z) lies at (x, z, 0) in the model,
// so these four make the square (-1..1, -1..1) at z = 0.
TestBsp Level() {
  TestBsp bsp;
  bsp.textures = {"red", "blue"};
  bsp.vertices = {{{-1, 0, -1, 0, 0, 0.125f, 0.25f, 0, 0, 1}, {0, 0, 0, 0}},
                  {{1, 0, -1, 1, 0, 0.5f, 0.25f, 0, 0, 1}, {0, 0, 0, 0}},
                  {{1, 0, 1, 1, 1, 0.5f, 0.75f, 0, 0, 1}, {0, 0, 0, 0}},
                  {{-1, 0, 1, 0, 1, 0.125f, 0.75f, 0, 0, 1}, {0, 0, 0, 0}}};
  // The blue square; the red lower right half; a texture index past the
  // table, a negative one; a face without vertices.
  bsp.faces = {{1, 0, 4}, {0, 0, 3}, {2, 0, 4}, {-1, 1, 3}, {0, 4, 0}};
  return bsp;
}

std::unique_ptr<OpenGLModel> LoadLevel(const TestBsp& bsp, const char* path) {
  WriteSolidBitmap("red.bmp", {255, 0, 0});
  WriteSolidBitmap("blue.bmp", {0, 0, 255});
  const Bytes file = bsp.Build();
  WriteAll(path, file.data(), file.size());
  auto model = std::make_unique<OpenGLModel>();
  model->LoadBSP(path);
  return model;
}

TEST(OpenGLModelBsp, OneFanPerFaceWithTheTextureItNames) {
  GlTestContext::Engine();
  auto model = LoadLevel(Level(), "level.bsp");
  const auto& textures = model->SurfaceTextures();
  ASSERT_EQ(textures.size(), 2u);
  EXPECT_EQ(textures[0]->name, "red.bmp");
  EXPECT_EQ(textures[1]->name, "blue.bmp");
  EXPECT_EQ(textures[1]->status, E_OK);

  ASSERT_EQ(model->MeshCount(), 5);
  const int vertexCounts[5] = {4, 3, 4, 3, 0};
  const Texture* attached[5] = {textures[1].get(), textures[0].get(), nullptr, nullptr,
                                textures[0].get()};
  for (int f = 0; f < 5; ++f) {
    const OpenGLMesh* mesh = model->MeshAt(f);
    EXPECT_EQ(mesh->name, "level.bsp-fan");
    EXPECT_EQ(mesh->primitive, PRIM_TRIANGLEFAN);
    EXPECT_EQ(mesh->vertexCount, vertexCounts[f]) << f;
    EXPECT_EQ(mesh->textures[0], attached[f]) << f;
    EXPECT_EQ(mesh->textures[1], nullptr) << f;  // light maps are attached to nothing
  }
  // Face 3 starts at the level's vertex 1: (1, 0, -1) in the file.
  const OpenGLMesh* face = model->MeshAt(3);
  EXPECT_EQ(face->Positions()[0], 1.0f);
  EXPECT_EQ(face->Positions()[1], -1.0f);
  EXPECT_EQ(face->Positions()[2], 0.0f);
  EXPECT_EQ(face->TexCoords(0)[2], 1.0f);  // vertex 2: (1, 1) held as (1, -1)
  EXPECT_EQ(face->TexCoords(0)[3], -1.0f);
  EXPECT_EQ(face->TexCoords(1)[2], 0.5f);  // light-map coordinates as in the file
  EXPECT_EQ(face->TexCoords(1)[3], 0.75f);
}

TEST(OpenGLModelBsp, FacesDrawTheirTextures) {
  auto model = LoadLevel(Level(), "drawn.bsp");
  model->SetTransform(0, 0, 0, 0, 0, 0);
  GlTestContext::Fresh();
  glColor3f(1, 1, 1);
  model->MeshAt(0)->Render();
  EXPECT_TRUE(Near(ReadPixel(16, 48), {0, 0, 255}));
  EXPECT_TRUE(Near(ReadPixel(48, 16), {0, 0, 255}));
  model->MeshAt(1)->Render();
  EXPECT_TRUE(Near(ReadPixel(16, 48), {0, 0, 255}));
  EXPECT_TRUE(Near(ReadPixel(48, 16), {255, 0, 0}));
}

// Lit from the viewer, the square is bright where the file's normals face
// the viewer (file space is z-up: -y is towards it) and dark where they face
// away.
TEST(OpenGLModelBsp, FacesAreLitByTheFilesNormals) {
  TestBsp bsp = Level();
  for (int v = 0; v < 4; ++v) {
    TestVertex away = bsp.vertices[v];
    away.values[8] = 1;
    bsp.vertices[v].values[8] = -1;
    bsp.vertices.push_back(away);
  }
  for (TestVertex& vertex : bsp.vertices) vertex.values[9] = 0;
  bsp.faces = {{-1, 0, 4}, {-1, 4, 4}};
  auto model = LoadLevel(bsp, "normals.bsp");
  model->SetTransform(0, 0, 0, 0, 0, 0);
  OpenGLEngine& engine = GlTestContext::Fresh();
  const GLfloat fromViewer[4] = {0, 0, 1, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, fromViewer);
  glEnable(GL_LIGHT0);
  engine.SetLighting(true);
  model->MeshAt(0)->Render();
  const Rgb facing = ReadPixel(32, 32);
  engine.ClearTarget(Colour(0, 0, 0, 1));
  model->MeshAt(1)->Render();
  const Rgb away = ReadPixel(32, 32);
  engine.SetLighting(false);
  EXPECT_GT(facing.g, 150) << facing;
  EXPECT_LT(away.g, 80) << away;
}

TEST(OpenGLModelBsp, LightMapsAreBrightenedAndTransposed) {
  GlTestContext::Engine();
  const TestBsp bsp = Level();
  const Bytes file = bsp.Build();
  auto model = LoadLevel(bsp, "lit.bsp");
  // The builder's light-map lump holds two whole maps.
  ASSERT_EQ(model->LightmapTextures().size(), 2u);
  const size_t lump = static_cast<size_t>(GetI32(file, LumpEntry(kLightmapLump)));

  for (size_t map = 0; map < 2; ++map) {
    std::vector<uint8_t> expected(file.begin() + lump + map * kLightmapBytes,
                                  file.begin() + lump + (map + 1) * kLightmapBytes);
    AdjustLightmapGamma(expected.data(), kLightmapBytes, 10.0f);
    std::vector<uint8_t> texels(4 * 128 * 128);
    glBindTexture(GL_TEXTURE_2D, model->LightmapTextures()[map]->TextureName());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());

    // Light-map row r, column c at texture row c, column r.
    auto texel = [&](int row, int column) {
      const uint8_t* p = &texels[4 * (row * 128 + column)];
      return Rgb{p[0], p[1], p[2]};
    };
    auto lightmap = [&](int row, int column) {
      const uint8_t* p = &expected[3 * (row * 128 + column)];
      return Rgb{p[0], p[1], p[2]};
    };
    EXPECT_EQ(texel(5, 0), lightmap(0, 5)) << map;
    EXPECT_EQ(texel(0, 5), lightmap(5, 0)) << map;
    EXPECT_FALSE(lightmap(0, 5) == lightmap(5, 0));
    int wrong = 0;
    for (int r = 0; r < 128; ++r)
      for (int c = 0; c < 128; ++c) wrong += !(texel(c, r) == lightmap(r, c));
    EXPECT_EQ(wrong, 0) << map;
  }
}

TEST(OpenGLModelBsp, UnreadableLevelMakesNothing) {
  GlTestContext::Engine();
  TestBsp bsp = Level();
  bsp.faces = {{0, 2, 4}, {1, 0, 4}};  // the first runs past the last vertex
  auto torn = LoadLevel(bsp, "torn.bsp");
  EXPECT_EQ(torn->MeshCount(), 1);  // only the broken face is left out
  EXPECT_FALSE(torn->SurfaceTextures().empty());
  auto missing = std::make_unique<OpenGLModel>();
  missing->LoadBSP("missing.bsp");
  EXPECT_EQ(missing->MeshCount(), 0);
  EXPECT_TRUE(missing->SurfaceTextures().empty());
  EXPECT_TRUE(missing->LightmapTextures().empty());
}

}  // namespace
