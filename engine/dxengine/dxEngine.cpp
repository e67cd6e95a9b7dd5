#include "dxengine/dxEngine.h"

#include <cmath>
#include <cstring>

#include "core/log.h"
#include "core/meshDetail.h"

namespace {

const char kClassName[] = "Engine";
// Popup, overlapped-window frame and the low bit the engine has always set.
const DWORD kOwnWindowStyle = 0x80CF0008;

typedef IDirect3D8*(WINAPI* Direct3DCreate8Function)(UINT);

LRESULT CALLBACK EngineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

D3DMATRIX Identity() {
  D3DMATRIX m = {};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

}  // namespace

const char* DXErrorName(HRESULT hr) {
  switch (static_cast<unsigned long>(hr)) {
    case 0x8007000E: return "E_OUTOFMEMORY";
    case 0x8876017C: return "D3DERR_OUTOFVIDEOMEMORY";
    case 0x88760818: return "D3DERR_WRONGTEXTUREFORMAT";
    case 0x8876081E: return "D3DERR_CONFLICTINGTEXTUREFILTER";
    case 0x8876081F: return "D3DERR_UNSUPPORTEDFACTORVALUE";
    case 0x88760821: return "D3DERR_CONFLICTINGRENDERSTATE";
    case 0x88760822: return "D3DERR_UNSUPPORTEDTEXTUREFILTER";
    case 0x88760826: return "D3DERR_CONFLICTINGTEXTUREPALETTE";
    case 0x88760827: return "D3DERR_DRIVERINTERNALERROR";
    case 0x88760866: return "D3DERR_NOTFOUND";
    case 0x8876086A: return "D3DERR_NOTAVAILABLE";
    case 0x8876086B: return "D3DERR_INVALIDDEVICE";
    case 0x8876086C: return "D3DERR_INVALIDCALL";
    default: return "Unkown DirectX Error.";
  }
}

DXEngine* DXEngine::current = nullptr;
const char* DXEngine::libraryName = "d3d8.dll";

DXEngine::DXEngine()
    : direct3d(nullptr),
      device(nullptr),
      renderTarget(nullptr),
      depthStencil(nullptr),
      window(nullptr),
      ownWindow(nullptr),
      registeredClass(false),
      view(Identity()),
      projection(Identity()) {}

DXEngine::~DXEngine() {
  // Meshes and textures made from this engine must not find it any more.
  if (current == this) current = nullptr;
  ReleaseDirect3D();
  if (ownWindow) DestroyWindow(ownWindow);
  if (registeredClass) UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
}

void DXEngine::ReleaseDirect3D() {
  if (renderTarget) renderTarget->Release();
  if (depthStencil) depthStencil->Release();
  if (device) device->Release();
  if (direct3d) direct3d->Release();
  renderTarget = depthStencil = nullptr;
  device = nullptr;
  direct3d = nullptr;
}

void DXEngine::Create(int width, int height, int bits, bool fullScreen) {
  static WNDCLASSEXA windowClass;
  if (windowClass.cbSize == 0) {
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_CLASSDC;
    windowClass.lpfnWndProc = EngineWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
  }
  if (RegisterClassExA(&windowClass)) registeredClass = true;
  HWND created = CreateWindowExA(0, kClassName, kClassName, kOwnWindowStyle, 0, 0, width, height,
                                 GetDesktopWindow(), nullptr, windowClass.hInstance, nullptr);
  if (created) {
    if (ownWindow) DestroyWindow(ownWindow);
    ownWindow = created;
    ShowWindow(created, SW_SHOWDEFAULT);
    UpdateWindow(created);
  }
  WinInit(width, height, bits, fullScreen, created);
}

void DXEngine::WinInit(int width, int height, int /*bits*/, bool fullScreen, WindowHandle target) {
  LogScope scope("DXEngine::WinInit");
  window = target;
  if (!window) {
    LOG_REPORT(this, E_ERROR, "Could not create window");
    return;
  }
  // A second WinInit replaces what the first one made.
  if (current == this) current = nullptr;
  ReleaseDirect3D();

  // The library stays loaded for the rest of the process: objects made from
  // it may outlive the engine.
  HMODULE library = GetModuleHandleA(libraryName);
  if (!library) library = LoadLibraryA(libraryName);
  if (!library) {
    LOG_REPORT(this, E_ERROR, "Could not load %s", libraryName);
    return;
  }
  const auto create = reinterpret_cast<Direct3DCreate8Function>(
      reinterpret_cast<void*>(GetProcAddress(library, "Direct3DCreate8")));
  if (!create) {
    LOG_REPORT(this, E_ERROR, "%s has no Direct3DCreate8", libraryName);
    return;
  }
  direct3d = create(D3D_SDK_VERSION);
  if (!direct3d) {
    LOG_REPORT(this, E_ERROR, "Could not create a Direct3D Object (D3DCreate8)");
    return;
  }

  D3DDISPLAYMODE mode;
  if (FAILED(direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) {
    LOG_REPORT(this, E_ERROR, "Could not obtain current display mode properties");
    return;
  }

  D3DPRESENT_PARAMETERS present;
  std::memset(&present, 0, sizeof present);
  present.BackBufferWidth = static_cast<UINT>(width);
  present.BackBufferHeight = static_cast<UINT>(height);
  present.BackBufferFormat = D3DFMT_X8R8G8B8;
  present.BackBufferCount = 0;
  present.MultiSampleType = D3DMULTISAMPLE_NONE;
  present.SwapEffect = D3DSWAPEFFECT_COPY_VSYNC;
  present.hDeviceWindow = window;
  if (fullScreen) {
    present.Windowed = FALSE;
    ShowCursor(FALSE);
  } else {
    present.Windowed = TRUE;
  }
  present.EnableAutoDepthStencil = TRUE;
  present.AutoDepthStencilFormat = D3DFMT_D24S8;

  const HRESULT hr = direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present, &device);
  if (FAILED(hr)) {
    device = nullptr;
    LOG_REPORT(this, E_ERROR, "Could not create device:%s", DXErrorName(hr));
    return;
  }

  SetDetailViewport(width, height);
  // A new device writes depth and blends and stencils nothing.
  culling.Reset();
  culling.SetDepthWrite(true);
  culling.SetBlend(false);
  culling.SetStencilTest(false);
  device->GetRenderTarget(&renderTarget);
  device->GetDepthStencilSurface(&depthStencil);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  D3DMATERIAL8 material;
  std::memset(&material, 0, sizeof material);
  material.Diffuse.r = material.Diffuse.g = material.Diffuse.b = material.Diffuse.a = 1.0f;
  material.Ambient.r = material.Ambient.g = material.Ambient.b = material.Ambient.a = 1.0f;
  device->SetMaterial(&material);
  view = Identity();
  projection = Identity();
  current = this;
  SetStatus(E_OK, "D3D Initialization complete");
}

// Slots 3 to 22 do nothing before WinInit has made a device, and do not
// check the device's results.

void DXEngine::Present() {
  if (device) device->Present(nullptr, nullptr, nullptr, nullptr);
}

void DXEngine::LookAt(const Vec3& eye, const Vec3& target, const Vec3& up) {
  if (!device) return;
  // Left-handed, row vectors: the camera's axes are the matrix's columns.
  Vec3 z = target - eye;
  z.Normalise();
  Vec3 x;
  x.SetCross(up, z);
  x.Normalise();
  Vec3 y;
  y.SetCross(z, x);
  view._11 = x.x; view._12 = y.x; view._13 = z.x; view._14 = 0.0f;
  view._21 = x.y; view._22 = y.y; view._23 = z.y; view._24 = 0.0f;
  view._31 = x.z; view._32 = y.z; view._33 = z.z; view._34 = 0.0f;
  view._41 = -x.Dot(eye);
  view._42 = -y.Dot(eye);
  view._43 = -z.Dot(eye);
  view._44 = 1.0f;
  device->SetTransform(D3DTS_VIEW, &view);
  SetDetailEye(eye);
}

void DXEngine::SetPerspective(float fov, float /*aspect*/, float zNear, float zFar) {
  if (!device) return;
  // The vertical scale follows from a fixed 4:3 frame, whatever the aspect.
  std::memset(&projection, 0, sizeof projection);
  projection._11 = 1.0f / std::tan(fov * 0.5f);
  projection._22 = 1.0f / std::tan(std::atan(std::tan(fov) * 0.75f) * 0.5f);
  const float q = zFar / (zFar - zNear);
  projection._33 = q;
  projection._43 = -q;
  projection._34 = 1.0f;
  device->SetTransform(D3DTS_PROJECTION, &projection);
  // Depth 0, where this projection clips, lies at distance 1.
  SetDetailProjection(projection._11, projection._22, -projection._43 / projection._33);
}

void DXEngine::BeginScene() {
  if (device) device->BeginScene();
}

void DXEngine::EndScene() {
  if (device) device->EndScene();
}

void DXEngine::ClearTarget(Colour colour) {
  if (!device) return;
  colour.Pack();
  device->Clear(0, nullptr, D3DCLEAR_TARGET, colour.argb, 1.0f, 0);
}

void DXEngine::ClearDepth() {
  if (device) device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
}

void DXEngine::ClearStencil() {
  if (device) device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0);
}

