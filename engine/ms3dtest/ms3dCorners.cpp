#include "ms3dtest/ms3dCorners.h"

Vec3 Ms3dPosedPosition(const Model& model, const Ms3dVertex& vertex) {
  Vec3 position = vertex.position;
  if (vertex.boneIndex == -1) return position;
  const Matrix44& absolute = model.bones[static_cast<size_t>(vertex.boneIndex)].absolute;
  absolute.Rotate(position);
  absolute.Translate(position);
  return position;
}

void Ms3dCornerPositions(const Model& model, const Ms3dMesh& mesh, Vec3* out) {
  for (const Ms3dTriangle& triangle : mesh.triangles)
    for (int c = 0; c < 3; ++c)
      *out++ = Ms3dPosedPosition(model, mesh.vertices[static_cast<size_t>(triangle.vertexIndex[c])]);
}

void Ms3dCornerNormals(const Ms3dMesh& mesh, Vec3* out) {
  for (const Ms3dTriangle& triangle : mesh.triangles)
    for (int c = 0; c < 3; ++c) *out++ = mesh.normals[static_cast<size_t>(triangle.normalIndex[c])];
}

void Ms3dCornerTexCoords(const Ms3dMesh& mesh, bool fileV, TexCoord* out) {
  for (const Ms3dTriangle& triangle : mesh.triangles)
    for (int c = 0; c < 3; ++c) {
      const Ms3dVertex& vertex = mesh.vertices[static_cast<size_t>(triangle.vertexIndex[c])];
      *out++ = TexCoord(vertex.u, fileV ? 1.0f - vertex.v : vertex.v);
    }
}
