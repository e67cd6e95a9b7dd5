// modelview FILE [opengl|direct3d] [SKIN.bmp]: shows a 3DS, MD2, MilkShape
// 3D ASCII or Quake 3 BSP file through one of the engine's renderers, turning
// slowly and playing its animation. Arrow keys turn it, Space moves on to the
// next MD2 animation, P pauses and resumes the turning and the animation,
// Home goes back to the first view and moment, Escape quits.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/log.h"
#include "dxengine/dxEngine.h"
#include "dxengine/dxModel.h"
#include "dxengine/dxTexture.h"
#include "modelview/modelPoints.h"
#include "modelview/viewLight.h"
#include "modelview/viewOrbit.h"
#include "oglengine/oglEngine.h"
#include "oglengine/oglModel.h"
#include "oglengine/oglTexture.h"

namespace {
const char kUsage[] = "usage: modelview FILE [opengl|direct3d] [SKIN.bmp]";
const int kWidth = 640;
// Radians a second of the slow turn, and per arrow key press.
const float kTurnRate = 0.35f;
const float kTurnStep = 0.2f;

struct Options {
  std::string path;
  bool direct3d = false;
  std::string skin;
};

// What the window procedure changes.
struct ViewInput {
  ViewOrbit* orbit = nullptr;
  int animation = 0;
  bool paused = false;
  double seconds = 0.0;  // of viewing, not counting pauses
} input;

bool ParseOptions(int argc, char** argv, Options& options) {
  if (argc < 2 || argc > 4) return false;
  options.path = argv[1];
  if (argc >= 3) {
    if (std::strcmp(argv[2], "direct3d") == 0) options.direct3d = true;
    else if (std::strcmp(argv[2], "opengl") != 0) return false;
  }
  if (argc == 4) options.skin = argv[3];
  return true;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// MD2 and 3DS models name no texture the loaders attach: the skin given, or
// a bitmap beside the file with the same name.
std::string SkinFor(const Options& options, ModelFormat format) {
  if (!options.skin.empty()) return options.skin;
  if (format != ModelFormat::kMd2 && format != ModelFormat::k3ds) return "";
  const size_t dot = options.path.find_last_of('.');
  const std::string bitmap = options.path.substr(0, dot) + ".bmp";
  return dot != std::string::npos && FileExists(bitmap) ? bitmap : "";
}

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_KEYDOWN) {
    switch (wParam) {
      case VK_ESCAPE: PostQuitMessage(0); break;
      case VK_LEFT: input.orbit->Turn(-kTurnStep, 0.0f); break;
      case VK_RIGHT: input.orbit->Turn(kTurnStep, 0.0f); break;
      case VK_UP: input.orbit->Turn(0.0f, kTurnStep); break;
      case VK_DOWN: input.orbit->Turn(0.0f, -kTurnStep); break;
      case VK_SPACE: ++input.animation; break;
      case 'P': input.paused = !input.paused; break;
      case VK_HOME:
        input.orbit->Reset();
        input.seconds = 0.0;
        break;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A window whose client area is kWidth wide, with the aspect in which both
// renderers draw square pixels.
HWND CreateViewWindow(const std::string& title) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = ViewWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = "ModelView";
  RegisterClassA(&windowClass);
  RECT frame = {0, 0, kWidth, static_cast<LONG>(kWidth / PictureAspect() + 0.5f)};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  AdjustWindowRect(&frame, style, FALSE);
  return CreateWindowA("ModelView", title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                       frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                       windowClass.hInstance, nullptr);
}

void Load(BaseModel& model, ModelFormat format, const char* path) {
  switch (format) {
    case ModelFormat::k3ds: model.Load3DS(path); break;
    case ModelFormat::kMd2: model.LoadMD2(path); break;
    case ModelFormat::kMs3dAscii: model.LoadMS3D(path); break;
    case ModelFormat::kBsp: model.LoadBSP(path); break;
    case ModelFormat::kUnknown: break;
  }
}

// Whether a texture that the model's loader attached loaded: a level's
// surface or a MilkShape material.
bool ShowsTexture(const BaseModel& model, bool direct3d) {
  if (direct3d) {
    const DXModel& dx = static_cast<const DXModel&>(model);
    for (int i = 0; i < dx.SurfaceTextureCount(); ++i)
      if (dx.SurfaceTexture(i)->status == E_OK) return true;
    for (int i = 0; i < dx.MaterialTextureCount(); ++i)
      if (dx.MaterialTexture(i)->status == E_OK) return true;
    return false;
  }
  const OpenGLModel& gl = static_cast<const OpenGLModel&>(model);
  for (const OpenGLModel::Textures* textures : {&gl.SurfaceTextures(), &gl.MaterialTextures()})
    for (const auto& texture : *textures)
      if (texture->status == E_OK) return true;
  return false;
}

// How a frame is drawn beside the model itself.
struct ViewStyle {
  ViewProjection projection;
  bool direct3d = false;
  bool lit = false;  // with the headlight
  bool inwardNormals = false;
};

void DrawFrame(Engine& engine, BaseModel& model, Texture* skin, const ViewStyle& style,
               const ModelPlacement& placement, const ViewOrbit& orbit, float time) {
  engine.ClearTarget(Colour(0.125f, 0.19f, 0.25f, 1.0f));
  engine.ClearDepth();
  engine.BeginScene();
  engine.SetCullMode(CULL_NONE);
  engine.SetLighting(style.lit);
  engine.SetAlphaBlend(false);
  engine.SetDepthTest(true);
  engine.SetDepthWrite(true);
  engine.SetPerspective(style.projection.fov, style.projection.aspect, 1.0f, 1000.0f);
  engine.LookAt(orbit.Eye(), Vec3(0, 0, 0), placement.up);
  if (style.lit) SetHeadlight(engine, style.direct3d, orbit.Eye(), style.inwardNormals);
  if (skin) skin->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  model.Animate(input.animation, time);
  engine.EndScene();
  engine.Present();
}
}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "%s\n", kUsage);
    return 2;
  }
  const char* path = options.path.c_str();
  ModelFormat format = ModelFormat::kUnknown;
  std::vector<Vec3> points;
  std::string error;
  if (!ReadModelPoints(path, format, points, error)) {
    std::fprintf(stderr, "modelview: %s: %s\n", path, error.c_str());
    return 1;
  }
  const ModelPlacement placement = PlaceModel(points, format);
  ViewOrbit orbit(placement.up, placement.frontYaw);
  input.orbit = &orbit;

  const HWND window = CreateViewWindow(std::string("modelview - ") + path);
  if (!window) {
    std::fprintf(stderr, "modelview: could not open a window (error %lu)\n", GetLastError());
    return 1;
  }
  std::unique_ptr<Engine> engine;
  if (options.direct3d) engine = std::make_unique<DXEngine>();
  else engine = std::make_unique<OpenGLEngine>();
  RECT client = {};
  GetClientRect(window, &client);
  engine->WinInit(client.right, client.bottom, 32, false, window);
  if (engine->status != E_OK) {
    std::fprintf(stderr, "modelview: the renderer did not start: %s\n", engine->message.c_str());
    return 1;
  }

  std::unique_ptr<BaseModel> model;
  if (options.direct3d) model = std::make_unique<DXModel>();
  else model = std::make_unique<OpenGLModel>();
  Load(*model, format, path);
  const int meshes = options.direct3d ? static_cast<DXModel&>(*model).MeshCount()
                                      : static_cast<OpenGLModel&>(*model).MeshCount();
  if (meshes == 0) {
    std::fprintf(stderr, "modelview: %s: the renderer made nothing of it (see Log.txt)\n", path);
    return 1;
  }
  // Centred on the origin and brought to the viewer's size.
  const Vec3 offset = placement.centre * -placement.scale;
  model->SetTransform(offset.x, offset.y, offset.z, 0.0f, 0.0f, 0.0f);
  model->SetScale(placement.scale, placement.scale, placement.scale);

  std::unique_ptr<Texture> skin;
  const std::string skinPath = SkinFor(options, format);
  if (!skinPath.empty()) {
    if (options.direct3d) skin = std::make_unique<DXTexture>();
    else skin = std::make_unique<OpenGLTexture>();
    skin->Init(skinPath.c_str(), false);
  }

  ViewStyle style;
  style.projection = ProjectionFor(options.direct3d);
  style.direct3d = options.direct3d;
  // Lit where the model shows no texture: a flat silhouette otherwise.
  style.lit = (!skin || skin->status != E_OK) && !ShowsTexture(*model, options.direct3d);
  style.inwardNormals = !options.direct3d && format == ModelFormat::k3ds;
  DWORD last = timeGetTime();
  MSG message = {};
  while (message.message != WM_QUIT) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    const DWORD now = timeGetTime();
    if (!input.paused) {
      const double step = (now - last) / 1000.0;
      input.seconds += step;
      orbit.Turn(kTurnRate * static_cast<float>(step), 0.0f);
    }
    last = now;
    DrawFrame(*engine, *model, skin.get(), style, placement, orbit,
              AnimationTime(format, input.seconds));
  }
  skin.reset();
  model.reset();
  engine.reset();
  Log::Close();
  return 0;
}
