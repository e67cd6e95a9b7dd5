#include "makeassets/fishMeshes.h"

#include <cmath>
#include <vector>

namespace {
constexpr float kPi = 3.14159265358979f;
// Vertices around each cross-section: a fish is a few hundred pixels long
// only when it swims right past the eye, and 8 (one on the back line, one on
// the belly line) keep even the shark's body round.
constexpr int kAround = 8;

MeshObject MakeBody(const FishShape& shape) {
  MeshObject body("Fish");
  auto add = [&](const Vec3& p) { return body.AddVertex(p, shape.Uv(p)); };

  const BodySection snout = shape.Section(0);
  const uint16_t tip = add(Vec3(snout.x, 0, snout.centreZ));
  std::vector<uint16_t> previous;
  const int sections = shape.Sections();
  for (int k = 1; k <= sections; ++k) {
    // Sections crowd toward both ends, where the outline bends fastest.
    const float s = 0.5f * (1 - std::cos(kPi * k / sections));
    const BodySection c = shape.Section(s);
    std::vector<uint16_t> ring;
    for (int j = 0; j < kAround; ++j) {
      const float angle = 2 * kPi * j / kAround;
      ring.push_back(add(Vec3(c.x, c.halfWidth * std::cos(angle),
                              c.centreZ + c.halfHeight * std::sin(angle))));
    }
    for (int j = 0; j < kAround; ++j) {
      const int next = (j + 1) % kAround;
      if (previous.empty())
        body.AddTriangle(tip, ring[next], ring[j]);
      else
        body.AddQuad(previous[j], previous[next], ring[next], ring[j]);
    }
    previous = ring;
  }
  // Close the tail base; the tail fin grows from it.
  const BodySection base = shape.Section(1);
  const uint16_t centre = add(Vec3(base.x, 0, base.centreZ));
  for (int j = 0; j < kAround; ++j) body.AddTriangle(centre, previous[j], previous[(j + 1) % kAround]);
  return body;
}

// A fin as a band of quads between its roots and tips; a paired fin gets its
// mirror image on the -y side as well.
MeshObject MakeFin(const FishShape& shape, const FinStrip& fin) {
  MeshObject mesh(fin.name);
  for (const float side : {1.0f, -1.0f}) {
    if (side < 0 && !fin.paired) break;
    std::vector<uint16_t> roots, tips;
    for (size_t i = 0; i < fin.roots.size(); ++i) {
      const Vec3 r(fin.roots[i].x, side * fin.roots[i].y, fin.roots[i].z);
      const Vec3 t(fin.tips[i].x, side * fin.tips[i].y, fin.tips[i].z);
      roots.push_back(mesh.AddVertex(r, shape.FinUv(fin, i, false)));
      tips.push_back(mesh.AddVertex(t, shape.FinUv(fin, i, true)));
    }
    for (size_t i = 0; i + 1 < roots.size(); ++i) {
      if (side > 0)
        mesh.AddQuad(roots[i], roots[i + 1], tips[i + 1], tips[i]);
      else  // mirrored, so the winding turns the same way round
        mesh.AddQuad(roots[i], tips[i], tips[i + 1], roots[i + 1]);
    }
  }
  return mesh;
}
}  // namespace

Model MakeFishModel(const FishShape& shape, const std::string& material,
                    const std::string& textureFile) {
  MeshObject fish = MakeBody(shape);
  for (const FinStrip& fin : shape.Fins()) fish.Append(MakeFin(shape, fin));
  return Model{{fish}, material, textureFile};
}
