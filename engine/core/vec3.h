#pragma once

// Three-float vector; every operation rounds each step to float.
struct Vec3 {
  float x, y, z;

  Vec3() : x(0.0f), y(0.0f), z(0.0f) {}
  Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

  void Set(float x_, float y_, float z_) {
    x = x_;
    y = y_;
    z = z_;
  }

  Vec3 operator+(const Vec3& b) const { return Vec3(x + b.x, y + b.y, z + b.z); }
  Vec3 operator-(const Vec3& b) const { return Vec3(x - b.x, y - b.y, z - b.z); }
  Vec3 operator*(float s) const { return Vec3(x * s, y * s, z * s); }
  // Multiplies by the reciprocal, taken once.
  Vec3 operator/(float s) const {
    const float inv = 1.0f / s;
    return Vec3(x * inv, y * inv, z * inv);
  }
  Vec3& operator+=(const Vec3& b) {
    x += b.x;
    y += b.y;
    z += b.z;
    return *this;
  }

  float Length() const;
  float Dot(const Vec3& v) const { return x * v.x + y * v.y + z * v.z; }
  // Makes the vector unit length; a zero vector stays zero.
  Vec3& Normalise();
  void CrossWith(const Vec3& v);
  void SetCross(const Vec3& a, const Vec3& b);
};

struct TexCoord {
  float u, v;
  TexCoord() : u(0.0f), v(0.0f) {}
  TexCoord(float u_, float v_) : u(u_), v(v_) {}
};
