#pragma once

#include <cstdint>

// Colour with float channels (alpha first in memory) and a packed ARGB form.
struct Colour {
  float a, r, g, b;
  uint32_t argb;

  Colour() : a(0.0f), r(0.0f), g(0.0f), b(0.0f), argb(0) {}
  // Note the argument order, red first.
  Colour(float red, float green, float blue, float alpha);

  // Recomputes `argb` from the float channels, truncating and clamping each.
  void Pack();
};
