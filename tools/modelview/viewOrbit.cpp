#include "modelview/viewOrbit.h"

#include <algorithm>
#include <cmath>

namespace {
// The Direct3D field of view; 45 degrees.
constexpr float kFov = 0.7853982f;
constexpr float kPitchLimit = 1.4f;

// The Direct3D projection's scales for kFov: x from the field of view, y as
// the back end derives it.
double HorizontalScale() { return 1.0 / std::tan(kFov * 0.5); }
double VerticalScale() { return 1.0 / std::tan(std::atan(std::tan(kFov) * 0.75) * 0.5); }
}  // namespace

ModelPlacement PlaceModel(const std::vector<Vec3>& points, ModelFormat format) {
  Vec3 low = points.front(), high = points.front();
  for (const Vec3& p : points) {
    low.Set(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high.Set(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
  }
  ModelPlacement placement;
  placement.centre = (low + high) * 0.5f;
  const float radius = (high - placement.centre).Length();
  // A model that is one point, or not finite, is shown at its own size.
  placement.scale = radius > 0.0f && std::isfinite(radius) ? ModelPlacement::kRadius / radius : 1.0f;
  placement.up = format == ModelFormat::k3ds ? Vec3(0, 0, 1) : Vec3(0, 1, 0);
  // MD2 characters face +x; the others are met from +z (y up) or -y (z up).
  placement.frontYaw = format == ModelFormat::kMd2 ? 1.5707964f : 0.0f;
  return placement;
}

ViewProjection ProjectionFor(bool direct3d) {
  const float aspect = PictureAspect();
  if (direct3d) return {kFov, aspect};
  return {static_cast<float>(2.0 * std::atan(1.0 / VerticalScale())), aspect};
}

float PictureAspect() { return static_cast<float>(VerticalScale() / HorizontalScale()); }

void ViewOrbit::Turn(float yawStep, float pitchStep) {
  yaw = std::remainder(yaw + yawStep, 6.2831853f);
  pitch = std::clamp(pitch + pitchStep, -kPitchLimit, kPitchLimit);
}

float ViewOrbit::Distance() const {
  // The sphere fits the narrower, vertical half-angle, with a margin.
  return static_cast<float>(1.15 * ModelPlacement::kRadius / std::sin(std::atan(1.0 / VerticalScale())));
}

Vec3 ViewOrbit::Eye() const {
  const float d = Distance();
  const float across = d * std::cos(pitch) * std::sin(yaw);
  const float along = d * std::cos(pitch) * std::cos(yaw);
  const float height = d * std::sin(pitch);
  // y up: the circle lies in x-z; z up: in x-y, seen from -y at yaw 0.
  if (up.z != 0.0f) return Vec3(across, -along, height);
  return Vec3(across, height, along);
}

float AnimationTime(ModelFormat format, double seconds) {
  switch (format) {
    case ModelFormat::kMd2:
      return static_cast<float>(std::fmod(seconds / 4.0, 1.0));
    case ModelFormat::kMs3dAscii:
      return static_cast<float>(seconds * 24.0);
    default:
      return 0.0f;
  }
}
