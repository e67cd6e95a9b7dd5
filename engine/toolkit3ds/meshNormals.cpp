#include "toolkit3ds/meshNormals.h"

#include <vector>

Vec3 FaceNormal(const Vec3& a, const Vec3& b, const Vec3& c) {
  Vec3 normal;
  normal.SetCross(a - c, c - b);
  normal.Normalise();
  return normal;
}

void VertexNormals(const Vec3* positions, uint32_t vertexCount, const uint32_t* indices,
                   uint32_t faceCount, Vec3* normals) {
  std::vector<uint32_t> uses(vertexCount, 0);
  for (uint32_t v = 0; v < vertexCount; v++) normals[v] = Vec3();
  for (uint32_t k = 0; k < faceCount; k++) {
    const uint32_t a = indices[3 * k], b = indices[3 * k + 1], c = indices[3 * k + 2];
    if (a >= vertexCount || b >= vertexCount || c >= vertexCount) continue;
    const Vec3 normal = FaceNormal(positions[a], positions[b], positions[c]);
    normals[a] += normal;
    uses[a]++;
    if (b != a) {
      normals[b] += normal;
      uses[b]++;
    }
    if (c != a && c != b) {
      normals[c] += normal;
      uses[c]++;
    }
  }
  for (uint32_t v = 0; v < vertexCount; v++) {
    if (uses[v] == 0) continue;
    normals[v] = normals[v] / static_cast<float>(uses[v]);
    normals[v].Normalise();
  }
}
