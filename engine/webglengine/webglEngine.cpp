#include "webglengine/webglEngine.h"

#include <cmath>
#include <string>

#include "core/glConstants.h"
#include "core/log.h"
#include "core/meshDetail.h"

namespace {

// gluPerspective's matrix, column-major, formed in double as GLU does.
void Perspective(double fovDegrees, double aspect, double zNear, double zFar, float* m) {
  const double f = 1.0 / std::tan(fovDegrees * 3.14159265358979323846 / 360.0);
  const double depth = zNear - zFar;
  const double values[16] = {f / aspect, 0, 0, 0, 0, f, 0, 0, 0, 0, (zFar + zNear) / depth, -1,
                             0, 0, 2 * zFar * zNear / depth, 0};
  for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(values[i]);
}

void Toggle(GLenum capability, bool on) {
  if (on)
    glEnable(capability);
  else
    glDisable(capability);
}

}  // namespace

WebGLEngine::WebGLEngine()
    : context(0),
      stencilFunc(GL_ALWAYS),
      stencilRef(0),
      stencilMask(0xFFFFFFFF) {
  name = "WebGLEngine";
}

WebGLEngine::~WebGLEngine() {
  if (!context) return;
  emscripten_webgl_make_context_current(context);
  pipeline.Release();
  emscripten_webgl_destroy_context(context);
}

void WebGLEngine::Create(int, int, int, bool) {
  LOG_REPORT(this, E_NOSUP, "A web page draws into its own canvas: use WinInit");
}

void WebGLEngine::WinInit(int width, int height, int, bool, WindowHandle canvas) {
  LogScope scope("WebGLEngine::WinInit");
  if (!canvas) {
    LOG_REPORT(this, E_ERROR, "No canvas was named to draw into");
    return;
  }
  if (emscripten_set_canvas_element_size(canvas, width, height) != EMSCRIPTEN_RESULT_SUCCESS) {
    LOG_REPORT(this, E_ERROR, "The page has no canvas %s to draw into", canvas);
    return;
  }
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  // An opaque canvas: the clear colour's alpha must not let the page show
  // through. No multisampling, as the OpenGL pixel format has none.
  attributes.alpha = EM_FALSE;
  attributes.depth = EM_TRUE;
  attributes.stencil = EM_TRUE;
  attributes.antialias = EM_FALSE;
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  context = emscripten_webgl_create_context(canvas, &attributes);
  if (context <= 0) {
    context = 0;
    LOG_REPORT(this, E_ERROR,
               "This browser cannot draw the tank: it offers no WebGL 2, or WebGL is switched off");
    return;
  }
  emscripten_webgl_make_context_current(context);

  std::string error;
  if (!pipeline.Init(&error)) {
    LOG_REPORT(this, E_ERROR, "%s", error.c_str());
    return;
  }
  WebGLPipeline::MakeCurrent(&pipeline);

  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glClearDepthf(1.0f);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  // A new context culls, blends and stencils nothing, and writes depth.
  FaceCulling& culling = pipeline.Culling();
  culling.Reset();
  culling.SetDepthTest(true);
  culling.SetDepthWrite(true);
  culling.SetBlend(false);
  culling.SetStencilTest(false);
  culling.SetCullMode(CULL_NONE);
  glViewport(0, 0, width, height);
  canvasWidth = width;
  canvasHeight = height;
  SetDetailViewport(width, height);
  float projection[16];
  Perspective(90.0, static_cast<double>(width) / static_cast<double>(height), 0.1f, 100.0,
              projection);
  pipeline.SetProjection(projection);
  // WebGL unpacks rows four-byte aligned by default; the textures are packed.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

  stencilFunc = GL_ALWAYS;
  stencilRef = 0;
  stencilMask = 0xFFFFFFFF;
  SetStatus(E_OK);
}

void WebGLEngine::Present() {
  pipeline.Flush();
  pipeline.Backdrop().Close();
}

