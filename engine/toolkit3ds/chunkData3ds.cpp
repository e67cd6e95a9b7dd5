#include "toolkit3ds/chunkData3ds.h"

#include <cstdlib>
#include <cstring>

#include "toolkit3ds/error3ds.h"
#include "toolkit3ds/file3ds.h"
#include "toolkit3ds/tags3ds.h"

namespace {
enum class Kind {
  None,
  String,
  NodeHeader,
  NodeId,
  Vertices,
  VertexFlags,
  Faces,
  FaceMaterial,
  Smoothing,
  BoxMap,
  TexCoords,
  LocalAxes,
  ColourIndex,
  Mapping,
  ProcedureData,
  Raw,
};

constexpr uint32_t kMappingBytes = 86;

Kind KindOf(uint32_t tag) {
  switch (tag) {
    case TAG_SCENE:
    case TAG_EXTRA_SECTION:
    case TAG_KEYFRAMER:
    case TAG_NODE_OBJECT:
    case TAG_NODE_CAMERA:
    case TAG_NODE_TARGET:
    case TAG_NODE_LIGHT:
    case TAG_NODE_LIGHT_TARGET:
    case TAG_NODE_SPOTLIGHT:
      return Kind::None;
    case TAG_OBJECT:
    case TAG_NODE_INSTANCE:
    case TAG_PROCEDURE_NAME:
    case TAG_NODE_PARENT:
      return Kind::String;
    case TAG_NODE_HEADER: return Kind::NodeHeader;
    case TAG_NODE_ID: return Kind::NodeId;
    case TAG_VERTICES: return Kind::Vertices;
    case TAG_VERTEX_FLAGS: return Kind::VertexFlags;
    case TAG_FACES: return Kind::Faces;
    case TAG_FACE_MATERIAL: return Kind::FaceMaterial;
    case TAG_SMOOTHING: return Kind::Smoothing;
    case TAG_BOX_MAP: return Kind::BoxMap;
    case TAG_TEXCOORDS: return Kind::TexCoords;
    case TAG_LOCAL_AXES: return Kind::LocalAxes;
    case TAG_COLOUR_INDEX: return Kind::ColourIndex;
    case TAG_MAPPING: return Kind::Mapping;
    case TAG_PROCEDURE_DATA: return Kind::ProcedureData;
    default:
      if (tag >= TAG_FLAG_HIDDEN && tag <= TAG_FLAG_NO_RECEIVE) return Kind::None;
      return Kind::Raw;
  }
}

uint32_t StringLimit(uint32_t tag) {
  return tag == TAG_PROCEDURE_NAME ? kProcedureNameLimit3ds : kObjectNameLimit3ds;
}

// Whether `bytes` more bytes lie inside the chunk (ending at `end`) and
// inside the file; records the error when not.
bool Fits(uint64_t bytes, uint64_t end) {
  const uint64_t at = FileTell3ds();
  if (at > end || bytes > end - at) {
    ErrorPush3ds(ERR_INVALID_CHUNK);
    return false;
  }
  if (bytes > FileRemaining3ds()) {
    ErrorPush3ds(ERR_READING_FILE);
    return false;
  }
  return true;
}

void* Allocate(size_t bytes) {
  void* memory = std::calloc(1, bytes);
  if (memory == nullptr) ErrorPush3ds(ERR_NO_MEM);
  return memory;
}

char* CopyString(const char* text, size_t length) {
  char* copy = static_cast<char*>(Allocate(length + 1));
  if (copy != nullptr) std::memcpy(copy, text, length + 1);
  return copy;
}

char* ReadOwnedString(uint32_t limit, uint64_t end) {
  char buffer[kMaterialNameLimit3ds];
  const int32_t length = ReadString3ds(buffer, limit, end);
  if (length < 0) return nullptr;
  return CopyString(buffer, static_cast<size_t>(length));
}

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

float LeFloat(const uint8_t* p) {
  const uint32_t bits = Le32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Arrays are read straight into their memory and converted in place from
// little-endian: every element has the same size in the file as in memory.
void ConvertFloats(void* memory, size_t count) {
  uint8_t* bytes = static_cast<uint8_t*>(memory);
  for (size_t i = 0; i < count; i++) {
    const float value = LeFloat(bytes + 4 * i);
    std::memcpy(bytes + 4 * i, &value, 4);
  }
}

void ConvertShorts(void* memory, size_t count) {
  uint8_t* bytes = static_cast<uint8_t*>(memory);
  for (size_t i = 0; i < count; i++) {
    const uint16_t value = Le16(bytes + 2 * i);
    std::memcpy(bytes + 2 * i, &value, 2);
  }
}

void ConvertLongs(void* memory, size_t count) {
  uint8_t* bytes = static_cast<uint8_t*>(memory);
  for (size_t i = 0; i < count; i++) {
    const uint32_t value = Le32(bytes + 4 * i);
    std::memcpy(bytes + 4 * i, &value, 4);
  }
}

static_assert(sizeof(point3ds) == 12 && sizeof(textvert3ds) == 8 && sizeof(facerec3ds) == 8,
              "records match their file layout");

// `count` elements of `elementBytes` each, checked against the chunk first.
void* ReadArray(uint32_t count, size_t elementBytes, uint64_t end) {
  const uint64_t bytes = static_cast<uint64_t>(count) * elementBytes;
  if (!Fits(bytes, end) || count == 0) return nullptr;
  void* memory = Allocate(static_cast<size_t>(bytes));
  if (memory == nullptr) return nullptr;
  if (!ReadBytes3ds(memory, bytes)) {
    std::free(memory);
    return nullptr;
  }
  return memory;
}

// A u16 count that must fit, with its elements, in the chunk.
bool ReadCount(uint16_t& count, uint64_t end) {
  if (!Fits(2, end)) return false;
  count = ReadUShort3ds();
  return !ErrorRaised3ds();
}

template <typename Record>
Record* New() {
  return static_cast<Record*>(Allocate(sizeof(Record)));
}

void* DecodeVertices(uint64_t end) {
  uint16_t count = 0;
  if (!ReadCount(count, end)) return nullptr;
  void* array = ReadArray(count, sizeof(point3ds), end);
  if (ErrorRaised3ds()) return nullptr;
  ConvertFloats(array, 3u * count);
  vertexdata3ds* record = New<vertexdata3ds>();
  if (record == nullptr) {
    std::free(array);
    return nullptr;
  }
  record->count = count;
  record->vertices = static_cast<point3ds*>(array);
  return record;
}

void* DecodeTexCoords(uint64_t end) {
  uint16_t count = 0;
  if (!ReadCount(count, end)) return nullptr;
  void* array = ReadArray(count, sizeof(textvert3ds), end);
  if (ErrorRaised3ds()) return nullptr;
  ConvertFloats(array, 2u * count);
  texcoorddata3ds* record = New<texcoorddata3ds>();
  if (record == nullptr) {
    std::free(array);
    return nullptr;
  }
  record->count = count;
  record->coords = static_cast<textvert3ds*>(array);
  return record;
}

void* DecodeVertexFlags(uint64_t end) {
  uint16_t count = 0;
  if (!ReadCount(count, end)) return nullptr;
  void* array = ReadArray(count, sizeof(uint16_t), end);
  if (ErrorRaised3ds()) return nullptr;
  ConvertShorts(array, count);
  vertexflagdata3ds* record = New<vertexflagdata3ds>();
  if (record == nullptr) {
    std::free(array);
    return nullptr;
  }
  record->count = count;
  record->flags = static_cast<uint16_t*>(array);
  return record;
}

void* DecodeFaces(uint64_t end) {
  uint16_t count = 0;
  if (!ReadCount(count, end)) return nullptr;
  void* array = ReadArray(count, sizeof(facerec3ds), end);
  if (ErrorRaised3ds()) return nullptr;
  ConvertShorts(array, 4u * count);
  facedata3ds* record = New<facedata3ds>();
  if (record == nullptr) {
    std::free(array);
    return nullptr;
  }
  record->count = count;
  record->faces = static_cast<facerec3ds*>(array);
  return record;
}

void* DecodeFaceMaterial(uint64_t end) {
  facematdata3ds* record = New<facematdata3ds>();
  if (record == nullptr) return nullptr;
  record->name = ReadOwnedString(kMaterialNameLimit3ds, end);
  if (!ErrorRaised3ds() && ReadCount(record->count, end)) {
    record->faces = static_cast<uint16_t*>(ReadArray(record->count, sizeof(uint16_t), end));
    ConvertShorts(record->faces, record->faces != nullptr ? record->count : 0);
  }
  if (ErrorRaised3ds()) {
    FreeData3ds(TAG_FACE_MATERIAL, record);
    return nullptr;
  }
  return record;
}

void* DecodeSmoothing(uint64_t end) {
  const uint64_t entries = (end - FileTell3ds()) / 4;
  // One entry per face, and faces are counted in 16 bits.
  if (entries > 0xFFFF) {
    ErrorPush3ds(ERR_INVALID_CHUNK);
    return nullptr;
  }
  void* array = ReadArray(static_cast<uint32_t>(entries), sizeof(uint32_t), end);
  if (ErrorRaised3ds()) return nullptr;
  ConvertLongs(array, static_cast<size_t>(entries));
  smoothdata3ds* record = New<smoothdata3ds>();
  if (record == nullptr) {
    std::free(array);
    return nullptr;
  }
  record->count = static_cast<uint16_t>(entries);
  record->groups = static_cast<uint32_t*>(array);
  return record;
}

void* DecodeBoxMap(uint64_t end) {
  boxmapdata3ds* record = New<boxmapdata3ds>();
  if (record == nullptr) return nullptr;
  for (auto& name : record->names) {
    if (ReadString3ds(name, kMaterialNameLimit3ds, end) < 0) {
      std::free(record);
      return nullptr;
    }
  }
  return record;
}

template <size_t N>
bool ReadFloats(float (&out)[N]) {
  for (float& value : out) value = ReadFloat3ds();
  return !ErrorRaised3ds();
}

void* DecodeLocalAxes(uint64_t end) {
  localaxesdata3ds* record = nullptr;
  if (Fits(sizeof record->axes, end)) record = New<localaxesdata3ds>();
  if (record != nullptr && !ReadFloats(record->axes)) {
    std::free(record);
    return nullptr;
  }
  return record;
}

void* DecodeColourIndex(uint64_t end) {
  colourindexdata3ds* record = nullptr;
  if (Fits(1, end)) record = New<colourindexdata3ds>();
  if (record == nullptr) return nullptr;
  record->index = ReadByte3ds();
  if (ErrorRaised3ds()) {
    std::free(record);
    return nullptr;
  }
  return record;
}

void* DecodeMapping(uint64_t end) {
  mappingdata3ds* record = nullptr;
  if (Fits(kMappingBytes, end)) record = New<mappingdata3ds>();
  if (record == nullptr) return nullptr;
  record->type = ReadUShort3ds();
  record->tileX = ReadFloat3ds();
  record->tileY = ReadFloat3ds();
  ReadFloats(record->iconPosition);
  record->iconScale = ReadFloat3ds();
  ReadFloats(record->matrix);
  record->planarWidth = ReadFloat3ds();
  record->planarHeight = ReadFloat3ds();
  record->cylinderHeight = ReadFloat3ds();
  if (ErrorRaised3ds()) {
    std::free(record);
    return nullptr;
  }
  return record;
}

void* DecodeNodeHeader(uint64_t end) {
  nodeheader3ds* record = New<nodeheader3ds>();
  if (record == nullptr) return nullptr;
  record->name = ReadOwnedString(kObjectNameLimit3ds, end);
  if (!ErrorRaised3ds() && Fits(6, end)) {
    record->flags1 = ReadUShort3ds();
    record->flags2 = ReadUShort3ds();
    record->parentIndex = ReadShort3ds();
  }
  if (ErrorRaised3ds()) {
    FreeData3ds(TAG_NODE_HEADER, record);
    return nullptr;
  }
  return record;
}

void* DecodeNodeId(uint64_t end) {
  nodeid3ds* record = nullptr;
  if (Fits(2, end)) record = New<nodeid3ds>();
  if (record == nullptr) return nullptr;
  record->id = ReadShort3ds();
  if (ErrorRaised3ds()) {
    std::free(record);
    return nullptr;
  }
  return record;
}

void* DecodeProcedureData(uint64_t end) {
  const uint64_t bytes = end - FileTell3ds();
  void* array = ReadArray(static_cast<uint32_t>(bytes), 1, end);
  if (ErrorRaised3ds()) return nullptr;
  proceduredata3ds* record = New<proceduredata3ds>();
  if (record == nullptr) {
    std::free(array);
    return nullptr;
  }
  record->size = static_cast<uint32_t>(bytes);
  record->bytes = static_cast<uint8_t*>(array);
  return record;
}

void* CopyBytes(const void* source, size_t bytes) {
  if (source == nullptr || bytes == 0) return nullptr;
  void* copy = Allocate(bytes);
  if (copy != nullptr) std::memcpy(copy, source, bytes);
  return copy;
}

// Copies the record and then replaces its one owned array with a copy.
template <typename Record, typename Element>
void* CopyCounted(const void* data, Element* Record::*array, size_t count) {
  Record* copy = static_cast<Record*>(CopyBytes(data, sizeof(Record)));
  if (copy == nullptr) return nullptr;
  const Element* source = copy->*array;
  copy->*array = nullptr;
  if (source != nullptr && count > 0) {
    copy->*array = static_cast<Element*>(CopyBytes(source, count * sizeof(Element)));
    if (copy->*array == nullptr) {
      std::free(copy);
      return nullptr;
    }
  }
  return copy;
}

char* CopyOwnedString(const char* text) {
  return text != nullptr ? CopyString(text, std::strlen(text)) : nullptr;
}
}  // namespace

void* DecodeChunkData3ds(uint32_t tag, uint32_t size) {
  const Kind kind = KindOf(tag);
  // Parent names are made by the keyframer pass; one read from a file has none.
  if (kind == Kind::None || tag == TAG_NODE_PARENT) return nullptr;
  if (size < 6) {
    ErrorPush3ds(ERR_INVALID_CHUNK);
    return nullptr;
  }
  const uint64_t end = FileTell3ds() + (size - 6);
  switch (kind) {
    case Kind::None: return nullptr;
    case Kind::String: return ReadOwnedString(StringLimit(tag), end);
    case Kind::NodeHeader: return DecodeNodeHeader(end);
    case Kind::NodeId: return DecodeNodeId(end);
    case Kind::Vertices: return DecodeVertices(end);
    case Kind::VertexFlags: return DecodeVertexFlags(end);
    case Kind::Faces: return DecodeFaces(end);
    case Kind::FaceMaterial: return DecodeFaceMaterial(end);
    case Kind::Smoothing: return DecodeSmoothing(end);
    case Kind::BoxMap: return DecodeBoxMap(end);
    case Kind::TexCoords: return DecodeTexCoords(end);
    case Kind::LocalAxes: return DecodeLocalAxes(end);
    case Kind::ColourIndex: return DecodeColourIndex(end);
    case Kind::Mapping: return DecodeMapping(end);
    case Kind::ProcedureData: return DecodeProcedureData(end);
    case Kind::Raw: return ReadArray(size - 6, 1, end);
  }
  return nullptr;
}

void FreeData3ds(uint32_t tag, void* data) {
  if (data == nullptr) return;
  switch (KindOf(tag)) {
    case Kind::NodeHeader: std::free(static_cast<nodeheader3ds*>(data)->name); break;
    case Kind::Vertices: std::free(static_cast<vertexdata3ds*>(data)->vertices); break;
    case Kind::VertexFlags: std::free(static_cast<vertexflagdata3ds*>(data)->flags); break;
    case Kind::Faces: std::free(static_cast<facedata3ds*>(data)->faces); break;
    case Kind::FaceMaterial: {
      facematdata3ds* record = static_cast<facematdata3ds*>(data);
      std::free(record->name);
      std::free(record->faces);
      break;
    }
    case Kind::Smoothing: std::free(static_cast<smoothdata3ds*>(data)->groups); break;
    case Kind::TexCoords: std::free(static_cast<texcoorddata3ds*>(data)->coords); break;
    case Kind::ProcedureData: std::free(static_cast<proceduredata3ds*>(data)->bytes); break;
    default: break;
  }
  std::free(data);
}

void* CopyData3ds(uint32_t tag, uint32_t size, const void* data) {
  if (data == nullptr) return nullptr;
  switch (KindOf(tag)) {
    case Kind::None: return nullptr;
    case Kind::String: return CopyOwnedString(static_cast<const char*>(data));
    case Kind::NodeHeader: {
      nodeheader3ds* copy = static_cast<nodeheader3ds*>(CopyBytes(data, sizeof(nodeheader3ds)));
      if (copy == nullptr) return nullptr;
      copy->name = CopyOwnedString(static_cast<const nodeheader3ds*>(data)->name);
      if (copy->name == nullptr && static_cast<const nodeheader3ds*>(data)->name != nullptr) {
        std::free(copy);
        return nullptr;
      }
      return copy;
    }
    case Kind::NodeId: return CopyBytes(data, sizeof(nodeid3ds));
    case Kind::Vertices:
      return CopyCounted(data, &vertexdata3ds::vertices, static_cast<const vertexdata3ds*>(data)->count);
    case Kind::VertexFlags:
      return CopyCounted(data, &vertexflagdata3ds::flags, static_cast<const vertexflagdata3ds*>(data)->count);
    case Kind::Faces:
      return CopyCounted(data, &facedata3ds::faces, static_cast<const facedata3ds*>(data)->count);
    case Kind::FaceMaterial: {
      const facematdata3ds* source = static_cast<const facematdata3ds*>(data);
      facematdata3ds* copy =
          static_cast<facematdata3ds*>(CopyCounted(data, &facematdata3ds::faces, source->count));
      if (copy == nullptr) return nullptr;
      copy->name = CopyOwnedString(source->name);
      if (copy->name == nullptr && source->name != nullptr) {
        FreeData3ds(tag, copy);
        return nullptr;
      }
      return copy;
    }
    case Kind::Smoothing:
      return CopyCounted(data, &smoothdata3ds::groups, static_cast<const smoothdata3ds*>(data)->count);
    case Kind::BoxMap: return CopyBytes(data, sizeof(boxmapdata3ds));
    case Kind::TexCoords:
      return CopyCounted(data, &texcoorddata3ds::coords, static_cast<const texcoorddata3ds*>(data)->count);
    case Kind::LocalAxes: return CopyBytes(data, sizeof(localaxesdata3ds));
    case Kind::ColourIndex: return CopyBytes(data, sizeof(colourindexdata3ds));
    case Kind::Mapping: return CopyBytes(data, sizeof(mappingdata3ds));
    case Kind::ProcedureData:
      return CopyCounted(data, &proceduredata3ds::bytes, static_cast<const proceduredata3ds*>(data)->size);
    case Kind::Raw: return size > 6 ? CopyBytes(data, size - 6) : nullptr;
  }
  return nullptr;
}
