// Feeds arbitrary text to the MilkShape ASCII reader, then builds and poses
// the meshes the way the model classes do.
#include <cstddef>
#include <cstdint>

#include "ms3dtest/ms3d.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Model model;
  if (!model.loadFromMs3dAsciiMemory(reinterpret_cast<const char*>(data), size)) return 0;
  for (int step = 0; step < 3; ++step) {
    for (int k = 0; k < model.meshCount; ++k) {
      const Ms3dMesh& mesh = model.meshes[k];
      const int material = model.materialIndices[k];
      if (material != -1) (void)model.materials.at(material);
      for (const Ms3dTriangle& t : mesh.triangles) {
        for (int c = 0; c < 3; ++c) {
          const Ms3dVertex& vertex = mesh.vertices.at(t.vertexIndex[c]);
          (void)mesh.normals.at(t.normalIndex[c]);
          Vec3 p = vertex.position;
          const int bone = vertex.boneIndex;
          if (bone != -1) {
            model.bones.at(bone).absolute.Rotate(p);
            model.bones.at(bone).absolute.Translate(p);
          }
        }
      }
    }
    model.advance(2.5f);
  }
  return 0;
}
