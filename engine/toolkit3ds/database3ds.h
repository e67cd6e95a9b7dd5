#pragma once

#include <cstdint>

struct chunknode3ds;
struct filerec3ds;

enum : int32_t {
  DB_UNKNOWN = 0,
  DB_MESH_FILE = 1,
  DB_PROJECT_FILE = 2,
  DB_MATERIAL_FILE = 3,
};

struct chunklistentry3ds {
  char* name;  // owned
  chunknode3ds* chunk;  // into the database's tree
};

struct chunklist3ds {
  uint32_t count;
  chunklistentry3ds* list;
};

// A 3DS file's chunk tree in memory; chunk data is decoded on demand.
struct dbrec3ds {
  chunknode3ds* topchunk;
  uint8_t objListDirty;
  uint8_t matListDirty;
  uint8_t nodeListDirty;
  chunklist3ds* objlist;  // built by RefreshObjectList3ds
  chunklist3ds* matlist;  // never built
  chunklist3ds* nodelist;  // never built
  // Where the latest MeshByIndex3ds found its mesh: the object list entry
  // after it and the index of the next mesh, so a walk over every mesh in
  // order reads the object list once.
  uint32_t nextMeshObject;
  int32_t nextMeshIndex;
};

// Allocates the record when *handle is null, then resets it. A record passed
// in is taken as empty: release a filled one first.
void DatabaseInit3ds(dbrec3ds** handle);
// Reads the whole chunk tree of a readable file (chunk headers only). A tree
// the database already holds is released first.
void DatabaseRead3ds(filerec3ds* file, dbrec3ds* db);
int32_t DatabaseKind3ds(const dbrec3ds* db);
// Frees the tree, the lists and the record, and empties the handle.
void DatabaseRelease3ds(dbrec3ds** handle);
// Lists the scene's named objects (TAG_OBJECT chunks), once per database.
void RefreshObjectList3ds(dbrec3ds* db);
