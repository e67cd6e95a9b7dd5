#include "toolkit3ds/mesh3ds.h"

#include <cstdlib>
#include <cstring>

#include "toolkit3ds/chunk3ds.h"
#include "toolkit3ds/database3ds.h"
#include "toolkit3ds/error3ds.h"
#include "toolkit3ds/tags3ds.h"

namespace {
constexpr uint32_t kEmptyListCapacity = 5;

bool IsMeshObject(chunknode3ds* object) { return SearchSubtree3ds(object, TAG_TRIMESH) != nullptr; }

// Copies a decoded name into a fixed field, cut to fit.
template <size_t N>
void CopyName(char (&field)[N], const char* name) {
  std::memset(field, 0, N);
  if (name != nullptr) std::strncpy(field, name, N - 1);
}

// Resizes an array to `count` entries; entries it gains are set to `fresh`.
// A failed resize leaves no array (the caller sets the count to 0).
template <typename T>
bool SizeArray(T*& array, size_t oldCount, size_t count, const T& fresh) {
  if (count == 0) {
    std::free(array);
    array = nullptr;
    return true;
  }
  if (array == nullptr) oldCount = 0;
  T* resized = static_cast<T*>(std::realloc(array, count * sizeof(T)));
  if (resized == nullptr) {
    std::free(array);
    array = nullptr;
    ErrorPush3ds(ERR_NO_MEM);
    return false;
  }
  for (size_t i = oldCount; i < count; i++) resized[i] = fresh;
  array = resized;
  return true;
}

void FreeGroups(meshrec3ds* mesh) {
  if (mesh->materialGroups != nullptr) {
    for (uint16_t i = 0; i < mesh->materialGroupCount; i++) std::free(mesh->materialGroups[i].faceIndices);
  }
  std::free(mesh->materialGroups);
  mesh->materialGroups = nullptr;
  mesh->materialGroupCount = 0;
}

void SetDefaults(meshrec3ds* mesh) {
  CopyName(mesh->name, nullptr);
  mesh->isHidden = mesh->lofterVisible = mesh->isMatte = mesh->castsNoShadow = 0;
  mesh->fastDisplay = mesh->receivesNoShadow = mesh->isFrozen = 0;
  mesh->hasMapping = 0;
  mesh->mappingType = 0;
  mesh->tileX = mesh->tileY = 1.0f;
  std::memset(mesh->iconPosition, 0, sizeof mesh->iconPosition);
  mesh->iconScale = 1.0f;
  std::memset(mesh->mappingMatrix, 0, sizeof mesh->mappingMatrix);
  mesh->mappingMatrix[0] = mesh->mappingMatrix[4] = 1.0f;
  mesh->planarWidth = mesh->planarHeight = mesh->cylinderHeight = 1.0f;
  std::memset(mesh->localAxes, 0, sizeof mesh->localAxes);
  mesh->hasBoxMap = 0;
  std::memset(mesh->boxMapNames, 0, sizeof mesh->boxMapNames);
  mesh->colourIndex = 0;
  mesh->useProcedure = 0;
  std::memset(mesh->procedureName, 0, sizeof mesh->procedureName);
}

// Moves a decoded array out of chunk data into the record, freeing what the
// record held (a later chunk of the same kind wins).
template <typename T>
void MoveArray(T*& to, uint16_t& toCount, T*& from, uint16_t& fromCount) {
  std::free(to);
  to = from;
  toCount = fromCount;
  from = nullptr;
  fromCount = 0;
}

// Material groups, smoothing groups and box map hang under the face chunk.
void ReadFaceChildren(meshrec3ds* mesh, chunknode3ds* faceChunk) {
  uint16_t groups = 0;
  chunknode3ds* first = SearchSubtree3ds(faceChunk, TAG_FACE_MATERIAL);
  for (chunknode3ds* c = first; c != nullptr && groups < 0xFFFF;
       c = SearchSiblings3ds(c->sibling, TAG_FACE_MATERIAL)) {
    groups++;
  }
  if (groups > 0) {
    FreeGroups(mesh);
    mesh->materialGroups = static_cast<matgroup3ds*>(std::calloc(groups, sizeof(matgroup3ds)));
    if (mesh->materialGroups == nullptr) {
      ErrorPush3ds(ERR_NO_MEM);
      return;
    }
    mesh->materialGroupCount = groups;
    chunknode3ds* c = first;
    for (uint16_t i = 0; i < groups; i++, c = SearchSiblings3ds(c->sibling, TAG_FACE_MATERIAL)) {
      facematdata3ds* data = static_cast<facematdata3ds*>(LoadChunkData3ds(c));
      if (ErrorRaised3ds()) return;
      if (data == nullptr) continue;
      CopyName(mesh->materialGroups[i].name, data->name);
      MoveArray(mesh->materialGroups[i].faceIndices, mesh->materialGroups[i].faceCount, data->faces,
                data->count);
    }
  }
  chunknode3ds* smoothing = SearchSiblings3ds(faceChunk->children, TAG_SMOOTHING);
  if (smoothing != nullptr) {
    smoothdata3ds* data = static_cast<smoothdata3ds*>(LoadChunkData3ds(smoothing));
    if (ErrorRaised3ds()) return;
    if (data != nullptr) MoveArray(mesh->smoothGroups, mesh->smoothGroupCount, data->groups, data->count);
  }
  chunknode3ds* boxMap = SearchSiblings3ds(faceChunk->children, TAG_BOX_MAP);
  if (boxMap != nullptr) {
    const boxmapdata3ds* data = static_cast<const boxmapdata3ds*>(LoadChunkData3ds(boxMap));
    if (ErrorRaised3ds() || data == nullptr) return;
    for (int i = 0; i < 6; i++) CopyName(mesh->boxMapNames[i], data->names[i]);
    mesh->hasBoxMap = 1;
  }
}

void ReadMeshChunk(meshrec3ds* mesh, chunknode3ds* chunk) {
  switch (chunk->tag) {
    case TAG_VERTICES: case TAG_VERTEX_FLAGS: case TAG_FACES: case TAG_TEXCOORDS:
    case TAG_LOCAL_AXES: case TAG_COLOUR_INDEX: case TAG_MAPPING: case TAG_PROCEDURE_NAME:
    case TAG_PROCEDURE_DATA:
      break;
    default:
      return;
  }
  // Data that cannot be read (its file is closed) counts as absent.
  void* data = LoadChunkData3ds(chunk);
  if (ErrorRaised3ds() || data == nullptr) return;
  switch (chunk->tag) {
    case TAG_VERTICES: {
      vertexdata3ds* d = static_cast<vertexdata3ds*>(data);
      MoveArray(mesh->vertices, mesh->vertexCount, d->vertices, d->count);
      break;
    }
    case TAG_VERTEX_FLAGS: {
      vertexflagdata3ds* d = static_cast<vertexflagdata3ds*>(data);
      MoveArray(mesh->vertexFlags, mesh->vertexFlagCount, d->flags, d->count);
      break;
    }
    case TAG_FACES: {
      facedata3ds* d = static_cast<facedata3ds*>(data);
      MoveArray(mesh->faces, mesh->faceCount, d->faces, d->count);
      if (chunk->children != nullptr) ReadFaceChildren(mesh, chunk);
      break;
    }
    case TAG_TEXCOORDS: {
      texcoorddata3ds* d = static_cast<texcoorddata3ds*>(data);
      MoveArray(mesh->texCoords, mesh->texCoordCount, d->coords, d->count);
      break;
    }
    case TAG_LOCAL_AXES:
      std::memcpy(mesh->localAxes, static_cast<localaxesdata3ds*>(data)->axes, sizeof mesh->localAxes);
      break;
    case TAG_COLOUR_INDEX: mesh->colourIndex = static_cast<colourindexdata3ds*>(data)->index; break;
    case TAG_MAPPING: {
      const mappingdata3ds* d = static_cast<const mappingdata3ds*>(data);
      mesh->hasMapping = 1;
      mesh->mappingType = d->type;
      mesh->tileX = d->tileX;
      mesh->tileY = d->tileY;
      std::memcpy(mesh->iconPosition, d->iconPosition, sizeof mesh->iconPosition);
      mesh->iconScale = d->iconScale;
      std::memcpy(mesh->mappingMatrix, d->matrix, sizeof mesh->mappingMatrix);
      mesh->planarWidth = d->planarWidth;
      mesh->planarHeight = d->planarHeight;
      mesh->cylinderHeight = d->cylinderHeight;
      break;
    }
    case TAG_PROCEDURE_NAME: CopyName(mesh->procedureName, static_cast<const char*>(data)); break;
    case TAG_PROCEDURE_DATA: {
      proceduredata3ds* d = static_cast<proceduredata3ds*>(data);
      std::free(mesh->procedureData);
      mesh->procedureData = d->bytes;
      mesh->procedureDataSize = d->size;
      d->bytes = nullptr;
      d->size = 0;
      break;
    }
  }
}

// Face indices index the vertex array and group indices the face array in
// every user of the record. A face naming a vertex the object lacks is
// dropped (with its smoothing entry, and group indices renumbered), as is a
// group index past the faces: the rest of the object stays usable.
void DropFacesOutOfRange(meshrec3ds* mesh) {
  const uint16_t dropped = 0xFFFF;  // a face count is at most 65535, so no index is this
  // One entry more than the faces, so that the request is never of size 0.
  uint16_t* newIndex =
      static_cast<uint16_t*>(std::malloc((mesh->faceCount + 1u) * sizeof(uint16_t)));
  if (newIndex == nullptr) {
    ErrorPush3ds(ERR_NO_MEM);
    return;
  }
  uint16_t kept = 0;
  for (uint16_t i = 0; i < mesh->faceCount; i++) {
    const facerec3ds& face = mesh->faces[i];
    if (face.a < mesh->vertexCount && face.b < mesh->vertexCount && face.c < mesh->vertexCount) {
      newIndex[i] = kept;
      mesh->faces[kept++] = face;
    } else {
      newIndex[i] = dropped;
    }
  }
  // Smoothing entries beyond the faces stay, after those of the kept faces.
  uint16_t smooth = 0;
  for (uint16_t i = 0; i < mesh->smoothGroupCount; i++) {
    if (i < mesh->faceCount && newIndex[i] == dropped) continue;
    mesh->smoothGroups[smooth++] = mesh->smoothGroups[i];
  }
  mesh->smoothGroupCount = smooth;
  for (uint16_t g = 0; g < mesh->materialGroupCount; g++) {
    matgroup3ds& group = mesh->materialGroups[g];
    uint16_t groupKept = 0;
    for (uint16_t i = 0; i < group.faceCount; i++) {
      const uint16_t index = group.faceIndices[i];
      const uint16_t face = index < mesh->faceCount ? newIndex[index] : dropped;
      if (face != dropped) group.faceIndices[groupKept++] = face;
    }
    group.faceCount = groupKept;
    if (groupKept == 0) {
      std::free(group.faceIndices);
      group.faceIndices = nullptr;
    }
  }
  std::free(newIndex);
  mesh->faceCount = kept;
}

bool HasChild(chunknode3ds* chunk, uint32_t tag) { return SearchSiblings3ds(chunk->children, tag) != nullptr; }

void FillFromObject(chunknode3ds* object, meshrec3ds** handle) {
  if (!HasChild(object, TAG_TRIMESH)) {
    ErrorPush3ds(ERR_WRONG_OBJECT);
    return;
  }
  MeshRecordInit3ds(handle, 0, 0, 0);
  meshrec3ds* mesh = *handle;
  if (mesh == nullptr || ErrorRaised3ds()) return;
  chunknode3ds* clone = nullptr;
  CloneChunk3ds(object, &clone);
  if (ErrorRaised3ds()) return;

  const char* name = static_cast<const char*>(LoadChunkData3ds(clone));
  if (!ErrorRaised3ds()) {
    CopyName(mesh->name, name);
    chunknode3ds* trimesh = SearchSiblings3ds(clone->children, TAG_TRIMESH);
    for (chunknode3ds* chunk = trimesh->children; chunk != nullptr && !ErrorRaised3ds();
         chunk = chunk->sibling) {
      ReadMeshChunk(mesh, chunk);
    }
  }
  mesh->isHidden = HasChild(clone, TAG_FLAG_HIDDEN);
  mesh->lofterVisible = HasChild(clone, TAG_FLAG_LOFTER);
  mesh->isMatte = HasChild(clone, TAG_FLAG_MATTE);
  mesh->castsNoShadow = HasChild(clone, TAG_FLAG_NO_CAST);
  mesh->fastDisplay = HasChild(clone, TAG_FLAG_FAST);
  mesh->receivesNoShadow = HasChild(clone, TAG_FLAG_NO_RECEIVE);
  mesh->isFrozen = HasChild(clone, TAG_FLAG_FROZEN);
  mesh->useProcedure = HasChild(clone, TAG_FLAG_PROCEDURAL);
  FreeChunkTree3ds(&clone);

  if (!ErrorRaised3ds()) DropFacesOutOfRange(mesh);
  // A record is filled whole or left as initialised, never half.
  if (ErrorRaised3ds()) MeshRecordInit3ds(handle, 0, 0, 0);
}
}  // namespace

