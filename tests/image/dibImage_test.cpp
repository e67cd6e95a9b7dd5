#include "image/dibImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bmpBuilder.h"
#include "image/dibLayout.h"
#include "messageBoxCatcher.h"

namespace {

void WriteFile(const char* name, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(name, "wb");
  ASSERT_NE(f, nullptr);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

struct Loaded {
  RgbImage* image = nullptr;
  std::vector<MessageBoxCatcher::Box> boxes;
};

Loaded Load(const char* name, const std::vector<uint8_t>& bytes) {
  WriteFile(name, bytes);
  MessageBoxCatcher catcher;
  EXPECT_TRUE(catcher.Hooked());
  Loaded result;
  result.image = LoadDibImageA(name);
  result.boxes = catcher.boxes;
  return result;
}

// One message box titled "Error" with the given text, and no image.
void ExpectRefused(const Loaded& loaded, const std::string& text) {
  EXPECT_EQ(loaded.image, nullptr);
  ASSERT_EQ(loaded.boxes.size(), 1u);
  EXPECT_EQ(loaded.boxes[0].title, "Error");
  EXPECT_EQ(loaded.boxes[0].text, text);
}

// Pixel (x, y) of the output, y counted from the bottom.
std::vector<int> Pixel(const RgbImage* image, int x, int y) {
  const uint8_t* p = image->pixels + (y * image->width + x) * 3;
  return {p[0], p[1], p[2]};
}

BmpSpec Rgb24(int width, int height) {
  BmpSpec s;
  s.width = width;
  s.height = height;
  s.pixels = Gradient24(width, height);
  return s;
}

TEST(DibImage, Rgb24RowsAreUnpaddedAndSwapped) {
  // Width 5: the section's rows are 16 bytes, the output's 15.
  Loaded loaded = Load("rgb24.bmp", BuildBmp(Rgb24(5, 3)));
  ASSERT_NE(loaded.image, nullptr);
  EXPECT_TRUE(loaded.boxes.empty());
  EXPECT_EQ(loaded.image->width, 5);
  EXPECT_EQ(loaded.image->height, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(Pixel(loaded.image, x, y), (std::vector<int>{100 + x + y, y, x})) << x << "," << y;
  FreeRgbImage(loaded.image);
}

TEST(DibImage, PalettesFromCoreAndInfoHeaders) {
  // Core header, 256 triples; pixel i maps to red i/2, green 255-i, blue i.
  BmpSpec core;
  core.core = true;
  core.width = 3;
  core.height = 2;
  core.bits = 8;
  for (int i = 0; i < 256; ++i)
    core.table.insert(core.table.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
  core.pixels = {10, 200, 255, 0, 1, 2, 3, 0};
  for (bool fileHeader : {true, false}) {
    core.fileHeader = fileHeader;
    Loaded loaded = Load("core8.bmp", BuildBmp(core));
    ASSERT_NE(loaded.image, nullptr) << fileHeader;
    EXPECT_EQ(Pixel(loaded.image, 0, 0), (std::vector<int>{5, 245, 10}));
    EXPECT_EQ(Pixel(loaded.image, 2, 0), (std::vector<int>{127, 0, 255}));
    EXPECT_EQ(Pixel(loaded.image, 1, 1), (std::vector<int>{1, 253, 2}));
    FreeRgbImage(loaded.image);
  }

  // Info header without a file header, a 6-entry table; the pixels follow it.
  BmpSpec info;
  info.fileHeader = false;
  info.width = 3;
  info.height = 1;
  info.bits = 8;
  info.coloursUsed = 6;
  for (int i = 0; i < 6; ++i)
    info.table.insert(info.table.end(), {uint8_t(40 * i), 0, uint8_t(255 - 40 * i), 0});
  info.pixels = {5, 0, 2, 0};
  Loaded loaded = Load("info8.dib", BuildBmp(info));
  ASSERT_NE(loaded.image, nullptr);
  EXPECT_EQ(Pixel(loaded.image, 0, 0), (std::vector<int>{55, 0, 200}));
  EXPECT_EQ(Pixel(loaded.image, 1, 0), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(Pixel(loaded.image, 2, 0), (std::vector<int>{175, 0, 80}));
  FreeRgbImage(loaded.image);
}

TEST(DibImage, TableOfATrueColourBitmapIsSkipped) {
  BmpSpec s = Rgb24(2, 2);
  s.fileHeader = false;
  s.coloursUsed = 16;
  s.table.assign(64, 0x77);
  Loaded loaded = Load("table24.dib", BuildBmp(s));
  ASSERT_NE(loaded.image, nullptr);
  EXPECT_EQ(Pixel(loaded.image, 1, 1), (std::vector<int>{102, 1, 1}));
  FreeRgbImage(loaded.image);
}

TEST(DibImage, TopDownBitmapComesBottomRowFirst) {
  BmpSpec s = Rgb24(2, 3);  // rows written y = 0, 1, 2 from the top
  s.height = -3;
  Loaded loaded = Load("topdown.bmp", BuildBmp(s));
  ASSERT_NE(loaded.image, nullptr);
  EXPECT_EQ(loaded.image->height, 3);
  // The file's first row (y = 0) is the top, so it is output row 2.
  EXPECT_EQ(Pixel(loaded.image, 1, 2), (std::vector<int>{101, 0, 1}));
  EXPECT_EQ(Pixel(loaded.image, 1, 0), (std::vector<int>{103, 2, 1}));
  FreeRgbImage(loaded.image);
}

TEST(DibImage, BitfieldsAndRunLengthConvert) {
  BmpSpec bitfields;
  bitfields.width = 2;
  bitfields.height = 1;
  bitfields.bits = 16;
  bitfields.compression = kDibBitfields;
  for (uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) Put32(bitfields.masks, mask);
  bitfields.pixels = {0x00, 0xF8, 0x1F, 0x00};  // pure red, pure blue (565)
  Loaded loaded = Load("bitfields.bmp", BuildBmp(bitfields));
  ASSERT_NE(loaded.image, nullptr);
  EXPECT_GE(Pixel(loaded.image, 0, 0)[0], 248);
  EXPECT_EQ(Pixel(loaded.image, 0, 0)[2], 0);
  EXPECT_EQ(Pixel(loaded.image, 1, 0)[0], 0);
  EXPECT_GE(Pixel(loaded.image, 1, 0)[2], 248);
  FreeRgbImage(loaded.image);

  BmpSpec rle;
  rle.width = 3;
  rle.height = 2;
  rle.bits = 8;
  rle.compression = kDibRle8;
  rle.coloursUsed = 2;
  rle.table = {0, 0, 255, 0, 255, 0, 0, 0};  // red, blue
  rle.pixels = {3, 0, 0, 0, 3, 1, 0, 1};     // row of red, end of line, row of blue, end
  rle.imageSize = static_cast<uint32_t>(rle.pixels.size());
  loaded = Load("rle8.bmp", BuildBmp(rle));
  ASSERT_NE(loaded.image, nullptr);
  EXPECT_EQ(Pixel(loaded.image, 2, 0), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(Pixel(loaded.image, 0, 1), (std::vector<int>{0, 0, 255}));
  FreeRgbImage(loaded.image);
}

TEST(DibImage, EachFailureShowsOneMessage) {
  std::remove("missing.bmp");
  {
    MessageBoxCatcher catcher;
    EXPECT_EQ(LoadDibImageA("missing.bmp"), nullptr);
    EXPECT_EQ(LoadDibImage(L"missing-wide.bmp", true), nullptr);
    ASSERT_EQ(catcher.boxes.size(), 2u);
    EXPECT_EQ(catcher.boxes[0].title, "Error");
    EXPECT_EQ(catcher.boxes[0].text, "Failed to open DIB file missing.bmp.\n");
    EXPECT_EQ(catcher.boxes[1].text, "Failed to open DIB file missing-wide.bmp.\n");
  }
  ExpectRefused(Load("empty.bmp", {}), "Failed to open DIB file empty.bmp.\n");

  BmpSpec v4 = Rgb24(2, 2);
  v4.headerSize = 108;
  ExpectRefused(Load("v4.bmp", BuildBmp(v4)), "Unknown DIB file format.");

  // Shorter than its headers claim: refused before GDI reads anything.
  std::vector<uint8_t> cut = BuildBmp(Rgb24(5, 3));
  cut.resize(cut.size() - 1);
  ExpectRefused(Load("short.bmp", cut), "Image file conversion error.");
}

TEST(DibImage, MessagesCanBeSilenced) {
  // Each box costs seconds under Wine; the remaining refusals run silent.
  dibShowErrors = false;
  BmpSpec v5 = Rgb24(2, 2);
  v5.headerSize = 124;
  Loaded loaded = Load("v5.bmp", BuildBmp(v5));
  EXPECT_EQ(loaded.image, nullptr);
  BmpSpec table = Rgb24(2, 2);
  table.coloursUsed = 0xFFFF;  // a table the file does not hold
  Loaded overrun = Load("table.bmp", BuildBmp(table));
  dibShowErrors = true;
  EXPECT_EQ(overrun.image, nullptr);
  EXPECT_TRUE(loaded.boxes.empty());
  EXPECT_TRUE(overrun.boxes.empty());
}

}  // namespace
