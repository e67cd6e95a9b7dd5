#pragma once

#include "core/engine.h"
#include "core/vec3.h"

// A white light shining from the viewer's eye towards the model, with a
// quarter of it as ambient light, for models that bring no texture: unlit,
// they are a flat silhouette; lit, faces turned away from the eye darken.
// Set after the view (LookAt) of every frame, with lighting enabled.
// `inwardNormals`: the model's normals point into it, as the OpenGL model's
// 3DS normals do (their cross product follows the files' winding the other
// way round), and the light that shows the faces seen from the eye comes
// from the far side.
void SetHeadlight(Engine& engine, bool direct3d, const Vec3& eye, bool inwardNormals);
