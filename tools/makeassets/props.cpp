#include "makeassets/props.h"

#include <cmath>

namespace {
constexpr float kPi = 3.14159265358979f;
constexpr float kTankHalfWidth = 20.0f, kTankHeight = 40.0f;
constexpr float kFoodRadius = 100.0f;
// A flake is about ten pixels across, thirty at the closest view and a
// hundred only right in front of the eye: twelve segments and six stacks
// (the poles and the equator's quarter points among the vertices) keep its
// outline round there with half the triangles of a finer ball, which counts
// when thousands are drawn.
constexpr int kFoodSegments = 12, kFoodStacks = 6;
}  // namespace

Model MakeTankModel() {
  MeshObject cube("Cube");
  // Each face: a corner and the two edge directions along which u and v grow.
  struct Face {
    Vec3 corner, uEdge, vEdge;
  };
  const float w = 2 * kTankHalfWidth, h = kTankHeight, lo = -kTankHalfWidth;
  const Face faces[6] = {
      {Vec3(lo, lo, 0), Vec3(w, 0, 0), Vec3(0, 0, h)},      // y = -20
      {Vec3(-lo, -lo, 0), Vec3(-w, 0, 0), Vec3(0, 0, h)},   // y = +20
      {Vec3(-lo, lo, 0), Vec3(0, w, 0), Vec3(0, 0, h)},     // x = +20
      {Vec3(lo, -lo, 0), Vec3(0, -w, 0), Vec3(0, 0, h)},    // x = -20
      {Vec3(lo, -lo, 0), Vec3(w, 0, 0), Vec3(0, -w, 0)},    // z = 0
      {Vec3(lo, lo, h), Vec3(w, 0, 0), Vec3(0, w, 0)},      // z = 40
  };
  for (const Face& f : faces) {
    const uint16_t a = cube.AddVertex(f.corner, TexCoord(0, 0));
    const uint16_t b = cube.AddVertex(f.corner + f.uEdge, TexCoord(1, 0));
    const uint16_t c = cube.AddVertex(f.corner + f.uEdge + f.vEdge, TexCoord(1, 1));
    const uint16_t d = cube.AddVertex(f.corner + f.vEdge, TexCoord(0, 1));
    cube.AddQuad(a, b, c, d);
  }
  return Model{{cube}, "Water", "water.bmp"};
}

Model MakeFoodModel() {
  MeshObject sphere("Sphere");
  // Latitude rings from the south pole (v = 0) to the north pole (v = 1);
  // the seam column is doubled so u can run from 0 to 1.
  for (int stack = 0; stack <= kFoodStacks; ++stack) {
    const float v = static_cast<float>(stack) / kFoodStacks;
    const float latitude = (v - 0.5f) * kPi;
    for (int segment = 0; segment <= kFoodSegments; ++segment) {
      const float u = static_cast<float>(segment) / kFoodSegments;
      const float longitude = u * 2 * kPi;
      const Vec3 p(std::cos(latitude) * std::cos(longitude), std::cos(latitude) * std::sin(longitude),
                   std::sin(latitude));
      sphere.AddVertex(p * kFoodRadius, TexCoord(u, v));
    }
  }
  const int row = kFoodSegments + 1;
  for (int stack = 0; stack < kFoodStacks; ++stack) {
    for (int segment = 0; segment < kFoodSegments; ++segment) {
      const uint16_t a = static_cast<uint16_t>(stack * row + segment);
      const uint16_t b = static_cast<uint16_t>(a + 1), c = static_cast<uint16_t>(a + row + 1),
                     d = static_cast<uint16_t>(a + row);
      // At the poles one triangle of the quad would have no area.
      if (stack > 0) sphere.AddTriangle(a, b, c);
      if (stack < kFoodStacks - 1) sphere.AddTriangle(a, c, d);
    }
  }
  return Model{{sphere}, "Food", "food.bmp"};
}
