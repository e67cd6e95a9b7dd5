#pragma once

#include <functional>

class EngineObject;
class Mesh;
struct meshrec3ds;

// Initialises `mesh` as a 3DS mesh object is drawn: an indexed triangle
// list of the faces that name vertices of their object, with per-vertex
// normals and the file's texture coordinates on channel 0 (or ones derived
// from the normals when the file's count differs).
void FillMesh3ds(Mesh* mesh, const meshrec3ds& record);

// Reads the mesh objects of a 3DS file and hands each to `add`, logging
// their names and sizes. Failures are reported on `reporter`; an object the
// toolkit refuses is left out and the others are read. True when every
// object was read.
bool ReadMeshes3ds(EngineObject* reporter, const char* path,
                   const std::function<void(const meshrec3ds&)>& add);
