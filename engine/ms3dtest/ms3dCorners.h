#pragma once

#include "core/vec3.h"
#include "ms3dtest/ms3d.h"

// A MilkShape mesh as the model classes draw it: three corners per triangle,
// in triangle order, each with its own position, normal and texture
// coordinate. Every array holds 3 x mesh.triangleCount entries.

// The vertex in model space under the skeleton's current pose: its bone's
// absolute transform (rotation, then translation) applied; a vertex without
// a bone keeps its file position.
Vec3 Ms3dPosedPosition(const Model& model, const Ms3dVertex& vertex);

void Ms3dCornerPositions(const Model& model, const Ms3dMesh& mesh, Vec3* out);
// The file's normals, not moved by the bones.
void Ms3dCornerNormals(const Ms3dMesh& mesh, Vec3* out);
// As the reader holds them (v is 1 - the file's value), or with v turned
// back to the file's value when `fileV` is set.
void Ms3dCornerTexCoords(const Ms3dMesh& mesh, bool fileV, TexCoord* out);
