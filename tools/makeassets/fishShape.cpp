#include "makeassets/fishShape.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kPi = 3.14159265358979f;
// Fin roots sit this far inside the body surface, so no gap shows at the
// joint.
constexpr float kRootInset = 0.92f;
// The side view's margin, as a fraction of its width and height.
constexpr float kMargin = 0.03f;
// Body colours reach a little past the outline, so that texture filtering
// along the silhouette, where the back and belly are seen, blends body with
// body rather than with the fins' colour.
constexpr float kBodyBleed = 1.12f;
// The paired fins' band, as a fraction of the side view's height.
constexpr float kBand = 0.2f;

Vec3 Unit(Vec3 v) { return v.Normalise(); }

// Finds (a, b) in 0..1 with q = bilinear(r0, r1, t0, t1; a, b) in the x-z
// plane, where a runs from the 0 to the 1 side and b from roots to tips.
bool InverseBilinear(const Vec3& r0, const Vec3& r1, const Vec3& t0, const Vec3& t1, float qx,
                     float qz, float& a, float& b) {
  auto at = [&](float a_, float b_) {
    const Vec3 root = r0 + (r1 - r0) * a_, tip = t0 + (t1 - t0) * a_;
    return root + (tip - root) * b_;
  };
  a = 0.5f;
  b = 0.5f;
  for (int iteration = 0; iteration < 12; ++iteration) {
    const Vec3 p = at(a, b);
    const Vec3 da = (r1 - r0) * (1 - b) + (t1 - t0) * b;
    const Vec3 db = (t0 + (t1 - t0) * a) - (r0 + (r1 - r0) * a);
    const float det = da.x * db.z - da.z * db.x;
    if (std::fabs(det) < 1e-12f) return false;
    const float ex = qx - p.x, ez = qz - p.z;
    a += (ex * db.z - ez * db.x) / det;
    b += (da.x * ez - da.z * ex) / det;
  }
  // Only a converged solution inside the quad counts.
  const Vec3 p = at(a, b);
  const float size = (t0 - r0).Length() + (r1 - r0).Length();
  const float slack = 1e-3f;
  return std::hypot(p.x - qx, p.z - qz) < 1e-4f * size && a >= -slack && a <= 1 + slack &&
         b >= -slack && b <= 1 + slack;
}
}  // namespace

float Curve::At(float t) const {
  if (t <= points.front().first) return points.front().second;
  for (size_t i = 1; i < points.size(); ++i) {
    if (t <= points[i].first) {
      const auto& [t0, v0] = points[i - 1];
      const auto& [t1, v1] = points[i];
      return v0 + (v1 - v0) * (t - t0) / (t1 - t0);
    }
  }
  return points.back().second;
}

FishShape::FishShape(const FishDesign& design) : body_(design.body), sections_(design.sections) {
  // The tail: rays fanned from the tail base, the lowest first.
  const BodySection base = DesignSection(1);
  FinStrip tail{"Tail", {}, {}, false};
  for (int i = 0; i <= kTailRays; ++i) {
    const float t = static_cast<float>(i) / kTailRays;
    const Vec3 root(base.x * 0.99f, 0, base.centreZ + kRootInset * base.halfHeight * (2 * t - 1));
    const float angle = design.tail.lowerAngle + (design.tail.upperAngle - design.tail.lowerAngle) * t;
    tail.roots.push_back(root);
    tail.tips.push_back(root + Vec3(std::cos(angle), 0, std::sin(angle)) * design.tail.length.At(t));
  }
  fins_.push_back(tail);

  for (const FinDesign& fin : design.fins) {
    FinStrip strip{fin.name, {}, {}, fin.paired};
    const Vec3 direction = Unit(fin.direction);
    for (int i = 0; i <= kFinRays; ++i) {
      const float t = static_cast<float>(i) / kFinRays;
      const Vec3 root = OnSurface(fin.start + (fin.end - fin.start) * t, fin.around);
      strip.roots.push_back(root);
      strip.tips.push_back(root + direction * (fin.height.At(t) * fin.size));
    }
    fins_.push_back(strip);
  }

  // Scale to the drawn length and centre the length on the origin.
  float x0 = 0, x1 = body_.length;
  for (const FinStrip& fin : fins_)
    for (const auto* points : {&fin.roots, &fin.tips})
      for (const Vec3& p : *points) x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
  scale_ = design.tankLength / design.drawnScale / (x1 - x0);
  shiftX_ = -(x0 + x1) / 2;
  for (FinStrip& fin : fins_)
    for (auto* points : {&fin.roots, &fin.tips})
      for (Vec3& p : *points) p = Vec3((p.x + shiftX_) * scale_, p.y * scale_, p.z * scale_);

  // The side view's box: the body's sections and the fins in the x-z plane.
  boxX0_ = (x0 + shiftX_) * scale_;
  boxX1_ = (x1 + shiftX_) * scale_;
  float z0 = 0, z1 = 0;
  for (int i = 0; i <= 100; ++i) {
    const BodySection c = Section(i / 100.0f);
    z0 = std::min(z0, c.centreZ - c.halfHeight);
    z1 = std::max(z1, c.centreZ + c.halfHeight);
  }
  bool paired = false;
  for (const FinStrip& fin : fins_) {
    paired = paired || fin.paired;
    if (fin.paired) continue;
    for (const auto* points : {&fin.roots, &fin.tips})
      for (const Vec3& p : *points) z0 = std::min(z0, p.z), z1 = std::max(z1, p.z);
  }
  const float mx = kMargin * (boxX1_ - boxX0_), mz = kMargin * (z1 - z0);
  bandTop_ = bandBottom_ = z0 - mz;
  if (paired) {
    bandBottom_ = bandTop_ - kBand * (z1 - z0);
    z0 = bandBottom_;
  }
  boxX0_ -= mx;
  boxX1_ += mx;
  boxZ0_ = z0 - mz;
  boxZ1_ = z1 + mz;
}

