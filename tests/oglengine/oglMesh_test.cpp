#include "oglengine/oglMesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "glTestContext.h"
#include "quadMesh.h"
#include "support/spindle.h"

namespace {

MeshDesc Desc(int32_t primitive, int32_t vertices, int32_t indices) {
  MeshDesc desc = {};
  desc.primitive = primitive;
  desc.vertexCount = vertices;
  desc.indexCount = indices;
  return desc;
}

TEST(OpenGLMesh, RecordsArePackedOnceEveryComponentIsThere) {
  OpenGLMesh mesh;
  MeshDesc desc = Desc(PRIM_TRIANGLELIST, 2, 3);
  desc.hasNormals = true;
  desc.texChannels[0] = true;
  mesh.Init(desc);
  const float xyz[] = {1, 2, 3, 4, 5, 6};
  const float normals[] = {0, 0, 1, 0, 1, 0};
  const float uv[] = {0.25f, 0.75f, 0.5f, 1};
  mesh.SetVertices(xyz);
  mesh.SetNormals(normals);
  // Without channel 0 nothing is packed yet.
  const std::vector<float> empty(mesh.Interleaved(), mesh.Interleaved() + 16);
  EXPECT_EQ(empty, std::vector<float>(16, 0.0f));
  mesh.SetTextureCoords(uv, 0);
  const std::vector<float> records(mesh.Interleaved(), mesh.Interleaved() + 16);
  EXPECT_EQ(records, (std::vector<float>{0.25f, 0.75f, 0, 0, 1, 1, 2, 3,  //
                                         0.5f, 1, 0, 1, 0, 4, 5, 6}));
}

TEST(OpenGLMesh, DiffuseWithNormalsAndTexturePacksFourColourFloats) {
  OpenGLMesh mesh;
  MeshDesc desc = Desc(PRIM_TRIANGLELIST, 1, 3);
  desc.hasNormals = desc.hasDiffuse = true;
  desc.texChannels[0] = true;
  mesh.Init(desc);
  const float xyz[] = {7, 8, 9};
  const float normal[] = {0, 1, 0};
  const float uv[] = {0.5f, 0.25f};
  const Colour colour(0.1f, 0.2f, 0.3f, 0.0f);
  mesh.SetVertices(xyz);
  mesh.SetNormals(normal);
  mesh.SetTextureCoords(uv, 0);
  mesh.SetDiffuse(&colour);
  const std::vector<float> record(mesh.Interleaved(), mesh.Interleaved() + 12);
  EXPECT_EQ(record,
            (std::vector<float>{0.5f, 0.25f, 0.1f, 0.2f, 0.3f, 1.0f, 0, 1, 0, 7, 8, 9}));
}

TEST(OpenGLMesh, RefusedDescriptionsAndSetters) {
  OpenGLMesh colouredNormals;
  MeshDesc desc = Desc(PRIM_TRIANGLELIST, 3, 3);
  desc.hasDiffuse = desc.hasNormals = true;
  colouredNormals.Init(desc);
  EXPECT_EQ(colouredNormals.status, E_NOSUP);
  EXPECT_EQ(colouredNormals.message, "Invalid gl format! [col,norm,no tex]");

  OpenGLMesh strip;
  strip.Init(Desc(PRIM_TRIANGLESTRIP, 4, 6));
  EXPECT_EQ(strip.status, E_ERROR);
  EXPECT_EQ(strip.message, "Can not support indices with no linelist or no triangle list");
  OpenGLMesh unindexedStrip;
  unindexedStrip.Init(Desc(PRIM_TRIANGLESTRIP, 4, 0));
  EXPECT_EQ(unindexedStrip.status, E_OK);

  OpenGLMesh sprites;
  sprites.Init(Desc(PRIM_POINTSPRITE, 4, 0));
  EXPECT_EQ(sprites.status, E_NOSUP);
  EXPECT_EQ(sprites.message, "RenderType is unsupported");

  OpenGLMesh mesh;
  mesh.Init(Desc(PRIM_TRIANGLELIST, 3, 0));
  const float uv[6] = {};
  mesh.SetTextureCoords(uv, 3);
  EXPECT_EQ(mesh.status, E_ERROR);
  EXPECT_EQ(mesh.message, "Mesh not initialized with texture coordinate values for channel 3");
  mesh.SetTextureCoords(uv, 8);  // no such channel: refused the same way
  EXPECT_EQ(mesh.message, "Mesh not initialized with texture coordinate values for channel 8");
  const Colour colours[3];
  mesh.SetDiffuse(colours);
  EXPECT_EQ(mesh.message, "Mesh not initialized with diffuse colors!");

  OpenGLMesh negative;
  negative.Init(Desc(PRIM_TRIANGLELIST, -3, 0));
  EXPECT_EQ(negative.status, E_ERROR);
  EXPECT_EQ(negative.vertexCount, 0);
}

TEST(OpenGLMesh, TransformPlacesTheDrawing) {
  // Half size, moved right by a half: only the window's third quarter.
  auto quad = MakeQuad(true, Colour(1, 1, 0, 1));
  GlTestContext::Fresh();
  quad->SetTransform(0.5f, 0, 0, 0, 0, 0);
  quad->Scale(0.25f, 0.25f, 1);
  quad->Render();
  EXPECT_TRUE(Near(ReadPixel(40, 32), {255, 255, 0}));
  EXPECT_TRUE(Near(ReadPixel(20, 32), {0, 0, 0}));
  EXPECT_TRUE(Near(ReadPixel(60, 32), {0, 0, 0}));
  EXPECT_TRUE(Near(ReadPixel(40, 50), {0, 0, 0}));
}

TEST(OpenGLMesh, IndicesOutsideTheVerticesAreRefused) {
  auto quad = MakeQuad(true, Colour(1, 1, 1, 1));
  const int bad[] = {0, 1, 2, 0, 2, 4};
  quad->SetIndices(bad);
  EXPECT_EQ(quad->status, E_ERROR);
  EXPECT_EQ(quad->message, "Index 5 = 4 is outside the 4 vertices");
  GlTestContext::Fresh();
  quad->Render();  // nothing drawn rather than a read past the arrays
  EXPECT_TRUE(Near(ReadPixel(32, 32), {0, 0, 0}));
  const int good[] = {0, 1, 2, 0, 2, 3};
  quad->SetIndices(good);
  quad->Render();
  EXPECT_TRUE(Near(ReadPixel(32, 32), {255, 255, 255}));
}

TEST(OpenGLMesh, RepeatedDrawsFollowEveryChange) {
  // From its second unchanged draw on, a mesh replays what it recorded; any
  // setter must bring the change to the picture, in both drawing paths.
  for (const bool indexed : {true, false}) {
    SCOPED_TRACE(indexed ? "indexed" : "immediate");
    auto quad = MakeQuad(indexed, Colour(0, 1, 0, 1));
    for (int draw = 0; draw < 3; ++draw) {
      GlTestContext::Fresh();
      quad->Render();
      EXPECT_TRUE(Near(ReadPixel(48, 32), {0, 255, 0})) << "draw " << draw;
    }
    const float leftHalf[] = {-1, -1, 0, 0, -1, 0, 0, 1, 0, -1, 1, 0};
    const Colour red[] = {Colour(1, 0, 0, 1), Colour(1, 0, 0, 1), Colour(1, 0, 0, 1),
                          Colour(1, 0, 0, 1)};
    quad->SetVertices(leftHalf);
    quad->SetDiffuse(red);
    for (int draw = 0; draw < 3; ++draw) {
      GlTestContext::Fresh();
      quad->Render();
      EXPECT_TRUE(Near(ReadPixel(16, 32), {255, 0, 0})) << "draw " << draw;
      EXPECT_TRUE(Near(ReadPixel(48, 32), {0, 0, 0})) << "draw " << draw;
    }
  }
}

TEST(OpenGLMesh, ImmediateModeStripDraws) {
  OpenGLMesh strip;
  MeshDesc desc = Desc(PRIM_TRIANGLESTRIP, 4, 0);
  desc.hasDiffuse = true;
  strip.Init(desc);
  const float xyz[] = {-1, -1, 0, 1, -1, 0, -1, 1, 0, 1, 1, 0};
  const Colour colours[] = {Colour(0, 0, 1, 1), Colour(0, 0, 1, 1), Colour(0, 0, 1, 1),
                            Colour(0, 0, 1, 1)};
  strip.SetVertices(xyz);
  strip.SetDiffuse(colours);
  strip.SetTransform(0, 0, 0, 0, 0, 0);
  GlTestContext::Fresh();
  strip.Render();
  EXPECT_TRUE(Near(ReadPixel(5, 58), {0, 0, 255}));
  EXPECT_TRUE(Near(ReadPixel(58, 5), {0, 0, 255}));
}

// The whole back buffer, row by row from the bottom.
std::vector<Rgb> ReadAll() {
  std::vector<Rgb> pixels;
  for (int y = 0; y < GlTestContext::kSize; ++y)
    for (int x = 0; x < GlTestContext::kSize; ++x) pixels.push_back(ReadPixel(x, y));
  return pixels;
}

TEST(OpenGLMesh, DrawnSmallItsCoarserLevelLooksTheSame) {
  const Spindle spindle;
  OpenGLMesh mesh;
  spindle.Fill(mesh);
  // About 16 pixels long, four units from the eye: the levels within half a
  // pixel there drop a third of its triangles.
  mesh.SetTransform(0, 0, -4, 0.3f, 0.4f, 0.2f);
  GlTestContext::Fresh();
  mesh.Render();  // the first draw since the data was set is whole
  const std::vector<Rgb> whole = ReadAll();
  GlTestContext::Fresh();
  mesh.Render();
  const std::vector<Rgb> coarser = ReadAll();
  int covered = 0, differing = 0;
  for (size_t i = 0; i < whole.size(); ++i) {
    covered += !(whole[i] == Rgb{0, 0, 0});
    differing += !Near(whole[i], coarser[i], 24);
  }
  EXPECT_GT(covered, 30);
  EXPECT_GT(differing, 0);  // a coarser level was drawn
  EXPECT_LE(differing, 6);
}

TEST(OpenGLMesh, AClosedMeshLooksTheSameWithTheFacesTurnedAwayLeftOut) {
  const Spindle spindle;
  OpenGLMesh mesh;
  spindle.Fill(mesh);
  mesh.SetTransform(0, 0, -1.5f, 0.3f, 0.4f, 0.2f);
  // A stencil test that passes everywhere changes no pixel but lets no face
  // be left out. Returns the picture and whether faces were culled.
  const auto draw = [&](bool stencil) {
    OpenGLEngine& engine = GlTestContext::Fresh();
    engine.SetDepthTest(true);
    engine.SetStencilTest(stencil);
    engine.SetStencilFunc(CMP_ALWAYS);
    engine.SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_KEEP);
    mesh.Render();
    const bool culled = glIsEnabled(GL_CULL_FACE);
    engine.SetStencilTest(false);
    return std::make_pair(ReadAll(), culled);
  };
  draw(true);  // after the first draw since the data was set, both draw one level
  const auto whole = draw(true), culled = draw(false);
  EXPECT_FALSE(whole.second);
  EXPECT_TRUE(culled.second);
  EXPECT_GT(std::count_if(whole.first.begin(), whole.first.end(),
                          [](const Rgb& p) { return !(p == Rgb{0, 0, 0}); }),
            120);
  EXPECT_TRUE(whole.first == culled.first);
}

}  // namespace
