#pragma once

#include "makeassets/image.h"

// The tank's walls. The frame step adds them onto a pure blue background
// without a depth test, front and back walls on top of each other, so the
// picture is dark and its blue hardly matters: a faint web of rippled light
// and a brighter rim that marks the tank's edges, in green and a little red.
Image PaintWater();

// Food pellets, shown with the texture in place of any other colour: warm
// brown flakes.
Image PaintFood();

// Overlays added on texture stage 1: pink for a fish ready to mate, green for
// an infant. Each is one even colour, since the second stage has no texture
// coordinates of its own and reads whatever texel its coordinate gives; the
// values are moderate so the fish's own markings still show through.
Image PaintPinkOverlay();
Image PaintGreenOverlay();

// A dead fish's skin in place of its species': dull mottled grey-brown.
Image PaintRot();
