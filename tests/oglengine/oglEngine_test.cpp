#include "oglengine/oglEngine.h"

#include <gtest/gtest.h>

#include "glTestContext.h"

namespace {

GLint GetInt(GLenum what) {
  GLint value = 0;
  glGetIntegerv(what, &value);
  return value;
}

TEST(OpenGLEngine, StartsNamedAndUninitialised) {
  OpenGLEngine engine;
  EXPECT_EQ(engine.name, "OpenGLEngine");
  EXPECT_EQ(engine.status, E_UNINIT);
}

TEST(OpenGLEngine, WinInitGivesAContextWithMultitexture) {
  OpenGLEngine& engine = GlTestContext::Engine();
  EXPECT_EQ(engine.status, E_OK);
  EXPECT_NE(wglGetCurrentContext(), nullptr);
  EXPECT_NE(glEntryPoints.activeTexture, nullptr);
  EXPECT_NE(glEntryPoints.multiTexCoord2f, nullptr);
  EXPECT_GE(GetInt(GL_STENCIL_BITS), 1);
  EXPECT_GE(GetInt(GL_DEPTH_BITS), 16);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], GlTestContext::kSize);
  EXPECT_EQ(viewport[3], GlTestContext::kSize);
}

TEST(OpenGLEngine, ClearTargetFillsTheBackBuffer) {
  OpenGLEngine& engine = GlTestContext::Fresh();
  engine.ClearTarget(Colour(1.0f, 0.5f, 0.0f, 1.0f));
  EXPECT_TRUE(Near(ReadPixel(0, 0), {255, 128, 0}));
  EXPECT_TRUE(Near(ReadPixel(63, 63), {255, 128, 0}));
  engine.ClearTarget(Colour(0.0f, 0.0f, 1.0f, 1.0f));
  EXPECT_TRUE(Near(ReadPixel(31, 31), {0, 0, 255}));
  engine.Present();  // a swap must not fail or disturb later frames
  engine.ClearTarget(Colour(0.0f, 1.0f, 0.0f, 1.0f));
  EXPECT_TRUE(Near(ReadPixel(5, 40), {0, 255, 0}));
}

TEST(OpenGLEngine, CreateOpensItsOwnWindowAndClosesIt) {
  HWND window;
  {
    OpenGLEngine engine;
    engine.Create(96, 80, 32, false);
    EXPECT_EQ(engine.status, E_OK);
    window = engine.Window();
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "Engine");
    EXPECT_NE(wglGetCurrentContext(), nullptr);
  }
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  // Its window procedure posts the quit message when the window goes.
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(OpenGLEngine, WinInitWithoutAWindowFails) {
  GlTestContext::Engine();
  const HGLRC current = wglGetCurrentContext();
  OpenGLEngine engine;
  engine.WinInit(64, 64, 32, false, nullptr);
  EXPECT_EQ(engine.status, E_ERROR);
  EXPECT_EQ(engine.message, "Can't Create A GL Device Context");
  EXPECT_EQ(wglGetCurrentContext(), current);
}

