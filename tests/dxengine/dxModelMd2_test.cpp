// DXModel::LoadMD2 with RenderFrame and Animate, on real models and on files
// built for the test.

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "dxTestSupport.h"
#include "dxengine/dxModel.h"
#include "md2/Md2.h"
#include "readers/md2Builder.h"

namespace {

using DXModelMd2 = DXRenderTest;

std::string RealModel(const std::string& name) {
  return SharedModelPath(("/usr/share/assimp/models/MD2/" + name).c_str());
}

// Frame `index` of the file as triangle corners, straight from the reader.
std::vector<Vec3> FileFrame(const Md2ModelData& data, int index) {
  std::vector<Vec3> corners(3 * static_cast<size_t>(data.objects[0].faceCount));
  Md2ExpandFrame(corners.data(), data.objects[static_cast<size_t>(index)], data.objects[0]);
  return corners;
}

// The largest difference of any component.
float Distance(const std::vector<Vec3>& a, const std::vector<Vec3>& b) {
  if (a.size() != b.size()) return INFINITY;
  float most = 0.0f;
  for (size_t i = 0; i < a.size(); ++i)
    most = std::max({most, std::fabs(a[i].x - b[i].x), std::fabs(a[i].y - b[i].y),
                     std::fabs(a[i].z - b[i].z)});
  return most;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  WriteAll(path, bytes.data(), bytes.size());
}

float CornerX(const DXModel& model) { return MeshPositions(*model.GetMesh(0))[0].x; }

TEST_F(DXModelMd2, RealModelsBlendAndWrapTheirKeyFrames) {
  for (const auto& [name, triangles] : {std::pair{"faerie.md2", 654}, {"sydney.md2", 679}}) {
    SCOPED_TRACE(name);
    const std::string path = RealModel(name);
    DXModel model;
    model.LoadMD2(path.c_str());
    ASSERT_EQ(model.status, E_OK) << model.message;
    ASSERT_EQ(model.MeshCount(), 1);
    EXPECT_EQ(model.GetMesh(0)->vertexCount, 3 * triangles);
    EXPECT_EQ(model.GetMesh(0)->indexCount, 3 * triangles);
    Md2ModelData data;
    ASSERT_TRUE(Md2Loader().Load(data, path.c_str(), nullptr));
    ASSERT_EQ(model.AnimationCount(), data.animationCount);
    ASSERT_GE(data.animationCount, 2);
    EXPECT_EQ(Distance(MeshPositions(*model.GetMesh(0)), FileFrame(data, 0)), 0.0f);

    // Half way from key frame 2 to key frame 3 of the first animation.
    const Md2Animation& first = data.animations[0];
    const int frames = first.endFrame - first.startFrame;
    ASSERT_GE(frames, 4);
    model.Animate(0, 2.0f + 2.5f / static_cast<float>(frames));
    std::vector<Vec3> middle = FileFrame(data, first.startFrame + 2);
    const std::vector<Vec3> next = FileFrame(data, first.startFrame + 3);
    for (size_t i = 0; i < middle.size(); ++i) middle[i] = (middle[i] + next[i]) * 0.5f;
    EXPECT_LT(Distance(MeshPositions(*model.GetMesh(0)), middle), 0.01f);
    // The normals are blended alike.
    Md2Animations keys;
    keys.Build(data);
    std::vector<Vec3> positions(middle.size()), normals(middle.size());
    float cycle = 0.0f;
    keys.Blend(0, 2.0f + 2.5f / static_cast<float>(frames), positions.data(), &cycle,
               normals.data());
    const std::vector<float> words = model.GetMesh(0)->ReadVertexWords(3, 3);
    ASSERT_EQ(words.size(), 3 * normals.size());
    EXPECT_EQ(Distance(std::vector<Vec3>(reinterpret_cast<const Vec3*>(words.data()),
                                         reinterpret_cast<const Vec3*>(words.data()) + normals.size()),
                       normals),
              0.0f);

    const Md2Animation& second = data.animations[1];
    model.RenderFrame(1 + data.animationCount, second.endFrame - second.startFrame + 1);
    EXPECT_EQ(Distance(MeshPositions(*model.GetMesh(0)), FileFrame(data, second.startFrame + 1)),
              0.0f);
  }
}

TEST_F(DXModelMd2, SkinnedModelCoversItsOutline) {
  DXModel model;
  model.LoadMD2(RealModel("sydney.md2").c_str());
  ASSERT_EQ(model.status, E_OK) << model.message;
  DXTexture skin;
  skin.Init(RealModel("sydney.bmp").c_str(), false);
  ASSERT_EQ(skin.status, E_OK) << skin.message;
  model.GetMesh(0)->SetTexture(&skin, 0);

  // Fit the first frame's box into the clip square: its height over 56 of
  // the 64 rows, its depth within 0.1 to 0.9.
  const std::vector<Vec3> corners = MeshPositions(*model.GetMesh(0));
  Vec3 low = corners[0], high = corners[0];
  for (const Vec3& p : corners) {
    low.Set(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high.Set(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
  }
  const float scale = 1.75f / (high.y - low.y);
  const float depth = 0.8f / (high.z - low.z);
  const Vec3 centre = (low + high) * 0.5f;
  model.SetTransform(-centre.x * scale, -centre.y * scale, 0.5f - centre.z * depth, 0, 0, 0);
  model.SetScale(scale, scale, depth);
  model.Render();

  const std::vector<uint32_t> pixels = ReadPixels();
  const int top = static_cast<int>(std::ceil(32 - 32 * (high.y - centre.y) * scale));
  const int left = static_cast<int>(std::floor(32 + 32 * (low.x - centre.x) * scale));
  const int right = static_cast<int>(std::ceil(32 + 32 * (high.x - centre.x) * scale));
  int litTop = kSize, litBottom = -1, outside = 0;
  std::set<uint32_t> colours;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const uint32_t pixel = pixels[static_cast<size_t>(y) * kSize + x];
      if (pixel == 0) continue;
      litTop = std::min(litTop, y);
      litBottom = std::max(litBottom, y);
      outside += x < left - 1 || x > right + 1;
      colours.insert(pixel);
    }
  // Head to feet over the rows the box maps to, nothing beside it, and the
  // skin's many colours rather than one.
  EXPECT_NEAR(litTop, top, 2);
  EXPECT_NEAR(litBottom, kSize - 1 - top, 2);
  EXPECT_EQ(outside, 0);
  EXPECT_GT(colours.size(), 20u);
}

TEST_F(DXModelMd2, BuiltFramesBlendWrapAndKeepTheSkinRows) {
  // One animation of four frames; corner 0 lies at x = the frame's index.
  WriteFile("walk.md2", TestMd2({"walk01", "walk02", "walk03", "walk04", "end01"}).Build());
  DXModel walk;
  walk.LoadMD2("walk.md2");
  ASSERT_EQ(walk.status, E_OK) << walk.message;
  EXPECT_EQ(walk.message, "Succesfully Loaded walk.md2");
  ASSERT_EQ(walk.AnimationCount(), 1);
  walk.Animate(0, 1.25f);  // frame 1 exactly
  EXPECT_EQ(CornerX(walk), 1.0f);
  walk.Animate(0, 0.375f);  // half way from frame 1 to 2
  EXPECT_FLOAT_EQ(CornerX(walk), 1.5f);
  walk.Animate(3, 0.875f);  // half way from the last frame back to the first
  EXPECT_FLOAT_EQ(CornerX(walk), 1.5f);
  walk.Animate(0, -0.25f);  // a quarter before the end of the cycle
  EXPECT_EQ(CornerX(walk), 3.0f);

  // Texture (256, 256) then (128, 64) of a 256 x 256 skin: Direct3D's rows
  // count from the top as the file's do. Both channels hold them.
  const DXMesh& mesh = *walk.GetMesh(0);
  for (int channel = 0; channel < 2; ++channel) {
    const std::vector<float> uv = mesh.ReadVertexWords(mesh.TexCoordWord(channel), 2);
    ASSERT_EQ(uv.size(), 12u);
    EXPECT_EQ(std::vector<float>(uv.begin(), uv.begin() + 4),
              (std::vector<float>{1, 1, 0.5f, 0.25f}));
  }

  // Two animations of five frames: RenderFrame(7, 9) is animation 1, frame 4.
  WriteFile("run.md2", TestMd2({"walk01", "walk02", "walk03", "walk04", "walk05", "run01", "run02",
                               "run03", "run04", "run05", "end01"})
                          .Build());
  DXModel run;
  run.LoadMD2("run.md2");
  ASSERT_EQ(run.AnimationCount(), 2);
  run.RenderFrame(7, 9);
  EXPECT_EQ(CornerX(run), 9.0f);
}

TEST_F(DXModelMd2, OneFrameModelDrawsItsFrame) {
  // A triangle over the lower left half of the clip square at depth 0.5.
  TestMd2 file;
  file.frames[0] = {"stand01", {1 / 64.0f, 1, 1 / 64.0f}, {-1, -0.5f, -1},
                    {{0, 0, 0}, {128, 0, 0}, {0, 0, 128}}};
  WriteFile("stand.md2", file.Build());
  DXModel model;
  model.LoadMD2("stand.md2");
  ASSERT_EQ(model.status, E_OK) << model.message;
  EXPECT_EQ(model.AnimationCount(), 0);
  const std::vector<Vec3> loaded = MeshPositions(*model.GetMesh(0));
  model.Animate(2, 0.6f);
  EXPECT_EQ(PixelAt(8, 56), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(56, 8), 0u);
  engine->ClearTarget(Colour(0, 0, 0, 0));
  model.RenderFrame(3, 7);
  EXPECT_EQ(PixelAt(8, 56), 0xFFFFFFu);
  EXPECT_EQ(Distance(MeshPositions(*model.GetMesh(0)), loaded), 0.0f);
}

}  // namespace
