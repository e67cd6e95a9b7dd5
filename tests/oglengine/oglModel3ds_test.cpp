#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "chunkBuilder.h"
#include "glTestContext.h"
#include "oglengine/oglModel.h"
#include "toolkit3ds/toolkit3ds.h"

namespace {

using build3ds::Face;
using build3ds::Point;

// The square (-0.5..0.5)^2 at z = 0, faces turning counter-clockwise seen
// from +z, with texture coordinates when `uv` is not empty.
std::string Square(const std::string& name, const std::vector<std::pair<float, float>>& uv) {
  const std::vector<Point> points = {{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0.5f, 0.5f, 0},
                                     {-0.5f, 0.5f, 0}};
  const std::vector<Face> faces = {{0, 1, 2, 0}, {0, 2, 3, 0}};
  std::string mesh = build3ds::Vertices(points);
  if (!uv.empty()) mesh += build3ds::TexCoords(uv);
  mesh += build3ds::Faces(faces);
  return build3ds::Object(name, build3ds::TriMesh(mesh));
}

const std::vector<std::pair<float, float>> kCornerUv = {{0, 0}, {0.75f, 0}, {0.75f, 1}, {0, 1}};

// (u, v) of the interleaved record of vertex `v` (GL_T2F_N3F_V3F).
std::pair<float, float> RecordUv(const OpenGLMesh* mesh, int v) {
  const float* record = mesh->Interleaved() + 8 * v;
  return {record[0], record[1]};
}

TEST(OpenGLModel3ds, SquareIsDrawnWhereItsTransformPutsIt) {
  build3ds::WriteFile("square.3ds", build3ds::MeshFile(Square("square", kCornerUv)));
  OpenGLModel model;
  model.Load3DS("square.3ds");
  EXPECT_EQ(model.status, E_OK);
  EXPECT_EQ(model.message, "Succesfully Loaded square.3ds");
  ASSERT_EQ(model.MeshCount(), 1);
  EXPECT_EQ(model.MeshAt(0)->name, "square");
  EXPECT_EQ(model.MeshAt(0)->indexCount, 6);

  OpenGLEngine& engine = GlTestContext::Fresh();
  engine.SetCullMode(CULL_BACK);  // its faces turn towards the eye
  glColor3f(1, 0, 1);
  model.SetTransform(0.5f, -0.5f, 0, 0, 0, 0);
  model.Render();
  engine.SetCullMode(CULL_NONE);
  EXPECT_TRUE(Near(ReadPixel(48, 16), {255, 0, 255}));
  EXPECT_TRUE(Near(ReadPixel(16, 16), {0, 0, 0}));
  EXPECT_TRUE(Near(ReadPixel(48, 48), {0, 0, 0}));

  // Scaled to half about its own origin, then drawn by Animate unchanged.
  GlTestContext::Fresh();
  glColor3f(1, 0, 1);
  model.SetScale(0.5f, 0.5f, 0.5f);
  model.Animate(2, 3.0f);
  EXPECT_TRUE(Near(ReadPixel(48, 16), {255, 0, 255}));
  EXPECT_TRUE(Near(ReadPixel(37, 16), {0, 0, 0}));
}

TEST(OpenGLModel3ds, TextureCoordinatesKeptOrDerivedFromNormals) {
  GlTestContext::Engine();
  build3ds::WriteFile("mapped.3ds", build3ds::MeshFile(Square("mapped", kCornerUv)));
  OpenGLModel mapped;
  size_t mark = LogMark();
  mapped.Load3DS("mapped.3ds");
  ASSERT_EQ(mapped.MeshCount(), 1);
  EXPECT_EQ(LogCount("#texture coordinates != #vertices", mark), 0);
  EXPECT_EQ(RecordUv(mapped.MeshAt(0), 1), std::make_pair(0.75f, 0.0f));
  EXPECT_EQ(RecordUv(mapped.MeshAt(0), 2), std::make_pair(0.75f, 1.0f));
  // normalise((A - C) x (C - B)) of counter-clockwise faces points along -z.
  EXPECT_EQ(mapped.MeshAt(0)->Interleaved()[4], -1.0f);

  build3ds::WriteFile("unmapped.3ds", build3ds::MeshFile(Square("unmapped", {})));
  OpenGLModel unmapped;
  mark = LogMark();
  unmapped.Load3DS("unmapped.3ds");
  ASSERT_EQ(unmapped.MeshCount(), 1);
  EXPECT_EQ(LogCount("#texture coordinates != #vertices", mark), 1);
  for (int v = 0; v < 4; ++v) EXPECT_EQ(RecordUv(unmapped.MeshAt(0), v), std::make_pair(0.5f, 0.5f));
}

TEST(OpenGLModel3ds, OneMeshPerObjectInFileOrder) {
  GlTestContext::Engine();
  const std::string scene = Square("first", kCornerUv) +
                            build3ds::MeshObject("second", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                                                 {{0, 1, 2, 0}});
  build3ds::WriteFile("two.3ds", build3ds::MeshFile(scene));
  const size_t mark = LogMark();
  OpenGLModel model;
  model.Load3DS("two.3ds");
  EXPECT_EQ(model.status, E_OK);
  ASSERT_EQ(model.MeshCount(), 2);
  EXPECT_EQ(model.MeshAt(0)->name, "first");
  EXPECT_EQ(model.MeshAt(1)->name, "second");
  EXPECT_EQ(model.MeshAt(1)->vertexCount, 3);
  EXPECT_EQ(LogCount("list[1]=second", mark), 1);
  EXPECT_EQ(LogCount("nVertices: 3\nnTextVerts:0\nnFaces:1", mark), 1);
}

TEST(OpenGLModel3ds, FailedLoadsAreReportedAndDoNotSpoilLaterOnes) {
  GlTestContext::Engine();
  OpenGLModel missing;
  missing.Load3DS("no-such-model.3ds");
  EXPECT_EQ(missing.status, E_ERROR);
  EXPECT_EQ(missing.message, "Could not load 3ds model!");

  // A material library is not a mesh file.
  build3ds::WriteFile("library.3ds", build3ds::Chunk(0x3DAA, build3ds::Chunk(0x0002, build3ds::U32(3))));
  OpenGLModel library;
  library.Load3DS("library.3ds");
  EXPECT_EQ(library.message, "Can only load mesh 3ds files!");

  std::string cut = build3ds::MeshFile(Square("cut", kCornerUv));
  cut.resize(cut.size() - 10);
  build3ds::WriteFile("cut.3ds", cut);
  OpenGLModel truncated;
  truncated.Load3DS("cut.3ds");
  EXPECT_EQ(truncated.status, E_ERROR);
  EXPECT_EQ(truncated.message.rfind("Could not read 3ds model cut.3ds: ", 0), 0u)
      << truncated.message;

  // The toolkit's error list is emptied by each load.
  build3ds::WriteFile("fine.3ds", build3ds::MeshFile(Square("fine", kCornerUv)));
  OpenGLModel fine;
  fine.Load3DS("fine.3ds");
  EXPECT_EQ(fine.status, E_OK);
  EXPECT_EQ(fine.MeshCount(), 1);
}

// An object the toolkit refuses is left out; the ones after it load.
TEST(OpenGLModel3ds, ARefusedObjectDoesNotStopTheOthers) {
  GlTestContext::Engine();
  std::string overlong = build3ds::Vertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
  overlong[6] = static_cast<char>(0xFF);  // more vertices claimed than held
  build3ds::WriteFile("refused.3ds",
                      build3ds::MeshFile(build3ds::Object("bad", build3ds::TriMesh(overlong)) +
                                         Square("fine", kCornerUv)));
  OpenGLModel model;
  model.Load3DS("refused.3ds");
  EXPECT_EQ(model.status, E_ERROR);
  EXPECT_EQ(model.message.rfind("Could not read 3ds model refused.3ds: ERR_INVALID_CHUNK", 0), 0u)
      << model.message;
  ASSERT_EQ(model.MeshCount(), 1);
  EXPECT_EQ(model.MeshAt(0)->name, "fine");
}

TEST(OpenGLModel3ds, FacesNamingMissingVerticesAreLeftOut) {
  GlTestContext::Engine();
  meshrec3ds* record = nullptr;
  MeshRecordInit3ds(&record, 3, 2, 0);
  ASSERT_NE(record, nullptr);
  std::strcpy(record->name, "broken");
  record->vertices[1] = {1, 0, 0};
  record->vertices[2] = {0, 1, 0};
  record->faces[0] = {0, 1, 2, 0};
  record->faces[1] = {0, 2, 7, 0};
  const size_t mark = LogMark();
  OpenGLModel model;
  model.AddMesh3ds(*record);
  MeshRecordRelease3ds(&record);
  ASSERT_EQ(model.MeshCount(), 1);
  EXPECT_EQ(model.MeshAt(0)->indexCount, 3);
  EXPECT_EQ(model.MeshAt(0)->status, E_OK);
  EXPECT_EQ(LogCount("mesh broken: face 1 names a vertex beyond its 3; left out", mark), 1);
}

TEST(OpenGLModel3ds, RealFileLoads) {
  GlTestContext::Engine();
  OpenGLModel model;
  model.Load3DS("Z:/usr/share/assimp/models/3DS/test1.3ds");
  EXPECT_EQ(model.status, E_OK) << model.message;
  EXPECT_GE(model.MeshCount(), 1);
  for (int i = 0; i < model.MeshCount(); ++i) EXPECT_EQ(model.MeshAt(i)->status, E_OK);
  GlTestContext::Fresh();
  model.Render();
}

}  // namespace
