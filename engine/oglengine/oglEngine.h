#pragma once

#include <windows.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include "core/engine.h"
#include "core/faceCulling.h"

// Extension entry points, fetched by OpenGLEngine::WinInit for the whole
// process; each stays null until its extension has been found.
struct OpenGLEntryPoints {
  // GL_ARB_multitexture
  PFNGLMULTITEXCOORD2FARBPROC multiTexCoord2f;
  PFNGLACTIVETEXTUREARBPROC activeTexture;
  PFNGLCLIENTACTIVETEXTUREARBPROC clientActiveTexture;
  // GL_ARB_vertex_program
  PFNGLGENPROGRAMSARBPROC genPrograms;
  PFNGLDELETEPROGRAMSARBPROC deletePrograms;
  PFNGLBINDPROGRAMARBPROC bindProgram;
  PFNGLPROGRAMSTRINGARBPROC programString;
  PFNGLPROGRAMENVPARAMETER4FARBPROC programEnvParameter4f;
  PFNGLPROGRAMLOCALPARAMETER4FARBPROC programLocalParameter4f;
};
extern OpenGLEntryPoints glEntryPoints;

// The cull state of the context made current by the last WinInit, which its
// meshes draw with.
extern FaceCulling glCulling;
// glEnable/glDisable(GL_CULL_FACE) and glCullFace for `mode`.
void PutCullModeInForce(CullMode mode);

// The OpenGL 1.1 back end: owns the device and rendering contexts of one
// window and maps the engine's render states onto OpenGL.
class OpenGLEngine : public Engine {
 public:
  OpenGLEngine();
  ~OpenGLEngine() override;

  void Create(int width, int height, int bits, bool fullScreen) override;
  void WinInit(int width, int height, int bits, bool fullScreen, WindowHandle window) override;
  void Present() override;
  void LookAt(const Vec3& eye, const Vec3& target, const Vec3& up) override;
  void SetPerspective(float fov, float aspect, float zNear, float zFar) override;
  void BeginScene() override;
  void EndScene() override;
  void ClearTarget(Colour colour) override;
  void ClearDepth() override;
  void ClearStencil() override;
  void SetLighting(bool on) override;
  void SetDepthTest(bool on) override;
  // Depth writes stay on under OpenGL.
  void SetDepthWrite(bool on) override;
  void SetClipping(bool on) override;
  // The blend function is left to the caller.
  void SetAlphaBlend(bool on) override;
  void SetCullMode(CullMode mode) override;
  void SetStencilTest(bool on) override;
  void SetStencilOp(StencilOp fail, StencilOp zfail, StencilOp pass) override;
  void SetStencilFunc(CompareFunc func) override;
  void SetStencilWriteMask(unsigned mask) override;
  void SetStencilRef(int ref) override;
  void SetStencilMask(unsigned mask) override;

  // Whether `name` is one of the blank-separated names of `list`. The
  // search ends at the list's end or at an empty name (two blanks in a row).
  static bool FindExtension(const char* list, const char* name);

  HWND Window() const { return window; }

 private:
  bool IsExtensionSupported(const char* name) const;
  GLenum MapStencilOp(StencilOp op);

  HWND window;
  HDC dc;
  HGLRC context;
  // The window that Create made, destroyed with the engine.
  HWND ownWindow;
  // glStencilFunc takes all three at once.
  GLenum stencilFunc;
  GLint stencilRef;
  GLuint stencilMask;
};
