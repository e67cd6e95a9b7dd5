#include "dxengine/dxModel.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "core/log.h"
#include "core/vec3.h"
#include "dxengine/dxAllocate.h"
#include "ms3dtest/ms3d.h"
#include "toolkit3ds/toolkit3ds.h"

namespace {

const double kPi = 3.141592653589793;

// The first error the 3DS toolkit recorded.
const char* ToolkitError() {
  const char* message = ErrorList3ds().entries[0].message;
  return message ? message : ErrorText3ds(ERR_READING_FILE);
}

}  // namespace

DXModel::DXModel() : lastAnimateTime(0.0f) {}

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

  auto positions = DXAllocate<float>(vertices * 3);
  auto normals = DXAllocate<float>(vertices * 3);
  auto coords = DXAllocate<float>(vertices * 2);
  auto triangles = DXAllocate<int>(indices);
  if (!positions || !normals || !coords || !triangles) {
    LOG_REPORT(this, E_ERROR, "Out of memory");
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
  // The toolkit stops at any error still raised, so one bad file would
  // empty every later load.
  ErrorClear3ds();
  filerec3ds* file = path ? FileOpen3ds(path, "r") : nullptr;
  if (!file) {
    LOG_REPORT(this, E_ERROR, "Could not load %s model!", path ? path : "(null)");
    return;
  }
  dbrec3ds* database = nullptr;
  DatabaseInit3ds(&database);
  if (!database) {
    FileClose3ds(file);
    LOG_REPORT(this, E_ERROR, "Out of memory!");
    return;
  }
  DatabaseRead3ds(file, database);
  if (ErrorRaised3ds() || DatabaseKind3ds(database) != DB_MESH_FILE) {
    const bool unreadable = ErrorRaised3ds();
    DatabaseRelease3ds(&database);
    FileClose3ds(file);
    if (unreadable)
      LOG_REPORT(this, E_ERROR, "Could not read 3ds model %s: %s", path, ToolkitError());
    else
      LOG_REPORT(this, E_ERROR, "Can only load mesh 3ds files!");
    return;
  }
  namelist3ds* names = nullptr;
  MeshNames3ds(database, &names);
  if (!names) {
    DatabaseRelease3ds(&database);
    FileClose3ds(file);
    LOG_REPORT(this, E_ERROR, "Out of memory!");
    return;
  }
  Log* log = Log::Get();
  log->Write("loaded 3ds database");
  log->Write("names in mesh list:");
  for (uint32_t i = 0; i < names->count; ++i) log->Write("list[%u]=%s", i, names->names[i]);

  meshes.clear();
  bool complete = true;
  for (uint32_t i = 0; i < names->count; ++i) {
    meshrec3ds* record = nullptr;
    MeshRecordInit3ds(&record, 0, 0, 0);
    if (!record) {
      LOG_REPORT(this, E_ERROR, "Out of memory!");
      complete = false;
      break;
    }
    MeshByIndex3ds(database, static_cast<int>(i), &record);
    if (ErrorRaised3ds()) {
      // A refused object is left out; with the error cleared the toolkit
      // reads the ones after it.
      LOG_REPORT(this, E_ERROR, "Could not read 3ds model %s: %s", path, ToolkitError());
      ErrorClear3ds();
      complete = false;
    } else {
      log->Write("mesh #%u", i);
      log->Write("3ds mesh name:%s", record->name);
      log->Write("nVertices: %d\nnTextVerts:%d\nnFaces:%d", record->vertexCount,
                 record->texCoordCount, record->faceCount);
      AddMesh3ds(*record, names->names[i]);
    }
    MeshRecordRelease3ds(&record);
  }
  NameListRelease3ds(&names);
  DatabaseRelease3ds(&database);
  FileClose3ds(file);
  if (!complete) return;
  SetStatus(E_OK, "Succesfully Loaded %s", path);
}

