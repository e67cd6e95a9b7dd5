#include "core/mesh.h"

#include "core/log.h"

Mesh::Mesh()
    : vertexCount(0),
      indexCount(0),
      primitive(PRIM_POINTLIST),
      hasNormals(false),
      hasDiffuse(false),
      hasSpecular(false),
      texChannels(),
      textures() {}

void Mesh::SetTexture(Texture* texture, int stage) {
  if (stage < 0 || stage >= kTextureStages) {
    LOG_WARNING("texture stage %d out of range", stage);
    return;
  }
  textures[stage] = texture;
}

void Mesh::Reserved(int) {}
