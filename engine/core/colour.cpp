#include "core/colour.h"

namespace {
uint32_t Channel(float value) {
  const double scaled = static_cast<double>(value) * 255.0;
  if (!(scaled > 0.0)) return 0;  // also catches NaN
  if (scaled >= 255.0) return 255;
  return static_cast<uint32_t>(scaled);
}
}  // namespace

Colour::Colour(float red, float green, float blue, float alpha)
    : a(alpha), r(red), g(green), b(blue), argb(0) {
  Pack();
}

void Colour::Pack() {
  argb = (Channel(a) << 24) | (Channel(r) << 16) | (Channel(g) << 8) | Channel(b);
}
