#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "../readers/md2Builder.h"
#include "glTestContext.h"
#include "image/dibImage.h"
#include "md2/Md2.h"
#include "md2/md2Animation.h"
#include "oglengine/oglModel.h"
#include "oglengine/oglTexture.h"

namespace {

std::string ModelFile(const char* name) {
  return SharedModelPath((std::string("/usr/share/assimp/models/MD2/") + name).c_str());
}

std::unique_ptr<OpenGLModel> LoadModel(const std::string& path) {
  auto model = std::make_unique<OpenGLModel>();
  model->LoadMD2(path.c_str());
  return model;
}

// Mesh 0's positions.
std::vector<Vec3> Positions(const OpenGLModel& model) {
  const OpenGLMesh* mesh = model.MeshAt(0);
  const float* xyz = mesh->Positions();
  std::vector<Vec3> out;
  for (int i = 0; i < mesh->vertexCount; ++i)
    out.emplace_back(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]);
  return out;
}

std::vector<Vec3> KeyFrame(const Md2ModelData& data, int object) {
  std::vector<Vec3> corners(3 * static_cast<size_t>(data.objects[0].faceCount));
  Md2ExpandFrame(corners.data(), data.objects[static_cast<size_t>(object)], data.objects[0]);
  return corners;
}

// Every position within 1e-3 of the weighted mix of two key frames.
::testing::AssertionResult Mixes(const std::vector<Vec3>& actual, const std::vector<Vec3>& from,
                                 const std::vector<Vec3>& to, float s) {
  for (size_t i = 0; i < actual.size(); ++i) {
    const Vec3 expected = from[i] + (to[i] - from[i]) * s;
    if (std::fabs(actual[i].x - expected.x) > 1e-3f ||
        std::fabs(actual[i].y - expected.y) > 1e-3f || std::fabs(actual[i].z - expected.z) > 1e-3f)
      return ::testing::AssertionFailure() << "corner " << i << " is off";
  }
  return ::testing::AssertionSuccess();
}

TEST(OpenGLModelMd2, RealModelsGiveThreeCornersPerTriangle) {
  GlTestContext::Engine();
  for (auto [file, triangles] :
       {std::pair<const char*, int>{"faerie.md2", 654}, {"sydney.md2", 679}}) {
    auto model = LoadModel(ModelFile(file));
    ASSERT_EQ(model->MeshCount(), 1) << file;
    const OpenGLMesh* mesh = model->MeshAt(0);
    EXPECT_EQ(mesh->vertexCount, 3 * triangles) << file;
    EXPECT_EQ(mesh->textures[0], nullptr);
    EXPECT_EQ(model->status, E_UNINIT);  // loaders leave the status alone

    Md2ModelData data;
    ASSERT_TRUE(Md2Loader().Load(data, ModelFile(file).c_str(), nullptr));
    std::vector<Vec3> corners;
    std::vector<TexCoord> uv;
    Md2FirstFrameCorners(data, corners, uv);
    const std::vector<Vec3> positions = Positions(*model);
    EXPECT_TRUE(Mixes(positions, corners, corners, 0));
    ASSERT_NE(mesh->TexCoords(0), nullptr);
    EXPECT_EQ(mesh->TexCoords(0)[2 * 100], uv[100].u);
    EXPECT_EQ(mesh->TexCoords(0)[2 * 100 + 1], uv[100].v);
  }
}

