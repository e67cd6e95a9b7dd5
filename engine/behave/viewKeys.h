#pragma once

#include "core/camera.h"

// The camera that the keys move.
extern Camera camera;

// What the window still has to do for a key after ApplyViewKey.
enum class KeyResult { None, Quit, MouseLook };

// Acts on a virtual-key code: the arrow keys turn and move the view, Insert
// writes the camera and the fish of species 1 and 2 to the log.
KeyResult ApplyViewKey(unsigned key);