TEST(OpenGLEngine, RefusedFullScreenModeFailsBeforeAnyContext) {
  GlTestContext::Engine();
  const HGLRC current = wglGetCurrentContext();
  // The virtual display offers only its starting resolution.
  HWND window = CreateWindowExA(0, "GlTestWindow", "full screen", WS_POPUP, 0, 0, 8, 8, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  OpenGLEngine engine;
  engine.WinInit(123, 45, 32, true, window);
  EXPECT_EQ(engine.status, E_ERROR);
  EXPECT_EQ(engine.message, "The Requested Fullscreen Mode Is Not Supported By Your Video Card");
  EXPECT_EQ(wglGetCurrentContext(), current);
  DestroyWindow(window);  // never shown: no wait for the display
}

TEST(OpenGLEngine, FindExtensionMatchesWholeNamesOnly) {
  EXPECT_FALSE(OpenGLEngine::FindExtension("GL_ARB_multitexture_plus GL_X", "GL_ARB_multitexture"));
  EXPECT_TRUE(OpenGLEngine::FindExtension("GL_A GL_ARB_multitexture", "GL_ARB_multitexture"));
  EXPECT_TRUE(OpenGLEngine::FindExtension("GL_ARB_multitexture GL_A ", "GL_ARB_multitexture"));
  EXPECT_FALSE(OpenGLEngine::FindExtension("GL_A GL_B", "GL_C"));
  EXPECT_FALSE(OpenGLEngine::FindExtension("GL_A GL_B", "GL_B_longer"));
  // An empty name (two blanks) ends the list.
  EXPECT_FALSE(OpenGLEngine::FindExtension("GL_A  GL_B", "GL_B"));
  EXPECT_FALSE(OpenGLEngine::FindExtension("", "GL_A"));
  EXPECT_FALSE(OpenGLEngine::FindExtension(nullptr, "GL_A"));
  EXPECT_FALSE(OpenGLEngine::FindExtension("GL_A", nullptr));
}

TEST(OpenGLEngine, StencilStateIsKeptAcrossCalls) {
  OpenGLEngine& engine = GlTestContext::Engine();
  engine.SetStencilFunc(CMP_ALWAYS);
  engine.SetStencilRef(3);
  EXPECT_EQ(GetInt(GL_STENCIL_FUNC), GL_ALWAYS);
  EXPECT_EQ(GetInt(GL_STENCIL_REF), 3);
  engine.SetStencilMask(0xFF);
  EXPECT_EQ(GetInt(GL_STENCIL_REF), 3);
  EXPECT_EQ(GetInt(GL_STENCIL_VALUE_MASK), 0xFF);
  engine.SetStencilFunc(CMP_GEQUAL);
  EXPECT_EQ(GetInt(GL_STENCIL_FUNC), GL_GEQUAL);
  EXPECT_EQ(GetInt(GL_STENCIL_REF), 3);

  engine.SetStencilFunc(static_cast<CompareFunc>(8));
  EXPECT_EQ(GetInt(GL_STENCIL_FUNC), GL_ALWAYS);
  EXPECT_EQ(engine.status, E_ERROR);
  EXPECT_EQ(engine.message, "unkown comparison function");

  const size_t mark = LogMark();
  engine.SetStencilOp(static_cast<StencilOp>(9), STENCIL_ZERO, STENCIL_REPLACE);
  EXPECT_EQ(LogCount("unkown stencil op", mark), 1);
  EXPECT_EQ(GetInt(GL_STENCIL_FAIL), GL_KEEP);
  EXPECT_EQ(GetInt(GL_STENCIL_PASS_DEPTH_FAIL), GL_ZERO);
  EXPECT_EQ(GetInt(GL_STENCIL_PASS_DEPTH_PASS), GL_REPLACE);
  engine.SetStencilMask(0xFFFFFFFF);
  engine.SetStencilRef(0);
  engine.SetStatus(E_OK);
}

TEST(OpenGLEngine, StencilTestMasksDrawing) {
  OpenGLEngine& engine = GlTestContext::Fresh();
  engine.ClearStencil();
  // Mark the left half in the stencil buffer, then draw only where marked.
  engine.SetStencilTest(true);
  engine.SetStencilFunc(CMP_ALWAYS);
  engine.SetStencilRef(1);
  engine.SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_REPLACE);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glRectf(-1, -1, 0, 1);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  engine.SetStencilFunc(CMP_EQUAL);
  engine.SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_KEEP);
  glColor3f(1, 1, 1);
  glRectf(-1, -1, 1, 1);
  engine.SetStencilTest(false);
  EXPECT_TRUE(Near(ReadPixel(10, 32), {255, 255, 255}));
  EXPECT_TRUE(Near(ReadPixel(54, 32), {0, 0, 0}));
  engine.SetStencilFunc(CMP_ALWAYS);
  engine.SetStencilRef(0);
}

TEST(OpenGLEngine, DepthTestDecidesWhichQuadStays) {
  for (bool depth : {true, false}) {
    OpenGLEngine& engine = GlTestContext::Fresh();
    engine.SetDepthTest(depth);
    // Red near the eye first, then green behind it.
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, 0.5f), glVertex3f(1, -1, 0.5f), glVertex3f(1, 1, 0.5f), glVertex3f(-1, 1, 0.5f);
    glEnd();
    glColor3f(0, 1, 0);
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, -0.5f), glVertex3f(1, -1, -0.5f), glVertex3f(1, 1, -0.5f), glVertex3f(-1, 1, -0.5f);
    glEnd();
    EXPECT_TRUE(Near(ReadPixel(32, 32), depth ? Rgb{255, 0, 0} : Rgb{0, 255, 0})) << depth;
    // Depth writes stay on whatever is asked.
    engine.SetDepthWrite(false);
    GLboolean writes = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
    EXPECT_TRUE(writes);
  }
}

TEST(OpenGLEngine, AdditiveBlendingAddsToTheTarget) {
  OpenGLEngine& engine = GlTestContext::Fresh();
  engine.ClearTarget(Colour(0.25f, 0.0f, 0.5f, 1.0f));
  engine.SetAlphaBlend(true);
  glBlendFunc(GL_ONE, GL_ONE);  // as the frame step sets it
  glColor3f(0.5f, 0.5f, 0.75f);
  glRectf(-1, -1, 1, 1);
  engine.SetAlphaBlend(false);
  EXPECT_TRUE(Near(ReadPixel(32, 32), {191, 128, 255}));
}

}  // namespace
