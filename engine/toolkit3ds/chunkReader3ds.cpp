#include "toolkit3ds/chunkReader3ds.h"

#include "toolkit3ds/chunk3ds.h"
#include "toolkit3ds/error3ds.h"
#include "toolkit3ds/file3ds.h"
#include "toolkit3ds/tags3ds.h"

namespace {
enum class Fixed { Leaf, Bytes, String, NodeHeader, KeyframerHeader, FaceList };

struct FixedPart {
  Fixed kind;
  uint32_t bytes;  // Bytes: the count; String: the limit
};

constexpr uint32_t kKeyframerNameLimit = 513;

// How many bytes of a chunk's own data come before its sub-chunks.
FixedPart FixedPartOf(uint32_t tag) {
  switch (tag) {
    case 0x1200: case 0x2100: case 0x2D2D: case 0x2D3D: case 0x3000: case 0x3D3D: case 0x3DAA:
    case 0x3DFF: case 0x4100: case 0x4D4D: case 0x8000: case 0x8001: case 0xA010: case 0xA020:
    case 0xA030: case 0xA040: case 0xA041: case 0xA042: case 0xA050: case 0xA052: case 0xA053:
    case 0xA084: case 0xA200: case 0xA204: case 0xA210: case 0xA220: case 0xA230: case 0xA33A:
    case 0xA33C: case 0xA33D: case 0xA33E: case 0xA340: case 0xA342: case 0xA344: case 0xA346:
    case 0xA348: case 0xA34A: case 0xA34C: case 0xAFFF: case 0xB000: case 0xB001: case 0xB002:
    case 0xB003: case 0xB004: case 0xB005: case 0xB006: case 0xB007: case 0xC23D:
      return {Fixed::Bytes, 0};
    case 0x0030: case 0x1420: case 0x1430: case 0xB030: return {Fixed::Bytes, 2};
    case 0x0011: return {Fixed::Bytes, 3};
    case 0x0002: case 0x0031: case 0x0100: case 0x1300: case 0x1400: case 0x1410: case 0x3D3E:
    case 0xB009: case 0xB015: case 0xD000:
      return {Fixed::Bytes, 4};
    case 0xB008: return {Fixed::Bytes, 8};
    case 0x4641: return {Fixed::Bytes, 10};
    case 0x0010: case 0x1500: case 0x4600: case 0xA310: case 0xB013: return {Fixed::Bytes, 12};
    case 0x7001: return {Fixed::Bytes, 14};
    case 0x2200: case 0x2300: case 0x2302: case 0x3010: case 0x3020: case 0x3030: case 0x3040:
    case 0x3050: case 0x3060:
      return {Fixed::Bytes, 16};
    case 0x4610: return {Fixed::Bytes, 20};
    case 0xB014: return {Fixed::Bytes, 24};
    case 0x3070: return {Fixed::Bytes, 28};
    case 0x4700: return {Fixed::Bytes, 32};
    case 0x4160: return {Fixed::Bytes, 48};
    case 0x3080: case 0x4000: case 0xB011: return {Fixed::String, 11};
    case 0x1100: case 0x4181: case 0xA300: return {Fixed::String, 13};
    case 0xA000: return {Fixed::String, 17};
    case 0xB010: return {Fixed::NodeHeader, 0};
    case 0xB00A: return {Fixed::KeyframerHeader, 0};
    case 0x4120: return {Fixed::FaceList, 0};
    default: return {Fixed::Leaf, 0};
  }
}

bool Skip(uint64_t bytes, uint64_t end) {
  const uint64_t at = FileTell3ds();
  if (at > end || bytes > end - at) {
    ErrorPush3ds(ERR_INVALID_CHUNK);
    return false;
  }
  FileSeek3ds(at + bytes);
  return true;
}

bool SkipString(uint32_t limit, uint64_t end) {
  char buffer[kKeyframerNameLimit];
  return ReadString3ds(buffer, limit, end) >= 0;
}

bool SkipFixedPart(uint32_t tag, uint64_t end) {
  const FixedPart part = FixedPartOf(tag);
  switch (part.kind) {
    case Fixed::Leaf: FileSeek3ds(end); return true;
    case Fixed::Bytes: return Skip(part.bytes, end);
    case Fixed::String: return SkipString(part.bytes, end);
    case Fixed::NodeHeader: return SkipString(11, end) && Skip(6, end);
    case Fixed::KeyframerHeader: return Skip(2, end) && SkipString(kKeyframerNameLimit, end) && Skip(4, end);
    case Fixed::FaceList: {
      const uint64_t at = FileTell3ds();
      if (at > end || end - at < 2) {
        ErrorPush3ds(ERR_INVALID_CHUNK);
        return false;
      }
      const uint16_t count = ReadUShort3ds();
      return !ErrorRaised3ds() && Skip(8ull * count, end);
    }
  }
  return false;
}

bool IsExtraEntry(uint32_t tag) { return tag >= TAG_EXTRA_FIRST && tag <= TAG_EXTRA_LAST; }

// `extra`: the parent is an extra section (0x8001) or one of its entries,
// where out-of-range tags end the section and overlong entries are dropped.
bool ReadChildren(chunknode3ds* parent, int depth, bool extra) {
  SetCurrentFile3ds(FileByIndex3ds(parent->readIndex));
  const uint64_t end = static_cast<uint64_t>(parent->position) + parent->size;
  if (!SkipFixedPart(parent->tag, end)) return false;

  chunknode3ds** tail = &parent->children;
  while (*tail != nullptr) tail = &(*tail)->sibling;
  while (FileTell3ds() < end) {
    const uint64_t position = FileTell3ds();
    if (end - position < 6) {
      ErrorPush3ds(ERR_INVALID_CHUNK);
      return false;
    }
    const uint16_t tag = ReadUShort3ds();
    if (ErrorRaised3ds()) return false;
    const uint32_t size = ReadULong3ds();
    if (ErrorRaised3ds()) return false;
    const uint64_t chunkEnd = position + size;
    if (extra) {
      if (!IsExtraEntry(tag)) {
        FileSeek3ds(end);
        break;
      }
      if (chunkEnd > end) continue;  // dropped; reading goes on after its header
    }
    if (size < 6 || chunkEnd > end || depth >= kMaxChunkDepth3ds) {
      ErrorPush3ds(ERR_INVALID_CHUNK);
      return false;
    }
    chunknode3ds* chunk = NewChunk3ds();
    if (chunk == nullptr) return false;
    chunk->tag = tag;
    chunk->size = size;
    chunk->position = static_cast<uint32_t>(position);
    chunk->readIndex = parent->readIndex;
    *tail = chunk;
    tail = &chunk->sibling;
    if (!ReadChildren(chunk, depth + 1, extra || tag == TAG_EXTRA_SECTION)) {
      ErrorPush3ds(ERR_READING_DATABASE);
      return false;
    }
  }
  return !ErrorRaised3ds();
}
}  // namespace

bool ReadChunkChildren3ds(chunknode3ds* parent, int depth) {
  if (ReadChildren(parent, depth, parent->tag == TAG_EXTRA_SECTION)) return true;
  ErrorPush3ds(ERR_READING_DATABASE);
  return false;
}
