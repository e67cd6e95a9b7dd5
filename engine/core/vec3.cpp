#include "core/vec3.h"

#include <cmath>

float Vec3::Length() const { return std::sqrt((x * x + y * y) + z * z); }

Vec3& Vec3::Normalise() {
  const float length = Length();
  if (length != 0.0f) {
    const float inv = 1.0f / length;
    x *= inv;
    y *= inv;
    z *= inv;
  }
  return *this;
}

void Vec3::CrossWith(const Vec3& v) {
  const Vec3 a = *this;
  SetCross(a, v);
}

void Vec3::SetCross(const Vec3& a, const Vec3& b) {
  const float cx = a.y * b.z - a.z * b.y;
  const float cy = a.z * b.x - a.x * b.z;
  const float cz = a.x * b.y - a.y * b.x;
  Set(cx, cy, cz);
}
