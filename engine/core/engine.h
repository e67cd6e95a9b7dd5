#pragma once

#include "core/colour.h"
#include "core/engineObject.h"
#include "core/renderTypes.h"
#include "core/vec3.h"

#ifdef __EMSCRIPTEN__
// The CSS selector of the canvas drawn into, such as "#canvas".
typedef const char* WindowHandle;
#else
// The platform window handle (HWND under Win32), declared without the
// platform headers.
struct HWND__;
typedef HWND__* WindowHandle;
#endif

// A renderer back end. The outcome of Create and WinInit is the status
// (E_OK on success); the other operations report nothing.
class Engine : public EngineObject {
 public:
  ~Engine() override = default;

  // Opens a window of its own (class and title "Engine") and calls WinInit.
  virtual void Create(int width, int height, int bits, bool fullScreen) = 0;
  virtual void WinInit(int width, int height, int bits, bool fullScreen,
                       WindowHandle window) = 0;
  virtual void Present() = 0;
  virtual void LookAt(const Vec3& eye, const Vec3& target, const Vec3& up) = 0;
  // fov in radians.
  virtual void SetPerspective(float fov, float aspect, float zNear, float zFar) = 0;
  virtual void BeginScene() = 0;
  virtual void EndScene() = 0;
  virtual void ClearTarget(Colour colour) = 0;
  virtual void ClearDepth() = 0;    // to 1.0
  virtual void ClearStencil() = 0;  // to 0
  virtual void SetLighting(bool on) = 0;
  virtual void SetDepthTest(bool on) = 0;
  virtual void SetDepthWrite(bool on) = 0;
  virtual void SetClipping(bool on) = 0;
  virtual void SetAlphaBlend(bool on) = 0;
  virtual void SetCullMode(CullMode mode) = 0;
  virtual void SetStencilTest(bool on) = 0;
  virtual void SetStencilOp(StencilOp fail, StencilOp zfail, StencilOp pass) = 0;
  virtual void SetStencilFunc(CompareFunc func) = 0;
  virtual void SetStencilWriteMask(unsigned mask) = 0;
  virtual void SetStencilRef(int ref) = 0;
  virtual void SetStencilMask(unsigned mask) = 0;
};
