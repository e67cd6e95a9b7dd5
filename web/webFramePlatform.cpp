// The frame's browser calls: the clock and the additive blend.
#include "web/webFramePlatform.h"

#include <emscripten.h>

#include "behave/frameStep.h"
#include "webglengine/webglEngine.h"

WebGLEngine* webGLEngine = nullptr;

// The browser's high-resolution time in whole milliseconds, wrapping at
// 2^32 as timeGetTime does.
uint32_t FrameClock() { return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now())); }

void SetAdditiveBlend() {
  if (webGLEngine) webGLEngine->SetAdditiveBlend();
}
