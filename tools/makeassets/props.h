#pragma once

#include "makeassets/mesh.h"

// The tank: a cube 40 units wide spanning -20..20 on x and y and 0..40 on z.
// Drawn at scale 0.25 moved by (0, 0, -5) it fills -5..5 on every axis, the
// space in which the fish swim. Each face shows the whole water texture.
Model MakeTankModel();

// A food pellet: a sphere of radius 100 about the origin; drawn at scale
// 0.0007 it is 0.14 tank units across.
Model MakeFoodModel();
