#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ms3dtest/ms3dCorners.h"

namespace {
// One triangle: a free vertex, and two on a bone that slides along x from
// its rest place by its position keys.
const char kSliding[] =
    "Frames: 30\n"
    "Frame: 1\n"
    "Meshes: 1\n"
    "\"body\" 0 -1\n"
    "3\n"
    "0 1.0 2.0 3.0 0.25 0.75 -1\n"
    "0 4.0 0.0 0.0 0.5 0.0 0\n"
    "0 4.0 1.0 0.0 1.0 1.0 0\n"
    "2\n"
    "0.0 1.0 0.0\n"
    "0.0 0.0 1.0\n"
    "1\n"
    "0 2 1 0 1 1 0 1\n"
    "Bones: 1\n"
    "\"slide\"\n\"\"\n0 3.0 0.0 0.0 0.0 0.0 0.0\n2\n1 0 0 0\n11 10 0 0\n0\n";

void Load(Model& model) {
  const std::string text = kSliding;
  ASSERT_TRUE(model.loadFromMs3dAsciiMemory(text.data(), text.size()));
}
}  // namespace

TEST(Ms3dCorners, PositionsFollowTheBoneAndFreeVerticesStay) {
  Model model;
  Load(model);
  const Ms3dMesh& mesh = model.meshes[0];
  std::vector<Vec3> corners(3);
  // At the first key the bone sits at rest: the file's positions come back.
  Ms3dCornerPositions(model, mesh, corners.data());
  EXPECT_FLOAT_EQ(corners[0].x, 4.0f);  // corner order is the triangle's: 2, 1, 0
  EXPECT_FLOAT_EQ(corners[0].y, 1.0f);
  EXPECT_FLOAT_EQ(corners[1].x, 4.0f);
  EXPECT_FLOAT_EQ(corners[1].y, 0.0f);
  EXPECT_EQ(corners[2].x, 1.0f);

  model.advance(5.0f);  // half way along the keys: 5 units along x
  Ms3dCornerPositions(model, mesh, corners.data());
  EXPECT_FLOAT_EQ(corners[0].x, 9.0f);
  EXPECT_FLOAT_EQ(corners[1].x, 9.0f);
  EXPECT_FLOAT_EQ(corners[1].y, 0.0f);
  EXPECT_EQ(corners[2].x, 1.0f);
  EXPECT_EQ(corners[2].y, 2.0f);
  EXPECT_EQ(corners[2].z, 3.0f);
}

TEST(Ms3dCorners, NormalsAndTextureCoordinatesPerCorner) {
  Model model;
  Load(model);
  const Ms3dMesh& mesh = model.meshes[0];
  std::vector<Vec3> normals(3);
  Ms3dCornerNormals(mesh, normals.data());
  EXPECT_EQ(normals[0].z, 1.0f);  // normal indices 1, 1, 0
  EXPECT_EQ(normals[1].z, 1.0f);
  EXPECT_EQ(normals[2].y, 1.0f);

  std::vector<TexCoord> held(3), file(3);
  Ms3dCornerTexCoords(mesh, false, held.data());
  Ms3dCornerTexCoords(mesh, true, file.data());
  EXPECT_EQ(held[2].u, 0.25f);
  EXPECT_EQ(held[2].v, 0.25f);  // the reader holds 1 - v
  EXPECT_EQ(file[2].v, 0.75f);  // as written in the file
  EXPECT_EQ(file[1].u, 0.5f);
  EXPECT_EQ(file[1].v, 0.0f);
}
