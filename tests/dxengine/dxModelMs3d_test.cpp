// DXModel::LoadMS3D and its bone animation, on MilkShape text written by the
// test.

#include <fstream>
#include <string>

#include "dxTestSupport.h"
#include "dxengine/dxModel.h"

namespace {

const uint32_t kGreen = 0x00FF00;

using DXModelMs3d = DXRenderTest;

// One triangle over the lower left half of the clip square at depth 0.5,
// four times: with the loaded material, with none, with a material whose
// bitmap is missing; and a mesh without triangles. Its first corner has no
// bone; the others sit on a bone that the keys slide one unit along x
// between frames 1 and 11.
const char kTriangle[] =
    "3\n"
    "0 -1.0 -1.0 0.5 0.0 1.0 -1\n"
    "0 1.0 -1.0 0.5 1.0 1.0 0\n"
    "0 -1.0 1.0 0.5 0.0 0.0 0\n"
    "1\n"
    "0.0 0.0 -1.0\n"
    "1\n"
    "0 0 1 2 0 0 0 1\n";
const char kMaterial[] = "0.2 0.2 0.2 1.0\n0.8 0.8 0.8 1.0\n0 0 0 1\n0 0 0 1\n1.0\n1.0\n";

std::string ModelText() {
  return std::string("Frames: 30\nFrame: 1\nMeshes: 4\n\"body\" 0 0\n") + kTriangle +
         "\"empty\" 0 -1\n0\n0\n0\n\"bare\" 0 -1\n" + kTriangle + "\"lost\" 0 1\n" + kTriangle +
         "Materials: 2\n\"skin\"\n" + kMaterial + "\"skin.bmp\"\n\"\"\n\"gone\"\n" + kMaterial +
         "\"gone.bmp\"\n\"\"\n"
         "Bones: 1\n\"slide\"\n\"\"\n0 3.0 0.0 0.0 0.0 0.0 0.0\n2\n1 0 0 0\n11 1 0 0\n0\n";
}

void Write(const char* path, const std::string& text) { std::ofstream(path) << text; }

TEST_F(DXModelMs3d, MeshesPerShapeWithTheirMaterials) {
  Write("model.txt", ModelText());
  WriteBitmap("skin.bmp", kGreen);
  DXModel model;
  model.LoadMS3D("model.txt");
  ASSERT_EQ(model.status, E_OK) << model.message;
  ASSERT_EQ(model.MeshCount(), 4);
  EXPECT_EQ(model.GetMesh(1), nullptr);  // no triangles
  ASSERT_EQ(model.MaterialTextureCount(), 2);
  EXPECT_EQ(model.MaterialTexture(0)->status, E_OK);
  EXPECT_EQ(model.MaterialTexture(1)->status, E_ERROR);
  EXPECT_EQ(model.GetMesh(0)->textures[0], model.MaterialTexture(0));
  EXPECT_EQ(model.GetMesh(2)->textures[0], nullptr);
  EXPECT_EQ(model.GetMesh(3)->textures[0], nullptr);

  const DXMesh& body = *model.GetMesh(0);
  EXPECT_EQ(body.vertexCount, 3);
  EXPECT_EQ(body.indexCount, 3);
  // v as written in the file, which counts from the top as Direct3D does.
  EXPECT_EQ(body.ReadVertexWords(body.TexCoordWord(0), 2), (std::vector<float>{0, 1, 1, 1, 0, 0}));
  EXPECT_EQ(body.ReadVertexWords(3, 3)[2], -1.0f);

  model.GetMesh(0)->Render();
  EXPECT_EQ(PixelAt(8, 56), kGreen);
  EXPECT_EQ(PixelAt(56, 8), 0u);
  // Every operation over the meshes passes the empty entry by.
  model.SetTransform(0, 0, 0.1f, 0, 0, 0);
  model.SetScale(1, 1, 1);
  model.Render();
}

TEST_F(DXModelMs3d, BonesMoveTheirVerticesAndFreeOnesStay) {
  Write("sliding.txt", ModelText());
  DXModel model;
  model.LoadMS3D("sliding.txt");
  ASSERT_EQ(model.status, E_OK) << model.message;
  // Posed at frame 1, the first key: the file's positions.
  std::vector<Vec3> corners = MeshPositions(*model.GetMesh(0));
  ASSERT_EQ(corners.size(), 3u);
  EXPECT_FLOAT_EQ(corners[1].x, 1.0f);
  EXPECT_FLOAT_EQ(corners[2].x, -1.0f);

  // Time 5 moves the skeleton on by 5 frames, to frame 6; time 7 by 2 more.
  for (const auto& [time, slide] : {std::pair{5.0f, 0.5f}, {7.0f, 0.7f}}) {
    SCOPED_TRACE(time);
    model.Animate(0, time);
    for (int mesh : {0, 2, 3}) {
      corners = MeshPositions(*model.GetMesh(mesh));
      EXPECT_EQ(corners[0].x, -1.0f);
      EXPECT_EQ(corners[0].y, -1.0f);
      EXPECT_FLOAT_EQ(corners[1].x, 1.0f + slide);
      EXPECT_FLOAT_EQ(corners[1].y, -1.0f);
      EXPECT_FLOAT_EQ(corners[2].x, -1.0f + slide);
      EXPECT_FLOAT_EQ(corners[2].y, 1.0f);
      EXPECT_FLOAT_EQ(corners[2].z, 0.5f);
    }
  }
}

}  // namespace
