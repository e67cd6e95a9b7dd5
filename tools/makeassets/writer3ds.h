#pragma once

#include <cstdint>
#include <vector>

#include "makeassets/mesh.h"

// Encodes a model as a 3DS mesh file: the main chunk (0x4D4D) holding the
// file version and the 3D editor chunk (0x3D3D) with the mesh version, the
// model's material (name, diffuse colour, texture map name), the master scale
// and one named object (0x4000) per mesh, each a triangle mesh (0x4100) with
// its vertex list, mapping coordinates, local axes and face list; the face
// list carries the material group and smoothing groups as sub-chunks.
std::vector<uint8_t> Encode3ds(const Model& model);
