// fixedScene.exe OUT.ppm [VARIANT]: the fixed scene drawn by the OpenGL back
// end in a window of its own, read back from the back buffer.
#include <windows.h>

#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "fixedScene.h"
#include "oglengine/oglEngine.h"
#include "oglengine/oglMesh.h"
#include "oglengine/oglModel.h"
#include "oglengine/oglTexture.h"

namespace {

void AdditiveBlend() { glBlendFunc(GL_ONE, GL_ONE); }

// RGBA pixels as glReadPixels gives them, bottom row first, written as a
// binary PPM, top row first.
bool WritePpm(const char* path, const std::vector<uint8_t>& rgba) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", kSceneSide, kSceneSide);
  for (int y = kSceneSide - 1; y >= 0; --y)
    for (int x = 0; x < kSceneSide; ++x)
      std::fwrite(&rgba[(static_cast<size_t>(y) * kSceneSide + x) * 4], 1, 3, file);
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fixedScene OUT.ppm [no-overlay]\n");
    return 2;
  }
  WNDCLASSA windowClass = {};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "FixedScene";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "FixedScene", "fixedScene", WS_POPUP | WS_VISIBLE, 0, 0,
                                kSceneSide, kSceneSide, nullptr, nullptr, windowClass.hInstance,
                                nullptr);
  OpenGLEngine engine;
  engine.WinInit(kSceneSide, kSceneSide, 32, false, window);
  if (engine.status != E_OK) {
    std::fprintf(stderr, "fixedScene: %s\n", engine.message.c_str());
    return 1;
  }
  // Models hold a level by value: on the heap.
  auto tank = std::make_unique<OpenGLModel>();
  auto fish = std::make_unique<OpenGLModel>();
  auto food = std::make_unique<OpenGLModel>();
  OpenGLTexture water, fishSkin, pink, foodSkin;
  OpenGLMesh fan;
  const SceneObjects scene = {tank.get(), &water, fish.get(), &fishSkin, &pink, food.get(),
                              &foodSkin, &fan};
  if (!LoadScene(scene)) return 1;
  DrawScene(engine, scene, argc > 2 ? argv[2] : "", AdditiveBlend);

  std::vector<uint8_t> rgba(static_cast<size_t>(kSceneSide) * kSceneSide * 4);
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kSceneSide, kSceneSide, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  return WritePpm(argv[1], rgba) ? 0 : 1;
}
