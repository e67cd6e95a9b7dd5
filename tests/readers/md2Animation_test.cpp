#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "md2/md2Animation.h"
#include "md2Builder.h"
#include "readerTestUtil.h"

namespace {
// Frame names for `animations` animations of `frames` frames each, and one
// closing frame: a file's last frame ends the animation before it.
std::vector<std::string> Names(int animations, int frames) {
  std::vector<std::string> names;
  for (int a = 0; a < animations; ++a)
    for (int f = 1; f <= frames; ++f) names.push_back("anim" + std::string(1, 'a' + a) + std::to_string(f));
  names.push_back("last1");
  return names;
}

Md2ModelData Loaded(const TestMd2& md2) {
  Md2ModelData data;
  Md2Loader loader;
  const Bytes bytes = md2.Build();
  EXPECT_TRUE(loader.LoadFromMemory(data, bytes.data(), bytes.size(), "test.md2", nullptr));
  return data;
}

// The builder's frame i has vertex 0 at (i, 0, 0); the first triangle's
// first corner is vertex 0.
float FrameMark(const Vec3* corners) { return corners[0].x; }
}  // namespace

TEST(Md2KeyFrames, ExpandsEachAnimationsFramesInCornerOrder) {
  const Md2ModelData data = Loaded(TestMd2(Names(3, 4)));
  Md2Animations animations;
  animations.Build(data);
  ASSERT_EQ(animations.AnimationCount(), 3);
  EXPECT_EQ(animations.CornerCount(), 6);
  for (int a = 0; a < 3; ++a) EXPECT_EQ(animations.FrameCount(a), 4);
  // Triangles (0, 1, 2) and (2, 1, 0) of frame 5, whose vertices (5, 0, 0),
  // (0, 5, 1) and (0, 0, 5) the reader holds y-up as (x, z, -y).
  const Vec3* frame = animations.Frame(1, 1);
  const float expected[6][3] = {{5, 0, 0}, {0, 1, -5}, {0, 5, 0}, {0, 5, 0}, {0, 1, -5}, {5, 0, 0}};
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(frame[c].x, expected[c][0]) << c;
    EXPECT_EQ(frame[c].y, expected[c][1]) << c;
    EXPECT_EQ(frame[c].z, expected[c][2]) << c;
  }
}

TEST(Md2KeyFrames, FrameAndAnimationNumbersWrap) {
  const Md2ModelData two = Loaded(TestMd2(Names(2, 4)));
  Md2Animations animations;
  animations.Build(two);
  EXPECT_EQ(FrameMark(animations.Frame(5, 7)), 7.0f);  // animation 1, frame 3
  EXPECT_EQ(FrameMark(animations.Frame(-1, -1)), 7.0f);
  EXPECT_EQ(FrameMark(animations.Frame(0, 4)), 0.0f);
}

TEST(Md2KeyFrames, BlendPlaysOneCyclePerTimeUnit) {
  const Md2ModelData data = Loaded(TestMd2(Names(3, 4)));
  Md2Animations animations;
  animations.Build(data);
  std::vector<Vec3> out(6);
  float t = -1.0f;

  ASSERT_TRUE(animations.Blend(0, 2.75f, out.data(), &t));  // frame 3 exactly
  EXPECT_EQ(t, 0.75f);
  EXPECT_EQ(FrameMark(out.data()), 3.0f);

  ASSERT_TRUE(animations.Blend(4, 0.375f, out.data(), &t));  // animation 1, frame 1 half way to 2
  EXPECT_EQ(FrameMark(out.data()), 5.5f);
  EXPECT_EQ(out[1].z, -5.5f);
  EXPECT_EQ(out[1].y, 1.0f);  // equal in both key frames

  ASSERT_TRUE(animations.Blend(0, 1.25f, out.data(), &t));
  EXPECT_EQ(FrameMark(out.data()), 1.0f);

  ASSERT_TRUE(animations.Blend(2, 0.875f, out.data(), &t));  // last frame blends towards the first
  EXPECT_EQ(FrameMark(out.data()), 11.0f + (8.0f - 11.0f) * 0.5f);
}

