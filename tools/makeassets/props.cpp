#include "makeassets/props.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {
constexpr float kPi = 3.14159265358979f;
constexpr float kTankHalfWidth = 20.0f, kTankHeight = 40.0f;
constexpr float kFoodRadius = 100.0f;
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
  // An icosahedron with every edge halved, pushed out onto the ball. Its
  // faces lie no deeper inside the ball than a latitude-longitude ball's of
  // twelve segments and six stacks, with 80 triangles instead of 120.
  const float t = (1 + std::sqrt(5.0f)) / 2;
  const Vec3 corners[12] = {Vec3(-1, t, 0), Vec3(1, t, 0),  Vec3(-1, -t, 0), Vec3(1, -t, 0),
                            Vec3(0, -1, t), Vec3(0, 1, t),  Vec3(0, -1, -t), Vec3(0, 1, -t),
                            Vec3(t, 0, -1), Vec3(t, 0, 1),  Vec3(-t, 0, -1), Vec3(-t, 0, 1)};
  const uint16_t faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                 {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                 {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                 {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
  // Longitude mirrored about the x axis, so that the texture has no seam
  // (a seam's doubled vertices would hold the renderers' coarser levels to
  // the ball's full detail), and latitude from pole to pole.
  std::map<std::pair<int, int>, uint16_t> between;
  auto add = [&](Vec3 direction) {
    direction.Normalise();
    const float u = std::fabs(std::atan2(direction.y, direction.x)) / kPi;
    const float v = 0.5f + std::asin(std::fmax(-1.0f, std::fmin(1.0f, direction.z))) / kPi;
    return sphere.AddVertex(direction * kFoodRadius, TexCoord(u, v));
  };
  for (const Vec3& corner : corners) add(corner);
  auto middle = [&](uint16_t a, uint16_t b) {
    const std::pair<int, int> key(std::min(a, b), std::max(a, b));
    const auto found = between.find(key);
    if (found != between.end()) return found->second;
    const uint16_t made = add(corners[a] + corners[b]);
    between[key] = made;
    return made;
  };
  for (const auto& f : faces) {
    const uint16_t ab = middle(f[0], f[1]), bc = middle(f[1], f[2]), ca = middle(f[2], f[0]);
    sphere.AddTriangle(f[0], ab, ca);
    sphere.AddTriangle(f[1], bc, ab);
    sphere.AddTriangle(f[2], ca, bc);
    sphere.AddTriangle(ab, bc, ca);
  }
  return Model{{sphere}, "Food", "food.bmp"};
}
