#pragma once

#include <cstdint>
#include <vector>

// Builds Windows bitmap files byte by byte for the loader tests.
struct BmpSpec {
  bool fileHeader = true;
  bool core = false;  // 12-byte core header instead of the 40-byte info header
  uint32_t headerSize = 0;  // 0: the size of the chosen header
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t imageSize = 0;
  uint32_t coloursUsed = 0;
  std::vector<uint8_t> masks;  // written right after the header
  std::vector<uint8_t> table;  // raw colour-table bytes
  std::vector<uint8_t> pixels;  // raw pixel bytes
};

inline void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline std::vector<uint8_t> BuildBmp(const BmpSpec& s) {
  std::vector<uint8_t> header;
  if (s.core) {
    Put32(header, s.headerSize ? s.headerSize : 12);
    Put16(header, static_cast<uint32_t>(s.width));
    Put16(header, static_cast<uint32_t>(s.height));
    Put16(header, 1);
    Put16(header, s.bits);
  } else {
    const uint32_t size = s.headerSize ? s.headerSize : 40;
    Put32(header, size);
    Put32(header, static_cast<uint32_t>(s.width));
    Put32(header, static_cast<uint32_t>(s.height));
    Put16(header, 1);
    Put16(header, s.bits);
    Put32(header, s.compression);
    Put32(header, s.imageSize);
    Put32(header, 2835);
    Put32(header, 2835);
    Put32(header, s.coloursUsed);
    Put32(header, 0);
    header.resize(size, 0);
  }
  std::vector<uint8_t> out;
  const uint32_t dataOffset = static_cast<uint32_t>(
      (s.fileHeader ? 14 : 0) + header.size() + s.masks.size() + s.table.size());
  if (s.fileHeader) {
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(dataOffset + s.pixels.size()));
    Put32(out, 0);
    Put32(out, dataOffset);
  }
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), s.masks.begin(), s.masks.end());
  out.insert(out.end(), s.table.begin(), s.table.end());
  out.insert(out.end(), s.pixels.begin(), s.pixels.end());
  return out;
}

// Bytes of a 24-bit row set, bottom row first, each row padded to 4 bytes:
// pixel (x, y) gets blue x, green y, red 100 + x + y.
inline std::vector<uint8_t> Gradient24(int width, int height) {
  std::vector<uint8_t> rows;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      rows.push_back(static_cast<uint8_t>(x));
      rows.push_back(static_cast<uint8_t>(y));
      rows.push_back(static_cast<uint8_t>(100 + x + y));
    }
    while (rows.size() % 4) rows.push_back(0xEE);
  }
  return rows;
}