TEST(Md2KeyFrames, BlendStaysWithinTheFramesForAnyTime) {
  const Md2ModelData data = Loaded(TestMd2(Names(1, 4)));
  Md2Animations animations;
  animations.Build(data);
  std::vector<Vec3> out(6);
  float t = 0.0f;
  const float times[] = {-0.25f, std::nextafter(1.0f, 0.0f), -std::nextafter(1.0f, 0.0f),
                         std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(), 1e30f};
  for (float time : times) {
    ASSERT_TRUE(animations.Blend(0, time, out.data(), &t)) << time;
    EXPECT_GE(t, 0.0f) << time;
    EXPECT_LT(t, 1.0f) << time;
    EXPECT_GE(FrameMark(out.data()), 0.0f) << time;
    EXPECT_LE(FrameMark(out.data()), 3.0f) << time;
  }
  ASSERT_TRUE(animations.Blend(0, -0.25f, out.data(), &t));
  EXPECT_EQ(t, 0.75f);
  EXPECT_EQ(FrameMark(out.data()), 3.0f);
}

TEST(Md2KeyFrames, OneFrameFileHasNoAnimationsButItsCorners) {
  const Md2ModelData data = Loaded(TestMd2({"single"}));
  Md2Animations animations;
  animations.Build(data);
  EXPECT_EQ(animations.AnimationCount(), 0);
  EXPECT_EQ(animations.FrameCount(3), 0);
  EXPECT_EQ(animations.Frame(0, 0), nullptr);
  std::vector<Vec3> out(6);
  float t = 0.5f;
  EXPECT_FALSE(animations.Blend(0, 0.5f, out.data(), &t));

  std::vector<Vec3> positions;
  std::vector<TexCoord> texCoords;
  ASSERT_TRUE(Md2FirstFrameCorners(data, positions, texCoords));
  ASSERT_EQ(positions.size(), 6u);
  ASSERT_EQ(texCoords.size(), 6u);
  // Corner texture indices (2, 1, 0) then (0, 0, 0): (256, 256), (128, 64), (0, 0).
  EXPECT_EQ(texCoords[0].u, 1.0f);
  EXPECT_EQ(texCoords[0].v, 0.0f);
  EXPECT_EQ(texCoords[1].u, 0.5f);
  EXPECT_EQ(texCoords[1].v, 0.75f);
  EXPECT_EQ(texCoords[5].u, 0.0f);
  EXPECT_EQ(texCoords[5].v, 1.0f);

  EXPECT_FALSE(Md2FirstFrameCorners(Md2ModelData(), positions, texCoords));
  EXPECT_TRUE(positions.empty());
}

TEST(Md2KeyFrames, RealModelBlendsBetweenItsKeyFrames) {
  Md2ModelData data;
  Md2Loader loader;
  ASSERT_TRUE(loader.Load(data, SharedModelPath("/usr/share/assimp/models/MD2/faerie.md2").c_str(),
                          nullptr));
  Md2Animations animations;
  animations.Build(data);
  ASSERT_EQ(animations.AnimationCount(), data.animationCount);
  ASSERT_GT(animations.AnimationCount(), 1);
  EXPECT_EQ(animations.CornerCount(), 3 * 654);
  for (int a = 0; a < animations.AnimationCount(); ++a) {
    const int n = animations.FrameCount(a);
    ASSERT_EQ(n, data.animations[a].endFrame - data.animations[a].startFrame);
    // A quarter of the way from frame 0 to frame 1 (or to itself, with one frame).
    std::vector<Vec3> out(animations.CornerCount());
    float t = 0.0f;
    ASSERT_TRUE(animations.Blend(a, 0.25f / n, out.data(), &t));
    const Vec3* from = animations.Frame(a, 0);
    const Vec3* to = animations.Frame(a, 1);
    for (int i = 0; i < animations.CornerCount(); ++i) {
      EXPECT_GE(out[i].x, std::fmin(from[i].x, to[i].x));
      EXPECT_LE(out[i].x, std::fmax(from[i].x, to[i].x));
      EXPECT_GE(out[i].z, std::fmin(from[i].z, to[i].z));
      EXPECT_LE(out[i].z, std::fmax(from[i].z, to[i].z));
    }
  }
}