void MeshNames3ds(dbrec3ds* db, namelist3ds** handle) {
  if (db == nullptr || handle == nullptr) {
    ErrorPush3ds(ERR_INVALID_ARG);
    return;
  }
  RefreshObjectList3ds(db);
  uint32_t count = 0;
  const chunklist3ds* objects = db->objlist;
  if (!ErrorRaised3ds() && objects != nullptr) {
    for (uint32_t i = 0; i < objects->count; i++) count += IsMeshObject(objects->list[i].chunk);
  }
  if (!EnsureRecord3ds(handle)) return;
  namelist3ds* names = *handle;
  const uint32_t capacity = count > 0 ? count : kEmptyListCapacity;
  names->names = static_cast<char**>(std::calloc(capacity, sizeof(char*)));
  if (names->names == nullptr) {
    names->count = names->capacity = 0;
    ErrorPush3ds(ERR_NO_MEM);
    return;
  }
  names->count = count;
  names->capacity = capacity;
  for (uint32_t i = 0, stored = 0; stored < count && i < objects->count; i++) {
    if (!IsMeshObject(objects->list[i].chunk)) continue;
    const char* name = objects->list[i].name != nullptr ? objects->list[i].name : "";
    const size_t length = std::strlen(name);
    names->names[stored] = static_cast<char*>(std::malloc(length + 1));
    if (names->names[stored] == nullptr) {
      ErrorPush3ds(ERR_NO_MEM);
      return;
    }
    std::memcpy(names->names[stored], name, length + 1);
    stored++;
  }
}