void DXEngine::SetLighting(bool on) {
  if (device) device->SetRenderState(D3DRS_LIGHTING, on);
}

void DXEngine::SetDepthTest(bool on) {
  if (!device) return;
  culling.SetDepthTest(on);
  device->SetRenderState(D3DRS_ZENABLE, on);
}

void DXEngine::SetDepthWrite(bool on) {
  if (!device) return;
  culling.SetDepthWrite(on);
  device->SetRenderState(D3DRS_ZWRITEENABLE, on);
}

void DXEngine::SetClipping(bool on) {
  if (device) device->SetRenderState(D3DRS_CLIPPING, on);
}

void DXEngine::SetAlphaBlend(bool on) {
  if (!device) return;
  culling.SetBlend(on);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, on);
}

void DXEngine::PutCullModeInForce(CullMode mode) {
  D3DCULL cull = D3DCULL_NONE;
  if (mode == CULL_FRONT) cull = D3DCULL_CW;
  if (mode == CULL_BACK) cull = D3DCULL_CCW;
  device->SetRenderState(D3DRS_CULLMODE, cull);
}

void DXEngine::SetCullMode(CullMode mode) {
  if (!device) return;
  culling.SetCullMode(mode);
  PutCullModeInForce(mode);
}

void DXEngine::SetStencilTest(bool on) {
  if (!device) return;
  culling.SetStencilTest(on);
  device->SetRenderState(D3DRS_STENCILENABLE, on);
}

