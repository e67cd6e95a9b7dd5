// Feeds arbitrary bytes to the MD2 reader, then walks the result the way the
// model classes do; the checked accesses abort on an index the reader let by.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "md2/Md2.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Md2ModelData model;
  Md2Loader loader;
  if (!loader.LoadFromMemory(model, data, size, "fuzz.md2", "skin.bmp")) return 0;
  const Md2FrameObject& first = model.objects.at(0);
  std::vector<Vec3> corners(3 * static_cast<std::size_t>(first.faceCount));
  for (const Md2Face& face : first.faces)
    for (int c = 0; c < 3; ++c) (void)first.texCoords.at(face.texCoordIndex[c]);
  for (const Md2Animation& animation : model.animations)
    for (int j = 0; j < animation.endFrame - animation.startFrame; ++j)
      Md2ExpandFrame(corners.data(), model.objects.at(animation.startFrame + j), first);
  return 0;
}
