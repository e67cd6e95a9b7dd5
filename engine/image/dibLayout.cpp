#include "image/dibLayout.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint16_t kFileMagic = 0x4D42;  // "BM"
// Larger images could not be described by the 32-bit sizes GDI works with.
constexpr uint64_t kMaxImageBytes = 0x7FFFFFFF;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void Write16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void Write32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Whether `length` bytes at `offset` lie inside a file of `size` bytes.
bool Fits(uint64_t offset, uint64_t length, uint64_t size) {
  return offset <= size && length <= size - offset;
}

bool KnownBitCount(uint16_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool CompressionFits(uint32_t compression, uint16_t bits, int32_t height) {
  switch (compression) {
    case kDibRgb:
      return true;
    // Run-length data cannot be stored top-down.
    case kDibRle8:
      return bits == 8 && height > 0;
    case kDibRle4:
      return bits == 4 && height > 0;
    case kDibBitfields:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

}  // namespace

uint16_t DibColourCount(const uint8_t* header) {
  uint16_t bits;
  if (Read32(header) == kDibCoreHeaderSize) {
    bits = Read16(header + 10);
  } else {
    const uint32_t used = Read32(header + 32);
    if (used != 0) return static_cast<uint16_t>(used);
    bits = Read16(header + 14);
  }
  switch (bits) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

DibCheck ReadDibLayout(const uint8_t* data, size_t size, DibLayout* layout) {
  DibLayout l = {};
  const bool fileHeader = size >= 2 && Read16(data) == kFileMagic;
  l.headerOffset = fileHeader ? kDibFileHeaderSize : 0;
  if (!Fits(l.headerOffset, 4, size)) return DIB_CORRUPT;
  const uint8_t* header = data + l.headerOffset;
  l.headerSize = Read32(header);
  if (l.headerSize != kDibCoreHeaderSize && l.headerSize != kDibInfoHeaderSize)
    return DIB_UNKNOWN_FORMAT;
  if (!Fits(l.headerOffset, l.headerSize, size)) return DIB_CORRUPT;

  l.colourCount = DibColourCount(header);
  if (l.headerSize == kDibCoreHeaderSize) {
    l.width = Read16(header + 4);
    l.height = Read16(header + 6);
    l.planes = Read16(header + 8);
    l.bitCount = Read16(header + 10);
    l.compression = kDibRgb;
    l.coloursImportant = l.colourCount;
    l.tableEntrySize = 3;
  } else {
    l.width = static_cast<int32_t>(Read32(header + 4));
    l.height = static_cast<int32_t>(Read32(header + 8));
    l.planes = Read16(header + 12);
    l.bitCount = Read16(header + 14);
    l.compression = Read32(header + 16);
    l.imageSize = Read32(header + 20);
    l.xPelsPerMeter = static_cast<int32_t>(Read32(header + 24));
    l.yPelsPerMeter = static_cast<int32_t>(Read32(header + 28));
    l.coloursImportant = Read32(header + 36);
    l.tableEntrySize = 4;
  }

  if (l.width <= 0 || l.height == 0 || !KnownBitCount(l.bitCount) ||
      !CompressionFits(l.compression, l.bitCount, l.height))
    return DIB_CORRUPT;
  // GDI reads a full table for a palette image whose count it is not told.
  if (l.bitCount <= 8 && l.colourCount == 0) return DIB_CORRUPT;

  const uint64_t width = static_cast<uint64_t>(l.width);
  const uint64_t rows = static_cast<uint64_t>(std::llabs(static_cast<long long>(l.height)));
  if (((width * 3 + 3) & ~uint64_t{3}) * rows > kMaxImageBytes) return DIB_CORRUPT;

  l.maskOffset = l.headerOffset + l.headerSize;
  l.maskCount = l.compression == kDibBitfields ? 3 : 0;
  l.tableOffset = l.maskOffset + 4 * l.maskCount;
  const uint64_t tableBytes = uint64_t{l.tableEntrySize} * l.colourCount;
  if (!Fits(l.maskOffset, 4 * l.maskCount + tableBytes, size)) return DIB_CORRUPT;

  l.pixelOffset = fileHeader ? Read32(data + 10) : l.tableOffset + tableBytes;
  if (l.compression == kDibRle8 || l.compression == kDibRle4) {
    // The decoder reads no more than the stated size.
    if (l.imageSize == 0) return DIB_CORRUPT;
    l.pixelBytes = l.imageSize;
  } else {
    const uint64_t stride = ((width * l.bitCount + 31) / 32) * 4;
    if (stride * rows > kMaxImageBytes) return DIB_CORRUPT;
    l.pixelBytes = stride * rows;
  }
  if (!Fits(l.pixelOffset, l.pixelBytes, size)) return DIB_CORRUPT;

  *layout = l;
  return DIB_OK;
}

const char* DibRefusal(DibCheck check) {
  switch (check) {
    case DIB_OK:
      return nullptr;
    case DIB_UNKNOWN_FORMAT:
      return "Unknown DIB file format.";
    case DIB_CORRUPT:
      break;
  }
  return "Image file conversion error.";
}

size_t DibSourceInfoSize(const DibLayout& layout) {
  return kDibInfoHeaderSize + 4 * (layout.maskCount + layout.colourCount);
}

void FillDibSourceInfo(const uint8_t* data, const DibLayout& layout, uint8_t* info) {
  const uint64_t rows = static_cast<uint64_t>(std::llabs(static_cast<long long>(layout.height)));
  uint32_t imageSize = layout.imageSize;
  if (imageSize == 0)
    imageSize = static_cast<uint32_t>(
        ((uint64_t{layout.bitCount} * static_cast<uint64_t>(layout.width) + 7) / 8) * rows);

  Write32(info, kDibInfoHeaderSize);
  Write32(info + 4, static_cast<uint32_t>(layout.width));
  Write32(info + 8, static_cast<uint32_t>(layout.height));
  Write16(info + 12, layout.planes);
  Write16(info + 14, layout.bitCount);
  Write32(info + 16, layout.compression);
  Write32(info + 20, imageSize);
  Write32(info + 24, static_cast<uint32_t>(layout.xPelsPerMeter));
  Write32(info + 28, static_cast<uint32_t>(layout.yPelsPerMeter));
  // The table holds exactly colourCount entries: GDI must read no more.
  Write32(info + 32, layout.colourCount);
  Write32(info + 36, layout.coloursImportant);

  uint8_t* out = info + kDibInfoHeaderSize;
  std::memcpy(out, data + layout.maskOffset, 4 * layout.maskCount);
  out += 4 * layout.maskCount;
  const uint8_t* entry = data + layout.tableOffset;
  for (uint32_t i = 0; i < layout.colourCount; ++i) {
    out[0] = entry[0];  // blue
    out[1] = entry[1];  // green
    out[2] = entry[2];  // red
    out[3] = layout.tableEntrySize == 4 ? entry[3] : 0;
    out += 4;
    entry += layout.tableEntrySize;
  }
}

void CopyDibRows(const uint8_t* section, int32_t width, int32_t rows, uint8_t* rgb) {
  // A 24-bit row of width pixels is padded by width & 3 bytes to 4 bytes.
  const size_t padding = static_cast<size_t>(width & 3);
  for (int32_t row = 0; row < rows; ++row) {
    for (int32_t x = 0; x < width; ++x) {
      rgb[0] = section[2];
      rgb[1] = section[1];
      rgb[2] = section[0];
      rgb += 3;
      section += 3;
    }
    section += padding;
  }
}
