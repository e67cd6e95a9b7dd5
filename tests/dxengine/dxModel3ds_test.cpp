// DXModel::Load3DS on files built for the test and on a real one.

#include <filesystem>

#include "chunkBuilder.h"
#include "dxTestSupport.h"
#include "dxengine/dxModel.h"

namespace {

using namespace build3ds;

const uint32_t kBlack = 0x000000;
const uint32_t kRed = 0xFF0000;
const uint32_t kGreen = 0x00FF00;
const uint32_t kBlue = 0x0000FF;
const uint32_t kWhite = 0xFFFFFF;

// A quad over the clip square at depth 0.5: top left, top right, bottom
// right, bottom left.
const std::vector<Point> kQuad = {{-1, 1, 0.5f}, {1, 1, 0.5f}, {1, -1, 0.5f}, {-1, -1, 0.5f}};
const std::vector<Face> kQuadFaces = {{0, 1, 2, 0}, {0, 2, 3, 0}};
// 3DS coordinates have v running up the image.
const std::vector<std::pair<float, float>> kQuadCoords = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};

std::string TexturedQuad(const std::string& name) {
  return Object(name, TriMesh(Vertices(kQuad) + TexCoords(kQuadCoords) + Faces(kQuadFaces)));
}

class DXModel3ds : public DXRenderTest {
 protected:
  // Draws the model with `texels` (w x h, top row first) selected on stage 0.
  std::vector<uint32_t> Draw(DXModel& model, int w, int h, const std::vector<uint32_t>& texels) {
    auto texture = MakeTexture(w, h, texels);
    texture->Apply(0, TOP_SELECTTEXTURE, ADDRESS_CLAMP);
    model.Render();
    return ReadPixels();
  }
};

TEST_F(DXModel3ds, QuadKeepsItsTextureUpright) {
  WriteFile("quad.3ds", MeshFile(TexturedQuad("quad")));
  const size_t logStart = ReadLog().size();
  DXModel model;
  model.Load3DS("quad.3ds");
  ASSERT_EQ(model.status, E_OK) << model.message;
  EXPECT_EQ(model.message, "Succesfully Loaded quad.3ds");
  ASSERT_EQ(model.MeshCount(), 1);
  EXPECT_EQ(model.GetMesh(0)->name, "quad");
  EXPECT_EQ(model.GetMesh(0)->indexCount, 6);
  const std::string log = ReadLog().substr(logStart);
  EXPECT_NE(log.find("loaded 3ds database\nnames in mesh list:\nlist[0]=quad\nmesh #0\n"
                     "3ds mesh name:quad\nnVertices: 4\nnTextVerts:4\nnFaces:2\n"),
            std::string::npos)
      << log;

  const std::vector<uint32_t> pixels =
      Draw(model, 2, 2, {kRed, kGreen, kBlue, kWhite});
  EXPECT_EQ(pixels[8 * kSize + 8], kRed);
  EXPECT_EQ(pixels[8 * kSize + 56], kGreen);
  EXPECT_EQ(pixels[56 * kSize + 8], kBlue);
  EXPECT_EQ(pixels[56 * kSize + 56], kWhite);
}

TEST_F(DXModel3ds, CoordinatesFromNormalsWhenCountsDiffer) {
  // Two objects, neither with a coordinate for every vertex.
  WriteFile("nocoords.3ds",
            MeshFile(MeshObject("bare", kQuad, kQuadFaces) +
                     Object("few", TriMesh(Vertices(kQuad) + TexCoords({{0, 0}}) +
                                           Faces(kQuadFaces)))));
  const size_t logStart = ReadLog().size();
  DXModel model;
  model.Load3DS("nocoords.3ds");
  ASSERT_EQ(model.status, E_OK) << model.message;
  EXPECT_EQ(model.MeshCount(), 2);
  EXPECT_EQ(CountInLog("#texture coordinates != #vertices", logStart), 2);
  // Corner normals (+-0.667, +-0.667, 0.333) give u = asin(nx) / pi + 0.5,
  // about 0.27 at the left and 0.73 at the right: the red and the green half.
  const std::vector<uint32_t> pixels = Draw(model, 4, 1, {kRed, kRed, kGreen, kGreen});
  EXPECT_EQ(pixels[32 * kSize + 2], kRed);
  EXPECT_EQ(pixels[32 * kSize + 61], kGreen);
}

