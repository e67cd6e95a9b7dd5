// Header reading of the DIB loader on arbitrary bytes: every part it accepts
// must lie inside the input, and building the description for GDI must stay
// within it too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/dibLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly `size` bytes, so any read past the end is caught.
  std::vector<uint8_t> file(data, data + size);
  DibLayout layout;
  if (ReadDibLayout(file.data(), file.size(), &layout) != DIB_OK) return 0;
  if (layout.pixelOffset > size || layout.pixelBytes > size - layout.pixelOffset) std::abort();
  std::vector<uint8_t> info(DibSourceInfoSize(layout));
  FillDibSourceInfo(file.data(), layout, info.data());
  return 0;
}
