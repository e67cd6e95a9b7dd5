// Feeds arbitrary bytes to the BSP reader, then stages faces and light maps
// the way the model classes do.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "q3bsp/Quake3Bsp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto level = std::make_unique<Quake3Bsp>();
  if (!level->LoadFromMemory(data, size, "fuzz.bsp")) return 0;
  static Vec3 staged[Quake3Bsp::kMaxFaceVertices];
  for (const Q3Face& face : level->faces)
    for (int j = 0; j < face.vertexCount; ++j)
      staged[j] = level->vertices.at(face.firstVertex + j).position;
  std::vector<std::uint32_t> pixels(Quake3Bsp::kLightmapSize * Quake3Bsp::kLightmapSize);
  for (int i = 0; i < level->lightmapCount; ++i) {
    std::uint8_t* map = &level->lightmaps[std::size_t{Quake3Bsp::kLightmapBytes} * i];
    AdjustLightmapGamma(map, Quake3Bsp::kLightmapBytes, 10.0f);
    LightmapToPixels(map, pixels.data(), Quake3Bsp::kLightmapSize, true);
  }
  return 0;
}
