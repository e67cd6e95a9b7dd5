#include "makeassets/writerBmp.h"

namespace {
void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v));
  Put16(out, static_cast<uint16_t>(v >> 16));
}
}  // namespace

std::vector<uint8_t> EncodeBmp(const Image& image) {
  const uint32_t fileHeader = 14, infoHeader = 40;
  const uint32_t stride = (3 * image.Width() + 3) / 4 * 4;
  const uint32_t pixelBytes = stride * image.Height();

  std::vector<uint8_t> out;
  out.reserve(fileHeader + infoHeader + pixelBytes);
  Put16(out, 0x4D42);  // "BM"
  Put32(out, fileHeader + infoHeader + pixelBytes);
  Put32(out, 0);  // two reserved words
  Put32(out, fileHeader + infoHeader);

  Put32(out, infoHeader);
  Put32(out, image.Width());
  Put32(out, image.Height());  // positive: bottom row first
  Put16(out, 1);               // planes
  Put16(out, 24);              // bits per pixel
  Put32(out, 0);               // BI_RGB
  Put32(out, pixelBytes);
  Put32(out, 2835);  // 72 dots per inch, as pixels per metre
  Put32(out, 2835);
  Put32(out, 0);  // no colour table
  Put32(out, 0);

  for (int row = 0; row < image.Height(); ++row) {
    for (int x = 0; x < image.Width(); ++x) {
      const uint8_t* p = image.At(x, row);
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
    }
    for (uint32_t pad = 3 * image.Width(); pad < stride; ++pad) out.push_back(0);
  }
  return out;
}
