#pragma once

#include <cstdint>

#include "toolkit3ds/chunkData3ds.h"

struct dbrec3ds;

struct namelist3ds {
  uint32_t count;
  uint32_t capacity;  // count, or 5 when count is 0
  char** names;  // capacity entries, owned
};

struct matgroup3ds {
  char name[kMaterialNameLimit3ds];
  uint16_t faceCount;
  uint16_t* faceIndices;  // into meshrec3ds::faces; null when faceCount is 0
};

// One mesh object, self-contained: it owns its arrays and does not refer into
// the database. Face indices are below vertexCount and group face indices
// below faceCount: faces and group entries of a file that break this are
// dropped, the rest of the object kept.
struct meshrec3ds {
  char name[kObjectNameLimit3ds];
  uint8_t isHidden;
  uint8_t lofterVisible;
  uint8_t isMatte;
  uint8_t castsNoShadow;
  uint8_t fastDisplay;
  uint8_t receivesNoShadow;
  uint8_t isFrozen;
  uint16_t vertexCount;
  point3ds* vertices;
  uint16_t vertexFlagCount;
  uint16_t* vertexFlags;
  uint16_t texCoordCount;  // may differ from vertexCount
  textvert3ds* texCoords;
  uint8_t hasMapping;
  uint16_t mappingType;
  float tileX, tileY;
  float iconPosition[3];
  float iconScale;
  float mappingMatrix[12];
  float planarWidth, planarHeight, cylinderHeight;
  float localAxes[12];
  uint16_t faceCount;
  facerec3ds* faces;
  uint32_t* smoothGroups;  // one bit set per face, in face order
  uint16_t smoothGroupCount;  // as many as the file gives, not always faceCount
  uint8_t hasBoxMap;
  char boxMapNames[6][kMaterialNameLimit3ds];
  uint8_t colourIndex;
  uint16_t materialGroupCount;
  matgroup3ds* materialGroups;
  uint8_t useProcedure;
  uint32_t procedureDataSize;
  char procedureName[16];
  uint8_t* procedureData;
};

// Option bits of MeshRecordInit3ds.
enum : uint16_t {
  INIT_VERTICES3DS = 1,
  INIT_TEXCOORDS3DS = 2,
  INIT_FACES3DS = 4,
  INIT_MATGROUPS3DS = 8,
  INIT_SMOOTHING3DS = 16,
  INIT_PROCEDURE3DS = 32,
  INIT_VERTEXFLAGS3DS = 64,
};

// The names of the mesh objects (objects holding a triangle mesh), in file
// order. Pass an empty handle (or a list without names); the toolkit
// allocates.
void MeshNames3ds(dbrec3ds* db, namelist3ds** handle);
void NameListRelease3ds(namelist3ds** handle);

// Allocates the record when *handle is empty, then resets it to the defaults
// and sizes its arrays: vertices and faces by the counts; texture
// coordinates, vertex flags and smoothing groups with their option bits;
// arrays not asked for are freed.
void MeshRecordInit3ds(meshrec3ds** handle, uint16_t vertexCount, uint16_t faceCount,
                       uint16_t options);
// Fills the record from the index-th mesh object (0-based). An index at or
// beyond the number of mesh objects leaves the record as it is.
void MeshByIndex3ds(dbrec3ds* db, int index, meshrec3ds** handle);
// Frees the arrays and the record and empties the handle.
void MeshRecordRelease3ds(meshrec3ds** handle);
