#pragma once

class DXEngine;
class OpenGLEngine;

// The engine of the chosen back end by its concrete type (the same object as
// `engine`), for what the renderer interface does not cover.
extern DXEngine* dxEngine;
extern OpenGLEngine* openGLEngine;
