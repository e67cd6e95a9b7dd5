// fixedScene.js [VARIANT]: the fixed scene drawn by the WebGL back end on
// the page's #canvas; the pixels go to window.fixedScene (RGBA, bottom row
// first) and window.fixedSceneError names a failure. The variant
// "batching" draws the gathering check's scene instead.
#include <GLES3/gl3.h>
#include <emscripten.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "batchCheck.h"
#include "fixedScene.h"
#include "webglengine/webglEngine.h"
#include "webglengine/webglMesh.h"
#include "webglengine/webglModel.h"
#include "webglengine/webglTexture.h"

namespace {

WebGLEngine* engine = nullptr;

void AdditiveBlend() { engine->SetAdditiveBlend(); }

void Fail(const std::string& message) {
  EM_ASM({ window.fixedSceneError = UTF8ToString($0); }, message.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  WebGLEngine webgl;
  engine = &webgl;
  webgl.WinInit(kSceneSide, kSceneSide, 32, false, "#canvas");
  if (webgl.status != E_OK) {
    Fail(webgl.message);
    return 1;
  }
  WebGLModel tank, fish, food;
  WebGLTexture water, fishSkin, pink, foodSkin;
  WebGLMesh fan;
  const SceneObjects scene = {&tank, &water, &fish, &fishSkin, &pink, &food, &foodSkin, &fan};
  if (!LoadScene(scene)) {
    Fail("the scene's files did not load");
    return 1;
  }
  const std::string variant = argc > 1 ? argv[1] : "";
  std::vector<uint8_t> rgba(static_cast<size_t>(kSceneSide) * kSceneSide * 4);
  if (variant == "batching") {
    const std::string failure = CheckBatching(webgl, scene, &rgba);
    if (!failure.empty()) {
      Fail(failure);
      return 1;
    }
  } else {
    // Drawn twice: the second frame finds everything uploaded and the state
    // left by the first, as every frame of a page after its first does.
    for (int frame = 0; frame < 2; ++frame) DrawScene(webgl, scene, variant, AdditiveBlend);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSceneSide, kSceneSide, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  }
  EM_ASM({ window.fixedScene = Array.from(HEAPU8.subarray($0, $0 + $1)); }, rgba.data(),
         rgba.size());
  return 0;
}
