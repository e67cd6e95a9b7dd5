#pragma once

#include <string>

#include "makeassets/fishShape.h"
#include "makeassets/mesh.h"

// The fish as a 3DS model of one object, "Fish": the body first, then the
// tail and the further fins, each a separate piece of it, textured by a side
// projection: (u, v) is a vertex's place in the side
// view (FishShape::Uv), so the skin is painted as a picture of the fish's
// flank, nose to the left and back up, and both flanks show it. Paired fins
// map to their own band below the picture (FishShape::FinUv).
//
// Orientation. The frame step places a fish with SetTransform(position,
// heading, roll, 0), and both renderers fill the world matrix for row vectors
// (v' = v M) with the rows, for angles (a, b, c):
//   (ca cc, ca sc sb - sa cb, ca sc cb + sa sb)
//   (sa cc, sa sc sb + ca cb, sa sc cb - ca sb)
//   (-sc,   cc sb,            cc cb)
// With a = heading, c = 0 and a living fish's roll b = pi/2 (cb = 0, sb = 1)
// the model's axes go to
//   x -> (cos a, 0, sin a),  y -> (sin a, 0, -cos a),  z -> (0, 1, 0).
// The heading is theta + pi, theta being the direction of the fish's
// velocity in the tank's x-z plane (velocity ~ (cos theta, ., sin theta)), so
//   -x -> (-cos(theta + pi), 0, -sin(theta + pi)) = (cos theta, 0, sin theta):
// a nose on -x leads the way, and +z, the back, points up the tank's y axis.
// A dead fish's roll of -pi/2 sends +z to (0, -1, 0): belly up.
Model MakeFishModel(const FishShape& shape, const std::string& material,
                    const std::string& textureFile);
