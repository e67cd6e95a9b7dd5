#include "image/dibImage.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "core/fileBytes.h"
#include "core/log.h"
#include "image/dibLayout.h"

// Where there is no GDI, stb's decoder converts the pixels. Only its BMP
// reader is built, reading from memory.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#include <stb_image.h>

bool dibShowErrors = true;

namespace {

// The failure that Windows shows in a message box goes to the log.
void ShowDibError(const char* text) {
  if (dibShowErrors) LOG_ERROR("%s", text);
}

// The bitmap as stb reads it without surprises, built from the checked
// layout: a file header, a 40-byte info header, the masks, for up to 8 bits
// per pixel a table of every index's colour (those past the file's table
// black) and the pixels right after. stb reads no table before true-colour
// pixels and does not count a 12-byte header's table the way GDI does.
std::vector<uint8_t> Canonical(const std::vector<uint8_t>& bytes, const DibLayout& layout) {
  std::vector<uint8_t> info(DibSourceInfoSize(layout));
  FillDibSourceInfo(bytes.data(), layout, info.data());
  const uint32_t entries = layout.bitCount <= 8 ? 1u << layout.bitCount : 0u;
  info.resize(kDibInfoHeaderSize + 4 * (layout.maskCount + entries), 0);
  for (int shift = 0; shift < 32; shift += 8) info[32 + shift / 8] = static_cast<uint8_t>(entries >> shift);

  const size_t offset = kDibFileHeaderSize + info.size();
  std::vector<uint8_t> file = {'B', 'M'};
  for (size_t value : {offset + layout.pixelBytes, size_t{0}, offset})
    for (int shift = 0; shift < 32; shift += 8) file.push_back(static_cast<uint8_t>(value >> shift));
  file.insert(file.end(), info.begin(), info.end());
  const auto pixels = bytes.begin() + static_cast<std::ptrdiff_t>(layout.pixelOffset);
  file.insert(file.end(), pixels, pixels + static_cast<std::ptrdiff_t>(layout.pixelBytes));
  return file;
}

// Decodes the bitmap in `bytes`; null after showing the reason.
RgbImage* Convert(const std::vector<uint8_t>& bytes) {
  DibLayout layout;
  if (const char* refusal = DibRefusal(ReadDibLayout(bytes.data(), bytes.size(), &layout))) {
    ShowDibError(refusal);
    return nullptr;
  }
  const std::vector<uint8_t> file = Canonical(bytes, layout);
  int width = 0, rows = 0, channels = 0;
  // Run-length compressed bitmaps are among what stb refuses, and so is
  // anything longer than its int lengths reach.
  const int length = file.size() > static_cast<size_t>(INT_MAX) ? 0 : static_cast<int>(file.size());
  uint8_t* decoded = length ? stbi_load_from_memory(file.data(), length, &width, &rows, &channels, 3) : nullptr;
  if (!decoded) {
    ShowDibError("Image file conversion error.");
    return nullptr;
  }
  // stb gives the top row first; the image holds the bottom row first.
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  uint8_t* pixels = static_cast<uint8_t*>(std::malloc(rowBytes * static_cast<size_t>(rows)));
  RgbImage* image = pixels ? static_cast<RgbImage*>(std::malloc(sizeof(RgbImage))) : nullptr;
  if (!image) {
    std::free(pixels);
    stbi_image_free(decoded);
    ShowDibError("Out of memory.");
    return nullptr;
  }
  for (int row = 0; row < rows; ++row)
    std::memcpy(pixels + rowBytes * static_cast<size_t>(rows - 1 - row), decoded + rowBytes * static_cast<size_t>(row),
                rowBytes);
  stbi_image_free(decoded);
  image->width = width;
  image->height = rows;
  image->pixels = pixels;
  return image;
}

}  // namespace

RgbImage* LoadDibImage(const void* fileName, bool wide) {
  std::string name;
  if (wide) {
    // Names that do not convert to the locale's characters cannot be opened.
    std::mbstate_t state{};
    const wchar_t* source = static_cast<const wchar_t*>(fileName);
    const size_t length = std::wcsrtombs(nullptr, &source, 0, &state);
    if (length != static_cast<size_t>(-1)) {
      name.resize(length);
      std::wcsrtombs(&name[0], &source, length, &state);
    }
  } else {
    name = static_cast<const char*>(fileName);
  }
  std::vector<uint8_t> bytes;
  // An empty file cannot be opened as a bitmap, as under Windows.
  if (name.empty() || !ReadFileBytes(name.c_str(), bytes) || bytes.empty()) {
    ShowDibError(("Failed to open DIB file " + name + ".").c_str());
    return nullptr;
  }
  return Convert(bytes);
}
