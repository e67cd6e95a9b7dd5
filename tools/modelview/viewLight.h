#pragma once

#include "core/engine.h"
#include "core/vec3.h"

// A white light shining from the viewer's eye towards the model, with a
// quarter of it as ambient light, for models that bring no texture: unlit,
// they are a flat silhouette; lit, faces turned away from the eye darken.
// Set after the view (LookAt) of every frame, with lighting enabled.
void SetHeadlight(Engine& engine, bool direct3d, const Vec3& eye);
