#include "core/planeMesh.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "core/log.h"
#include "core/mesh.h"

bool CheckPlaneSize(EngineObject* reporter, int columns, int rows) {
  // Fewer than two columns or rows would divide by zero; the index count
  // must fit its 32 bits.
  if (columns < 2 || rows < 2 || int64_t{6} * (columns - 1) * (rows - 1) > INT32_MAX) {
    LOG_REPORT(reporter, E_ERROR, "Cannot build a %dx%d plane", columns, rows);
    return false;
  }
  return true;
}

bool FillPlaneMesh(EngineObject* reporter, Mesh* mesh, int columns, int rows, float width,
                   float depth) {
  MeshDesc desc = {};
  desc.primitive = PRIM_TRIANGLELIST;
  desc.hasNormals = true;
  desc.texChannels[0] = desc.texChannels[1] = true;
  desc.vertexCount = columns * rows;
  desc.indexCount = 6 * (columns - 1) * (rows - 1);
  mesh->Init(desc);
  if (mesh->status != E_OK) {
    LOG_REPORT(reporter, E_ERROR, "%s", mesh->message.c_str());
    return false;
  }

  const size_t vertices = static_cast<size_t>(desc.vertexCount);
  std::vector<float> positions, normals, uv;
  std::vector<int> indices;
  try {
    positions.resize(3 * vertices);
    normals.resize(3 * vertices);
    uv.resize(2 * vertices);
    indices.resize(static_cast<size_t>(desc.indexCount));
  } catch (const std::bad_alloc&) {
    LOG_REPORT(reporter, E_ERROR, "Out of memory");
    return false;
  }
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < columns; ++j) {
      const size_t v = static_cast<size_t>(i) * columns + j;
      const float u = static_cast<float>(j) / static_cast<float>(columns - 1);
      const float t = static_cast<float>(i) / static_cast<float>(rows - 1);
      positions[3 * v] = width * u - width / 2;
      positions[3 * v + 1] = depth * t - depth / 2;
      positions[3 * v + 2] = 0.0f;
      normals[3 * v] = 0.0f;
      normals[3 * v + 1] = 0.0f;
      normals[3 * v + 2] = 1.0f;
      uv[2 * v] = u;
      uv[2 * v + 1] = t;
    }
  }
  int* index = indices.data();
  for (int i = 0; i < rows - 1; ++i) {
    for (int j = 0; j < columns - 1; ++j) {
      const int b = i * columns + j;
      const int cell[6] = {b, b + columns, b + 1, b + 1, b + columns, b + columns + 1};
      for (int k : cell) *index++ = k;
    }
  }

  mesh->SetNormals(normals.data());
  mesh->SetVertices(positions.data());
  mesh->SetTextureCoords(uv.data(), 0);
  mesh->SetIndices(indices.data());
  mesh->SetTransform(0, 0, 0, 0, 0, 0);
  for (float& k : uv) k *= 8.0f;
  mesh->SetTextureCoords(uv.data(), 1);
  return true;
}
