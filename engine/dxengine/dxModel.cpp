#include "dxengine/dxModel.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <new>

#include "core/log.h"

namespace {

// Arrays sized by the caller's data: a failed allocation is reported, not
// thrown.
template <typename T>
std::unique_ptr<T[]> Allocate(size_t count) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
}

}  // namespace

DXModel::DXModel() = default;

DXModel::~DXModel() = default;

void DXModel::CreatePlane(int columns, int rows, float width, float depth, int channels,
                          const float* heights) {
  LogScope scope("DXModel::CreatePlane");
  const int64_t vertices = static_cast<int64_t>(columns) * rows;
  const int64_t indices = 6 * (static_cast<int64_t>(columns) - 1) * (static_cast<int64_t>(rows) - 1);
  if (columns < 2 || rows < 2 || indices > INT_MAX) {
    LOG_REPORT(this, E_ERROR, "Can not construct a %dx%d plane", columns, rows);
    return;
  }
  // The vertex has room for three coordinate sets.
  const int sets = std::clamp(channels, 0, 3);

  meshes.clear();
  meshes.push_back(std::make_unique<DXMesh>());
  DXMesh* mesh = meshes.back().get();
  MeshDesc desc = {};
  desc.primitive = PRIM_TRIANGLELIST;
  desc.hasNormals = true;
  for (int i = 0; i < sets; ++i) desc.texChannels[i] = true;
  desc.vertexCount = static_cast<int32_t>(vertices);
  desc.indexCount = static_cast<int32_t>(indices);
  mesh->Init(desc);
  if (mesh->status != E_OK) {
    LOG_REPORT(this, E_ERROR, "%s", mesh->message.c_str());
    return;
  }

  auto positions = Allocate<float>(vertices * 3);
  auto normals = Allocate<float>(vertices * 3);
  auto coords = Allocate<float>(vertices * 2);
  auto triangles = Allocate<int>(indices);
  if (!positions || !normals || !coords || !triangles) {
    LOG_REPORT(this, E_NOMEM, "Out of memory");
    return;
  }
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < columns; ++j) {
      const int64_t k = static_cast<int64_t>(i) * columns + j;
      const float u = static_cast<float>(j) / static_cast<float>(columns - 1);
      const float v = static_cast<float>(i) / static_cast<float>(rows - 1);
      positions[3 * k] = width * u - width / 2;
      positions[3 * k + 1] = depth * v - depth / 2;
      positions[3 * k + 2] = heights ? heights[k] : 0.0f;
      normals[3 * k] = 0.0f;
      normals[3 * k + 1] = 0.0f;
      normals[3 * k + 2] = 1.0f;
      coords[2 * k] = u;
      coords[2 * k + 1] = v;
    }
  int* index = triangles.get();
  for (int i = 0; i + 1 < rows; ++i)
    for (int j = 0; j + 1 < columns; ++j) {
      const int b = i * columns + j;
      *index++ = b;
      *index++ = b + columns;
      *index++ = b + 1;
      *index++ = b + 1;
      *index++ = b + columns;
      *index++ = b + columns + 1;
    }
  mesh->SetNormals(normals.get());
  mesh->SetVertices(positions.get());
  mesh->SetIndices(triangles.get());
  mesh->SetTransform(0, 0, 0, 0, 0, 0);
  for (int channel = 0; channel < sets; ++channel) mesh->SetTextureCoords(coords.get(), channel);
  SetStatus(E_OK, "Constructed a %dx%d indexed plane", columns, rows);
}

void DXModel::Load3DS(const char* path) {
  LogScope scope("DXModel::Load3DS");
  LOG_REPORT(this, E_NOSUP, "Could not load %s model!", path ? path : "");
}

void DXModel::LoadMD2(const char* /*path*/) {
  LogScope scope("DXModel::LoadMD2");
  LOG_REPORT(this, E_NOSUP, "MD2 models are not implemented in this renderer");
}

void DXModel::LoadBSP(const char* /*path*/) {
  LogScope scope("DXModel::LoadBSP");
  LOG_REPORT(this, E_NOSUP, "BSP levels are not implemented in this renderer");
}

void DXModel::LoadMS3D(const char* /*path*/) {
  LogScope scope("DXModel::LoadMS3D");
  LOG_REPORT(this, E_NOSUP, "MilkShape models are not implemented in this renderer");
}

void DXModel::Render() {
  for (auto& mesh : meshes) mesh->Render();
}

// Without key frames there is nothing to choose: mesh 0 as it is.
void DXModel::RenderFrame(int /*animation*/, int /*frame*/) {
  if (!meshes.empty()) meshes[0]->Render();
}

void DXModel::Animate(int /*animation*/, float /*time*/) { Render(); }

void DXModel::SetTransform(float x, float y, float z, float a, float b, float c) {
  for (auto& mesh : meshes) mesh->SetTransform(x, y, z, a, b, c);
}

void DXModel::SetScale(float sx, float sy, float sz) {
  for (auto& mesh : meshes) mesh->Scale(sx, sy, sz);
}
