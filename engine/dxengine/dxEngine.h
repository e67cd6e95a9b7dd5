#pragma once

#include <windows.h>
#include <d3d8.h>

#include "core/engine.h"
#include "core/faceCulling.h"

// The name of a Direct3D result code ("D3DERR_INVALIDCALL"), or
// "Unkown DirectX Error." for codes outside the engine's table.
const char* DXErrorName(HRESULT hr);

// The Direct3D 8 back end of the engine. WinInit loads d3d8.dll, creates the
// device for the window and makes this the current Direct3D engine, from
// which meshes and textures made afterwards take their device.
class DXEngine : public Engine {
 public:
  DXEngine();
  ~DXEngine() override;

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
  void SetDepthWrite(bool on) override;
  void SetClipping(bool on) override;
  void SetAlphaBlend(bool on) override;
  void SetCullMode(CullMode mode) override;
  void SetStencilTest(bool on) override;
  void SetStencilOp(StencilOp fail, StencilOp zfail, StencilOp pass) override;
  void SetStencilFunc(CompareFunc func) override;
  void SetStencilWriteMask(unsigned mask) override;
  void SetStencilRef(int ref) override;
  void SetStencilMask(unsigned mask) override;

  // The engine whose WinInit succeeded last and still exists, or null.
  static DXEngine* Current() { return current; }
  // The device, for render states the interface does not cover (the frame
  // step's blend function); null until WinInit succeeds.
  IDirect3DDevice8* Device() const { return device; }
  const D3DMATRIX& View() const { return view; }
  // The device's cull state, which meshes draw with, and the render state
  // for `mode`.
  FaceCulling& Culling() { return culling; }
  void PutCullModeInForce(CullMode mode);
  const D3DMATRIX& Projection() const { return projection; }

  // The library WinInit loads Direct3DCreate8 from.
  static const char* libraryName;

 private:
  void ReleaseDirect3D();
  D3DSTENCILOP MapStencilOp(StencilOp op);
  D3DCMPFUNC MapCompareFunc(CompareFunc func);

  IDirect3D8* direct3d;
  IDirect3DDevice8* device;
  IDirect3DSurface8* renderTarget;
  IDirect3DSurface8* depthStencil;
  HWND window;
  HWND ownWindow;  // the window Create made, destroyed with the engine
  bool registeredClass;
  D3DMATRIX view;
  D3DMATRIX projection;
  FaceCulling culling;

  static DXEngine* current;
};
