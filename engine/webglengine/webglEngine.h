#pragma once

#include <GLES3/gl3.h>
#include <emscripten/html5.h>

#include "core/engine.h"
#include "webglengine/webglPipeline.h"

// The WebGL 2 back end: one context on a canvas, drawing what the OpenGL
// back end draws for the same calls. The window handle is the canvas's CSS
// selector.
class WebGLEngine : public Engine {
 public:
  WebGLEngine();
  ~WebGLEngine() override;

  // A page has no windows to open: reports E_NOSUP.
  void Create(int width, int height, int bits, bool fullScreen) override;
  // Sizes the canvas and creates a WebGL 2 context with depth and stencil
  // buffers on it; `bits` and `fullScreen` are the page's business.
  void WinInit(int width, int height, int bits, bool fullScreen, WindowHandle canvas) override;
  // The browser shows the frame when the page's frame callback returns.
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
  // Depth writes stay on, as under OpenGL.
  void SetDepthWrite(bool on) override;
  void SetClipping(bool on) override;
  // The blend function is left to the caller (SetAdditiveBlend).
  void SetAlphaBlend(bool on) override;
  void SetCullMode(CullMode mode) override;
  void SetStencilTest(bool on) override;
  void SetStencilOp(StencilOp fail, StencilOp zfail, StencilOp pass) override;
  void SetStencilFunc(CompareFunc func) override;
  void SetStencilWriteMask(unsigned mask) override;
  void SetStencilRef(int ref) override;
  void SetStencilMask(unsigned mask) override;

  // The frame step's additive overlay: blend factors one and one.
  void SetAdditiveBlend();

 private:
  GLenum MapStencilOp(StencilOp op);

  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context;
  WebGLPipeline pipeline;
  // glStencilFunc takes all three at once.
  GLenum stencilFunc;
  GLint stencilRef;
  GLuint stencilMask;
  int canvasWidth = 0, canvasHeight = 0;
};
