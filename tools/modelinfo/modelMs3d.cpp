#include "modelinfo/modelMs3d.h"

#include "core/log.h"
#include "modelinfo/json.h"
#include "ms3dtest/ms3d.h"

namespace {
std::string MeshesJson(const Model& model) {
  std::string out = "[";
  for (std::int32_t i = 0; i < model.meshCount; i++) {
    const Ms3dMesh& mesh = model.meshes[i];
    if (i > 0) out += ',';
    out += "{\"name\":" + JsonString(mesh.name) +
           ",\"vertices\":" + std::to_string(mesh.vertexCount) +
           ",\"normals\":" + std::to_string(mesh.normalCount) +
           ",\"triangles\":" + std::to_string(mesh.triangleCount) +
           ",\"material\":" + std::to_string(model.materialIndices[i]) + '}';
  }
  return out + ']';
}

std::string MaterialsJson(const Model& model) {
  std::string out = "[";
  for (std::int32_t i = 0; i < model.materialCount; i++) {
    const Ms3dMaterial& material = model.materials[i];
    if (i > 0) out += ',';
    out += "{\"name\":" + JsonString(material.name) +
           ",\"colourMap\":" + JsonString(material.colourMap) + '}';
  }
  return out + ']';
}

// A root bone's parent is written as the empty name, as the file holds it.
std::string BonesJson(const Model& model) {
  std::string out = "[";
  for (std::int32_t i = 0; i < model.boneCount; i++) {
    const Ms3dBone& bone = model.bones[i];
    if (i > 0) out += ',';
    out += "{\"name\":" + JsonString(bone.name) + ",\"parent\":" + JsonString(bone.parentName) +
           ",\"positionKeys\":" + std::to_string(bone.positionKeyCount) +
           ",\"rotationKeys\":" + std::to_string(bone.rotationKeyCount) + '}';
  }
  return out + ']';
}
}  // namespace

bool SummariseMs3d(const std::vector<std::uint8_t>& bytes, std::string& json, std::string& error) {
  Model model;
  if (!model.loadFromMs3dAsciiMemory(reinterpret_cast<const char*>(bytes.data()), bytes.size())) {
    const char* reason = Log::Get()->LastError();
    error = *reason != '\0' ? reason : "refused by the MilkShape 3D ASCII reader";
    return false;
  }
  json = "{\"format\":\"ms3d\",\"frames\":" + std::to_string(static_cast<long long>(model.totalFrames)) +
         ",\"meshes\":" + MeshesJson(model) + ",\"materials\":" + MaterialsJson(model) +
         ",\"bones\":" + BonesJson(model) + '}';
  return true;
}