// A closed shape whose triangles the file winds clockwise seen from outside.
TEST(Md2KeyFrames, NormalsPointOutOfTheModelAndFollowTheBlend) {
  TestMd2 md2(Names(1, 2));
  md2.triangles = {{0, 2, 1, 0, 0, 0}, {0, 3, 2, 0, 0, 0}, {0, 1, 3, 0, 0, 0}, {1, 2, 3, 0, 0, 0}};
  for (TestFrame& frame : md2.frames) frame.vertices = {{0, 0, 0}, {0, 0, 9}, {0, 9, 0}, {9, 0, 0}};
  md2.frames[1].vertices[3] = {18, 0, 0};  // stretched along x
  const Md2ModelData data = Loaded(md2);
  Md2Animations animations;
  animations.Build(data);
  const Vec3* corners = animations.Frame(0, 0);
  const Vec3* normals = animations.FrameNormals(0, 0);
  ASSERT_NE(normals, nullptr);
  const Vec3 centre(2.25f, 2.25f, -2.25f);  // y-up
  for (int c = 0; c < 12; ++c) {
    EXPECT_NEAR(normals[c].Length(), 1.0f, 1e-5f) << c;
    EXPECT_GT(normals[c].Dot(corners[c] - centre), 0.0f) << c;
  }
  // Corner 0 is vertex 0, the corner where the three flat sides meet.
  const float third = 1.0f / std::sqrt(3.0f);
  EXPECT_NEAR(normals[0].x, -third, 1e-5f);
  EXPECT_NEAR(normals[0].y, -third, 1e-5f);
  EXPECT_NEAR(normals[0].z, third, 1e-5f);

  std::vector<Vec3> positions(12), blended(12);
  float t = 0.0f;
  ASSERT_TRUE(animations.Blend(0, 0.25f, positions.data(), &t, blended.data()));
  const Vec3* stretched = animations.FrameNormals(0, 1);
  for (int c = 0; c < 12; ++c) {
    EXPECT_NEAR(blended[c].x, (normals[c].x + stretched[c].x) * 0.5f, 1e-6f) << c;
    EXPECT_NEAR(blended[c].z, (normals[c].z + stretched[c].z) * 0.5f, 1e-6f) << c;
  }
  EXPECT_NE(stretched[3].x, normals[3].x);  // the slanted side turned
}

TEST(Md2KeyFrames, RealModelNormalsFaceOutwards) {
  Md2ModelData data;
  ASSERT_TRUE(Md2Loader().Load(
      data, SharedModelPath("/usr/share/assimp/models/MD2/sydney.md2").c_str(), nullptr));
  const Md2FrameObject& first = data.objects[0];
  std::vector<Vec3> corners(3 * static_cast<size_t>(first.faceCount)), normals(corners.size());
  Md2ExpandFrame(corners.data(), first, first);
  Md2ExpandFrameNormals(normals.data(), first, first);
  // Most corners face away from the middle (limbs turn some inner sides
  // towards it).
  Vec3 centre;
  for (const Vec3& corner : corners) centre += corner / static_cast<float>(corners.size());
  size_t outwards = 0;
  for (size_t c = 0; c < corners.size(); ++c) outwards += normals[c].Dot(corners[c] - centre) > 0;
  EXPECT_GT(outwards, corners.size() * 2 / 3) << outwards << " of " << corners.size();
}
