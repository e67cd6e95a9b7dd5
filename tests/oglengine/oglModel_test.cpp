#include "oglengine/oglModel.h"

#include <gtest/gtest.h>

#include <vector>

#include "glTestContext.h"

namespace {

TEST(OpenGLModel, PlaneVerticesAndCoordinates) {
  GlTestContext::Engine();
  OpenGLModel plane;
  EXPECT_EQ(plane.status, E_UNINIT);
  plane.CreatePlane(2, 2, 10, 10, 1, nullptr);
  EXPECT_EQ(plane.status, E_OK);
  EXPECT_EQ(plane.message, "Constructed a 2x2 indexed plane");
  ASSERT_EQ(plane.MeshCount(), 1);
  const OpenGLMesh* mesh = plane.MeshAt(0);
  EXPECT_EQ(mesh->indexCount, 6);
  EXPECT_EQ(mesh->InterleavedFormat(), static_cast<GLenum>(GL_T2F_N3F_V3F));
  // Records of (u, v, normal, position).
  const std::vector<float> records(mesh->Interleaved(), mesh->Interleaved() + 32);
  EXPECT_EQ(records, (std::vector<float>{0, 0, 0, 0, 1, -5, -5, 0,  //
                                         1, 0, 0, 0, 1, 5, -5, 0,   //
                                         0, 1, 0, 0, 1, -5, 5, 0,   //
                                         1, 1, 0, 0, 1, 5, 5, 0}));
}

TEST(OpenGLModel, PlaneTrianglesFaceAwayFromPlusZInOpenGLTerms) {
  // Triangles (0, 2, 1) and (1, 2, 3) turn clockwise seen from +z: culling
  // back faces removes the plane, culling front faces keeps it.
  OpenGLModel plane;
  plane.CreatePlane(3, 3, 2, 2, 1, nullptr);
  for (CullMode cull : {CULL_NONE, CULL_FRONT, CULL_BACK}) {
    OpenGLEngine& engine = GlTestContext::Fresh();
    engine.SetCullMode(cull);
    glColor3f(1, 1, 1);
    plane.Render();
    engine.SetCullMode(CULL_NONE);
    const Rgb expected = cull == CULL_BACK ? Rgb{0, 0, 0} : Rgb{255, 255, 255};
    EXPECT_TRUE(Near(ReadPixel(20, 20), expected)) << cull;
    EXPECT_TRUE(Near(ReadPixel(44, 44), expected)) << cull;
  }
}

TEST(OpenGLModel, PlaneIsDrawnWhereItsTransformPutsIt) {
  OpenGLModel plane;
  plane.CreatePlane(2, 2, 1, 1, 1, nullptr);
  plane.SetTransform(0.5f, 0.5f, 0, 0, 0, 0);
  GlTestContext::Fresh();
  glColor3f(0, 1, 0);
  plane.Render();
  EXPECT_TRUE(Near(ReadPixel(48, 48), {0, 255, 0}));
  EXPECT_TRUE(Near(ReadPixel(16, 48), {0, 0, 0}));
  EXPECT_TRUE(Near(ReadPixel(48, 16), {0, 0, 0}));
  // Scaled by a half about its own centre.
  plane.SetScale(0.5f, 0.5f, 1);
  GlTestContext::Fresh();
  glColor3f(0, 1, 0);
  plane.Animate(0, 1.5f);
  EXPECT_TRUE(Near(ReadPixel(48, 48), {0, 255, 0}));
  EXPECT_TRUE(Near(ReadPixel(36, 36), {0, 0, 0}));
}

TEST(OpenGLModel, PlaneWithHeightsIsBuiltFlat) {
  GlTestContext::Engine();
  const size_t mark = LogMark();
  const float heights[4] = {1, 2, 3, 4};
  OpenGLModel plane;
  plane.CreatePlane(2, 2, 10, 10, 1, heights);
  EXPECT_EQ(LogCount("cant support heightmaps yet!", mark), 1);
  EXPECT_EQ(plane.status, E_OK);
  EXPECT_EQ(plane.MeshAt(0)->Interleaved()[7], 0.0f);
}

TEST(OpenGLModel, TooFewColumnsOrRowsAreRefused) {
  for (auto [columns, rows] : {std::pair<int, int>{1, 5}, {5, 0}, {-2, 3}, {70000, 70000}}) {
    OpenGLModel plane;
    plane.CreatePlane(columns, rows, 1, 1, 1, nullptr);
    EXPECT_EQ(plane.status, E_ERROR) << columns << "x" << rows;
    EXPECT_EQ(plane.MeshCount(), 0);
  }
}

TEST(OpenGLModel, EmptyModelWarnsAndDrawsNothing) {
  GlTestContext::Fresh();
  const size_t mark = LogMark();
  OpenGLModel model;
  for (int frame = 0; frame < 3; ++frame) model.SetTransform(1, 2, 3, 0, 0, 0);
  EXPECT_EQ(LogCount("nMesh<=0", mark), 1);  // once per model, not per frame
  model.SetScale(2, 2, 2);
  model.Render();
  model.RenderFrame(5, 7);
  model.Animate(0, 1.0f);
  EXPECT_TRUE(Near(ReadPixel(32, 32), {0, 0, 0}));
}

}  // namespace
