#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/vec3.h"

// A fish is designed nose toward -x, back toward +z, left and right along y,
// in design units of any size, and built from
// - a body lofted from elliptic cross-sections along x, from the snout
//   (s = 0) to the tail base (s = 1);
// - a tail fin fanned out behind the tail base in the x-z plane;
// - further fins, each a strip grown from a root line on the body surface.
// FishShape then scales the design to the length the fish has in the tank
// and centres it on the origin along x. The mesh (fishMeshes) and the skin
// (fishTextures) both read the finished shape, so the painted markings sit
// where the geometry is.

// Values given at points t = 0..1 and read piecewise linearly between them.
struct Curve {
  std::vector<std::pair<float, float>> points;  // (t, value), t rising
  float At(float t) const;
};

struct BodyDesign {
  float length;                 // snout to tail base
  float thickestAt;             // fraction of the length where it is tallest
  float halfHeight, halfWidth;  // of the tallest section
  float snoutShape;             // 0.5 a round snout, nearer 1 a pointed one
  float baseHeight, baseWidth;  // of the tail base, fractions of the tallest
  float snoutLift;              // centre line at the snout, in half heights
};

struct TailDesign {
  float lowerAngle, upperAngle;  // ray directions from +x toward +z, radians
  Curve length;                  // ray length from the lowest ray (t = 0) up
};

// A fin whose root runs along the body from `start` to `end` (fractions of
// the body length) at `around` radians on the cross-section (pi/2 the top
// line, -pi/2 the bottom line); each tip lies height(t) x `size` from its
// root along `direction`. A paired fin is mirrored to the other side.
struct FinDesign {
  std::string name;  // which fin it is
  float start, end, around;
  Vec3 direction;
  Curve height;
  float size;
  bool paired;
};

struct FishDesign {
  float tankLength;  // nose to tail tip in tank units, as drawn
  float drawnScale;  // the scale the frame step draws an adult with
  // Cross-sections of the body mesh: the larger the fish is drawn, the more
  // it needs for a smooth outline.
  int sections = 16;
  BodyDesign body;
  TailDesign tail;
  std::vector<FinDesign> fins;
};

// Species 1, 2 and 3 of the demonstration.
FishDesign NeonTetraDesign();
FishDesign AngelfishDesign();
FishDesign SharkDesign();

// A fin as built: tip i belongs to root i; roots run from the fin's front
// (or, for the tail, its lowest ray) to its back. Paired fins list the +y
// side.
struct FinStrip {
  std::string name;
  std::vector<Vec3> roots, tips;
  bool paired;
};

struct BodySection {
  float x, centreZ, halfHeight, halfWidth;
};

// Where a point of the side view (the x-z plane, looking along y) falls.
struct SidePoint {
  enum Part { kOutside, kBody, kFin } part = kOutside;
  float s = 0, eta = 0;        // body: along it from the snout, and up the
                               // section from -1 (belly) to 1 (back)
  const FinStrip* fin = nullptr;
  float t = 0, h = 0;          // fin: along its root, and from root (0) to tip (1)
};

class FishShape {
 public:
  static constexpr int kTailRays = 8, kFinRays = 6;

  explicit FishShape(const FishDesign& design);

  BodySection Section(float s) const;  // in model units
  const std::vector<FinStrip>& Fins() const { return fins_; }  // the tail first
  int Sections() const { return sections_; }

  // The texture covers the side view's box with a margin, so no vertex
  // samples the texture's wrapped edge: (u, v) is a point's place in it.
  TexCoord Uv(const Vec3& p) const;
  Vec3 FromUv(float u, float v) const;  // on the plane y = 0
  // Paired fins stand out sideways, so their side view would overlap the
  // flank; they get a band of their own below the side view instead, along
  // their root from the root's front (top of the band) to the tips (bottom).
  TexCoord FinUv(const FinStrip& fin, size_t ray, bool tip) const;

  SidePoint Locate(float x, float z) const;

 private:
  BodySection DesignSection(float s) const;
  Vec3 OnSurface(float s, float around) const;  // design units, just inside

  BodyDesign body_;
  float scale_ = 1, shiftX_ = 0;
  std::vector<FinStrip> fins_;
  int sections_;
  float boxX0_, boxX1_, boxZ0_, boxZ1_;
  float bandTop_, bandBottom_;  // the paired fins' band
};
