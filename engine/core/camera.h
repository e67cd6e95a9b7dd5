#pragma once

#include "core/engineObject.h"
#include "core/vec3.h"

// An eye point, a point looked at and an up vector, moved by the keys of the
// main window.
class Camera : public EngineObject {
 public:
  Camera();
  ~Camera() override = default;

  void Place(const Vec3& eye, const Vec3& target, const Vec3& upVector);
  // strafe = normalise((view - position) x up); zero when degenerate.
  void UpdateStrafe();
  // Moves eye and view point sideways in the horizontal plane.
  void Strafe(float amount);
  // Moves eye and view point along the view direction.
  void Advance(float amount);
  // Turns the view point about the axis (x, y, z) through the eye; the axis
  // is used as given, not normalised.
  void Rotate(float angle, float x, float y, float z);
  // Turns the view by the cursor's movement (screen coordinates) since the
  // previous call: 1/30 radian per pixel, pitch about the strafe axis, then
  // yaw about y. The window code passes the cursor position it reads.
  void MouseLook(int cursorX, int cursorY);

  Vec3 position;
  Vec3 view;
  Vec3 up;
  Vec3 strafe;
  int lastCursorX;
  int lastCursorY;
};
