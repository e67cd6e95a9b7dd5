#pragma once

#include <windows.h>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "oglengine/oglEngine.h"

// One 64 x 64 window with an initialised OpenGLEngine for the whole test
// program: under Wine without a window manager, closing a window on the
// display costs seconds, so the window lives until the process ends. Tests
// set the state they rely on.
class GlTestContext {
 public:
  static constexpr int kSize = 64;

  // The shared engine, its context made current again (a test may have
  // made another engine's current, or none).
  static OpenGLEngine& Engine() {
    static GlTestContext context;
    wglMakeCurrent(context.dc, context.rc);
    return *context.engine;
  }

  // Projection and view that make the square (-1..1, -1..1) at z = 0 fill
  // the viewport exactly; no depth test, blending, culling or texturing.
  static OpenGLEngine& Fresh() {
    OpenGLEngine& engine = Engine();
    engine.SetPerspective(1.5707964f, 1.0f, 0.1f, 100.0f);
    engine.LookAt(Vec3(0, 0, 1), Vec3(0, 0, 0), Vec3(0, 1, 0));
    engine.SetDepthTest(false);
    engine.SetAlphaBlend(false);
    engine.SetCullMode(CULL_NONE);
    engine.SetLighting(false);
    for (int unit = kTextureStages - 1; unit >= 0; --unit) {
      if (glEntryPoints.activeTexture) glEntryPoints.activeTexture(GL_TEXTURE0_ARB + unit);
      glDisable(GL_TEXTURE_2D);
    }
    glColor4f(1, 1, 1, 1);
    engine.ClearTarget(Colour(0, 0, 0, 1));
    engine.ClearDepth();
    return engine;
  }

 private:
  GlTestContext() {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "GlTestWindow";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "GlTestWindow", "gl test", WS_POPUP, 0, 0, kSize, kSize, nullptr,
                             nullptr, windowClass.hInstance, nullptr);
    engine = new OpenGLEngine();
    engine->WinInit(kSize, kSize, 32, false, window);
    dc = wglGetCurrentDC();
    rc = wglGetCurrentContext();
  }

  HWND window;
  OpenGLEngine* engine;
  HDC dc;
  HGLRC rc;
};

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// The back buffer's pixel at (x, y), counted from the bottom left.
inline Rgb ReadPixel(int x, int y) {
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  unsigned char p[4] = {};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2]};
}

// Channels within `tolerance` of the expected ones.
inline ::testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int tolerance = 2) {
  if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
      std::abs(actual.b - expected.b) <= tolerance)
    return ::testing::AssertionSuccess();
  std::ostringstream text;
  text << actual << " is not within " << tolerance << " of " << expected;
  return ::testing::AssertionFailure() << text.str();
}

// Everything this program has written to "Log.txt".
inline std::string LogText() {
  std::ifstream in("Log.txt");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// How often `needle` occurs in the log after position `from`.
inline int LogCount(const std::string& needle, size_t from = 0) {
  const std::string text = LogText();
  int count = 0;
  for (size_t at = text.find(needle, from); at != std::string::npos;
       at = text.find(needle, at + needle.size()))
    ++count;
  return count;
}

// The log's current length: later entries are found after it.
inline size_t LogMark() { return LogText().size(); }
