#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "glTestContext.h"
#include "oglengine/oglModel.h"
#include "solidBitmap.h"

namespace {

// A mesh without triangles; a triangle of the skinned material with one
// free vertex and two on a bone that slides along x by its position keys
// (x 0 at frame 1, 10 at frame 11); the lower left half of the square
// (-1..1, -1..1) without a material.
const char kModel[] =
    "// test model\n"
    "Frames: 30\n"
    "Frame: 1\n"
    "Meshes: 3\n"
    "\"empty\" 0 0\n"
    "0\n0\n0\n"
    "\"body\" 0 0\n"
    "3\n"
    "0 1.0 2.0 3.0 0.25 0.75 -1\n"
    "0 4.0 0.0 0.0 0.5 0.0 0\n"
    "0 4.0 1.0 0.0 1.0 1.0 0\n"
    "2\n"
    "0.0 1.0 0.0\n"
    "0.0 0.0 1.0\n"
    "1\n"
    "0 2 1 0 1 1 0 1\n"
    "\"plain\" 0 -1\n"
    "3\n"
    "0 -1.0 -1.0 0.0 0.0 0.0 -1\n"
    "0 1.0 -1.0 0.0 1.0 0.0 -1\n"
    "0 -1.0 1.0 0.0 0.0 1.0 -1\n"
    "1\n"
    "0.0 0.0 1.0\n"
    "1\n"
    "0 0 1 2 0 0 0 1\n"
    "Materials: 1\n"
    "\"skin\"\n"
    "0.2 0.2 0.2 1.0\n0.8 0.8 0.8 1.0\n0.0 0.0 0.0 1.0\n0.0 0.0 0.0 1.0\n"
    "0.0\n1.0\n"
    "\"skin.bmp\"\n"
    "\"\"\n"
    "Bones: 1\n"
    "\"slide\"\n"
    "\"\"\n"
    "0 3.0 0.0 0.0 0.0 0.0 0.0\n"
    "2\n1 0 0 0\n11 10 0 0\n"
    "0\n";

std::unique_ptr<OpenGLModel> LoadModel() {
  WriteSolidBitmap("skin.bmp", {0, 255, 0});
  if (FILE* f = std::fopen("model.txt", "wb")) {
    std::fwrite(kModel, 1, std::strlen(kModel), f);
    std::fclose(f);
  }
  auto model = std::make_unique<OpenGLModel>();
  model->LoadMS3D("model.txt");
  return model;
}

Vec3 Corner(const OpenGLMesh* mesh, int corner) {
  const float* xyz = mesh->Positions() + 3 * corner;
  return Vec3(xyz[0], xyz[1], xyz[2]);
}

TEST(OpenGLModelMs3d, MeshesWithTrianglesAndTheirMaterialTextures) {
  GlTestContext::Engine();
  auto model = LoadModel();
  ASSERT_EQ(model->MeshCount(), 3);
  EXPECT_EQ(model->MeshAt(0), nullptr);  // no triangles: an empty entry
  const auto& textures = model->MaterialTextures();
  ASSERT_EQ(textures.size(), 1u);
  EXPECT_EQ(textures[0]->name, "skin.bmp");
  EXPECT_EQ(textures[0]->status, E_OK);

  const OpenGLMesh* body = model->MeshAt(1);
  EXPECT_EQ(body->vertexCount, 3);
  EXPECT_EQ(body->textures[0], textures[0].get());
  // Corner 2 is the free vertex; v as the reader holds it, 1 - the file's.
  EXPECT_EQ(body->TexCoords(0)[4], 0.25f);
  EXPECT_EQ(body->TexCoords(0)[5], 0.25f);
  EXPECT_EQ(model->MeshAt(2)->textures[0], nullptr);  // material -1
}

// An empty colour map means no texture: none is made, nothing is logged.
TEST(OpenGLModelMs3d, EmptyColourMapMakesNoTexture) {
  GlTestContext::Engine();
  std::string text = kModel;
  text.replace(text.find("\"skin.bmp\""), 10, "\"\"");
  if (FILE* f = std::fopen("plain.txt", "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  const size_t mark = LogMark();
  OpenGLModel model;
  model.LoadMS3D("plain.txt");
  ASSERT_EQ(model.MeshCount(), 3);
  EXPECT_TRUE(model.MaterialTextures().empty());
  EXPECT_EQ(model.MeshAt(1)->textures[0], nullptr);
  EXPECT_EQ(LogCount("File not found", mark), 0);
}

TEST(OpenGLModelMs3d, EmptyEntriesAreSkipped) {
  auto model = LoadModel();
  GlTestContext::Fresh();
  const size_t mark = LogMark();
  model->SetTransform(0, 0, 0, 0, 0, 0);
  model->SetScale(1, 1, 1);
  EXPECT_EQ(LogCount("nMesh<=0", mark), 0);
  glColor3f(1, 1, 1);
  model->MeshAt(2)->Render();
  EXPECT_TRUE(Near(ReadPixel(16, 16), {255, 255, 255}));
  EXPECT_TRUE(Near(ReadPixel(48, 48), {0, 0, 0}));
  model->Render();  // the body binds its skin and lies off screen
  EXPECT_TRUE(Near(ReadPixel(48, 48), {0, 0, 0}));
}

TEST(OpenGLModelMs3d, AnimateMovesBonedVerticesOnly) {
  GlTestContext::Fresh();
  auto model = LoadModel();
  const OpenGLMesh* body = model->MeshAt(1);
  // Posed at the file's frame 1, the bone is at rest.
  EXPECT_FLOAT_EQ(Corner(body, 0).x, 4.0f);
  EXPECT_FLOAT_EQ(Corner(body, 0).y, 1.0f);

  model->SetTransform(0, 0, 0, 0, 0, 0);
  model->Animate(0, 5.0f);  // frame 6: half way along the keys
  EXPECT_FLOAT_EQ(Corner(body, 0).x, 9.0f);
  EXPECT_FLOAT_EQ(Corner(body, 0).y, 1.0f);
  EXPECT_FLOAT_EQ(Corner(body, 1).x, 9.0f);
  const Vec3 free = Corner(body, 2);
  EXPECT_EQ(free.x, 1.0f);
  EXPECT_EQ(free.y, 2.0f);
  EXPECT_EQ(free.z, 3.0f);

  model->Animate(0, 8.0f);  // on by the 3 frames since the last call
  EXPECT_FLOAT_EQ(Corner(body, 0).x, 12.0f);
  EXPECT_EQ(Corner(body, 2).x, 1.0f);
  EXPECT_EQ(Corner(model->MeshAt(2), 1).x, 1.0f);
}

TEST(OpenGLModelMs3d, UnreadableFileMakesNothing) {
  GlTestContext::Fresh();
  auto model = std::make_unique<OpenGLModel>();
  model->LoadMS3D("missing.txt");
  EXPECT_EQ(model->MeshCount(), 0);
  EXPECT_TRUE(model->MaterialTextures().empty());
  model->Animate(0, 2.0f);
  EXPECT_TRUE(Near(ReadPixel(32, 32), {0, 0, 0}));
}

}  // namespace
