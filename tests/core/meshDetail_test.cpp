#include "core/meshDetail.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

// A ball as the food model is made: latitude rings with the seam column
// doubled and a vertex per segment at each pole, so it has both kinds of
// shared positions.
struct Ball {
  std::vector<float> xyz;
  std::vector<uint32_t> indices;
  explicit Ball(int segments = 12, int stacks = 6) {
    const float pi = 3.14159265f;
    for (int s = 0; s <= stacks; ++s) {
      const float latitude = (static_cast<float>(s) / stacks - 0.5f) * pi;
      for (int g = 0; g <= segments; ++g) {
        const float longitude = 2 * pi * g / segments;
        xyz.insert(xyz.end(), {std::cos(latitude) * std::cos(longitude),
                               std::cos(latitude) * std::sin(longitude), std::sin(latitude)});
      }
    }
    const uint32_t row = segments + 1;
    for (int s = 0; s < stacks; ++s)
      for (int g = 0; g < segments; ++g) {
        const uint32_t a = s * row + g, b = a + 1, c = a + row + 1, d = a + row;
        if (s > 0) indices.insert(indices.end(), {a, b, c});
        if (s < stacks - 1) indices.insert(indices.end(), {a, c, d});
      }
  }
  int32_t Vertices() const { return static_cast<int32_t>(xyz.size() / 3); }
};

Vec3 At(const std::vector<float>& xyz, uint32_t v) {
  return Vec3(xyz[3 * v], xyz[3 * v + 1], xyz[3 * v + 2]);
}

TEST(MeshDetail, BallLevelsShrinkNoFaceTurnsInwardAndErrorsAreMeasured) {
  const Ball ball;
  const auto levels = SimplifyTriangles(ball.xyz.data(), ball.Vertices(), ball.indices,
                                        {0.7f, 0.5f, 0.25f});
  ASSERT_EQ(levels.size(), 3u);
  size_t previous = ball.indices.size();
  float previousError = 0.0f;
  for (const DetailLevel& level : levels) {
    ASSERT_EQ(level.indices.size() % 3, 0u);
    EXPECT_LT(level.indices.size(), previous);
    previous = level.indices.size();
    // Every vertex of the ball is on the unit sphere: a level's faces cut
    // into it by some, and by no more than its error.
    EXPECT_GT(level.error, 0.0f);
    EXPECT_GE(level.error, previousError);
    previousError = level.error;
    float deepest = 0.0f;  // of the faces' centres below the sphere
    for (size_t i = 0; i < level.indices.size(); i += 3) {
      const Vec3 a = At(ball.xyz, level.indices[i]), b = At(ball.xyz, level.indices[i + 1]),
                 c = At(ball.xyz, level.indices[i + 2]);
      Vec3 normal;
      normal.SetCross(b - a, c - a);
      // The ball's faces wind one way round; a folded face would point in.
      EXPECT_GT(normal.Dot(a + b + c), 0.0f) << "face " << i / 3;
      deepest = std::fmax(deepest, 1.0f - ((a + b + c) * (1.0f / 3)).Length());
    }
    // The ball's own faces lie up to 0.07 inside the sphere.
    EXPECT_LE(deepest, level.error + 0.07f);
  }
}

