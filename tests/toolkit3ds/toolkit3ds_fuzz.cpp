// Feeds arbitrary bytes to the toolkit as a 3DS file and does everything a
// model class does with it, plus loading, cloning and freeing every chunk.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "toolkit3ds/meshNormals.h"
#include "toolkit3ds/toolkit3ds.h"

namespace {
void LoadEveryChunk(chunknode3ds* chunk) {
  for (; chunk != nullptr; chunk = chunk->sibling) {
    LoadChunkData3ds(chunk);
    ErrorClear3ds();
    LoadEveryChunk(chunk->children);
    FreeFileChunkData3ds(chunk);
  }
}

void Normals(const meshrec3ds* mesh) {
  std::vector<Vec3> positions;
  for (uint32_t v = 0; v < mesh->vertexCount; v++) {
    positions.emplace_back(mesh->vertices[v].x, mesh->vertices[v].y, mesh->vertices[v].z);
  }
  std::vector<uint32_t> indices;
  for (uint32_t k = 0; k < mesh->faceCount; k++) {
    indices.insert(indices.end(), {mesh->faces[k].a, mesh->faces[k].b, mesh->faces[k].c});
  }
  std::vector<Vec3> normals(positions.size());
  VertexNormals(positions.data(), mesh->vertexCount, indices.data(), mesh->faceCount, normals.data());
}
}  // namespace

// The toolkit reads files: each input goes through one of this process's own,
// removed when the process ends.
struct InputFile {
  std::string path = "/tmp/toolkit3ds_fuzz_" + std::to_string(getpid()) + ".3ds";
  ~InputFile() { std::remove(path.c_str()); }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const InputFile input;
  const std::string& path = input.path;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);

  ErrorClear3ds();
  filerec3ds* file = FileOpen3ds(path.c_str(), "r");
  if (file == nullptr) return 0;
  dbrec3ds* db = nullptr;
  DatabaseInit3ds(&db);
  DatabaseRead3ds(file, db);
  DatabaseKind3ds(db);
  // Go on with whatever was read, as far as it goes.
  ErrorClear3ds();
  namelist3ds* names = nullptr;
  MeshNames3ds(db, &names);
  const uint32_t count = names != nullptr ? names->count : 0;
  NameListRelease3ds(&names);
  for (uint32_t i = 0; i <= count; i++) {
    ErrorClear3ds();
    meshrec3ds* mesh = nullptr;
    MeshRecordInit3ds(&mesh, 0, 0, 0);
    MeshByIndex3ds(db, static_cast<int>(i), &mesh);
    Normals(mesh);
    MeshRecordRelease3ds(&mesh);
  }
  ErrorClear3ds();
  LoadEveryChunk(db->topchunk);
  chunknode3ds* clone = nullptr;
  if (db->topchunk != nullptr) CloneChunk3ds(db->topchunk, &clone);
  FreeChunkTree3ds(&clone);
  DatabaseRelease3ds(&db);
  FileClose3ds(file);
  return 0;
}