void DXModel::AddMesh3ds(const meshrec3ds& record, const char* name) {
  const int vertices = record.vertexCount;
  std::vector<int> indices;
  indices.reserve(3 * static_cast<size_t>(record.faceCount));
  int outside = 0;
  for (uint16_t f = 0; f < record.faceCount; ++f) {
    const facerec3ds& face = record.faces[f];
    if (face.a >= vertices || face.b >= vertices || face.c >= vertices) {
      ++outside;
      continue;
    }
    indices.insert(indices.end(), {face.a, face.b, face.c});
  }
  if (outside)
    LOG_WARNING("%s: %d faces point past its %d vertices and are left out", name, outside, vertices);
  // A mesh without indices would draw its vertices as triangles.
  if (indices.empty()) {
    LOG_WARNING("%s: no faces to draw", name);
    return;
  }

  std::vector<float> positions(3 * static_cast<size_t>(vertices));
  std::vector<float> normals(3 * static_cast<size_t>(vertices));
  std::vector<float> coords(2 * static_cast<size_t>(vertices));
  const bool ownCoords = record.texCoordCount == record.vertexCount;
  if (!ownCoords) LOG_WARNING("#texture coordinates != #vertices");
  for (int v = 0; v < vertices; ++v) {
    const point3ds& p = record.vertices[v];
    // Shaded as if every vertex lay on a sphere about the origin.
    Vec3 normal(p.x, p.y, p.z);
    normal.Normalise();
    positions[3 * v] = p.x;
    positions[3 * v + 1] = p.y;
    positions[3 * v + 2] = p.z;
    normals[3 * v] = normal.x;
    normals[3 * v + 1] = normal.y;
    normals[3 * v + 2] = normal.z;
    if (ownCoords) {
      // Texture rows run top down: flip v.
      coords[2 * v] = record.texCoords[v].u;
      coords[2 * v + 1] = 1.0f - record.texCoords[v].v;
    } else {
      // A normalised component may come out a rounding step beyond 1.
      coords[2 * v] = static_cast<float>(std::asin(std::clamp(normal.x, -1.0f, 1.0f)) / kPi + 0.5);
      coords[2 * v + 1] =
          static_cast<float>(std::asin(std::clamp(normal.y, -1.0f, 1.0f)) / kPi + 0.5);
    }
  }

  auto mesh = std::make_unique<DXMesh>();
  mesh->name = name;
  MeshDesc desc = {};
  desc.primitive = PRIM_TRIANGLELIST;
  desc.hasNormals = true;
  desc.texChannels[0] = true;
  desc.vertexCount = vertices;
  desc.indexCount = static_cast<int32_t>(indices.size());
  mesh->Init(desc);
  mesh->SetVertices(positions.data());
  mesh->SetTextureCoords(coords.data(), 0);
  mesh->SetIndices(indices.data());
  mesh->SetNormals(normals.data());
  mesh->SetTransform(0, 0, 0, 0, 0, 0);
  meshes.push_back(std::move(mesh));
}

void DXModel::Render() {
  drawn.clear();
  for (auto& mesh : meshes) drawn.push_back(mesh.get());
  DXMesh::RenderAll(drawn);
}

// A model without key frames draws mesh 0 as it is.
void DXModel::RenderFrame(int animation, int frame) {
  if (meshes.empty() || !meshes[0]) return;
  if (const Vec3* corners = md2.Frame(animation, frame))
    SetPositions(*meshes[0], corners, md2.FrameNormals(animation, frame));
  meshes[0]->Render();
}

void DXModel::Animate(int animation, float time) {
  if (ms3d) {
    ms3d->advance(time - lastAnimateTime);
    for (int k = 0; k < MeshCount(); ++k)
      if (meshes[k]) PoseMs3dMesh(k);
    Render();
    lastAnimateTime = time;
    return;
  }
  if (md2.AnimationCount() > 0) {
    float cycleTime;
    md2.Blend(animation, time, md2Pose.data(), &cycleTime, md2PoseNormals.data());
    SetPositions(*meshes[0], md2Pose.data(), md2PoseNormals.data());
    meshes[0]->Render();
    return;
  }
  Render();
}

void DXModel::SetTransform(float x, float y, float z, float a, float b, float c) {
  for (auto& mesh : meshes)
    if (mesh) mesh->SetTransform(x, y, z, a, b, c);
}

void DXModel::SetScale(float sx, float sy, float sz) {
  for (auto& mesh : meshes)
    if (mesh) mesh->Scale(sx, sy, sz);
}