void WebGLEngine::LookAt(const Vec3& eye, const Vec3& target, const Vec3& up) {
  // gluLookAt: side = forward x up, then up again = side x forward, both
  // normalised; the eye moves to the origin.
  Vec3 forward(target.x - eye.x, target.y - eye.y, target.z - eye.z);
  const auto normalise = [](Vec3& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0f) return;
    v.x /= length;
    v.y /= length;
    v.z /= length;
  };
  const auto cross = [](const Vec3& a, const Vec3& b) {
    return Vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
  };
  normalise(forward);
  Vec3 side = cross(forward, up);
  normalise(side);
  const Vec3 upward = cross(side, forward);
  const float m[16] = {side.x,
                       upward.x,
                       -forward.x,
                       0,
                       side.y,
                       upward.y,
                       -forward.y,
                       0,
                       side.z,
                       upward.z,
                       -forward.z,
                       0,
                       -(side.x * eye.x + side.y * eye.y + side.z * eye.z),
                       -(upward.x * eye.x + upward.y * eye.y + upward.z * eye.z),
                       forward.x * eye.x + forward.y * eye.y + forward.z * eye.z,
                       1};
  pipeline.SetView(m);
  SetDetailEye(eye);
}

void WebGLEngine::SetPerspective(float fov, float aspect, float zNear, float zFar) {
  float projection[16];
  Perspective(fov * 57.29577951308232, aspect, zNear, zFar, projection);
  pipeline.SetProjection(projection);
  SetDetailProjection(projection[0], projection[5], zNear);
}

void WebGLEngine::BeginScene() {}

void WebGLEngine::EndScene() {
  pipeline.Flush();
}

void WebGLEngine::ClearTarget(Colour colour) {
  pipeline.Flush();
  glClearColor(colour.r, colour.g, colour.b, colour.a);
  glClear(GL_COLOR_BUFFER_BIT);
  const float rgba[4] = {colour.r, colour.g, colour.b, colour.a};
  pipeline.Backdrop().Begin(rgba, canvasWidth, canvasHeight);
}

void WebGLEngine::ClearDepth() {
  pipeline.Flush();
  glClear(GL_DEPTH_BUFFER_BIT);
}

void WebGLEngine::ClearStencil() {
  pipeline.Flush();
  glClear(GL_STENCIL_BUFFER_BIT);
}

void WebGLEngine::SetLighting(bool on) { pipeline.SetLighting(on); }

void WebGLEngine::SetDepthTest(bool on) {
  pipeline.Flush();
  pipeline.Culling().SetDepthTest(on);
  Toggle(GL_DEPTH_TEST, on);
}

void WebGLEngine::SetDepthWrite(bool) {}

void WebGLEngine::SetClipping(bool) {}

void WebGLEngine::SetAlphaBlend(bool on) {
  pipeline.Flush();
  pipeline.Culling().SetBlend(on);
  Toggle(GL_BLEND, on);
}

void WebGLEngine::SetAdditiveBlend() {
  pipeline.SetBlendFactors(GL_ONE, GL_ONE);
}

void WebGLEngine::SetCullMode(CullMode mode) { pipeline.SetCullMode(mode); }

void WebGLEngine::SetStencilTest(bool on) {
  pipeline.Flush();
  pipeline.Culling().SetStencilTest(on);
  Toggle(GL_STENCIL_TEST, on);
}

GLenum WebGLEngine::MapStencilOp(StencilOp op) {
  unsigned value = GL_KEEP;
  if (!GlStencilOp(op, &value)) LOG_REPORT(this, E_ERROR, "unkown stencil op");
  return value;
}

void WebGLEngine::SetStencilOp(StencilOp fail, StencilOp zfail, StencilOp pass) {
  pipeline.Flush();
  const GLenum onFail = MapStencilOp(fail);
  const GLenum onDepthFail = MapStencilOp(zfail);
  const GLenum onPass = MapStencilOp(pass);
  glStencilOp(onFail, onDepthFail, onPass);
}

void WebGLEngine::SetStencilFunc(CompareFunc func) {
  pipeline.Flush();
  unsigned value = GL_ALWAYS;
  if (!GlCompareFunc(func, &value)) LOG_REPORT(this, E_ERROR, "unkown comparison function");
  stencilFunc = value;
  glStencilFunc(stencilFunc, stencilRef, stencilMask);
}

void WebGLEngine::SetStencilWriteMask(unsigned mask) {
  pipeline.Flush();
  glStencilMask(mask);
}

void WebGLEngine::SetStencilRef(int ref) {
  pipeline.Flush();
  stencilRef = ref;
  glStencilFunc(stencilFunc, stencilRef, stencilMask);
}

void WebGLEngine::SetStencilMask(unsigned mask) {
  pipeline.Flush();
  stencilMask = mask;
  glStencilFunc(stencilFunc, stencilRef, stencilMask);
}