void NameListRelease3ds(namelist3ds** handle) {
  if (handle == nullptr) {
    ErrorPush3ds(ERR_INVALID_ARG);
    return;
  }
  namelist3ds* names = *handle;
  if (names == nullptr) return;
  if (names->names != nullptr) {
    for (uint32_t i = 0; i < names->capacity; i++) std::free(names->names[i]);
  }
  std::free(names->names);
  std::free(names);
  *handle = nullptr;
}

void MeshRecordInit3ds(meshrec3ds** handle, uint16_t vertexCount, uint16_t faceCount,
                       uint16_t options) {
  if (handle == nullptr) {
    ErrorPush3ds(ERR_INVALID_ARG);
    return;
  }
  if (!EnsureRecord3ds(handle)) return;
  meshrec3ds* mesh = *handle;
  SetDefaults(mesh);
  FreeGroups(mesh);

  const uint16_t texCoords = (options & INIT_TEXCOORDS3DS) ? vertexCount : 0;
  const uint16_t vertexFlags = (options & INIT_VERTEXFLAGS3DS) ? vertexCount : 0;
  const uint16_t smoothing = (options & INIT_SMOOTHING3DS) ? faceCount : 0;
  mesh->vertexCount = SizeArray(mesh->vertices, mesh->vertexCount, vertexCount, point3ds{0, 0, 0}) ? vertexCount : 0;
  mesh->faceCount = SizeArray(mesh->faces, mesh->faceCount, faceCount, facerec3ds{0, 1, 2, 0}) ? faceCount : 0;
  mesh->texCoordCount =
      SizeArray(mesh->texCoords, mesh->texCoordCount, texCoords, textvert3ds{0, 0}) ? texCoords : 0;
  mesh->vertexFlagCount =
      SizeArray(mesh->vertexFlags, mesh->vertexFlagCount, vertexFlags, uint16_t{0}) ? vertexFlags : 0;
  mesh->smoothGroupCount =
      SizeArray(mesh->smoothGroups, mesh->smoothGroupCount, smoothing, uint32_t{0}) ? smoothing : 0;
  SizeArray(mesh->procedureData, mesh->procedureDataSize, 0, uint8_t{0});
  mesh->procedureDataSize = 0;
}

