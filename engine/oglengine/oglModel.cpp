#include "oglengine/oglModel.h"

#include <cstdint>

#include "core/log.h"
#include "core/planeMesh.h"
#include "toolkit3ds/meshes3ds.h"
#include "toolkit3ds/toolkit3ds.h"

OpenGLModel::OpenGLModel() : lastTime(0.0f) {}

OpenGLModel::~OpenGLModel() {
  for (OpenGLMesh* mesh : meshes) delete mesh;
}

void OpenGLModel::CreatePlane(int columns, int rows, float width, float depth, int,
                              const float* heights) {
  LogScope scope("OpenGLModel::CreatePlane");
  if (heights) LOG_REPORT(this, E_ERROR, "cant support heightmaps yet!\n");
  if (!CheckPlaneSize(this, columns, rows)) return;
  OpenGLMesh* mesh = new OpenGLMesh();
  meshes.push_back(mesh);
  if (!FillPlaneMesh(this, mesh, columns, rows, width, depth)) return;
  SetStatus(E_OK, "Constructed a %dx%d indexed plane", columns, rows);
}

void OpenGLModel::Load3DS(const char* path) {
  LogScope scope("OpenGLModel::Load3DS");
  const bool complete =
      ReadMeshes3ds(this, path, [this](const meshrec3ds& record) { AddMesh3ds(record); });
  if (complete) SetStatus(E_OK, "Succesfully Loaded %s", path);
}

void OpenGLModel::AddMesh3ds(const meshrec3ds& record) {
  OpenGLMesh* mesh = new OpenGLMesh();
  mesh->name = record.name;
  meshes.push_back(mesh);

  FillMesh3ds(mesh, record);
}

void OpenGLModel::Render() {
  for (OpenGLMesh* mesh : meshes)
    if (mesh) mesh->Render();
}

void OpenGLModel::SetTransform(float x, float y, float z, float a, float b, float c) {
  if (meshes.empty()) {
    if (!warnedEmpty) LOG_WARNING("nMesh<=0");
    warnedEmpty = true;
    return;
  }
  for (OpenGLMesh* mesh : meshes)
    if (mesh) mesh->SetTransform(x, y, z, a, b, c);
}

void OpenGLModel::SetScale(float sx, float sy, float sz) {
  for (OpenGLMesh* mesh : meshes)
    if (mesh) mesh->Scale(sx, sy, sz);
}
