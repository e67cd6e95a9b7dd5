#include "oglengine/oglModel.h"

#include <cstdint>
#include <memory>

#include "core/log.h"

OpenGLModel::OpenGLModel() : lastTime(0.0f) {}

OpenGLModel::~OpenGLModel() {
  for (OpenGLMesh* mesh : meshes) delete mesh;
}

void OpenGLModel::CreatePlane(int columns, int rows, float width, float depth, int,
                              const float* heights) {
  LogScope scope("OpenGLModel::CreatePlane");
  if (heights) LOG_REPORT(this, E_ERROR, "cant support heightmaps yet!\n");
  // Fewer than two columns or rows would divide by zero below; the index
  // count must fit its 32 bits.
  if (columns < 2 || rows < 2 || int64_t{6} * (columns - 1) * (rows - 1) > INT32_MAX) {
    LOG_REPORT(this, E_ERROR, "Cannot build a %dx%d plane", columns, rows);
    return;
  }

  OpenGLMesh* mesh = new OpenGLMesh();
  meshes.push_back(mesh);
  MeshDesc desc = {};
  desc.primitive = PRIM_TRIANGLELIST;
  desc.hasNormals = true;
  desc.texChannels[0] = desc.texChannels[1] = true;
  desc.vertexCount = columns * rows;
  desc.indexCount = 6 * (columns - 1) * (rows - 1);
  mesh->Init(desc);
  if (mesh->status != E_OK) {
    LOG_REPORT(this, E_ERROR, "%s", mesh->message.c_str());
    return;
  }

  const size_t vertices = static_cast<size_t>(desc.vertexCount);
  std::unique_ptr<float[]> positions(new (std::nothrow) float[3 * vertices]);
  std::unique_ptr<float[]> normals(new (std::nothrow) float[3 * vertices]);
  std::unique_ptr<float[]> uv(new (std::nothrow) float[2 * vertices]);
  std::unique_ptr<int[]> indices(new (std::nothrow) int[static_cast<size_t>(desc.indexCount)]);
  if (!positions || !normals || !uv || !indices) {
    LOG_REPORT(this, E_ERROR, "Out of memory");
    return;
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
  int* index = indices.get();
  for (int i = 0; i < rows - 1; ++i) {
    for (int j = 0; j < columns - 1; ++j) {
      const int b = i * columns + j;
      const int cell[6] = {b, b + columns, b + 1, b + 1, b + columns, b + columns + 1};
      for (int k : cell) *index++ = k;
    }
  }

  mesh->SetNormals(normals.get());
  mesh->SetVertices(positions.get());
  mesh->SetTextureCoords(uv.get(), 0);
  mesh->SetIndices(indices.get());
  mesh->SetTransform(0, 0, 0, 0, 0, 0);
  // The second channel repeats the texture eight times over the plane.
  for (size_t k = 0; k < 2 * vertices; ++k) uv[k] *= 8.0f;
  mesh->SetTextureCoords(uv.get(), 1);
  SetStatus(E_OK, "Constructed a %dx%d indexed plane", columns, rows);
}

void OpenGLModel::Load3DS(const char*) {
  LogScope scope("OpenGLModel::Load3DS");
  LOG_REPORT(this, E_NOSUP, "3DS models are not supported yet");
}

void OpenGLModel::LoadMD2(const char*) {
  LOG_REPORT(this, E_NOSUP, "MD2 models are not supported by the OpenGL model yet");
}

void OpenGLModel::LoadBSP(const char*) {
  LOG_REPORT(this, E_NOSUP, "BSP levels are not supported by the OpenGL model yet");
}

void OpenGLModel::LoadMS3D(const char*) {
  LOG_REPORT(this, E_NOSUP, "MilkShape models are not supported by the OpenGL model yet");
}

void OpenGLModel::Render() {
  for (OpenGLMesh* mesh : meshes)
    if (mesh) mesh->Render();
}

void OpenGLModel::RenderFrame(int, int) {
  if (!meshes.empty() && meshes[0]) meshes[0]->Render();
}

void OpenGLModel::Animate(int, float time) {
  Render();
  lastTime = time;
}

void OpenGLModel::SetTransform(float x, float y, float z, float a, float b, float c) {
  if (meshes.empty()) {
    LOG_WARNING("nMesh<=0");
    return;
  }
  for (OpenGLMesh* mesh : meshes)
    if (mesh) mesh->SetTransform(x, y, z, a, b, c);
}

void OpenGLModel::SetScale(float sx, float sy, float sz) {
  for (OpenGLMesh* mesh : meshes)
    if (mesh) mesh->Scale(sx, sy, sz);
}
