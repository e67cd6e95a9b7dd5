#include "makeassets/mesh.h"

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

void MeshObject::Append(const MeshObject& other) {
  const uint16_t base = static_cast<uint16_t>(positions.size());
  for (size_t i = 0; i < other.positions.size(); ++i) AddVertex(other.positions[i], other.uvs[i]);
  for (const Face& f : other.faces)
    AddTriangle(static_cast<uint16_t>(base + f.a), static_cast<uint16_t>(base + f.b),
                static_cast<uint16_t>(base + f.c));
}
