#include "toolkit3ds/database3ds.h"

#include <cstdlib>
#include <cstring>

#include "toolkit3ds/chunk3ds.h"
#include "toolkit3ds/chunkReader3ds.h"
#include "toolkit3ds/error3ds.h"
#include "toolkit3ds/file3ds.h"
#include "toolkit3ds/keyframer3ds.h"
#include "toolkit3ds/tags3ds.h"

namespace {
void ReleaseList(chunklist3ds** handle) {
  chunklist3ds* list = *handle;
  if (list == nullptr) return;
  for (uint32_t i = 0; i < list->count; i++) std::free(list->list[i].name);
  std::free(list->list);
  std::free(list);
  *handle = nullptr;
}

void ReleaseContents(dbrec3ds* db) {
  FreeChunkTree3ds(&db->topchunk);
  ReleaseList(&db->objlist);
  ReleaseList(&db->matlist);
  ReleaseList(&db->nodelist);
}

bool IsDatabaseTag(uint32_t tag) {
  return tag == TAG_MESH_FILE || tag == TAG_PROJECT_FILE || tag == TAG_MATERIAL_FILE;
}

// The n-th TAG_OBJECT of the scene: the first by a subtree search from the
// scene chunk, each next one along the sibling chain of the previous one.
chunknode3ds* NextObject(chunknode3ds* scene, chunknode3ds* previous) {
  if (previous == nullptr) return SearchSubtree3ds(scene, TAG_OBJECT);
  return SearchSiblings3ds(previous->sibling, TAG_OBJECT);
}
}  // namespace

void DatabaseInit3ds(dbrec3ds** handle) {
  if (handle == nullptr) {
    ErrorPush3ds(ERR_INVALID_ARG);
    return;
  }
  if (!EnsureRecord3ds(handle)) return;
  dbrec3ds* db = *handle;
  db->topchunk = nullptr;
  db->objListDirty = db->matListDirty = db->nodeListDirty = 1;
  db->objlist = db->matlist = db->nodelist = nullptr;
  db->nextMeshObject = 0;
  db->nextMeshIndex = 0;
}

void DatabaseRead3ds(filerec3ds* file, dbrec3ds* db) {
  if (file == nullptr || db == nullptr) {
    ErrorPush3ds(ERR_INVALID_ARG);
    return;
  }
  if (!(file->mode & kFileRead3ds)) return;
  ReleaseContents(db);
  db->objListDirty = db->matListDirty = db->nodeListDirty = 1;

  chunknode3ds* root = NewChunk3ds();
  if (root == nullptr) {
    ErrorPush3ds(ERR_CREATING_DATABASE);
    return;
  }
  db->topchunk = root;
  root->readIndex = file->index;
  SetCurrentFile3ds(file);
  FileSeek3ds(0);
  root->tag = ReadUShort3ds();
  if (!ErrorRaised3ds()) root->size = ReadULong3ds();
  if (!ErrorRaised3ds() && root->size < 6) ErrorPush3ds(ERR_INVALID_CHUNK);
  if (ErrorRaised3ds()) {
    ErrorPush3ds(ERR_CREATING_DATABASE);
    return;
  }
  if (!IsDatabaseTag(root->tag)) return;
  if (!ReadChunkChildren3ds(root, 1)) {
    ErrorPush3ds(ERR_CREATING_DATABASE);
    return;
  }
  KeyframerParentNames3ds(root);
  if (ErrorRaised3ds()) ErrorPush3ds(ERR_CREATING_DATABASE);
}

int32_t DatabaseKind3ds(const dbrec3ds* db) {
  if (db == nullptr || db->topchunk == nullptr) return DB_UNKNOWN;
  switch (db->topchunk->tag) {
    case TAG_MESH_FILE: return DB_MESH_FILE;
    case TAG_PROJECT_FILE: return DB_PROJECT_FILE;
    case TAG_MATERIAL_FILE: return DB_MATERIAL_FILE;
    default: return DB_UNKNOWN;
  }
}

void DatabaseRelease3ds(dbrec3ds** handle) {
  if (handle == nullptr || *handle == nullptr) return;
  ReleaseContents(*handle);
  std::free(*handle);
  *handle = nullptr;
}

void RefreshObjectList3ds(dbrec3ds* db) {
  if (db == nullptr) {
    ErrorPush3ds(ERR_INVALID_ARG);
    return;
  }
  if (!db->objListDirty) return;
  db->objListDirty = 0;
  db->nextMeshObject = 0;
  db->nextMeshIndex = 0;
  ReleaseList(&db->objlist);
  if (ErrorRaised3ds()) return;

  chunknode3ds* scene = SearchSubtree3ds(db->topchunk, TAG_SCENE);
  uint32_t count = 0;
  if (scene != nullptr) {
    for (chunknode3ds* object = NextObject(scene, nullptr); object != nullptr;
         object = NextObject(scene, object)) {
      count++;
    }
  }
  chunklist3ds* list = static_cast<chunklist3ds*>(std::calloc(1, sizeof(chunklist3ds)));
  if (list == nullptr) {
    ErrorPush3ds(ERR_NO_MEM);
    return;
  }
  if (count > 0) {
    list->list = static_cast<chunklistentry3ds*>(std::calloc(count, sizeof(chunklistentry3ds)));
    if (list->list == nullptr) {
      std::free(list);
      ErrorPush3ds(ERR_NO_MEM);
      return;
    }
  }
  list->count = count;
  db->objlist = list;
  uint32_t i = 0;
  for (chunknode3ds* object = count > 0 ? NextObject(scene, nullptr) : nullptr; object != nullptr;
       object = NextObject(scene, object), i++) {
    const char* name = static_cast<const char*>(LoadChunkData3ds(object));
    if (ErrorRaised3ds()) return;
    const size_t length = name != nullptr ? std::strlen(name) : 0;
    list->list[i].name = static_cast<char*>(std::malloc(length + 1));
    if (list->list[i].name == nullptr) {
      ErrorPush3ds(ERR_NO_MEM);
      return;
    }
    if (length > 0) std::memcpy(list->list[i].name, name, length);
    list->list[i].name[length] = '\0';
    list->list[i].chunk = object;
  }
}
