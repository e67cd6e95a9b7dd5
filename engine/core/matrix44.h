#pragma once

#include "core/vec3.h"

// Row-major 4 x 4 matrix; row vectors transform as v' = v * M, so the
// translation is row 3 (m[12], m[13], m[14]).
struct Matrix44 {
  float m[16];

  Matrix44();  // identity

  void Set(const float values[16]);
  void SetTranslation(const Vec3& t);
  // Sets the nine rotation elements from angles (x, y, z) in radians.
  void SetRotation(const Vec3& angles);
  // this = b * this (affine): b applies first, then the old this.
  void PreMultiply(const Matrix44& b);
  void Rotate(Vec3& v) const;
  void InverseRotate(Vec3& v) const;
  void Translate(Vec3& v) const;
  void InverseTranslate(Vec3& v) const;
};
