#include "image/dibImage.h"

#include <windows.h>

#include <cstdlib>

#include "image/dibLayout.h"

bool dibShowErrors = true;

namespace {

void ShowDibError(const char* text) {
  if (dibShowErrors) MessageBoxA(GetFocus(), text, "Error", MB_OK);
}

// What one load holds; every part is released by the destructor, in the
// reverse order of its creation.
class DibLoad {
 public:
  ~DibLoad() {
    if (dc) DeleteDC(dc);
    if (section) DeleteObject(section);
    if (target) LocalFree(target);
    if (source) LocalFree(source);
    if (view) UnmapViewOfFile(view);
    if (mapping) CloseHandle(mapping);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    std::free(pixels);
  }

  HANDLE file = INVALID_HANDLE_VALUE;
  HANDLE mapping = nullptr;
  const uint8_t* view = nullptr;
  size_t size = 0;
  BITMAPINFO* source = nullptr;
  BITMAPINFO* target = nullptr;
  HDC dc = nullptr;
  HBITMAP section = nullptr;
  uint8_t* pixels = nullptr;
};

bool OpenView(DibLoad& load, const void* fileName, bool wide) {
  load.file = wide ? CreateFileW(static_cast<const wchar_t*>(fileName), GENERIC_READ,
                                 FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                   : CreateFileA(static_cast<const char*>(fileName), GENERIC_READ,
                                 FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (load.file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(load.file, &size)) return false;
  load.size = static_cast<size_t>(size.QuadPart);
  load.mapping = CreateFileMappingA(load.file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!load.mapping) return false;
  load.view = static_cast<const uint8_t*>(MapViewOfFile(load.mapping, FILE_MAP_READ, 0, 0, 0));
  return load.view != nullptr;
}

// Converts the mapped bitmap; null after showing the reason.
RgbImage* Convert(DibLoad& load) {
  DibLayout layout;
  if (const char* refusal = DibRefusal(ReadDibLayout(load.view, load.size, &layout))) {
    ShowDibError(refusal);
    return nullptr;
  }

  load.source = static_cast<BITMAPINFO*>(LocalAlloc(LMEM_FIXED, DibSourceInfoSize(layout)));
  if (!load.source) {
    ShowDibError("Out of memory.");
    return nullptr;
  }
  FillDibSourceInfo(load.view, layout, reinterpret_cast<uint8_t*>(load.source));

  load.dc = CreateCompatibleDC(nullptr);
  if (!load.dc) {
    ShowDibError("Out of memory.");
    return nullptr;
  }

  // The target is always bottom-up: GDI turns a top-down source around.
  const LONG width = layout.width;
  const LONG rows = layout.height < 0 ? -layout.height : layout.height;
  const DWORD outputBytes = static_cast<DWORD>(width) * static_cast<DWORD>(rows) * 3;
  load.target = static_cast<BITMAPINFO*>(LocalAlloc(LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + 4));
  if (!load.target) {
    ShowDibError("Out of memory.");
    return nullptr;
  }
  BITMAPINFOHEADER& t = load.target->bmiHeader;
  t.biSize = sizeof(BITMAPINFOHEADER);
  t.biWidth = width;
  t.biHeight = rows;
  t.biPlanes = 1;
  t.biBitCount = 24;
  t.biCompression = BI_RGB;
  t.biSizeImage = outputBytes;

  void* sectionBits = nullptr;
  load.section = CreateDIBSection(load.dc, load.target, DIB_RGB_COLORS, &sectionBits, nullptr, 0);
  if (!load.section || !sectionBits || !SelectObject(load.dc, load.section)) {
    ShowDibError("Out of memory.");
    return nullptr;
  }
  if (SetDIBits(load.dc, load.section, 0, static_cast<UINT>(rows), load.view + layout.pixelOffset,
                load.source, DIB_RGB_COLORS) == 0) {
    ShowDibError("Image file conversion error.");
    return nullptr;
  }
  GdiFlush();

  load.pixels = static_cast<uint8_t*>(std::malloc(outputBytes));
  if (!load.pixels) {
    ShowDibError("Out of memory.");
    return nullptr;
  }
  CopyDibRows(static_cast<const uint8_t*>(sectionBits), width, rows, load.pixels);

  RgbImage* image = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
  if (!image) {
    ShowDibError("Out of memory.");
    return nullptr;
  }
  image->width = width;
  image->height = rows;
  image->pixels = load.pixels;
  load.pixels = nullptr;  // now the image's
  return image;
}

}  // namespace

RgbImage* LoadDibImage(const void* fileName, bool wide) {
  DibLoad load;
  if (!OpenView(load, fileName, wide)) {
    char text[1024];
    wsprintfA(text, wide ? "Failed to open DIB file %ws.\n" : "Failed to open DIB file %s.\n",
              fileName);
    ShowDibError(text);
    return nullptr;
  }
  return Convert(load);
}
