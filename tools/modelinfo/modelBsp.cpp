#include "modelinfo/modelBsp.h"

#include <memory>

#include "core/log.h"
#include "modelinfo/json.h"
#include "q3bsp/Quake3Bsp.h"

bool SummariseBsp(const std::vector<std::uint8_t>& bytes, const char* path, std::string& json,
                  std::string& error) {
  // The level's texture name table is too large for the stack.
  const auto level = std::make_unique<Quake3Bsp>();
  if (!level->LoadFromMemory(bytes.data(), bytes.size(), path)) {
    const char* reason = Log::Get()->LastError();
    error = *reason != '\0' ? reason : "refused by the BSP reader";
    return false;
  }
  std::string textures = "[";
  for (std::int32_t t = 0; t < level->textureCount; t++)
    textures += (t > 0 ? "," : "") + JsonString(level->textureNames[t]);
  textures += ']';
  BoundingBox box;
  for (const Q3Vertex& v : level->vertices) box.Add(v.position.x, v.position.y, v.position.z);
  json = "{\"format\":\"bsp\",\"vertices\":" + std::to_string(level->vertexCount) +
         ",\"faces\":" + std::to_string(level->faceCount) + ",\"textures\":" + textures +
         ",\"lightmaps\":" + std::to_string(level->lightmapCount) + ",\"bbox\":" + box.Json() +
         '}';
  return true;
}
