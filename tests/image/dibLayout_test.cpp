#include "image/dibLayout.h"

#include <gtest/gtest.h>

#include <vector>

#include "bmpBuilder.h"

namespace {

DibCheck Check(const std::vector<uint8_t>& file, DibLayout* layout = nullptr) {
  DibLayout scratch;
  return ReadDibLayout(file.data(), file.size(), layout ? layout : &scratch);
}

std::vector<uint8_t> SourceInfo(const std::vector<uint8_t>& file, const DibLayout& layout) {
  std::vector<uint8_t> info(DibSourceInfoSize(layout));
  FillDibSourceInfo(file.data(), layout, info.data());
  return info;
}

uint32_t At32(const std::vector<uint8_t>& v, size_t i) {
  return v[i] | (v[i + 1] << 8) | (v[i + 2] << 16) | (static_cast<uint32_t>(v[i + 3]) << 24);
}

BmpSpec Rgb24(int width, int height) {
  BmpSpec s;
  s.width = width;
  s.height = height;
  s.pixels = Gradient24(width, height);
  return s;
}

BmpSpec Palette8(bool core, int entries) {
  BmpSpec s;
  s.core = core;
  s.width = 3;
  s.height = 2;
  s.bits = 8;
  s.coloursUsed = core ? 0 : static_cast<uint32_t>(entries);
  for (int i = 0; i < entries; ++i) {
    s.table.push_back(static_cast<uint8_t>(i));       // blue
    s.table.push_back(static_cast<uint8_t>(255 - i));  // green
    s.table.push_back(static_cast<uint8_t>(i / 2));    // red
    if (!core) s.table.push_back(0x55);
  }
  s.pixels = {0, 1, 2, 0, 3, 4, 5, 0};
  return s;
}

TEST(DibColourCount, FromBitsOrColoursUsed) {
  for (auto [bits, expected] : {std::pair<uint16_t, int>{1, 2}, {4, 16}, {8, 256}, {16, 0},
                                {24, 0}, {32, 0}}) {
    BmpSpec s;
    s.bits = bits;
    const auto info = BuildBmp(s);
    EXPECT_EQ(DibColourCount(info.data() + 14), expected) << bits;
    s.core = true;
    const auto core = BuildBmp(s);
    EXPECT_EQ(DibColourCount(core.data() + 14), expected) << bits;
  }
  BmpSpec s;
  s.bits = 8;
  s.coloursUsed = 0x10010;  // low 16 bits only
  EXPECT_EQ(DibColourCount(BuildBmp(s).data() + 14), 16);
  s.coloursUsed = 7;
  s.bits = 24;
  EXPECT_EQ(DibColourCount(BuildBmp(s).data() + 14), 7);
}

TEST(DibLayout, Rgb24WithFileHeaderHasPaddedRows) {
  const auto file = BuildBmp(Rgb24(5, 3));
  DibLayout layout;
  ASSERT_EQ(Check(file, &layout), DIB_OK);
  EXPECT_EQ(layout.headerOffset, 14u);
  EXPECT_EQ(layout.pixelOffset, 54u);
  EXPECT_EQ(layout.pixelBytes, 16u * 3);  // 15 bytes of pixels + 1 of padding
  EXPECT_EQ(layout.colourCount, 0);

  const auto info = SourceInfo(file, layout);
  ASSERT_EQ(info.size(), 40u);
  EXPECT_EQ(At32(info, 0), 40u);
  EXPECT_EQ(At32(info, 4), 5u);
  EXPECT_EQ(At32(info, 8), 3u);
  EXPECT_EQ(At32(info, 20), 15u * 3);  // image size without row padding
  EXPECT_EQ(At32(info, 32), 0u);
}

TEST(DibLayout, CoreHeaderPaletteBecomesFourByteEntries) {
  for (bool fileHeader : {true, false}) {
    BmpSpec s = Palette8(true, 256);
    s.fileHeader = fileHeader;
    const auto file = BuildBmp(s);
    DibLayout layout;
    ASSERT_EQ(Check(file, &layout), DIB_OK);
    EXPECT_EQ(layout.colourCount, 256);
    EXPECT_EQ(layout.pixelOffset, (fileHeader ? 14u : 0u) + 12 + 3 * 256);
    const auto info = SourceInfo(file, layout);
    ASSERT_EQ(info.size(), 40u + 4 * 256);
    EXPECT_EQ(At32(info, 32), 256u);  // colours used
    EXPECT_EQ(At32(info, 16), 0u);    // BI_RGB
    EXPECT_EQ(At32(info, 20), 3u * 2);
    // Entry 7: blue 7, green 248, red 3, then a zero byte.
    EXPECT_EQ(info[40 + 28], 7);
    EXPECT_EQ(info[40 + 29], 248);
    EXPECT_EQ(info[40 + 30], 3);
    EXPECT_EQ(info[40 + 31], 0);
  }
}

TEST(DibLayout, InfoHeaderTableIsCopiedAndSkipped) {
  // A 24-bit bitmap with colours-used 16 and no file header: the pixels
  // follow the 16-entry table.
  BmpSpec s = Rgb24(2, 2);
  s.fileHeader = false;
  s.coloursUsed = 16;
  s.table.assign(64, 0x11);
  const auto file = BuildBmp(s);
  DibLayout layout;
  ASSERT_EQ(Check(file, &layout), DIB_OK);
  EXPECT_EQ(layout.colourCount, 16);
  EXPECT_EQ(layout.pixelOffset, 40u + 64);
  const auto info = SourceInfo(file, layout);
  EXPECT_EQ(info.size(), 40u + 64);
  EXPECT_EQ(info[40 + 63], 0x11);

  // Palette of an 8-bit info header keeps its reserved bytes.
  const auto palette = BuildBmp(Palette8(false, 6));
  ASSERT_EQ(Check(palette, &layout), DIB_OK);
  EXPECT_EQ(SourceInfo(palette, layout)[40 + 3], 0x55);
}

TEST(DibLayout, ColoursUsedTellsGdiExactlyTheTableCopied) {
  // colours-used 0x10006 counts as 6: the description must not say more.
  BmpSpec s = Palette8(false, 6);
  s.coloursUsed = 0x10006;
  const auto file = BuildBmp(s);
  DibLayout layout;
  ASSERT_EQ(Check(file, &layout), DIB_OK);
  EXPECT_EQ(At32(SourceInfo(file, layout), 32), 6u);
  // A palette image whose count comes out as 0 would have GDI read a full
  // table that is not there.
  s.coloursUsed = 0x10000;
  s.table.clear();
  EXPECT_EQ(Check(BuildBmp(s)), DIB_CORRUPT);
}

TEST(DibLayout, OtherHeaderSizesAreUnknown) {
  for (uint32_t size : {108u, 124u, 64u, 41u}) {
    BmpSpec s = Rgb24(2, 2);
    s.headerSize = size;
    EXPECT_EQ(Check(BuildBmp(s)), DIB_UNKNOWN_FORMAT) << size;
  }
  for (uint8_t size : {0, 16, 39}) {
    auto file = BuildBmp(Rgb24(2, 2));
    file[14] = size;
    EXPECT_EQ(Check(file), DIB_UNKNOWN_FORMAT) << int{size};
  }
}

TEST(DibLayout, EveryTruncationIsRefused) {
  std::vector<BmpSpec> specs = {Rgb24(5, 3), Palette8(true, 256), Palette8(false, 6)};
  BmpSpec bare = Rgb24(3, 2);
  bare.fileHeader = false;
  specs.push_back(bare);
  for (const BmpSpec& s : specs) {
    const auto file = BuildBmp(s);
    ASSERT_EQ(Check(file), DIB_OK);
    for (size_t size = 0; size < file.size(); ++size) {
      const std::vector<uint8_t> prefix(file.begin(), file.begin() + size);
      const DibCheck check = Check(prefix);
      EXPECT_NE(check, DIB_OK) << "prefix " << size << " of " << file.size();
    }
  }
}

TEST(DibLayout, OffsetsAndDimensionsThatOverrunAreRefused) {
  auto withOffset = [](uint32_t offset) {
    auto file = BuildBmp(Rgb24(2, 2));
    file[10] = static_cast<uint8_t>(offset);
    file[11] = static_cast<uint8_t>(offset >> 8);
    file[12] = static_cast<uint8_t>(offset >> 16);
    file[13] = static_cast<uint8_t>(offset >> 24);
    return file;
  };
  EXPECT_EQ(Check(withOffset(55)), DIB_CORRUPT);  // pixels end one byte late
  EXPECT_EQ(Check(withOffset(0xFFFFFFF0u)), DIB_CORRUPT);
  EXPECT_EQ(Check(withOffset(40)), DIB_OK);  // inside the file: harmless

  BmpSpec s = Rgb24(2, 2);
  s.coloursUsed = 0xFFFF;  // a table the file does not hold
  EXPECT_EQ(Check(BuildBmp(s)), DIB_CORRUPT);

  for (auto [w, h] : {std::pair<int32_t, int32_t>{0, 2}, {-2, 2}, {2, 0}, {0x40000000, 2},
                      {2, INT32_MIN}, {65536, 65536}}) {
    BmpSpec d = Rgb24(2, 2);
    d.width = w;
    d.height = h;
    EXPECT_EQ(Check(BuildBmp(d)), DIB_CORRUPT) << w << "x" << h;
  }
  BmpSpec bits = Rgb24(2, 2);
  bits.bits = 7;
  EXPECT_EQ(Check(BuildBmp(bits)), DIB_CORRUPT);
  BmpSpec jpeg = Rgb24(2, 2);
  jpeg.compression = 4;
  EXPECT_EQ(Check(BuildBmp(jpeg)), DIB_CORRUPT);
}

TEST(DibLayout, TopDownRowsAreCountedByMagnitude) {
  BmpSpec s = Rgb24(3, 4);
  s.height = -4;
  const auto file = BuildBmp(s);
  DibLayout layout;
  ASSERT_EQ(Check(file, &layout), DIB_OK);
  EXPECT_EQ(layout.height, -4);
  EXPECT_EQ(layout.pixelBytes, 12u * 4);
  EXPECT_EQ(At32(SourceInfo(file, layout), 20), 9u * 4);
  // Run-length data cannot be top-down.
  BmpSpec rle = Palette8(false, 6);
  rle.compression = kDibRle8;
  rle.imageSize = static_cast<uint32_t>(rle.pixels.size());
  EXPECT_EQ(Check(BuildBmp(rle)), DIB_OK);
  rle.height = -2;
  EXPECT_EQ(Check(BuildBmp(rle)), DIB_CORRUPT);
}

TEST(DibLayout, RunLengthDataIsBoundedByItsStatedSize) {
  BmpSpec rle = Palette8(false, 6);
  rle.compression = kDibRle8;
  rle.imageSize = 0;
  EXPECT_EQ(Check(BuildBmp(rle)), DIB_CORRUPT);
  rle.imageSize = static_cast<uint32_t>(rle.pixels.size()) + 1;
  EXPECT_EQ(Check(BuildBmp(rle)), DIB_CORRUPT);
  rle.bits = 4;  // RLE8 needs 8 bits per pixel
  rle.imageSize = static_cast<uint32_t>(rle.pixels.size());
  EXPECT_EQ(Check(BuildBmp(rle)), DIB_CORRUPT);
}

TEST(DibLayout, BitfieldMasksAreCopiedBeforeTheTable) {
  BmpSpec s;
  s.fileHeader = false;
  s.width = 2;
  s.height = 1;
  s.bits = 16;
  s.compression = kDibBitfields;
  for (uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) Put32(s.masks, mask);
  s.pixels = {0x00, 0xF8, 0x1F, 0x00};
  const auto file = BuildBmp(s);
  DibLayout layout;
  ASSERT_EQ(Check(file, &layout), DIB_OK);
  EXPECT_EQ(layout.pixelOffset, 52u);
  const auto info = SourceInfo(file, layout);
  ASSERT_EQ(info.size(), 52u);
  EXPECT_EQ(At32(info, 40), 0xF800u);
  EXPECT_EQ(At32(info, 48), 0x001Fu);
  // Masks cut off by the end of the file.
  const std::vector<uint8_t> cut(file.begin(), file.begin() + 46);
  EXPECT_EQ(Check(cut), DIB_CORRUPT);
}

TEST(CopyDibRows, SwapsToRgbAndSkipsRowPadding) {
  // Width 5: rows of 16 bytes in the section, 15 in the output.
  const auto section = Gradient24(5, 2);
  ASSERT_EQ(section.size(), 32u);
  std::vector<uint8_t> rgb(5 * 2 * 3, 0);
  CopyDibRows(section.data(), 5, 2, rgb.data());
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) {
      const uint8_t* p = &rgb[(y * 5 + x) * 3];
      EXPECT_EQ(p[0], 100 + x + y);
      EXPECT_EQ(p[1], y);
      EXPECT_EQ(p[2], x);
    }
}

}  // namespace
