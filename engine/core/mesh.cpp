#include "core/mesh.h"

#include <cmath>

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

void Mesh::TransformMatrix(float x, float y, float z, float a, float b, float c,
                           float matrix[16]) {
  const float ca = std::cos(a), sa = std::sin(a);
  const float cb = std::cos(b), sb = std::sin(b);
  const float cc = std::cos(c), sc = std::sin(c);
  const float values[16] = {ca * cc, ca * sc * sb - sa * cb, ca * sc * cb + sa * sb, 0,
                            sa * cc, sa * sc * sb + ca * cb, sa * sc * cb - ca * sb, 0,
                            -sc,     cc * sb,                cc * cb,                0,
                            x,       y,                      z,                      1};
  for (int i = 0; i < 16; ++i) matrix[i] = values[i];
}

void Mesh::ScaleMatrix(float matrix[16], float sx, float sy, float sz) {
  for (int row = 0; row < 3; ++row) {
    matrix[4 * row] *= sx;
    matrix[4 * row + 1] *= sy;
    matrix[4 * row + 2] *= sz;
  }
}
