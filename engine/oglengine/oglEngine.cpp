#include "oglengine/oglEngine.h"

#include <GL/glu.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/glConstants.h"
#include "core/log.h"
#include "core/meshDetail.h"

OpenGLEntryPoints glEntryPoints = {};
FaceCulling glCulling;

namespace {

LRESULT CALLBACK EngineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Some drivers answer an unknown name with 1, 2, 3 or -1 instead of null.
template <typename Proc>
void Fetch(Proc& proc, const char* name) {
  const intptr_t address = reinterpret_cast<intptr_t>(wglGetProcAddress(name));
  const bool missing = address == 0 || address == 1 || address == 2 || address == 3 || address == -1;
  proc = missing ? nullptr : reinterpret_cast<Proc>(address);
}

const DWORD kFullScreenStyle = 0x80040008;  // WS_POPUP | WS_THICKFRAME | 0x8
const DWORD kWindowStyle = 0x80CF0008;      // WS_POPUP | WS_OVERLAPPEDWINDOW | 0x8

}  // namespace

OpenGLEngine::OpenGLEngine()
    : window(nullptr),
      dc(nullptr),
      context(nullptr),
      ownWindow(nullptr),
      stencilFunc(GL_ALWAYS),
      stencilRef(0),
      stencilMask(0xFFFFFFFF) {
  name = "OpenGLEngine";
}

OpenGLEngine::~OpenGLEngine() {
  LogScope scope("OpenGLEngine::~OpenGLEngine");
  if (context) {
    if (!wglMakeCurrent(nullptr, nullptr)) LOG_REPORT(this, E_ERROR, "Release Of DC And RC Failed.");
    if (!wglDeleteContext(context)) LOG_REPORT(this, E_ERROR, "Release Rendering Context Failed.");
    context = nullptr;
  }
  if (dc) {
    if (!ReleaseDC(window, dc)) LOG_REPORT(this, E_ERROR, "Release Device Context Failed.");
    dc = nullptr;
  }
  if (ownWindow) DestroyWindow(ownWindow);
}

void OpenGLEngine::Create(int width, int height, int bits, bool fullScreen) {
  static WNDCLASSEXA windowClass = [] {
    WNDCLASSEXA c = {};
    c.cbSize = sizeof c;
    c.style = CS_OWNDC;
    c.lpfnWndProc = EngineWindowProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = "Engine";
    return c;
  }();
  RegisterClassExA(&windowClass);  // fails harmlessly once registered

  ownWindow = CreateWindowExA(0, "Engine", "Engine", fullScreen ? kFullScreenStyle : kWindowStyle,
                              0, 0, width, height, GetDesktopWindow(), nullptr,
                              windowClass.hInstance, nullptr);
  if (fullScreen) ShowCursor(FALSE);
  ShowWindow(ownWindow, SW_SHOWDEFAULT);
  UpdateWindow(ownWindow);
  WinInit(width, height, bits, fullScreen, ownWindow);
}

void OpenGLEngine::WinInit(int width, int height, int bits, bool fullScreen, WindowHandle target) {
  LogScope scope("OpenGLEngine::WinInit");
  window = target;

  if (fullScreen) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bits);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
      LOG_REPORT(this, E_ERROR, "The Requested Fullscreen Mode Is Not Supported By Your Video Card");
      return;
    }
  }

  // The colour depth of the first call holds for the process.
  static const PIXELFORMATDESCRIPTOR format = [bits] {
    PIXELFORMATDESCRIPTOR f = {};
    f.nSize = sizeof f;
    f.nVersion = 1;
    f.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    f.iPixelType = PFD_TYPE_RGBA;
    f.cColorBits = static_cast<BYTE>(bits);
    f.cDepthBits = 16;
    f.cStencilBits = 1;
    f.iLayerType = PFD_MAIN_PLANE;
    return f;
  }();

  // GetDC(NULL) would be the screen's: a missing window gets no context.
  dc = window ? GetDC(window) : nullptr;
  if (!dc) {
    LOG_REPORT(this, E_ERROR, "Can't Create A GL Device Context");
    return;
  }
  const int pixelFormat = ChoosePixelFormat(dc, &format);
  if (!pixelFormat) {
    LOG_REPORT(this, E_ERROR, "Can't Find A Suitable PixelFormat.");
    return;
  }
  if (!SetPixelFormat(dc, pixelFormat, &format)) {
    LOG_REPORT(this, E_ERROR, "Can't Set The PixelFormat.");
    return;
  }
  context = wglCreateContext(dc);
  if (!context) {
    LOG_REPORT(this, E_ERROR, "Can't Create A GL Rendering Context.");
    return;
  }
  if (!wglMakeCurrent(dc, context)) {
    LOG_REPORT(this, E_ERROR, "Can't Activate The GL Rendering Context.");
    return;
  }
  ShowWindow(window, SW_SHOW);

  glEnable(GL_TEXTURE_2D);
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  // A new context culls, blends and stencils nothing, and writes depth.
  glCulling.Reset();
  glCulling.SetDepthTest(true);
  glCulling.SetDepthWrite(true);
  glCulling.SetBlend(false);
  glCulling.SetStencilTest(false);
  glCulling.SetCullMode(CULL_NONE);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glViewport(0, 0, width, height);
  SetDetailViewport(width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(90.0, static_cast<double>(width) / static_cast<double>(height), 0.1f, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  stencilFunc = GL_ALWAYS;
  stencilRef = 0;
  stencilMask = 0xFFFFFFFF;

  if (IsExtensionSupported("GL_ARB_multitexture")) {
    Fetch(glEntryPoints.multiTexCoord2f, "glMultiTexCoord2f");
    Fetch(glEntryPoints.activeTexture, "glActiveTexture");
    Fetch(glEntryPoints.clientActiveTexture, "glClientActiveTexture");
  } else {
    LOG_WARNING("GL_ARB_multitexture is unsupported!");
  }
  if (IsExtensionSupported("GL_ARB_vertex_program")) {
    Fetch(glEntryPoints.genPrograms, "glGenProgramsARB");
    Fetch(glEntryPoints.deletePrograms, "glDeleteProgramsARB");
    Fetch(glEntryPoints.bindProgram, "glBindProgramARB");
    Fetch(glEntryPoints.programString, "glProgramStringARB");
    Fetch(glEntryPoints.programEnvParameter4f, "glProgramEnvParameter4fARB");
    Fetch(glEntryPoints.programLocalParameter4f, "glProgramLocalParameter4fARB");
  } else {
    LOG_WARNING("GL_ARB_vertex_program unsupported!");
  }
  SetStatus(E_OK);
}

bool OpenGLEngine::FindExtension(const char* list, const char* name) {
  if (!list || !name) return false;
  const size_t nameLength = std::strlen(name);
  const char* token = list;
  for (;;) {
    const size_t length = std::strcspn(token, " ");
    if (length == 0) return false;
    if (length == nameLength && std::strncmp(token, name, length) == 0) return true;
    if (token[length] == '\0') return false;
    token += length + 1;
  }
}

bool OpenGLEngine::IsExtensionSupported(const char* extension) const {
  return FindExtension(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), extension);
}

