#include "makeassets/image.h"

#include <algorithm>
#include <cmath>

Rgb Mix(const Rgb& a, const Rgb& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(const Rgb& c, float s) { return {c.r * s, c.g * s, c.b * s}; }

namespace {
uint8_t ToByte(float channel) {
  return static_cast<uint8_t>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f));
}
}  // namespace

void Image::Set(int x, int row, const Rgb& c) {
  uint8_t* p = &pixels_[3 * (row * width_ + x)];
  p[0] = ToByte(c.r);
  p[1] = ToByte(c.g);
  p[2] = ToByte(c.b);
}
