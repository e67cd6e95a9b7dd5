#include "core/camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectVec(const Vec3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-5f);
  EXPECT_NEAR(v.y, y, 1e-5f);
  EXPECT_NEAR(v.z, z, 1e-5f);
}

TEST(Camera, StartsAtZeroAndUninitialised) {
  Camera camera;
  EXPECT_EQ(camera.status, E_UNINIT);
  EXPECT_EQ(camera.name, "Unkown");
  ExpectVec(camera.position, 0, 0, 0);
  ExpectVec(camera.strafe, 0, 0, 0);
}

TEST(Camera, StrafeMovesEyeAndViewSideways) {
  Camera camera;
  camera.Place(Vec3(0, 0, 1), Vec3(0, 0, 0), Vec3(0, 1, 0));
  ExpectVec(camera.strafe, 1, 0, 0);
  camera.Strafe(1.0f);
  ExpectVec(camera.position, 1, 0, 1);
  ExpectVec(camera.view, 1, 0, 0);
}

TEST(Camera, StrafeRecomputesDirectionAndKeepsHeight) {
  Camera camera;
  camera.Place(Vec3(0, 2, 0), Vec3(0, 0, 0), Vec3(0, 1, 0));  // looking down
  camera.view = Vec3(3, 2, 0);  // moved by hand: now looking along +x
  camera.Strafe(2.0f);
  // strafe = (1,0,0) x (0,1,0) = (0,0,1)
  ExpectVec(camera.position, 0, 2, 2);
  ExpectVec(camera.view, 3, 2, 2);
}

TEST(Camera, AdvanceMovesAlongTheViewDirection) {
  Camera camera;
  camera.Place(Vec3(0, 0, 5), Vec3(0, 0, 0), Vec3(0, 1, 0));
  camera.Advance(2.0f);
  ExpectVec(camera.position, 0, 0, 3);
  ExpectVec(camera.view, 0, 0, -2);
  camera.Advance(-1.0f);
  ExpectVec(camera.position, 0, 0, 4);
  ExpectVec(camera.strafe, 1, 0, 0);
}

TEST(Camera, RotateTurnsTheViewPointAboutTheEye) {
  Camera camera;
  camera.Place(Vec3(1, 0, 1), Vec3(1, 0, 0), Vec3(0, 1, 0));
  camera.Rotate(1.5707963f, 0, 1, 0);
  // (0,0,-1) turned a quarter about +y is (-1,0,0).
  ExpectVec(camera.view, 0, 0, 1);
  ExpectVec(camera.position, 1, 0, 1);
  // The axis is used as given: a doubled axis does not give the same turn.
  Camera other;
  other.Place(Vec3(0, 0, 0), Vec3(0, 1, 0), Vec3(1, 0, 0));
  other.Rotate(3.14159265f, 0, 2, 0);
  ExpectVec(other.view, 0, 7, 0);  // c + t*y*y = -1 + 2*4
}

TEST(Camera, DegenerateViewGivesZeroStrafe) {
  Camera camera;
  camera.Place(Vec3(1, 1, 1), Vec3(1, 1, 1), Vec3(0, 1, 0));
  ExpectVec(camera.strafe, 0, 0, 0);
  camera.Place(Vec3(0, 0, 0), Vec3(0, 3, 0), Vec3(0, 1, 0));
  ExpectVec(camera.strafe, 0, 0, 0);
}

TEST(Camera, MouseLookTurnsByCursorMovementOnce) {
  Camera camera;
  camera.Place(Vec3(0, 0, 0), Vec3(0, 0, -1), Vec3(0, 1, 0));
  // 15 pixels to the right: yaw of half a radian about +y, no pitch.
  camera.MouseLook(15, 0);
  const float yaw = 15 * (1.0f / 30.0f);
  ExpectVec(camera.view, -std::sin(yaw), 0, -std::cos(yaw));
  EXPECT_EQ(camera.lastCursorX, 15);
  EXPECT_EQ(camera.lastCursorY, 0);
  const Vec3 before = camera.view;
  camera.MouseLook(15, 0);
  ExpectVec(camera.view, before.x, before.y, before.z);
}

TEST(Camera, MouseLookUpwardPitchesUp) {
  Camera camera;
  camera.Place(Vec3(0, 0, 0), Vec3(0, 0, -1), Vec3(0, 1, 0));
  camera.lastCursorX = 100;
  camera.lastCursorY = 100;
  const Vec3 strafeBefore = camera.strafe;
  camera.MouseLook(100, 85);  // 15 pixels up
  EXPECT_GT(camera.view.y, 0.4f);
  EXPECT_NEAR(camera.view.x, 0.0f, 1e-6f);
  // strafe is left as it was.
  ExpectVec(camera.strafe, strafeBefore.x, strafeBefore.y, strafeBefore.z);
}

}  // namespace
