#pragma once

#include <cstdint>

#include "core/vec3.h"

// Normals of the triangle meshes built from 3DS records by the model classes.

// normalise((A − C) × (C − B)) for a face with corners A, B, C; a degenerate
// face gives the zero vector.
Vec3 FaceNormal(const Vec3& a, const Vec3& b, const Vec3& c);

// For each vertex: the normals of the faces that use it (once per face, in
// face order) summed, divided by their number and normalised. A vertex that
// no face uses gets the zero vector; a face with an index at or beyond
// vertexCount is skipped. `indices` holds three per face. The sums are formed
// in the same order as comparing every face with every vertex would, so the
// results are the same to the bit, in time linear in vertices and faces.
void VertexNormals(const Vec3* positions, uint32_t vertexCount, const uint32_t* indices,
                   uint32_t faceCount, Vec3* normals);