BodySection FishShape::DesignSection(float s) const {
  const BodyDesign& b = body_;
  float height, width, lift = 0;
  if (s <= b.thickestAt) {
    // Rising like a rounded arch from the snout to the tallest section.
    const float t = s / b.thickestAt;
    height = width = std::pow(1 - (1 - t) * (1 - t), b.snoutShape);
    lift = b.snoutLift * (1 - t) * (1 - t);
  } else {
    // Easing down to the tail base.
    const float t = (s - b.thickestAt) / (1 - b.thickestAt);
    const float ease = (1 + std::cos(kPi * t)) / 2;
    height = b.baseHeight + (1 - b.baseHeight) * ease;
    width = b.baseWidth + (1 - b.baseWidth) * ease;
  }
  return {s * b.length, lift * b.halfHeight, height * b.halfHeight, width * b.halfWidth};
}

BodySection FishShape::Section(float s) const {
  const BodySection d = DesignSection(s);
  return {(d.x + shiftX_) * scale_, d.centreZ * scale_, d.halfHeight * scale_, d.halfWidth * scale_};
}

Vec3 FishShape::OnSurface(float s, float around) const {
  const BodySection c = DesignSection(s);
  return Vec3(c.x, kRootInset * c.halfWidth * std::cos(around),
              c.centreZ + kRootInset * c.halfHeight * std::sin(around));
}

TexCoord FishShape::Uv(const Vec3& p) const {
  return TexCoord((p.x - boxX0_) / (boxX1_ - boxX0_), (p.z - boxZ0_) / (boxZ1_ - boxZ0_));
}

Vec3 FishShape::FromUv(float u, float v) const {
  return Vec3(boxX0_ + u * (boxX1_ - boxX0_), 0, boxZ0_ + v * (boxZ1_ - boxZ0_));
}

TexCoord FishShape::FinUv(const FinStrip& fin, size_t ray, bool tip) const {
  if (!fin.paired) return Uv(tip ? fin.tips[ray] : fin.roots[ray]);
  const TexCoord root = Uv(fin.roots[ray]);
  return TexCoord(root.u, ((tip ? bandBottom_ : bandTop_) - boxZ0_) / (boxZ1_ - boxZ0_));
}

SidePoint FishShape::Locate(float x, float z) const {
  SidePoint point;
  if (z < bandTop_) {
    for (const FinStrip& fin : fins_) {
      const float front = fin.roots.front().x, back = fin.roots.back().x;
      if (fin.paired && x >= front && x <= back) {
        point.part = SidePoint::kFin;
        point.fin = &fin;
        point.t = (x - front) / (back - front);
        point.h = std::clamp((bandTop_ - z) / (bandTop_ - bandBottom_), 0.0f, 1.0f);
        return point;
      }
    }
    return point;
  }
  const float s = (x / scale_ - shiftX_) / body_.length;
  if (s >= 0 && s <= 1) {
    const BodySection c = Section(s);
    const float eta = c.halfHeight > 0 ? (z - c.centreZ) / c.halfHeight : 2.0f;
    if (std::fabs(eta) <= kBodyBleed) {
      point.part = SidePoint::kBody;
      point.s = s;
      point.eta = std::clamp(eta, -1.0f, 1.0f);
      return point;
    }
  }
  for (const FinStrip& fin : fins_) {
    if (fin.paired) continue;
    const int quads = static_cast<int>(fin.roots.size()) - 1;
    for (int i = 0; i < quads; ++i) {
      float a, b;
      if (InverseBilinear(fin.roots[i], fin.roots[i + 1], fin.tips[i], fin.tips[i + 1], x, z, a, b)) {
        point.part = SidePoint::kFin;
        point.fin = &fin;
        point.t = std::clamp((i + a) / quads, 0.0f, 1.0f);
        point.h = std::clamp(b, 0.0f, 1.0f);
        return point;
      }
    }
  }
  return point;
}