TEST(MeshDetail, AFlatSheetKeepsItsOutlineAndItsSeamVertices) {
  // A 6 x 6 grid in z = 0 whose middle column is doubled, as a texture seam.
  std::vector<float> xyz;
  const int n = 7;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) xyz.insert(xyz.end(), {float(x), float(y), 0.0f});
  const uint32_t seam = static_cast<uint32_t>(xyz.size() / 3);
  for (int y = 0; y < n; ++y) xyz.insert(xyz.end(), {3.0f, float(y), 0.0f});
  std::vector<uint32_t> indices;
  for (uint32_t y = 0; y + 1 < n; ++y)
    for (uint32_t x = 0; x + 1 < n; ++x) {
      auto v = [&](uint32_t cx, uint32_t cy) { return cx == 3 && x == 3 ? seam + cy : cy * n + cx; };
      indices.insert(indices.end(), {v(x, y), v(x + 1, y), v(x + 1, y + 1)});
      indices.insert(indices.end(), {v(x, y), v(x + 1, y + 1), v(x, y + 1)});
    }
  const auto levels = SimplifyTriangles(xyz.data(), seam + n, indices, {0.3f});
  ASSERT_EQ(levels.size(), 1u);
  EXPECT_NEAR(levels[0].error, 0.0f, 1e-6f);  // in its plane, nothing moves
  const std::vector<uint32_t>& level = levels[0].indices;
  std::set<uint32_t> used(level.begin(), level.end());
  EXPECT_LT(level.size(), indices.size() / 2);
  // Corners hold the outline; every seam vertex and its twin stay.
  for (uint32_t corner : {0u, 6u, 42u, 48u}) EXPECT_TRUE(used.count(corner)) << corner;
  for (uint32_t y = 0; y < n; ++y) {
    EXPECT_TRUE(used.count(seam + y)) << y;
    EXPECT_TRUE(used.count(y * n + 3)) << y;
  }
  float area = 0.0f;
  for (size_t i = 0; i < level.size(); i += 3) {
    Vec3 normal;
    normal.SetCross(At(xyz, level[i + 1]) - At(xyz, level[i]), At(xyz, level[i + 2]) - At(xyz, level[i]));
    EXPECT_GT(normal.z, 0.0f);
    area += 0.5f * normal.z;
  }
  EXPECT_NEAR(area, 36.0f, 1e-3f);  // no hole, no overlap
}

// A unit ball placed at distance `z` in front of an eye at the origin.
int LevelAt(MeshDetail& detail, float z, float scale = 1.0f) {
  const float world[16] = {scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, scale, 0, 0, 0, z, 1};
  return detail.Choose(world).level;
}

TEST(MeshDetail, ChoosesByTheSizeOnScreenOnlyWithAViewAndUnchangedData) {
  const Ball ball;
  MeshDetail detail;
  detail.Init(true, ball.Vertices(), static_cast<int32_t>(ball.indices.size()));
  detail.SetPositions(ball.xyz.data());
  detail.SetIndices(ball.indices.data());

  SetDetailViewport(1024, 768);
  EXPECT_EQ(LevelAt(detail, 1000.0f), 0);  // no eye or projection yet
  SetDetailEye(Vec3(0, 0, 0));
  SetDetailProjection(2.4142136f, 2.4142136f, 0.01f);  // 45 degrees, square
  // An animation sets its vertices before every draw: no levels are made.
  for (int frame = 0; frame < 3; ++frame) {
    detail.SetPositions(ball.xyz.data());
    EXPECT_EQ(LevelAt(detail, 1000.0f), 0);
  }
  EXPECT_EQ(detail.Levels(), 0);
  // Drawn large, it has no use for them either.
  EXPECT_EQ(LevelAt(detail, 2.0f), 0);
  EXPECT_EQ(detail.Levels(), 0);

  const int farthest = LevelAt(detail, 10000.0f);  // made at this first small draw
  EXPECT_GT(detail.Levels(), 2);
  EXPECT_EQ(farthest, detail.Levels());
  const uint32_t generation = detail.Generation();
  // 1236 pixels per unit at distance 1 across: a ball of radius 1 at 800 is
  // about 1.5 pixels, where only the finer levels keep within half a pixel.
  const int near = LevelAt(detail, 800.0f), nearer = LevelAt(detail, 20.0f);
  EXPECT_GT(near, 0);
  EXPECT_LT(near, detail.Levels());
  EXPECT_EQ(nearer, 0);
  EXPECT_EQ(LevelAt(detail, 8000.0f, 10.0f), near);  // ten times larger, ten times as far
  EXPECT_EQ(LevelAt(detail, 0.5f), 0);  // the eye inside the bounds
  EXPECT_EQ(detail.Generation(), generation);

  SetDetailViewport(1024, 768);  // a new window forgets the view
  EXPECT_EQ(LevelAt(detail, 10000.0f), 0);
}

