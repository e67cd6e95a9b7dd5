// Where the model viewer puts a model and its camera.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "bspBuilder.h"
#include "md2Builder.h"
#include "modelview/modelPoints.h"
#include "modelview/viewOrbit.h"
#include "readerTestUtil.h"

namespace {
struct Read {
  bool ok;
  ModelFormat format;
  std::vector<Vec3> points;
  std::string error;
};

Read Points(const std::string& path) {
  Read read{false, ModelFormat::kUnknown, {}, {}};
  read.ok = ReadModelPoints(path.c_str(), read.format, read.points, read.error);
  return read;
}

Read PointsOf(const std::string& name, const Bytes& bytes) {
  WriteAll(name, bytes.data(), bytes.size());
  return Points(name);
}

Read PointsOf(const std::string& name, const std::string& text) {
  return PointsOf(name, Bytes(text.begin(), text.end()));
}
}  // namespace

TEST(ModelPoints, EachFormatGivesWhatItDraws) {
  const Read md2 = Points("/usr/share/assimp/models/MD2/faerie.md2");
  ASSERT_TRUE(md2.ok) << md2.error;
  EXPECT_EQ(md2.format, ModelFormat::kMd2);
  EXPECT_EQ(md2.points.size() % 366u, 0u);  // whole frames' vertices
  EXPECT_GT(md2.points.size(), 366u);

  const Read cube = Points("/usr/share/assimp/models/3DS/cube_with_diffuse_texture.3DS");
  ASSERT_TRUE(cube.ok) << cube.error;
  EXPECT_EQ(cube.format, ModelFormat::k3ds);
  EXPECT_FALSE(cube.points.empty());

  const Read level = PointsOf("level.bsp", TestBsp().Build());
  ASSERT_TRUE(level.ok) << level.error;
  EXPECT_EQ(level.format, ModelFormat::kBsp);
  ASSERT_EQ(level.points.size(), 3u);
  EXPECT_EQ(level.points[0].y, 3.0f);  // the reader's y-up turn: (1, 2, 3) held as (1, 3, -2)

  // Told by content: a triangle's three corners, one of them moved by its bone.
  const Read ms3d = PointsOf("model.txt",
                             "Frames: 30\nFrame: 1\nMeshes: 1\n\"m\" 0 -1\n3\n"
                             "0 1 0 0 0 0 -1\n0 0 1 0 0 0 0\n0 0 0 1 0 0 -1\n"
                             "1\n0 0 1\n1\n0 0 1 2 0 0 0 1\n"
                             "Bones: 1\n\"b\"\n\"\"\n0 5 0 0 0 0 0\n0\n0\n");
  ASSERT_TRUE(ms3d.ok) << ms3d.error;
  EXPECT_EQ(ms3d.format, ModelFormat::kMs3dAscii);
  ASSERT_GE(ms3d.points.size(), 3u);
  EXPECT_NEAR(ms3d.points[1].y, 1.0f, 1e-5f);  // the bone at rest gives the file's place
}

// The camera fits what an animation reaches, not the rest pose alone.
TEST(ModelPoints, AnimationsAreCoveredWhole) {
  const auto reach = [](const std::vector<Vec3>& points) {
    float x = 0.0f;
    for (const Vec3& p : points) x = std::max(x, p.x);
    return x;
  };
  // Frames whose first vertex moves out along x: 0, 1, 2.
  const Read md2 = PointsOf("walk.md2", TestMd2({"walk01", "walk02", "walk03"}).Build());
  ASSERT_TRUE(md2.ok) << md2.error;
  EXPECT_FLOAT_EQ(reach(md2.points), 2.0f);

  // A bone that carries the vertex from x = 1 to x = 11 over 30 frames.
  const Read ms3d = PointsOf("swing.txt",
                             "Frames: 30\nFrame: 1\nMeshes: 1\n\"m\" 0 -1\n3\n"
                             "0 1 0 0 0 0 0\n0 0 1 0 0 0 -1\n0 0 0 1 0 0 -1\n"
                             "1\n0 0 1\n1\n0 0 1 2 0 0 0 1\n"
                             "Bones: 1\n\"b\"\n\"\"\n0 0 0 0 0 0 0\n2\n1 0 0 0\n30 10 0 0\n0\n");
  ASSERT_TRUE(ms3d.ok) << ms3d.error;
  EXPECT_GT(reach(ms3d.points), 9.0f);
}

