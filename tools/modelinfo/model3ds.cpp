#include "modelinfo/model3ds.h"

#include <cstdio>

#include "modelinfo/json.h"
#include "toolkit3ds/toolkit3ds.h"

namespace {
// The first recorded error is the cause; the later ones are its echoes up
// the call chain.
std::string FirstError() {
  const errorlist3ds& list = ErrorList3ds();
  return list.entries[0].message != nullptr ? list.entries[0].message : "unknown toolkit error";
}

std::string MeshJson(const meshrec3ds& record) {
  BoundingBox box;
  for (uint16_t i = 0; i < record.vertexCount; i++)
    box.Add(record.vertices[i].x, record.vertices[i].y, record.vertices[i].z);
  return "{\"name\":" + JsonString(record.name) +
         ",\"vertices\":" + std::to_string(record.vertexCount) +
         ",\"texcoords\":" + std::to_string(record.texCoordCount) +
         ",\"faces\":" + std::to_string(record.faceCount) + ",\"bbox\":" + box.Json() + '}';
}

bool ReadMeshes(dbrec3ds* db, std::string& json, std::string& error) {
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
    if (!ErrorRaised3ds()) json += (i > 0 ? "," : "") + MeshJson(*record);
    MeshRecordRelease3ds(&record);
  }
  if (ErrorRaised3ds()) {
    error = FirstError();
    return false;
  }
  json += "]}";
  return true;
}
}  // namespace

bool Summarise3ds(const std::vector<std::uint8_t>& bytes, const char* path, std::string& json,
                  std::string& error) {
  ErrorClear3ds();
  json = "{\"format\":\"3ds\",\"meshes\":[";
  filerec3ds* file = FileOpenBytes3ds(path, bytes.data(), bytes.size());
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
    ok = ReadMeshes(db, json, error);
  }
  DatabaseRelease3ds(&db);
  FileClose3ds(file);
  return ok;
}
