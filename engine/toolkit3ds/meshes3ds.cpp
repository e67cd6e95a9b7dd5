#include "toolkit3ds/meshes3ds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/log.h"
#include "core/mesh.h"
#include "core/vec3.h"
#include "toolkit3ds/meshNormals.h"
#include "toolkit3ds/toolkit3ds.h"

namespace {

// Releases what a 3DS load holds, whichever way the load ends.
struct Load3ds {
  ~Load3ds() {
    MeshRecordRelease3ds(&record);
    NameListRelease3ds(&names);
    DatabaseRelease3ds(&database);
    if (file) FileClose3ds(file);
  }
  filerec3ds* file = nullptr;
  dbrec3ds* database = nullptr;
  namelist3ds* names = nullptr;
  meshrec3ds* record = nullptr;
};

// The first error the toolkit recorded.
const char* ToolkitError() {
  const errorlist3ds& errors = ErrorList3ds();
  return errors.entries[0].message ? errors.entries[0].message : ErrorText3ds(ERR_READING_FILE);
}

}  // namespace

void FillMesh3ds(Mesh* mesh, const meshrec3ds& record) {
  const uint32_t vertexCount = record.vertexCount;
  std::vector<Vec3> positions(vertexCount);
  for (uint32_t v = 0; v < vertexCount; ++v)
    positions[v] = Vec3(record.vertices[v].x, record.vertices[v].y, record.vertices[v].z);

  // A face naming a vertex the object does not have is left out.
  std::vector<uint32_t> indices;
  indices.reserve(3 * static_cast<size_t>(record.faceCount));
  for (uint32_t k = 0; k < record.faceCount; ++k) {
    const facerec3ds& face = record.faces[k];
    if (face.a >= vertexCount || face.b >= vertexCount || face.c >= vertexCount) {
      LOG_WARNING("mesh %s: face %u names a vertex beyond its %u; left out", record.name, k,
                  vertexCount);
      continue;
    }
    indices.insert(indices.end(), {face.a, face.b, face.c});
  }
  const uint32_t faceCount = static_cast<uint32_t>(indices.size() / 3);

  std::vector<Vec3> normals(vertexCount);
  VertexNormals(positions.data(), vertexCount, indices.data(), faceCount, normals.data());

  std::vector<float> uv(2 * static_cast<size_t>(vertexCount));
  if (record.texCoordCount == record.vertexCount) {
    for (uint32_t v = 0; v < vertexCount; ++v) {
      uv[2 * v] = record.texCoords[v].u;
      uv[2 * v + 1] = record.texCoords[v].v;
    }
  } else {
    LOG_WARNING("#texture coordinates != #vertices");
    // Spherical coordinates from the normal; clamped, since a normalised
    // component may come out a rounding step beyond 1.
    const float kInversePi = 0.3183098861837907f;
    for (uint32_t v = 0; v < vertexCount; ++v) {
      uv[2 * v] = std::asin(std::clamp(normals[v].x, -1.0f, 1.0f)) * kInversePi + 0.5f;
      uv[2 * v + 1] = std::asin(std::clamp(normals[v].y, -1.0f, 1.0f)) * kInversePi + 0.5f;
    }
  }
  MeshDesc desc = {};
  desc.primitive = PRIM_TRIANGLELIST;
  desc.hasNormals = true;
  desc.texChannels[0] = true;
  desc.vertexCount = static_cast<int32_t>(vertexCount);
  desc.indexCount = static_cast<int32_t>(indices.size());
  mesh->Init(desc);
  static_assert(sizeof(Vec3) == 3 * sizeof(float), "Vec3 arrays are float triples");
  mesh->SetVertices(reinterpret_cast<const float*>(positions.data()));
  mesh->SetTextureCoords(uv.data(), 0);
  mesh->SetIndices(reinterpret_cast<const int*>(indices.data()));
  mesh->SetNormals(reinterpret_cast<const float*>(normals.data()));
  mesh->SetTransform(0, 0, 0, 0, 0, 0);
}

bool ReadMeshes3ds(EngineObject* reporter, const char* path,
                   const std::function<void(const meshrec3ds&)>& add) {
  // The toolkit stops at any error it has ever recorded: each load starts
  // with an empty list, so that one bad file does not fail every later one.
  ErrorClear3ds();
  Load3ds load;
  load.file = path ? FileOpen3ds(path, "r") : nullptr;
  if (!load.file) {
    LOG_REPORT(reporter, E_ERROR, "Could not load 3ds model!");
    return false;
  }
  DatabaseInit3ds(&load.database);
  if (!load.database) {
    LOG_REPORT(reporter, E_ERROR, "Out of memory!");
    return false;
  }
  DatabaseRead3ds(load.file, load.database);
  if (ErrorRaised3ds()) {
    LOG_REPORT(reporter, E_ERROR, "Could not read 3ds model %s: %s", path, ToolkitError());
    return false;
  }
  if (DatabaseKind3ds(load.database) != DB_MESH_FILE) {
    LOG_REPORT(reporter, E_ERROR, "Can only load mesh 3ds files!");
    return false;
  }

  MeshNames3ds(load.database, &load.names);
  if (!load.names) {
    LOG_REPORT(reporter, E_NOMEM, "Out of memory for namelist3ds!");
    return false;
  }
  Log* log = Log::Get();
  log->Write("loaded 3ds database");
  log->Write("names in mesh list:");
  for (uint32_t i = 0; i < load.names->count; ++i)
    log->Write("list[%u]=%s", i, load.names->names[i]);

  bool complete = true;
  for (uint32_t g = 0; g < load.names->count; ++g) {
    MeshRecordInit3ds(&load.record, 0, 0, 0);
    if (!load.record) {
      LOG_REPORT(reporter, E_NOMEM, "Out of memory for creating mesh's!");
      return false;
    }
    MeshByIndex3ds(load.database, static_cast<int>(g), &load.record);
    if (ErrorRaised3ds()) {
      // A refused object is left out; with the error cleared the toolkit
      // reads the ones after it.
      LOG_REPORT(reporter, E_ERROR, "Could not read 3ds model %s: %s", path, ToolkitError());
      ErrorClear3ds();
      complete = false;
      continue;
    }
    const meshrec3ds& record = *load.record;
    log->Write("mesh #%u", g);
    log->Write("3ds mesh name:%s", record.name);
    log->Write("nVertices: %d\nnTextVerts:%d\nnFaces:%d", record.vertexCount,
               record.texCoordCount, record.faceCount);
    add(record);
    MeshRecordRelease3ds(&load.record);
  }
  return complete;
}