TEST(ModelPoints, FilesWithNothingToDrawAreRefusedWithAReason) {
  const Read missing = Points("no-such-model.md2");
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.error.find("cannot open"), std::string::npos) << missing.error;

  TestMd2 md2;
  Bytes header = md2.Build();
  header.resize(40);
  const Read cut = PointsOf("cut.md2", header);
  EXPECT_FALSE(cut.ok);
  EXPECT_EQ(cut.format, ModelFormat::kMd2);
  EXPECT_FALSE(cut.error.empty());

  TestBsp empty;
  empty.vertices.clear();
  empty.faces.clear();
  const Read bare = PointsOf("bare.bsp", empty.Build());
  EXPECT_FALSE(bare.ok);
  EXPECT_EQ(bare.error, "holds nothing to draw");

  const Read text = PointsOf("notes.txt", "just some words\n");
  EXPECT_FALSE(text.ok);
  EXPECT_EQ(text.format, ModelFormat::kUnknown);
}

TEST(ViewPlacement, ModelIsCentredAndScaledToTheViewerSphere) {
  const std::vector<Vec3> points{{2, 0, 0}, {6, 3, 0}, {4, 1.5f, 12}};
  const ModelPlacement placement = PlaceModel(points, ModelFormat::kBsp);
  EXPECT_EQ(placement.centre.x, 4.0f);
  EXPECT_EQ(placement.centre.y, 1.5f);
  EXPECT_EQ(placement.centre.z, 6.0f);
  // Half the box's diagonal, 6.5, becomes the viewer's radius.
  EXPECT_FLOAT_EQ(placement.scale, ModelPlacement::kRadius / 6.5f);
  EXPECT_EQ(placement.up.y, 1.0f);
  EXPECT_EQ(PlaceModel(points, ModelFormat::k3ds).up.z, 1.0f);

  const ModelPlacement point = PlaceModel({{1, 1, 1}}, ModelFormat::kMd2);
  EXPECT_EQ(point.scale, 1.0f);
}

TEST(ViewProjection, BothRenderersGetTheSameScales) {
  const ViewProjection d3d = ProjectionFor(true);
  const ViewProjection gl = ProjectionFor(false);
  // Direct3D: x from the field of view, y from a 4:3 frame's reading of it.
  const double d3dX = 1.0 / std::tan(d3d.fov / 2.0);
  const double d3dY = 1.0 / std::tan(std::atan(std::tan(d3d.fov) * 0.75) / 2.0);
  // OpenGL: y from the vertical field of view, x from y over the aspect.
  const double glY = 1.0 / std::tan(gl.fov / 2.0);
  const double glX = glY / gl.aspect;
  EXPECT_NEAR(glX, d3dX, 1e-5);
  EXPECT_NEAR(glY, d3dY, 1e-5);
  // Square pixels: the window's aspect is the ratio of the scales.
  EXPECT_NEAR(PictureAspect(), d3dY / d3dX, 1e-6);
}

TEST(ViewOrbit, CameraCirclesAtOneDistanceAndStopsShortOfThePoles) {
  ViewOrbit orbit(Vec3(0, 1, 0), 0.0f);
  const float distance = orbit.Distance();
  // The whole sphere lies beyond the Direct3D near plane at 1 and in view.
  EXPECT_GT(distance - ModelPlacement::kRadius, 1.0f);
  for (int step = 0; step < 40; ++step) {
    orbit.Turn(0.7f, 0.2f);
    EXPECT_NEAR(orbit.Eye().Length(), distance, 1e-3f);
    EXPECT_LE(orbit.pitch, 1.4f);
    EXPECT_LE(std::fabs(orbit.yaw), 3.1416f);
  }
  EXPECT_GT(orbit.Eye().y, 0.9f * distance);  // looking down from near the top

  ViewOrbit zUp(Vec3(0, 0, 1), 0.0f);
  zUp.pitch = 0.0f;
  EXPECT_NEAR(zUp.Eye().z, 0.0f, 1e-4f);
  EXPECT_NEAR(zUp.Eye().y, -distance, 1e-3f);

  // An MD2 character is met face on, from +x, and Reset comes back there.
  const ModelPlacement md2 = PlaceModel({{0, 0, 0}, {1, 2, 1}}, ModelFormat::kMd2);
  ViewOrbit front(md2.up, md2.frontYaw);
  front.pitch = 0.0f;
  EXPECT_NEAR(front.Eye().x, distance, 1e-3f);
  front.Turn(1.0f, 0.5f);
  front.Reset();
  EXPECT_NEAR(front.yaw, md2.frontYaw, 1e-6f);
  EXPECT_EQ(front.pitch, 0.3f);
}

TEST(ViewOrbit, AnimationTimeByFormat) {
  EXPECT_FLOAT_EQ(AnimationTime(ModelFormat::kMd2, 1.0), 0.25f);
  EXPECT_FLOAT_EQ(AnimationTime(ModelFormat::kMd2, 5.0), 0.25f);  // one cycle every 4 s
  EXPECT_FLOAT_EQ(AnimationTime(ModelFormat::kMs3dAscii, 0.5), 12.0f);
  EXPECT_EQ(AnimationTime(ModelFormat::kBsp, 3.0), 0.0f);
}
