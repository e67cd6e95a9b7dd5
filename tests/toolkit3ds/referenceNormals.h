#pragma once

#include <cstdint>
#include <vector>

#include "core/vec3.h"

// Vertex normals the straightforward way: every vertex compared with every
// face. The linear VertexNormals must give exactly these bits.
inline void ReferenceVertexNormals(const Vec3* positions, uint32_t vertexCount, const uint32_t* indices,
                                   uint32_t faceCount, Vec3* normals) {
  std::vector<Vec3> faceNormals(faceCount);
  for (uint32_t k = 0; k < faceCount; k++) {
    const Vec3& a = positions[indices[3 * k]];
    const Vec3& b = positions[indices[3 * k + 1]];
    const Vec3& c = positions[indices[3 * k + 2]];
    faceNormals[k].SetCross(a - c, c - b);
    faceNormals[k].Normalise();
  }
  for (uint32_t v = 0; v < vertexCount; v++) {
    Vec3 sum;
    uint32_t count = 0;
    for (uint32_t k = 0; k < faceCount; k++) {
      if (indices[3 * k] == v || indices[3 * k + 1] == v || indices[3 * k + 2] == v) {
        sum += faceNormals[k];
        count++;
      }
    }
    if (count > 0) {
      sum = sum / static_cast<float>(count);
      sum.Normalise();
    }
    normals[v] = sum;
  }
}
