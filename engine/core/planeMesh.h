#pragma once

class EngineObject;
class Mesh;

// The flat grid of the models' CreatePlane: columns x rows vertices in the
// x-y plane facing +z, centred on the origin, with normals, texture
// coordinates 0..1 on channel 0 and 0..8 on channel 1 (the texture repeated
// eight times), two triangles per cell, indexed.

// Whether a plane of that size can be built (at least 2 x 2, its index count
// within 32 bits); reports on `reporter` when not.
bool CheckPlaneSize(EngineObject* reporter, int columns, int rows);
// Initialises `mesh` as the plane; false after reporting on `reporter`.
bool FillPlaneMesh(EngineObject* reporter, Mesh* mesh, int columns, int rows, float width,
                   float depth);