void OpenGLEngine::Present() { SwapBuffers(dc); }

void OpenGLEngine::LookAt(const Vec3& eye, const Vec3& target, const Vec3& up) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, up.x, up.y, up.z);
  SetDetailEye(eye);
}

void OpenGLEngine::SetPerspective(float fov, float aspect, float zNear, float zFar) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fov * 57.29577951308232, aspect, zNear, zFar);
  const float f = 1.0f / std::tan(0.5f * fov);
  SetDetailProjection(f / aspect, f, zNear);
}

void OpenGLEngine::BeginScene() {}

void OpenGLEngine::EndScene() {}

void OpenGLEngine::ClearTarget(Colour colour) {
  glClearColor(colour.r, colour.g, colour.b, colour.a);
  glClear(GL_COLOR_BUFFER_BIT);
}

void OpenGLEngine::ClearDepth() { glClear(GL_DEPTH_BUFFER_BIT); }

void OpenGLEngine::ClearStencil() { glClear(GL_STENCIL_BUFFER_BIT); }

namespace {
void Toggle(GLenum capability, bool on) {
  if (on)
    glEnable(capability);
  else
    glDisable(capability);
}
}  // namespace

void OpenGLEngine::SetLighting(bool on) { Toggle(GL_LIGHTING, on); }

void OpenGLEngine::SetDepthTest(bool on) {
  glCulling.SetDepthTest(on);
  Toggle(GL_DEPTH_TEST, on);
}

void OpenGLEngine::SetDepthWrite(bool) {}

void OpenGLEngine::SetClipping(bool) {}

void OpenGLEngine::SetAlphaBlend(bool on) {
  glCulling.SetBlend(on);
  Toggle(GL_BLEND, on);
}

void PutCullModeInForce(CullMode mode) {
  if (mode == CULL_NONE) {
    glDisable(GL_CULL_FACE);
    return;
  }
  glEnable(GL_CULL_FACE);
  glCullFace(mode == CULL_FRONT ? GL_FRONT : GL_BACK);
}

void OpenGLEngine::SetCullMode(CullMode mode) {
  glCulling.SetCullMode(mode);
  PutCullModeInForce(mode);
}

void OpenGLEngine::SetStencilTest(bool on) {
  glCulling.SetStencilTest(on);
  Toggle(GL_STENCIL_TEST, on);
}

GLenum OpenGLEngine::MapStencilOp(StencilOp op) {
  unsigned value = GL_KEEP;
  if (!GlStencilOp(op, &value)) LOG_REPORT(this, E_ERROR, "unkown stencil op");
  return value;
}

void OpenGLEngine::SetStencilOp(StencilOp fail, StencilOp zfail, StencilOp pass) {
  const GLenum onFail = MapStencilOp(fail);
  const GLenum onDepthFail = MapStencilOp(zfail);
  const GLenum onPass = MapStencilOp(pass);
  glStencilOp(onFail, onDepthFail, onPass);
}

void OpenGLEngine::SetStencilFunc(CompareFunc func) {
  unsigned value = GL_ALWAYS;
  if (!GlCompareFunc(func, &value)) LOG_REPORT(this, E_ERROR, "unkown comparison function");
  stencilFunc = value;
  glStencilFunc(stencilFunc, stencilRef, stencilMask);
}

void OpenGLEngine::SetStencilWriteMask(unsigned mask) { glStencilMask(mask); }

void OpenGLEngine::SetStencilRef(int ref) {
  stencilRef = ref;
  glStencilFunc(stencilFunc, stencilRef, stencilMask);
}

void OpenGLEngine::SetStencilMask(unsigned mask) {
  stencilMask = mask;
  glStencilFunc(stencilFunc, stencilRef, stencilMask);
}
