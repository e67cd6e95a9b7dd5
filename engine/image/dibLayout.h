#pragma once

#include <cstddef>
#include <cstdint>

// Reading the headers of a Windows bitmap held in memory, without the
// platform: where the bitmap header, the colour masks, the colour table and
// the pixel data lie, checked against the length of the file, and the
// bitmap description that GDI is given to convert the pixels.

constexpr uint32_t kDibCoreHeaderSize = 12;
constexpr uint32_t kDibInfoHeaderSize = 40;
constexpr size_t kDibFileHeaderSize = 14;

constexpr uint32_t kDibRgb = 0;
constexpr uint32_t kDibRle8 = 1;
constexpr uint32_t kDibRle4 = 2;
constexpr uint32_t kDibBitfields = 3;

enum DibCheck {
  DIB_OK,
  // The bitmap header is neither a core (12) nor an info (40) header.
  DIB_UNKNOWN_FORMAT,
  // The file is shorter than its headers claim, or a size, offset, colour
  // table or dimension would make a reader go past its end.
  DIB_CORRUPT,
};

struct DibLayout {
  size_t headerOffset;  // 14 after a "BM" file header, else 0
  uint32_t headerSize;  // 12 or 40
  int32_t width;
  int32_t height;  // negative for a top-down bitmap
  uint16_t planes;
  uint16_t bitCount;
  uint32_t compression;
  uint32_t imageSize;  // as the header gives it
  int32_t xPelsPerMeter;
  int32_t yPelsPerMeter;
  uint32_t coloursImportant;
  uint16_t colourCount;  // DibColourCount
  size_t maskOffset;     // three 32-bit masks for BI_BITFIELDS
  uint32_t maskCount;    // 3 or 0
  size_t tableOffset;
  uint32_t tableEntrySize;  // 3 (core) or 4 (info)
  size_t pixelOffset;
  size_t pixelBytes;  // what GDI reads from pixelOffset
};

// The number of colour-table entries of a complete 12- or 40-byte bitmap
// header: a non-zero colours-used field (its low 16 bits) or 2, 16, 256 for
// 1, 4, 8 bits per pixel, else 0.
uint16_t DibColourCount(const uint8_t* header);

// Locates every part of the bitmap in `data` (the whole file, `size` bytes)
// and checks that each lies inside it.
DibCheck ReadDibLayout(const uint8_t* data, size_t size, DibLayout* layout);

// The loaders' message for a layout they refuse; null for DIB_OK.
const char* DibRefusal(DibCheck check);

// Bytes of the bitmap description for GDI: a 40-byte info header, the masks
// and the colour table in 4-byte entries.
size_t DibSourceInfoSize(const DibLayout& layout);
// Fills that description from the file; `info` holds DibSourceInfoSize bytes.
void FillDibSourceInfo(const uint8_t* data, const DibLayout& layout, uint8_t* info);

// Copies `rows` rows of `width` pixels from a 24-bit bottom-up DIB section
// (blue, green, red; rows padded to 4 bytes) to tightly packed red, green,
// blue.
void CopyDibRows(const uint8_t* section, int32_t width, int32_t rows, uint8_t* rgb);
