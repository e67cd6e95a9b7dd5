#include "core/matrix44.h"

#include <cmath>
#include <cstring>

Matrix44::Matrix44() {
  std::memset(m, 0, sizeof m);
  m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void Matrix44::Set(const float values[16]) { std::memcpy(m, values, sizeof m); }

void Matrix44::SetTranslation(const Vec3& t) {
  m[12] = t.x;
  m[13] = t.y;
  m[14] = t.z;
}

void Matrix44::SetRotation(const Vec3& angles) {
  const float cx = std::cos(angles.x), sx = std::sin(angles.x);
  const float cy = std::cos(angles.y), sy = std::sin(angles.y);
  const float cz = std::cos(angles.z), sz = std::sin(angles.z);
  m[0] = cy * cz;
  m[1] = cy * sz;
  m[2] = -sy;
  m[4] = sx * sy * cz - cx * sz;
  m[5] = sx * sy * sz + cx * cz;
  m[6] = sx * cy;
  m[8] = cx * sy * cz + sx * sz;
  m[9] = cx * sy * sz - sx * cz;
  m[10] = cx * cy;
}

void Matrix44::PreMultiply(const Matrix44& b) {
  float r[16];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      r[4 * i + j] = b.m[4 * i] * m[j] + b.m[4 * i + 1] * m[4 + j] + b.m[4 * i + 2] * m[8 + j];
  for (int j = 0; j < 3; ++j)
    r[12 + j] = b.m[12] * m[j] + b.m[13] * m[4 + j] + b.m[14] * m[8 + j] + m[12 + j];
  r[3] = r[7] = r[11] = 0.0f;
  r[15] = 1.0f;
  std::memcpy(m, r, sizeof m);
}

void Matrix44::Rotate(Vec3& v) const {
  const Vec3 o = v;
  v.Set(m[0] * o.x + m[4] * o.y + m[8] * o.z, m[1] * o.x + m[5] * o.y + m[9] * o.z,
        m[2] * o.x + m[6] * o.y + m[10] * o.z);
}

void Matrix44::InverseRotate(Vec3& v) const {
  const Vec3 o = v;
  v.Set(m[0] * o.x + m[1] * o.y + m[2] * o.z, m[4] * o.x + m[5] * o.y + m[6] * o.z,
        m[8] * o.x + m[9] * o.y + m[10] * o.z);
}

void Matrix44::Translate(Vec3& v) const {
  v.x += m[12];
  v.y += m[13];
  v.z += m[14];
}

void Matrix44::InverseTranslate(Vec3& v) const {
  v.x -= m[12];
  v.y -= m[13];
  v.z -= m[14];
}
