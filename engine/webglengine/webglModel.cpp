#include "webglengine/webglModel.h"

#include "core/log.h"
#include "core/planeMesh.h"
#include "toolkit3ds/meshes3ds.h"
#include "toolkit3ds/toolkit3ds.h"

WebGLModel::~WebGLModel() {
  for (WebGLMesh* mesh : meshes) delete mesh;
}

void WebGLModel::CreatePlane(int columns, int rows, float width, float depth, int,
                             const float* heights) {
  LogScope scope("WebGLModel::CreatePlane");
  if (heights) LOG_REPORT(this, E_ERROR, "cant support heightmaps yet!\n");
  if (!CheckPlaneSize(this, columns, rows)) return;
  WebGLMesh* mesh = new WebGLMesh();
  meshes.push_back(mesh);
  if (!FillPlaneMesh(this, mesh, columns, rows, width, depth)) return;
  SetStatus(E_OK, "Constructed a %dx%d indexed plane", columns, rows);
}

void WebGLModel::Load3DS(const char* path) {
  LogScope scope("WebGLModel::Load3DS");
  const bool complete =
      ReadMeshes3ds(this, path, [this](const meshrec3ds& record) { AddMesh3ds(record); });
  if (complete) SetStatus(E_OK, "Succesfully Loaded %s", path);
}

void WebGLModel::AddMesh3ds(const meshrec3ds& record) {
  WebGLMesh* mesh = new WebGLMesh();
  mesh->name = record.name;
  meshes.push_back(mesh);
  FillMesh3ds(mesh, record);
}

void WebGLModel::LoadMD2(const char* path) {
  LOG_REPORT(this, E_NOSUP, "MD2 models are not read on the web (%s)", path ? path : "");
}

void WebGLModel::LoadBSP(const char* path) {
  LOG_REPORT(this, E_NOSUP, "BSP levels are not read on the web (%s)", path ? path : "");
}

void WebGLModel::LoadMS3D(const char* path) {
  LOG_REPORT(this, E_NOSUP, "MilkShape models are not read on the web (%s)", path ? path : "");
}

void WebGLModel::Render() {
  for (WebGLMesh* mesh : meshes) mesh->Render();
}

void WebGLModel::RenderFrame(int, int) {
  if (!meshes.empty()) meshes[0]->Render();
}

void WebGLModel::Animate(int, float) { Render(); }

void WebGLModel::SetTransform(float x, float y, float z, float a, float b, float c) {
  if (meshes.empty()) {
    if (!warnedEmpty) LOG_WARNING("nMesh<=0");
    warnedEmpty = true;
    return;
  }
  for (WebGLMesh* mesh : meshes) mesh->SetTransform(x, y, z, a, b, c);
}

void WebGLModel::SetScale(float sx, float sy, float sz) {
  for (WebGLMesh* mesh : meshes) mesh->Scale(sx, sy, sz);
}