TEST_F(DXModel3ds, EveryObjectMovesAndScales) {
  const std::vector<Point> left = {{-1, 1, 0}, {0, 1, 0}, {0, -1, 0}, {-1, -1, 0}};
  const std::vector<Point> right = {{0, 1, 0}, {1, 1, 0}, {1, -1, 0}, {0, -1, 0}};
  WriteFile("halves.3ds",
            MeshFile(MeshObject("left", left, kQuadFaces) + MeshObject("right", right, kQuadFaces)));
  DXModel model;
  model.Load3DS("halves.3ds");
  ASSERT_EQ(model.MeshCount(), 2);
  model.SetTransform(0, 0, 0.5f, 0, 0, 0);
  model.SetScale(0.5f, 0.5f, 1);
  const std::vector<uint32_t> pixels = Draw(model, 1, 1, {kGreen});
  EXPECT_EQ(pixels[32 * kSize + 20], kGreen);
  EXPECT_EQ(pixels[32 * kSize + 44], kGreen);
  EXPECT_EQ(pixels[32 * kSize + 8], kBlack);
  EXPECT_EQ(pixels[32 * kSize + 56], kBlack);
  EXPECT_EQ(pixels[8 * kSize + 32], kBlack);
}

TEST_F(DXModel3ds, FilesThatCannotBeLoaded) {
  DXModel missing;
  missing.Load3DS("no-such-model.3ds");
  EXPECT_EQ(missing.status, E_ERROR);
  EXPECT_EQ(missing.message, "Could not load no-such-model.3ds model!");

  WriteFile("material.3ds", Chunk(0x3DAA, Chunk(0x0002, U32(3))));
  DXModel material;
  material.Load3DS("material.3ds");
  EXPECT_EQ(material.status, E_ERROR);
  EXPECT_EQ(material.message, "Can only load mesh 3ds files!");
  EXPECT_EQ(material.MeshCount(), 0);
}

// A vertex chunk that claims more vertices than it holds.
std::string OverlongVertices() {
  std::string vertices = Vertices(kQuad);
  vertices[6] = static_cast<char>(0xFF);
  return vertices;
}

TEST_F(DXModel3ds, BrokenObjectsAreLeftOut) {
  // An object without faces, one with a face past its vertices, one the
  // toolkit refuses, and a good one after it.
  WriteFile("broken.3ds",
            MeshFile(Object("flat", TriMesh(Vertices(kQuad))) +
                     MeshObject("wild", kQuad, {{0, 1, 9, 0}, {0, 1, 2, 0}}) +
                     Object("refused", TriMesh(OverlongVertices() + Faces(kQuadFaces))) +
                     TexturedQuad("after")));
  const size_t logStart = ReadLog().size();
  DXModel model;
  model.Load3DS("broken.3ds");
  EXPECT_EQ(model.MeshCount(), 2);  // "wild" with its one good face, and "after"
  EXPECT_EQ(CountInLog("flat: no faces to draw", logStart), 1);
  EXPECT_EQ(model.status, E_ERROR);
  EXPECT_EQ(model.message.rfind("Could not read 3ds model broken.3ds: ERR_INVALID_CHUNK", 0), 0u)
      << model.message;
  model.Render();

  // A good file loads after a broken one.
  WriteFile("good.3ds", MeshFile(TexturedQuad("quad")));
  DXModel good;
  good.Load3DS("good.3ds");
  EXPECT_EQ(good.status, E_OK) << good.message;
  EXPECT_EQ(good.MeshCount(), 1);
}

TEST_F(DXModel3ds, RealFile) {
  const std::string path = "/usr/share/assimp/models/3DS/cube_with_diffuse_texture.3DS";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
  DXModel model;
  model.Load3DS(path.c_str());
  ASSERT_EQ(model.status, E_OK) << model.message;
  ASSERT_GE(model.MeshCount(), 1);
  EXPECT_EQ(model.GetMesh(0)->status, E_OK) << model.GetMesh(0)->message;
  EXPECT_EQ(model.GetMesh(0)->indexCount % 3, 0);
  EXPECT_GT(model.GetMesh(0)->indexCount, 0);
}

}  // namespace
