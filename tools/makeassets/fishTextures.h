#pragma once

#include "makeassets/fishShape.h"
#include "makeassets/image.h"

// The species' skins, painted over the fish's side view (see FishShape::Uv):
// each texel is coloured by the part of the fish it falls on, so stripes,
// bars and shading follow the body and the fins. Texels outside the fish get
// the fin colour, which is what the edges and the paired fins, seen edge on
// from the side, pick up.

// Olive back, a glowing blue-green stripe from eye to tail base, red lower
// rear half, silver belly, clear grey fins.
Image PaintNeonTetraSkin(const FishShape& shape);

// Silver with three dark vertical bars, the middle one running into the
// dorsal and anal fins, and a red eye.
Image PaintAngelfishSkin(const FishShape& shape);

// Slate grey above and white below, gill slits, dark-tipped fins.
Image PaintSharkSkin(const FishShape& shape);