TEST(OpenGLModelMd2, KeyFramesWrapAndAnimateBlendsBetweenThem) {
  GlTestContext::Fresh();
  const std::string path = ModelFile("faerie.md2");
  Md2ModelData data;
  ASSERT_TRUE(Md2Loader().Load(data, path.c_str(), nullptr));
  ASSERT_GE(data.animationCount, 2);
  const Md2Animation& second = data.animations[1];
  const int n = second.endFrame - second.startFrame;
  ASSERT_GE(n, 3);
  const std::vector<Vec3> first = KeyFrame(data, second.startFrame);
  const std::vector<Vec3> key1 = KeyFrame(data, second.startFrame + 1);
  const std::vector<Vec3> key2 = KeyFrame(data, second.startFrame + 2);
  const std::vector<Vec3> last = KeyFrame(data, second.startFrame + n - 1);
  ASSERT_FALSE(Mixes(key1, key2, key2, 0));  // the frames differ

  auto model = LoadModel(path);
  model->SetTransform(0, 0, 0, 0, 0, 0);
  // Animation and frame numbers wrap, negative ones too.
  model->RenderFrame(1 + data.animationCount, 1 + n);
  EXPECT_TRUE(Mixes(Positions(*model), key1, key1, 0));
  model->RenderFrame(1 - data.animationCount, -1);
  EXPECT_TRUE(Mixes(Positions(*model), last, last, 0));

  // One time unit plays the animation once: half way from key 1 to key 2,
  // whole cycles dropped.
  model->Animate(1, 3.0f + 1.5f / static_cast<float>(n));
  EXPECT_TRUE(Mixes(Positions(*model), key1, key2, 0.5f));
  // A quarter of the way from the last key back to the first.
  model->Animate(1 + data.animationCount, (static_cast<float>(n) - 0.75f) / static_cast<float>(n));
  EXPECT_TRUE(Mixes(Positions(*model), last, first, 0.25f));
}

// Pixel centres of a 64 x 64 view of the square (cx +- half, cy +- half),
// orthographic along -z: the skin colour of the nearest triangle there, or
// nothing. Triangles are corners in threes with their texture coordinates.
struct Coverage {
  bool covered = false;
  Rgb colour{0, 0, 0};
};

Rgb SkinAt(const RgbImage& skin, float u, float v) {
  // Rows bottom first, as the texture holds them.
  const int x = std::clamp(static_cast<int>(u * skin.width), 0, skin.width - 1);
  const int y = std::clamp(static_cast<int>(v * skin.height), 0, skin.height - 1);
  const uint8_t* p = skin.pixels + 3 * (static_cast<size_t>(y) * skin.width + x);
  return {p[0], p[1], p[2]};
}

std::vector<Coverage> Rasterise(const std::vector<Vec3>& corners, const float* uv,
                                const RgbImage& skin, float cx, float cy, float half) {
  const int size = GlTestContext::kSize;
  std::vector<Coverage> pixels(size * size);
  std::vector<float> depth(size * size, -1e30f);
  for (size_t t = 0; t + 2 < corners.size(); t += 3) {
    const Vec3 &a = corners[t], &b = corners[t + 1], &c = corners[t + 2];
    const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (area == 0) continue;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const float px = cx - half + (x + 0.5f) * 2 * half / size;
        const float py = cy - half + (y + 0.5f) * 2 * half / size;
        const float wa = ((b.x - px) * (c.y - py) - (c.x - px) * (b.y - py)) / area;
        const float wb = ((c.x - px) * (a.y - py) - (a.x - px) * (c.y - py)) / area;
        const float wc = 1 - wa - wb;
        if (wa < 0 || wb < 0 || wc < 0) continue;
        const float z = wa * a.z + wb * b.z + wc * c.z;
        const int i = y * size + x;
        if (z <= depth[i]) continue;
        depth[i] = z;
        const float u = wa * uv[2 * t] + wb * uv[2 * t + 2] + wc * uv[2 * t + 4];
        const float v = wa * uv[2 * t + 1] + wb * uv[2 * t + 3] + wc * uv[2 * t + 5];
        pixels[i] = {true, SkinAt(skin, u, v)};
      }
  }
  return pixels;
}

