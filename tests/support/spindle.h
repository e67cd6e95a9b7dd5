#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/colour.h"
#include "core/mesh.h"

// A closed body shaped like a fish's: an ellipsoid three times as long as it
// is wide, of rings of eight vertices between two tips (144 triangles), each
// vertex coloured by where it lies so that a wrong index shows. Drawn small,
// it is a mesh the back ends draw at a coarser level of detail.
struct Spindle {
  std::vector<float> xyz;
  std::vector<int> indices;
  std::vector<Colour> colours;

  Spindle() {
    const int rings = 9, around = 8;
    const float pi = 3.14159265f;
    Add(-1, 0, 0);
    for (int r = 1; r <= rings; ++r) {
      const float x = -std::cos(pi * r / (rings + 1)), radius = std::sqrt(1 - x * x);
      for (int j = 0; j < around; ++j)
        Add(x, 0.33f * radius * std::cos(2 * pi * j / around),
            0.2f * radius * std::sin(2 * pi * j / around));
    }
    Add(1, 0, 0);
    const int tail = 1 + rings * around;
    for (int j = 0; j < around; ++j) {
      const int next = (j + 1) % around;
      indices.insert(indices.end(), {0, 1 + next, 1 + j});
      const int last = 1 + (rings - 1) * around;
      indices.insert(indices.end(), {tail, last + j, last + next});
      for (int r = 0; r + 1 < rings; ++r) {
        const int a = 1 + r * around + j, b = 1 + r * around + next;
        indices.insert(indices.end(), {a, b, b + around, a, b + around, a + around});
      }
    }
  }
  int Vertices() const { return static_cast<int>(colours.size()); }
  int Indices() const { return static_cast<int>(indices.size()); }

  // Makes `mesh` this spindle: an indexed triangle list with colours.
  void Fill(Mesh& mesh) const {
    MeshDesc desc = {};
    desc.primitive = PRIM_TRIANGLELIST;
    desc.vertexCount = Vertices();
    desc.indexCount = Indices();
    desc.hasDiffuse = true;
    mesh.Init(desc);
    mesh.SetVertices(xyz.data());
    mesh.SetDiffuse(colours.data());
    mesh.SetIndices(indices.data());
  }

 private:
  void Add(float x, float y, float z) {
    xyz.insert(xyz.end(), {x, y, z});
    colours.push_back(Colour(0.5f + 0.5f * x, 0.5f + 1.5f * y, 0.5f + 2.5f * z, 1));
  }
};
