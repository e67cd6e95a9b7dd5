#pragma once

class WebGLEngine;

// The engine by its concrete type (the same object as `engine`), for the
// blend function that the renderer interface lacks.
extern WebGLEngine* webGLEngine;