TEST(OpenGLModelMd2, SkinnedModelCoversItsTrianglesWithTheSkin) {
  OpenGLEngine& engine = GlTestContext::Fresh();
  const std::string skinPath = ModelFile("faerie2.bmp");
  OpenGLTexture skin;
  skin.Init(skinPath.c_str(), false);
  ASSERT_EQ(skin.status, E_OK);
  auto model = LoadModel(ModelFile("faerie.md2"));
  model->SetTransform(0, 0, 0, 0, 0, 0);
  const std::vector<Vec3> corners = Positions(*model);
  Vec3 low = corners[0], high = corners[0];
  for (const Vec3& p : corners) {
    low = Vec3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high = Vec3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
  }
  const float cx = (low.x + high.x) / 2, cy = (low.y + high.y) / 2;
  const float half = 0.55f * std::max(high.x - low.x, high.y - low.y);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(cx - half, cx + half, cy - half, cy + half, -high.z - 1, -low.z + 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  engine.SetDepthTest(true);
  engine.ClearDepth();
  skin.Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  model->Render();
  engine.SetDepthTest(false);

  const int size = GlTestContext::kSize;
  std::vector<unsigned char> drawn(4 * size * size);
  glFinish();
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, drawn.data());
  RgbImage* image = LoadDibImageA(skinPath.c_str());
  ASSERT_NE(image, nullptr);
  const std::vector<Coverage> expected =
      Rasterise(corners, model->MeshAt(0)->TexCoords(0), *image, cx, cy, half);
  FreeRgbImage(image);

  // Edges may fall either way; the skin is sampled with filtering.
  int covered = 0, coverageMisses = 0, skinMatches = 0;
  for (int i = 0; i < size * size; ++i) {
    const Rgb seen{drawn[4 * i], drawn[4 * i + 1], drawn[4 * i + 2]};
    const bool lit = seen.r + seen.g + seen.b > 0;
    if (lit != expected[i].covered) ++coverageMisses;
    if (!expected[i].covered) continue;
    ++covered;
    if (Near(seen, expected[i].colour, 40)) ++skinMatches;
  }
  EXPECT_GT(covered, size * size / 10);
  EXPECT_LT(coverageMisses, size * size / 50);
  EXPECT_GT(skinMatches, covered * 8 / 10);
}

// The builder's one frame, made a triangle over the lower left half of the
// square (-1..1, -1..1) at z = 0.
Bytes OneFrameFile() {
  TestMd2 md2;
  md2.frames[0] = {
      "stand01", {0.01f, 0.01f, 0.01f}, {-1, 0, -1}, {{0, 0, 0}, {200, 0, 0}, {0, 0, 200}}};
  return md2.Build();
}

TEST(OpenGLModelMd2, ModelWithoutAnimationsDrawsItsFirstFrame) {
  GlTestContext::Engine();
  const Bytes file = OneFrameFile();
  WriteAll("oneframe.md2", file.data(), file.size());
  auto model = LoadModel("oneframe.md2");
  ASSERT_EQ(model->MeshCount(), 1);
  const std::vector<Vec3> loaded = Positions(*model);
  ASSERT_EQ(loaded.size(), 6u);
  EXPECT_EQ(loaded[1].x, 1.0f);
  EXPECT_EQ(loaded[2].y, 1.0f);
  model->SetTransform(0, 0, 0, 0, 0, 0);

  for (int draw = 0; draw < 2; ++draw) {
    GlTestContext::Fresh();
    glColor3f(1, 1, 1);
    if (draw == 0)
      model->Animate(3, 0.7f);
    else
      model->RenderFrame(2, 5);
    EXPECT_TRUE(Mixes(Positions(*model), loaded, loaded, 0)) << draw;
    EXPECT_TRUE(Near(ReadPixel(16, 16), {255, 255, 255})) << draw;
    EXPECT_TRUE(Near(ReadPixel(48, 48), {0, 0, 0})) << draw;
  }
}

TEST(OpenGLModelMd2, RefusedFileMakesNothing) {
  GlTestContext::Fresh();
  Bytes file = OneFrameFile();
  PutI32(file, kVersion, 7);
  WriteAll("version7.md2", file.data(), file.size());
  for (const char* path : {"version7.md2", "missing.md2"}) {
    auto model = LoadModel(path);
    EXPECT_EQ(model->MeshCount(), 0) << path;
    glColor3f(1, 1, 1);
    model->Animate(1, 0.5f);
    model->RenderFrame(1, 1);
    EXPECT_TRUE(Near(ReadPixel(16, 16), {0, 0, 0})) << path;
  }
}

}  // namespace