void MeshByIndex3ds(dbrec3ds* db, int index, meshrec3ds** handle) {
  if (db == nullptr || handle == nullptr) {
    ErrorPush3ds(ERR_INVALID_ARG);
    return;
  }
  if (db->topchunk == nullptr) {
    ErrorPush3ds(ERR_INVALID_DATABASE);
    return;
  }
  if (db->topchunk->tag != TAG_MESH_FILE && db->topchunk->tag != TAG_PROJECT_FILE) {
    ErrorPush3ds(ERR_WRONG_DATABASE);
    return;
  }
  RefreshObjectList3ds(db);
  const chunklist3ds* objects = db->objlist;
  if (objects == nullptr) return;
  // Later meshes are found on from the previous one; earlier ones from the start.
  const bool onward = index >= db->nextMeshIndex;
  int meshes = onward ? db->nextMeshIndex : 0;
  for (uint32_t i = onward ? db->nextMeshObject : 0; i < objects->count; i++) {
    if (!IsMeshObject(objects->list[i].chunk)) continue;
    if (meshes == index) {
      db->nextMeshObject = i + 1;
      db->nextMeshIndex = index + 1;
      FillFromObject(objects->list[i].chunk, handle);
      return;
    }
    meshes++;
  }
}

void MeshRecordRelease3ds(meshrec3ds** handle) {
  if (handle == nullptr) return;
  meshrec3ds* mesh = *handle;
  if (mesh != nullptr) {
    std::free(mesh->vertices);
    std::free(mesh->texCoords);
    std::free(mesh->faces);
    FreeGroups(mesh);
    std::free(mesh->smoothGroups);
    std::free(mesh->procedureData);
    std::free(mesh->vertexFlags);
    std::free(mesh);
  }
  *handle = nullptr;
}
