#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bmpBuilder.h"
#include "core/log.h"
#include "image/dibImage.h"
#include "image/dibLayout.h"
#include "support/tempDir.h"

namespace {

RgbImage* Load(const char* name, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(name, "wb");
  EXPECT_NE(f, nullptr);
  if (!f) return nullptr;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return LoadDibImageA(name);
}

// Pixel (x, y) of the output, y counted from the bottom.
std::vector<int> Pixel(const RgbImage* image, int x, int y) {
  const uint8_t* p = image->pixels + (y * image->width + x) * 3;
  return {p[0], p[1], p[2]};
}

class StbDibImage : public ::testing::Test {
 protected:
  StbDibImage() : dir_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
  // Loads the bitmap, which must be refused with one error entry: `text`.
  void ExpectRefused(const char* name, const std::vector<uint8_t>& bytes, const std::string& text) {
    LOG_ERROR("before %s", name);
    EXPECT_EQ(Load(name, bytes), nullptr) << name;
    EXPECT_EQ(std::string(Log::Get()->LastError()), text) << name;
  }
  ScopedWorkDir dir_;
};

TEST_F(StbDibImage, RowsComeBottomFirstAsRedGreenBlue) {
  BmpSpec s;
  s.width = 5;  // rows padded from 15 to 16 bytes in the file
  s.height = 3;
  s.pixels = Gradient24(5, 3);
  for (int32_t height : {3, -3}) {
    s.height = height;
    RgbImage* image = Load("rgb24.bmp", BuildBmp(s));
    ASSERT_NE(image, nullptr) << height;
    EXPECT_EQ(image->width, 5);
    EXPECT_EQ(image->height, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        // A top-down file's first row is the top of the image.
        const int fileRow = height > 0 ? y : 2 - y;
        EXPECT_EQ(Pixel(image, x, y), (std::vector<int>{100 + x + fileRow, fileRow, x})) << x << "," << y;
      }
    FreeRgbImage(image);
  }
}

TEST_F(StbDibImage, PalettesWithAndWithoutFileHeader) {
  // Core header, 256 triples; pixel i maps to red i/2, green 255-i, blue i.
  BmpSpec core;
  core.core = true;
  core.width = 3;
  core.height = 2;
  core.bits = 8;
  for (int i = 0; i < 256; ++i) core.table.insert(core.table.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
  core.pixels = {10, 200, 255, 0, 1, 2, 3, 0};
  for (bool fileHeader : {true, false}) {
    core.fileHeader = fileHeader;
    RgbImage* image = Load("core8.bmp", BuildBmp(core));
    ASSERT_NE(image, nullptr) << fileHeader;
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{5, 245, 10}));
    EXPECT_EQ(Pixel(image, 2, 0), (std::vector<int>{127, 0, 255}));
    EXPECT_EQ(Pixel(image, 1, 1), (std::vector<int>{1, 253, 2}));
    FreeRgbImage(image);
  }

  // A bare info header with a 6-entry table, then a true-colour one whose
  // table the pixels follow.
  BmpSpec info;
  info.fileHeader = false;
  info.width = 3;
  info.bits = 8;
  info.coloursUsed = 6;
  for (int i = 0; i < 6; ++i) info.table.insert(info.table.end(), {uint8_t(40 * i), 0, uint8_t(255 - 40 * i), 0});
  info.pixels = {5, 0, 200, 0};
  RgbImage* image = Load("info8.dib", BuildBmp(info));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{55, 0, 200}));
  EXPECT_EQ(Pixel(image, 1, 0), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(Pixel(image, 2, 0), (std::vector<int>{0, 0, 0}));  // past the table
  FreeRgbImage(image);

  BmpSpec table;
  table.fileHeader = false;
  table.width = table.height = 2;
  table.coloursUsed = 16;
  table.table.assign(64, 0x77);
  table.pixels = Gradient24(2, 2);
  image = Load("table24.dib", BuildBmp(table));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Pixel(image, 1, 1), (std::vector<int>{102, 1, 1}));
  FreeRgbImage(image);
}

TEST_F(StbDibImage, BitfieldsFollowTheirMasks) {
  BmpSpec bitfields;
  bitfields.width = 2;
  bitfields.bits = 16;
  bitfields.compression = kDibBitfields;
  for (uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) Put32(bitfields.masks, mask);
  bitfields.pixels = {0x00, 0xF8, 0x1F, 0x00};  // pure red, pure blue (565)
  RgbImage* image = Load("bitfields.bmp", BuildBmp(bitfields));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(Pixel(image, 1, 0), (std::vector<int>{0, 0, 255}));
  FreeRgbImage(image);
}

TEST_F(StbDibImage, RefusalsAreLoggedWithTheWindowsTexts) {
  std::remove("missing.bmp");
  ExpectRefused("missing.bmp", {}, "Failed to open DIB file missing.bmp.");
  ExpectRefused("empty.bmp", {}, "Failed to open DIB file empty.bmp.");
  LOG_ERROR("before the wide name");
  EXPECT_EQ(LoadDibImage(L"missing-wide.bmp", true), nullptr);
  EXPECT_EQ(std::string(Log::Get()->LastError()), "Failed to open DIB file missing-wide.bmp.");

  BmpSpec v4;
  v4.headerSize = 108;
  v4.pixels = Gradient24(1, 1);
  ExpectRefused("v4.bmp", BuildBmp(v4), "Unknown DIB file format.");
  std::vector<uint8_t> cut = BuildBmp(v4 = BmpSpec{});
  cut.resize(cut.size() - 1);
  ExpectRefused("short.bmp", cut, "Image file conversion error.");

  // stb has no run-length decoder: refused where GDI converts.
  BmpSpec rle;
  rle.width = 3;
  rle.bits = 8;
  rle.compression = kDibRle8;
  rle.coloursUsed = 2;
  rle.table = {0, 0, 255, 0, 255, 0, 0, 0};
  rle.pixels = {3, 0, 0, 1};
  rle.imageSize = static_cast<uint32_t>(rle.pixels.size());
  ExpectRefused("rle8.bmp", BuildBmp(rle), "Image file conversion error.");

  dibShowErrors = false;
  LOG_ERROR("silent");
  EXPECT_EQ(Load("quiet.bmp", {}), nullptr);
  dibShowErrors = true;
  EXPECT_EQ(std::string(Log::Get()->LastError()), "silent");
}

}  // namespace