TEST(MeshDetail, AClosedSurfaceIsToldFromAnOpenOrMisturnedOne) {
  const Ball ball;  // closed across its seam column and poles
  const auto part = [&](const std::vector<uint32_t>& indices) {
    return ClosedPrefix(ball.xyz.data(), ball.Vertices(), indices);
  };
  const int winding = part(ball.indices).winding;
  EXPECT_NE(winding, 0);
  std::vector<uint32_t> turned = ball.indices;
  for (size_t i = 0; i < turned.size(); i += 3) std::swap(turned[i + 1], turned[i + 2]);
  EXPECT_EQ(part(turned).winding, -winding);
  std::swap(turned[1], turned[2]);  // one face the other way round
  EXPECT_EQ(part(turned).winding, 0);
  EXPECT_EQ(part({ball.indices.begin() + 3, ball.indices.end()}).winding, 0);  // a hole
}

TEST(MeshDetail, HidesFacesOnlySeenFromOutsideAndClearOfTheNearPlane) {
  const Ball ball;
  const CullMode away =
      ClosedPrefix(ball.xyz.data(), ball.Vertices(), ball.indices).winding > 0 ? CULL_BACK
                                                                              : CULL_FRONT;
  MeshDetail detail;
  // The ball at distance `z` in front of the eye, its x axis mirrored when
  // `mirror`.
  const auto at = [&](float z, bool mirror = false) {
    const float world[16] = {mirror ? -1.0f : 1.0f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, z, 1};
    return detail.Choose(world);
  };
  const auto load = [&](const std::vector<uint32_t>& indices) {
    detail.Init(true, ball.Vertices(), static_cast<int32_t>(indices.size()));
    detail.SetPositions(ball.xyz.data());
    detail.SetIndices(indices.data());
  };
  load(ball.indices);
  SetDetailViewport(1024, 768);
  EXPECT_EQ(at(10).hidden, CULL_NONE);  // no view
  SetDetailEye(Vec3(0, 0, 0));
  SetDetailProjection(2.4142136f, 2.4142136f, 0.25f);  // the near plane's corners 0.29 away
  EXPECT_EQ(at(10).hidden, CULL_NONE);  // data that may change at every draw
  EXPECT_EQ(at(10).hidden, away);
  EXPECT_TRUE(at(10).whole);
  EXPECT_EQ(at(10, true).hidden, away == CULL_BACK ? CULL_FRONT : CULL_BACK);
  EXPECT_EQ(at(1.4f).hidden, away);
  EXPECT_EQ(at(1.25f).hidden, CULL_NONE);  // the near plane could cut it
  EXPECT_EQ(at(0.5f).hidden, CULL_NONE);   // the eye inside its bounds

  // A sheet after the ball (a fin after a body) is no part of it.
  std::vector<uint32_t> finned = ball.indices;
  finned.insert(finned.end(), {14, 15, 28});
  load(finned);
  at(10);
  EXPECT_EQ(at(10).hidden, away);
  EXPECT_EQ(at(10).closedIndices, ball.indices.size());
  EXPECT_FALSE(at(10).whole);
  SetDetailViewport(0, 0);
}

TEST(MeshDetail, MeshesOutsideTheSizesAreAlwaysWhole) {
  const Ball small(4, 3);  // 16 triangles
  MeshDetail detail;
  detail.Init(true, small.Vertices(), static_cast<int32_t>(small.indices.size()));
  detail.SetPositions(small.xyz.data());
  detail.SetIndices(small.indices.data());
  SetDetailViewport(1024, 768);
  SetDetailEye(Vec3(0, 0, 0));
  SetDetailProjection(2.4142136f, 2.4142136f, 0.01f);  // 45 degrees, square
  for (int draw = 0; draw < 3; ++draw) EXPECT_EQ(LevelAt(detail, 1000.0f), 0);
  EXPECT_EQ(detail.Levels(), 0);
  SetDetailViewport(0, 0);
}

}  // namespace
