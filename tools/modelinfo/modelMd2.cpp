#include "modelinfo/modelMd2.h"

#include "core/log.h"
#include "md2/Md2.h"
#include "modelinfo/json.h"

namespace {
// Frame ranges are written inclusive: the reader's end frame is the first
// frame past the animation.
std::string AnimationsJson(const Md2ModelData& data) {
  std::string out = "[";
  for (std::size_t i = 0; i < data.animations.size(); i++) {
    const Md2Animation& animation = data.animations[i];
    if (i > 0) out += ',';
    out += "{\"name\":" + JsonString(animation.name) +
           ",\"first\":" + std::to_string(animation.startFrame) +
           ",\"last\":" + std::to_string(animation.endFrame - 1) + '}';
  }
  return out + ']';
}
}  // namespace

bool SummariseMd2(const std::vector<std::uint8_t>& bytes, const char* path, std::string& json,
                  std::string& error) {
  Md2Loader loader;
  Md2ModelData data;
  if (!loader.LoadFromMemory(data, bytes.data(), bytes.size(), path, nullptr)) {
    const char* reason = Log::Get()->LastError();
    error = *reason != '\0' ? reason : "refused by the MD2 reader";
    return false;
  }
  // The reader refuses files without frames, so the first frame exists.
  const Md2FrameObject& first = data.objects.front();
  BoundingBox box;
  for (const Vec3& p : first.vertices) box.Add(p.x, p.y, p.z);
  json = "{\"format\":\"md2\",\"frames\":" + std::to_string(data.objectCount) +
         ",\"vertices\":" + std::to_string(first.vertexCount) +
         ",\"triangles\":" + std::to_string(first.faceCount) +
         ",\"texcoords\":" + std::to_string(first.texCoordCount) +
         ",\"animations\":" + AnimationsJson(data) + ",\"bbox\":" + box.Json() + '}';
  return true;
}
