#include "oglengine/oglModel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/log.h"
#include "toolkit3ds/meshNormals.h"
#include "toolkit3ds/toolkit3ds.h"

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

void OpenGLModel::Load3DS(const char* path) {
  LogScope scope("OpenGLModel::Load3DS");
  // The toolkit stops at any error it has ever recorded: each load starts
  // with an empty list, so that one bad file does not fail every later one.
  ErrorClear3ds();
  Load3ds load;
  load.file = path ? FileOpen3ds(path, "r") : nullptr;
  if (!load.file) {
    LOG_REPORT(this, E_ERROR, "Could not load 3ds model!");
    return;
  }
  DatabaseInit3ds(&load.database);
  if (!load.database) {
    LOG_REPORT(this, E_ERROR, "Out of memory!");
    return;
  }
  DatabaseRead3ds(load.file, load.database);
  if (ErrorRaised3ds()) {
    LOG_REPORT(this, E_ERROR, "Could not read 3ds model %s: %s", path, ToolkitError());
    return;
  }
  if (DatabaseKind3ds(load.database) != DB_MESH_FILE) {
    LOG_REPORT(this, E_ERROR, "Can only load mesh 3ds files!");
    return;
  }

  MeshNames3ds(load.database, &load.names);
  if (!load.names) {
    LOG_REPORT(this, E_NOMEM, "Out of memory for namelist3ds!");
    return;
  }
  Log* log = Log::Get();
  log->Write("loaded 3ds database");
  log->Write("names in mesh list:");
  for (uint32_t i = 0; i < load.names->count; ++i)
    log->Write("list[%u]=%s", i, load.names->names[i]);

  meshes.reserve(meshes.size() + load.names->count);
  bool complete = true;
  for (uint32_t g = 0; g < load.names->count; ++g) {
    MeshRecordInit3ds(&load.record, 0, 0, 0);
    if (!load.record) {
      LOG_REPORT(this, E_NOMEM, "Out of memory for creating mesh's!");
      return;
    }
    MeshByIndex3ds(load.database, static_cast<int>(g), &load.record);
    if (ErrorRaised3ds()) {
      // A refused object is left out; with the error cleared the toolkit
      // reads the ones after it.
      LOG_REPORT(this, E_ERROR, "Could not read 3ds model %s: %s", path, ToolkitError());
      ErrorClear3ds();
      complete = false;
      continue;
    }
    const meshrec3ds& record = *load.record;
    log->Write("mesh #%u", g);
    log->Write("3ds mesh name:%s", record.name);
    log->Write("nVertices: %d\nnTextVerts:%d\nnFaces:%d", record.vertexCount,
               record.texCoordCount, record.faceCount);
    AddMesh3ds(record);
    MeshRecordRelease3ds(&load.record);
  }
  if (complete) SetStatus(E_OK, "Succesfully Loaded %s", path);
}

void OpenGLModel::AddMesh3ds(const meshrec3ds& record) {
  OpenGLMesh* mesh = new OpenGLMesh();
  mesh->name = record.name;
  meshes.push_back(mesh);

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
