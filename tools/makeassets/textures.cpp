#include "makeassets/textures.h"

#include <algorithm>

#include "makeassets/noise.h"

namespace {
constexpr int kWaterSize = 128, kFoodSize = 64, kOverlaySize = 32, kRotSize = 128;

Image Even(const Rgb& colour) {
  Image image(kOverlaySize, kOverlaySize);
  image.Fill([&](float, float) { return colour; });
  return image;
}
}  // namespace

Image PaintWater() {
  const Rgb deep{0.02f, 0.07f, 0.10f}, light{0.06f, 0.14f, 0.16f}, rim{0.10f, 0.17f, 0.18f};
  Image image(kWaterSize, kWaterSize);
  image.Fill([&](float u, float v) {
    const float web = 1 - SmoothStep(0.0f, 0.14f, CellBoundary(u, v, 5, 11));
    const float swell = Turbulence(u, v, 4, 3, 23);  // uneven brightness of the web
    Rgb c = Mix(deep, light, web * (0.4f + 0.6f * swell));
    const float edge = std::min({u, 1 - u, v, 1 - v});
    const float frame = 1 - SmoothStep(0.0f, 0.025f, edge);
    return Rgb{c.r + rim.r * frame, c.g + rim.g * frame, c.b + rim.b * frame};
  });
  return image;
}

Image PaintFood() {
  const Rgb flake{0.80f, 0.46f, 0.16f}, dark{0.50f, 0.24f, 0.08f}, bright{0.96f, 0.76f, 0.36f};
  Image image(kFoodSize, kFoodSize);
  image.Fill([&](float u, float v) {
    Rgb c = Mix(dark, flake, SmoothStep(0.3f, 0.6f, Turbulence(u, v, 4, 3, 5)));
    return Mix(c, bright, SmoothStep(0.72f, 0.85f, ValueNoise(u, v, 16, 7)));
  });
  return image;
}

Image PaintPinkOverlay() { return Even({0.42f, 0.12f, 0.28f}); }

Image PaintGreenOverlay() { return Even({0.08f, 0.32f, 0.06f}); }

Image PaintRot() {
  const Rgb grey{0.44f, 0.40f, 0.32f}, blotch{0.28f, 0.25f, 0.19f}, pale{0.56f, 0.53f, 0.46f};
  Image image(kRotSize, kRotSize);
  image.Fill([&](float u, float v) {
    Rgb c = Mix(grey, pale, 0.6f * Turbulence(u, v, 8, 3, 31));
    return Mix(c, blotch, SmoothStep(0.55f, 0.75f, Turbulence(u, v, 4, 2, 37)));
  });
  return image;
}
