#include "makeassets/fishTextures.h"

#include <cmath>

#include "makeassets/noise.h"

namespace {
constexpr int kSkinSize = 128;

// Paints the skin with paint(where, point) for each texel's side-view point.
template <typename Paint>
Image PaintSkin(const FishShape& shape, Paint paint) {
  Image image(kSkinSize, kSkinSize);
  image.Fill([&](float u, float v) {
    const Vec3 p = shape.FromUv(u, v);
    return paint(shape.Locate(p.x, p.z), p);
  });
  return image;
}

// Lighting is off, so the skin carries the shading: the flank darkens a
// little toward the back and the belly line, where the body turns away.
Rgb Rounded(const Rgb& c, float eta) { return Scale(c, 1 - 0.25f * eta * eta * eta * eta); }

// An eye on the flank at body position s, eta, its radius given in half
// heights of the body at that section. Distance is in eye radii.
struct Eye {
  float x, z, radius;
  Eye(const FishShape& shape, float s, float eta, float size) {
    const BodySection c = shape.Section(s);
    x = c.x;
    z = c.centreZ + eta * c.halfHeight;
    radius = size * c.halfHeight;
  }
  float Distance(const Vec3& p) const { return std::hypot(p.x - x, p.z - z) / radius; }
};

// Soft lines along a fin's rays, fading out toward the root.
float Rays(const SidePoint& where, int count) {
  return 1 - where.h * (0.5f - 0.5f * std::cos(2 * 3.14159265f * where.t * count));
}
}  // namespace

Image PaintNeonTetraSkin(const FishShape& shape) {
  const Rgb back{0.40f, 0.34f, 0.20f}, neon{0.10f, 0.70f, 1.00f}, glow{0.55f, 0.95f, 1.00f};
  const Rgb red{0.86f, 0.10f, 0.12f}, silver{0.84f, 0.86f, 0.90f}, fin{0.60f, 0.64f, 0.68f};
  const Eye eye(shape, 0.09f, 0.2f, 0.4f);
  return PaintSkin(shape, [&](const SidePoint& where, const Vec3& p) {
    if (where.part != SidePoint::kBody) {
      if (where.part == SidePoint::kOutside) return fin;
      return Scale(fin, 0.9f + 0.1f * Rays(where, 7));
    }
    const float s = where.s, eta = where.eta;
    // Below the stripe: silver at the front, red from mid-body back.
    Rgb c = Mix(silver, red, SmoothStep(0.40f, 0.52f, s) * SmoothStep(-0.95f, -0.7f, eta));
    // Above it: the olive back.
    c = Mix(c, back, SmoothStep(0.30f, 0.45f, eta));
    // The stripe, from behind the eye to the tail base, brightest at its core.
    const float along = SmoothStep(0.13f, 0.2f, s) * (1 - SmoothStep(0.86f, 0.95f, s));
    const float across = 1 - SmoothStep(0.10f, 0.17f, std::fabs(eta - 0.2f));
    c = Mix(c, neon, along * across);
    c = Mix(c, glow, along * (1 - SmoothStep(0.0f, 0.06f, std::fabs(eta - 0.2f))));
    const float d = eye.Distance(p);
    if (d < 1.4f) c = d < 1 ? Rgb{0.04f, 0.04f, 0.05f} : Rgb{0.80f, 0.82f, 0.86f};
    return Rounded(c, eta);
  });
}

Image PaintAngelfishSkin(const FishShape& shape) {
  const Rgb silver{0.82f, 0.83f, 0.80f}, gold{0.78f, 0.72f, 0.52f}, bar{0.10f, 0.10f, 0.12f};
  const Rgb fin{0.70f, 0.72f, 0.72f}, filament{0.90f, 0.90f, 0.86f};
  const Eye eye(shape, 0.16f, 0.3f, 0.22f);
  // Bars run straight down the body and lean back where they carry on into
  // the fins: (body position, half width, lean per unit of height beyond the
  // body's outline).
  struct Bar {
    float s, halfWidth, lean;
  };
  const Bar bars[] = {{0.17f, 0.035f, 0.2f}, {0.50f, 0.06f, 0.7f}, {0.88f, 0.04f, 0.3f}};
  const float x0 = shape.Section(0).x, length = shape.Section(1).x - x0;
  auto barShade = [&](const Vec3& p) {
    float shade = 0;
    for (const Bar& b : bars) {
      const BodySection c = shape.Section(b.s);
      const float beyond = std::fmax(0.0f, std::fabs(p.z - c.centreZ) - c.halfHeight);
      const float x = c.x + b.lean * beyond;
      shade = std::fmax(shade, 1 - SmoothStep(0.7f, 1.0f, std::fabs(p.x - x) / (b.halfWidth * length)));
    }
    return shade;
  };
  return PaintSkin(shape, [&](const SidePoint& where, const Vec3& p) {
    if (where.part == SidePoint::kOutside) return fin;
    if (where.part == SidePoint::kFin) {
      if (where.fin->name == "Ventral") return filament;
      Rgb c = Scale(fin, 0.92f + 0.08f * Rays(where, 9));
      c = Mix(c, Scale(fin, 0.6f), SmoothStep(0.8f, 0.95f, where.h));  // darker edge
      return Mix(c, bar, 0.85f * barShade(p));
    }
    Rgb c = Mix(silver, gold, SmoothStep(0.3f, 0.9f, where.eta) * 0.6f);
    c = Mix(c, bar, barShade(p));
    const float d = eye.Distance(p);
    if (d < 1) c = d < 0.55f ? Rgb{0.03f, 0.03f, 0.03f} : Rgb{0.75f, 0.16f, 0.10f};
    return Rounded(c, where.eta);
  });
}

Image PaintSharkSkin(const FishShape& shape) {
  const Rgb slate{0.36f, 0.40f, 0.46f}, belly{0.90f, 0.90f, 0.88f}, tipColour{0.14f, 0.15f, 0.17f};
  const Rgb slit{0.20f, 0.22f, 0.26f};
  const Eye eye(shape, 0.11f, 0.32f, 0.16f);
  return PaintSkin(shape, [&](const SidePoint& where, const Vec3& p) {
    const float mottle = 0.94f + 0.06f * Turbulence(where.s, where.eta * 0.5f + 0.5f, 8, 2, 3);
    if (where.part == SidePoint::kOutside) return slate;
    if (where.part == SidePoint::kFin)
      return Scale(Mix(slate, tipColour, SmoothStep(0.72f, 0.9f, where.h)), mottle);
    const float s = where.s, eta = where.eta;
    // Countershading: the line between grey and white waves a little.
    const float line = -0.2f + 0.08f * std::sin(s * 9.0f);
    Rgb c = Mix(belly, slate, SmoothStep(line - 0.12f, line + 0.12f, eta));
    c = Scale(c, mottle);
    // Five gill slits, curving back at their ends.
    for (int i = 0; i < 5; ++i) {
      const float at = 0.19f + 0.02f * i + 0.012f * eta * eta;
      const float slitShade = 1 - SmoothStep(0.002f, 0.006f, std::fabs(s - at));
      if (eta > -0.45f && eta < 0.35f) c = Mix(c, slit, 0.7f * slitShade);
    }
    const float d = eye.Distance(p);
    if (d < 1) c = Rgb{0.03f, 0.03f, 0.04f};
    return Rounded(c, eta);
  });
}
