#include "makeassets/mesh.h"

#include <algorithm>
#include <cassert>
#include <limits>

uint16_t MeshObject::AddVertex(const Vec3& position, const TexCoord& uv) {
  // The generators stay far below the 16-bit vertex count of the format.
  assert(positions.size() < std::numeric_limits<uint16_t>::max());
  positions.push_back(position);
  uvs.push_back(uv);
  return static_cast<uint16_t>(positions.size() - 1);
}

void MeshObject::AddQuad(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
  AddTriangle(a, b, c);
  AddTriangle(a, c, d);
}

Box Bounds(const Model& model) {
  const float big = std::numeric_limits<float>::max();
  Box box{Vec3(big, big, big), Vec3(-big, -big, -big)};
  for (const MeshObject& object : model.objects) {
    for (const Vec3& p : object.positions) {
      box.min.Set(std::min(box.min.x, p.x), std::min(box.min.y, p.y), std::min(box.min.z, p.z));
      box.max.Set(std::max(box.max.x, p.x), std::max(box.max.y, p.y), std::max(box.max.z, p.z));
    }
  }
  return box;
}
