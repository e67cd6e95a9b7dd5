#include "core/camera.h"

#include <cmath>

Camera::Camera() : lastCursorX(0), lastCursorY(0) {}

void Camera::Place(const Vec3& eye, const Vec3& target, const Vec3& upVector) {
  position = eye;
  view = target;
  up = upVector;
  UpdateStrafe();
}

void Camera::UpdateStrafe() {
  strafe.SetCross(view - position, up);
  strafe.Normalise();
}

void Camera::Strafe(float amount) {
  UpdateStrafe();
  position.x += amount * strafe.x;
  position.z += amount * strafe.z;
  view.x += amount * strafe.x;
  view.z += amount * strafe.z;
}

void Camera::Advance(float amount) {
  Vec3 direction = view - position;
  direction.Normalise();
  position += direction * amount;
  view += direction * amount;
  UpdateStrafe();
}

void Camera::Rotate(float angle, float x, float y, float z) {
  const Vec3 d = view - position;
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const float t = 1.0f - c;
  Vec3 turned;
  turned.x = (c + t * x * x) * d.x + (t * x * y - s * z) * d.y + (t * x * z + s * y) * d.z;
  turned.y = (t * x * y + s * z) * d.x + (c + t * y * y) * d.y + (t * y * z - s * x) * d.z;
  turned.z = (t * x * z - s * y) * d.x + (t * y * z + s * x) * d.y + (c + t * z * z) * d.z;
  view = position + turned;
}

void Camera::MouseLook(int cursorX, int cursorY) {
  if (cursorX == lastCursorX && cursorY == lastCursorY) return;
  const float kRadiansPerPixel = 1.0f / 30.0f;
  const float yaw = static_cast<float>(cursorX - lastCursorX) * kRadiansPerPixel;
  const float pitch = static_cast<float>(lastCursorY - cursorY) * kRadiansPerPixel;
  Vec3 axis;
  axis.SetCross(view - position, up);
  axis.Normalise();
  Rotate(pitch, axis.x, axis.y, axis.z);
  Rotate(yaw, 0.0f, 1.0f, 0.0f);
  lastCursorX = cursorX;
  lastCursorY = cursorY;
}