D3DSTENCILOP DXEngine::MapStencilOp(StencilOp op) {
  switch (op) {
    case STENCIL_KEEP: return D3DSTENCILOP_KEEP;
    case STENCIL_ZERO: return D3DSTENCILOP_ZERO;
    case STENCIL_REPLACE: return D3DSTENCILOP_REPLACE;
    case STENCIL_INCR: return D3DSTENCILOP_INCRSAT;
    case STENCIL_DECR: return D3DSTENCILOP_DECRSAT;
    case STENCIL_INVERT: return D3DSTENCILOP_INVERT;
  }
  LOG_REPORT(this, E_ERROR, "could not set stencil op!");
  return D3DSTENCILOP_KEEP;
}

D3DCMPFUNC DXEngine::MapCompareFunc(CompareFunc func) {
  switch (func) {
    case CMP_NEVER: return D3DCMP_NEVER;
    case CMP_ALWAYS: return D3DCMP_ALWAYS;
    case CMP_EQUAL: return D3DCMP_EQUAL;
    case CMP_NOTEQUAL: return D3DCMP_NOTEQUAL;
    case CMP_LESS: return D3DCMP_LESS;
    case CMP_GREATER: return D3DCMP_GREATER;
    case CMP_LEQUAL: return D3DCMP_LESSEQUAL;
    case CMP_GEQUAL: return D3DCMP_GREATEREQUAL;
  }
  LOG_REPORT(this, E_ERROR, "unsupported comparison test");
  return D3DCMP_ALWAYS;
}

void DXEngine::SetStencilOp(StencilOp fail, StencilOp zfail, StencilOp pass) {
  if (!device) return;
  device->SetRenderState(D3DRS_STENCILZFAIL, MapStencilOp(zfail));
  device->SetRenderState(D3DRS_STENCILPASS, MapStencilOp(pass));
  device->SetRenderState(D3DRS_STENCILFAIL, MapStencilOp(fail));
}

void DXEngine::SetStencilFunc(CompareFunc func) {
  if (device) device->SetRenderState(D3DRS_STENCILFUNC, MapCompareFunc(func));
}

void DXEngine::SetStencilWriteMask(unsigned mask) {
  if (device) device->SetRenderState(D3DRS_STENCILWRITEMASK, mask);
}

void DXEngine::SetStencilRef(int ref) {
  if (device) device->SetRenderState(D3DRS_STENCILREF, static_cast<DWORD>(ref));
}

void DXEngine::SetStencilMask(unsigned mask) {
  if (device) device->SetRenderState(D3DRS_STENCILMASK, mask);
}
