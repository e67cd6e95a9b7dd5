#pragma once

#include <cstdint>

// Decoded chunk data: what LoadChunkData3ds gives for each tag.
//   TAG_OBJECT, TAG_NODE_INSTANCE, TAG_PROCEDURE_NAME,
//   TAG_NODE_PARENT (made in memory only)     char* (owned string)
//   TAG_NODE_HEADER                            nodeheader3ds
//   TAG_NODE_ID                                nodeid3ds
//   TAG_VERTICES                               vertexdata3ds
//   TAG_VERTEX_FLAGS                           vertexflagdata3ds
//   TAG_FACES                                  facedata3ds
//   TAG_FACE_MATERIAL                          facematdata3ds
//   TAG_SMOOTHING                              smoothdata3ds
//   TAG_BOX_MAP                                boxmapdata3ds
//   TAG_TEXCOORDS                              texcoorddata3ds
//   TAG_LOCAL_AXES                             localaxesdata3ds
//   TAG_COLOUR_INDEX                           colourindexdata3ds
//   TAG_MAPPING                                mappingdata3ds
//   TAG_PROCEDURE_DATA                         proceduredata3ds
//   containers, object flags, NODE_PARENT read from a file: no data (null)
//   any other tag: its size − 6 bytes as read (uint8_t*), null when empty
// Counts are checked against the chunk's size before anything is allocated.

struct point3ds {
  float x, y, z;
};

struct textvert3ds {
  float u, v;
};

struct facerec3ds {
  uint16_t a, b, c, flags;
};

constexpr uint32_t kObjectNameLimit3ds = 11;  // 10 characters and the terminator
constexpr uint32_t kMaterialNameLimit3ds = 17;
constexpr uint32_t kProcedureNameLimit3ds = 13;

struct nodeheader3ds {
  char* name;
  uint16_t flags1;
  uint16_t flags2;
  int16_t parentIndex;  // -1: none
};

struct nodeid3ds {
  int16_t id;
};

struct vertexdata3ds {
  uint16_t count;
  point3ds* vertices;
};

struct vertexflagdata3ds {
  uint16_t count;
  uint16_t* flags;
};

struct facedata3ds {
  uint16_t count;
  facerec3ds* faces;
};

struct facematdata3ds {
  char* name;
  uint16_t count;
  uint16_t* faces;  // null when count is 0
};

struct smoothdata3ds {
  uint16_t count;
  uint32_t* groups;
};

struct boxmapdata3ds {
  char names[6][kMaterialNameLimit3ds];
};

struct texcoorddata3ds {
  uint16_t count;
  textvert3ds* coords;
};

struct localaxesdata3ds {
  float axes[12];
};

struct colourindexdata3ds {
  uint8_t index;
};

struct mappingdata3ds {
  uint16_t type;
  float tileX, tileY;
  float iconPosition[3];
  float iconScale;
  float matrix[12];
  float planarWidth, planarHeight, cylinderHeight;
};

struct proceduredata3ds {
  uint32_t size;
  uint8_t* bytes;
};

// Decodes the data of a chunk of `tag` and `size` from the current file,
// whose read position is the chunk's data start. Null for tags without data
// and on failure (with the error recorded).
void* DecodeChunkData3ds(uint32_t tag, uint32_t size);
// Frees a decoded record and what it owns.
void FreeData3ds(uint32_t tag, void* data);
// A deep copy of a decoded record (null and ERR_NO_MEM on failure).
void* CopyData3ds(uint32_t tag, uint32_t size, const void* data);
