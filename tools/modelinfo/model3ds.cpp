#include "modelinfo/model3ds.h"

#include <algorithm>
#include <cstdio>

#include "toolkit3ds/toolkit3ds.h"

namespace {
// The first recorded error is the cause; the later ones are its echoes up
// the call chain.
std::string FirstError() {
  const errorlist3ds& list = ErrorList3ds();
  return list.entries[0].message != nullptr ? list.entries[0].message : "unknown toolkit error";
}

void Describe(const meshrec3ds& record, MeshSummary& mesh) {
  mesh.name = record.name;
  mesh.vertices = record.vertexCount;
  mesh.texcoords = record.texCoordCount;
  mesh.faces = record.faceCount;
  mesh.hasBox = record.vertexCount > 0;
  for (uint16_t i = 0; i < record.vertexCount; i++) {
    const float p[3] = {record.vertices[i].x, record.vertices[i].y, record.vertices[i].z};
    for (int k = 0; k < 3; k++) {
      mesh.box[k] = i == 0 ? p[k] : std::min(mesh.box[k], p[k]);
      mesh.box[k + 3] = i == 0 ? p[k] : std::max(mesh.box[k + 3], p[k]);
    }
  }
}

bool ReadMeshes(dbrec3ds* db, ModelSummary& summary, std::string& error) {
  if (DatabaseKind3ds(db) != DB_MESH_FILE) {
    char text[64];
    std::snprintf(text, sizeof text, "not a 3DS mesh file (first chunk 0x%04x)",
                  db->topchunk != nullptr ? db->topchunk->tag : 0u);
    error = text;
    return false;
  }
  namelist3ds* names = nullptr;
  MeshNames3ds(db, &names);
  const uint32_t count = names != nullptr ? names->count : 0;
  NameListRelease3ds(&names);
  for (uint32_t i = 0; i < count && !ErrorRaised3ds(); i++) {
    meshrec3ds* record = nullptr;
    MeshRecordInit3ds(&record, 0, 0, 0);
    MeshByIndex3ds(db, static_cast<int>(i), &record);
    if (!ErrorRaised3ds()) {
      summary.meshes.emplace_back();
      Describe(*record, summary.meshes.back());
    }
    MeshRecordRelease3ds(&record);
  }
  if (ErrorRaised3ds()) {
    error = FirstError();
    return false;
  }
  return true;
}
}  // namespace

bool Summarise3ds(const char* path, ModelSummary& summary, std::string& error) {
  ErrorClear3ds();
  summary.format = "3ds";
  summary.meshes.clear();
  filerec3ds* file = FileOpen3ds(path, "r");
  if (file == nullptr) {
    error = "cannot open (" + FirstError() + ")";
    return false;
  }
  dbrec3ds* db = nullptr;
  DatabaseInit3ds(&db);
  DatabaseRead3ds(file, db);
  bool ok = false;
  if (ErrorRaised3ds()) {
    error = file->length == 0 ? std::string("empty file") : FirstError();
  } else {
    ok = ReadMeshes(db, summary, error);
  }
  DatabaseRelease3ds(&db);
  FileClose3ds(file);
  return ok;
}
