// fixedScene.js [VARIANT]: the fixed scene drawn by the WebGL back end on
// the page's #canvas; the pixels go to window.fixedScene (RGBA, bottom row
// first) and window.fixedSceneError names a failure. The variant
// "batching" checks the one-colour tint and draws the gathering check's
// scene instead; "backdrop" checks that kept backdrops change no picture.
#include <GLES3/gl3.h>
#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "fixedScene.h"
#include "image/textureFile.h"
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

const float kFanCorners[] = {-0.9f, -1.3f, 0.0f, -0.1f, -1.3f, 0.0f, -0.1f, -0.5f, 0.0f,
                             -0.9f, -0.5f, 0.0f};

// Fills the 4 x 4 texture with one colour and uploads it.
void Paint(Texture& texture, uint32_t colour) {
  uint32_t* pixels = static_cast<uint32_t*>(texture.Lock());
  for (int i = 0; i < 16; ++i) pixels[i] = colour;
  texture.Unlock();
}

void DrawBatchScene(WebGLEngine& webgl, const SceneObjects& scene, Texture& paint,
                    bool oneByOne) {
  // Every draw on its own when `oneByOne`: the picture gathering must keep.
  const auto render = [oneByOne](auto* drawn) {
    drawn->Render();
    if (oneByOne) WebGLPipeline::Current()->Flush();
  };
  const auto place = [](BaseModel* model, float x, float y, float z, float heading) {
    model->SetTransform(x, y, z, heading, 1.5707963f, 0.0f);
    model->SetScale(4.0f, 4.0f, 4.0f);
  };
  webgl.ClearTarget(Colour(0.0f, 0.0f, 1.0f, 0.0f));
  webgl.ClearDepth();
  webgl.BeginScene();
  webgl.SetCullMode(CULL_NONE);
  webgl.SetDepthTest(true);
  webgl.SetPerspective(0.7853982f, 1.0f, 0.01f, 800.0f);
  webgl.LookAt(Vec3(0.0f, 0.0f, 3.5f), Vec3(0, 0, 0), Vec3(0, 1, 0));
  webgl.SetLighting(false);
  webgl.SetAlphaBlend(false);

  // Overlapping fish in runs of one skin, three skins in turn, tinted with
  // one of two overlays or none.
  Texture* const skins[] = {scene.fishSkin, scene.water, scene.foodSkin};
  for (int i = 0; i < 14; ++i) {
    skins[i / 2 % 3]->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
    Texture* const overlay = i % 5 == 2 ? scene.foodSkin : scene.pink;
    overlay->Apply(1, i % 5 < 3 ? TOP_ADD : TOP_DISABLE, ADDRESS_WRAP);
    place(scene.fish, -1.2f + 0.2f * i, 0.9f - 0.05f * i, 0.3f * std::sin(i * 1.7f), 0.4f * i);
    render(scene.fish);
  }
  scene.fishSkin->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  scene.pink->Apply(1, TOP_DISABLE, ADDRESS_WRAP);

  // Another mesh in the same state, between two fish.
  place(scene.fish, -0.8f, 0.2f, 0.0f, 1.0f);
  render(scene.fish);
  scene.food->SetTransform(-0.6f, 0.2f, 0.2f, 0.0f, 0.0f, 0.0f);
  scene.food->SetScale(0.001f, 0.001f, 0.001f);
  render(scene.food);
  place(scene.fish, -0.4f, 0.2f, 0.1f, 2.0f);
  render(scene.fish);

  // A fan, drawn from a stream, leaves its last colour current for the fish
  // after it, which have none of their own: the second fish must not join
  // the first one's draw, which the colour the frame began with tints.
  const Colour green(0.3f, 1.0f, 0.3f, 1.0f), amber(1.0f, 0.9f, 0.5f, 1.0f);
  const Colour fanGreen[] = {green, green, green, green};
  const Colour fanAmber[] = {amber, amber, amber, amber};
  place(scene.fish, -0.5f, -1.2f, 0.0f, 0.2f);
  render(scene.fish);
  scene.fan->SetDiffuse(fanGreen);
  scene.fan->SetTransform(-0.2f, 2.2f, 0.0f, 0.0f, 0.0f, 0.0f);
  render(scene.fan);
  place(scene.fish, -0.1f, -1.2f, 0.0f, 0.9f);
  render(scene.fish);
  scene.fan->SetDiffuse(fanAmber);

  // A fish in front, the depth cleared, one behind it that must cover it.
  place(scene.fish, 0.6f, 0.2f, 0.8f, 0.5f);
  render(scene.fish);
  webgl.ClearDepth();
  place(scene.fish, 0.6f, 0.25f, -0.5f, 0.7f);
  render(scene.fish);

  // Without the depth test the order decides: of three overlapping fish,
  // the last, in the first one's skin, must not join the first one's draw.
  webgl.SetDepthTest(false);
  for (int i = 0; i < 3; ++i) {
    skins[i % 2]->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
    place(scene.fish, -0.9f + 0.15f * i, -0.7f, 0.0f, 0.3f * i);
    render(scene.fish);
  }

  // One texture drawn, repainted and drawn again; one mesh drawn, its
  // vertices moved and drawn again.
  scene.fan->SetVertices(kFanCorners);
  Paint(paint, 0x00FF4000);
  paint.Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  scene.fan->SetTransform(1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  render(scene.fan);
  Paint(paint, 0x0020C0FF);
  scene.fan->SetTransform(1.0f, 0.6f, 0.0f, 0.0f, 0.0f, 0.0f);
  render(scene.fan);
  float moved[12];
  std::memcpy(moved, kFanCorners, sizeof moved);
  for (int i = 0; i < 4; ++i) moved[3 * i] += 0.4f;
  scene.fan->SetVertices(moved);
  render(scene.fan);
  webgl.SetDepthTest(true);
  webgl.EndScene();
  webgl.Present();
}

std::vector<uint8_t> ReadPicture() {
  std::vector<uint8_t> rgba(static_cast<size_t>(kSceneSide) * kSceneSide * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kSceneSide, kSceneSide, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  return rgba;
}

// A scene full of the places where the back end must stop gathering draws
// (a depth clear, draws whose order shows, a mesh or texture changing
// between two draws) or may gather them out of order (skins and tints
// changing, another mesh between two draws of one), drawn one draw at a time and gathered: the
// pictures must be identical. The gathered one goes to `rgba`; returns what
// differed.
std::string CheckBatching(WebGLEngine& webgl, const SceneObjects& scene,
                          std::vector<uint8_t>* rgba) {
  WebGLTexture paint;
  paint.Init(4, 4, 32, false);
  if (paint.status != E_OK) return "the painted texture: " + paint.message;
  // Each way twice: the fan's last colour stays current into the next
  // frame, which then starts as the same frame drawn the other way does.
  for (int frame = 0; frame < 2; ++frame) DrawBatchScene(webgl, scene, paint, true);
  const std::vector<uint8_t> oneByOne = ReadPicture();
  for (int frame = 0; frame < 2; ++frame) DrawBatchScene(webgl, scene, paint, false);
  *rgba = ReadPicture();
  int differing = 0;
  for (size_t i = 0; i < rgba->size(); i += 4)
    if (std::memcmp(&(*rgba)[i], &oneByOne[i], 3) != 0) ++differing;
  if (differing == 0) return "";
  return "the gathered draws differ from the draws one by one in " + std::to_string(differing) +
         " pixels";
}

// A fish tinted by the one-colour file texture, whose colour each instance
// carries, and by a painted texture of the same colour, which the shader
// samples, in one gathered draw beside an untinted fish: the pictures must
// be identical.
std::string CheckEvenTint(WebGLEngine& webgl, const SceneObjects& scene, Texture& paint) {
  RgbImage* image = LoadTextureFile(&paint, "pink.bmp");
  if (!image) return "pink.bmp did not load: " + paint.message;
  const uint8_t* rgb = image->pixels;
  Paint(paint, static_cast<uint32_t>(rgb[0]) << 16 | rgb[1] << 8 | rgb[2]);
  FreeRgbImage(image);
  std::vector<uint8_t> pictures[2];
  Texture* const overlays[] = {scene.pink, &paint};
  // The first picture is drawn twice: a mesh makes its coarser levels at its
  // second unchanged draw, and both pictures must be drawn with them.
  for (int i : {0, 0, 1}) {
    webgl.ClearTarget(Colour(0.0f, 0.0f, 1.0f, 0.0f));
    webgl.ClearDepth();
    webgl.SetPerspective(0.7853982f, 1.0f, 0.01f, 800.0f);
    webgl.LookAt(Vec3(0.0f, 0.0f, 3.5f), Vec3(0, 0, 0), Vec3(0, 1, 0));
    scene.fishSkin->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
    for (int fish = 0; fish < 2; ++fish) {
      overlays[i]->Apply(1, fish == 0 ? TOP_ADD : TOP_DISABLE, ADDRESS_WRAP);
      scene.fish->SetTransform(-0.5f + fish, 0.0f, 0.0f, 0.5f, 1.5707963f, 0.0f);
      scene.fish->SetScale(5.0f, 5.0f, 5.0f);
      scene.fish->Render();
    }
    webgl.Present();
    pictures[i] = ReadPicture();
  }
  int differing = 0;
  for (size_t i = 0; i < pictures[0].size(); i += 4)
    if (std::memcmp(&pictures[0][i], &pictures[1][i], 3) != 0) ++differing;
  if (differing == 0) return "";
  return "the tint of one colour differs from the texture's in " + std::to_string(differing) +
         " pixels";
}

// One frame as the frame step draws it: the tank added onto the background
// in `skin`, then a fish where the depth test decides.
void DrawBackdropFrame(WebGLEngine& webgl, const SceneObjects& scene, Texture& skin, float eyeX,
                       const Colour& background, bool blend) {
  webgl.ClearTarget(background);
  webgl.ClearDepth();
  webgl.SetPerspective(0.7853982f, 1.0f, 0.01f, 800.0f);
  webgl.LookAt(Vec3(eyeX, 0.0f, 3.5f), Vec3(0, 0, 0), Vec3(0, 1, 0));
  webgl.SetLighting(false);
  webgl.SetDepthTest(false);
  webgl.SetAlphaBlend(blend);
  webgl.SetAdditiveBlend();
  skin.Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  scene.pink->Apply(1, TOP_DISABLE, ADDRESS_WRAP);
  scene.tank->SetTransform(0.0f, 0.0f, -5.0f, 0.0f, 0.0f, 0.0f);
  scene.tank->SetScale(0.25f, 0.25f, 0.25f);
  scene.tank->Render();
  webgl.SetDepthTest(true);
  webgl.SetAlphaBlend(false);
  scene.fishSkin->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  scene.fish->SetTransform(-0.2f, 0.1f, 0.0f, 0.5f, 1.5707963f, 0.0f);
  scene.fish->SetScale(5.0f, 5.0f, 5.0f);
  scene.fish->Render();
  webgl.EndScene();
  webgl.Present();
}

// Frames that start with the same picture, and frames where each thing it
// is drawn from changes in turn (the tank's texture, the camera, the
// background, blending), drawn with kept backdrops and without: every
// picture must be identical, and a kept one must have served.
std::string CheckBackdrops(WebGLEngine& webgl, const SceneObjects& scene) {
  WebGLTexture skin;
  skin.Init(4, 4, 32, false);
  if (skin.status != E_OK) return "the painted texture: " + skin.message;
  const Colour blue(0.0f, 0.0f, 1.0f, 0.0f), red(0.6f, 0.0f, 0.0f, 0.0f);
  struct Frame {
    uint32_t paint;
    float eyeX;
    Colour background;
    bool blend;
  };
  const Frame frames[] = {
      {0x00406080, 0.0f, blue, true}, {0x00406080, 0.0f, blue, true},
      {0x00406080, 0.0f, blue, true}, {0x00802010, 0.0f, blue, true},
      {0x00802010, 0.0f, blue, true}, {0x00802010, 0.0f, blue, true},
      {0x00802010, 0.7f, blue, true}, {0x00802010, 0.7f, blue, true},
      {0x00802010, 0.7f, red, true},  {0x00802010, 0.7f, red, false},
      {0x00802010, 0.7f, red, false}, {0x00802010, 0.7f, red, false},
  };
  std::vector<uint8_t> pictures[2];
  WebGLBackdrop& backdrop = WebGLPipeline::Current()->Backdrop();
  // A first frame lets the fish make its coarser levels, so that both
  // passes draw it alike.
  Paint(skin, frames[0].paint);
  DrawBackdropFrame(webgl, scene, skin, frames[0].eyeX, frames[0].background, frames[0].blend);
  const int reusedBefore = backdrop.Reuses();
  for (int keeping = 0; keeping < 2; ++keeping) {
    backdrop.SetKeeping(keeping != 0);
    uint32_t painted = 0;
    for (const Frame& frame : frames) {
      if (frame.paint != painted) Paint(skin, painted = frame.paint);
      DrawBackdropFrame(webgl, scene, skin, frame.eyeX, frame.background, frame.blend);
      const std::vector<uint8_t> picture = ReadPicture();
      pictures[keeping].insert(pictures[keeping].end(), picture.begin(), picture.end());
    }
  }
  if (backdrop.Reuses() == reusedBefore) return "no kept backdrop served a frame";
  const size_t side = static_cast<size_t>(kSceneSide) * kSceneSide * 4;
  for (size_t i = 0; i < pictures[0].size(); i += 4) {
    if (std::memcmp(&pictures[0][i], &pictures[1][i], 3) == 0) continue;
    return "frame " + std::to_string(i / side + 1) +
           " drawn with kept backdrops differs from the frame drawn without";
  }
  return "";
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
  std::vector<uint8_t> rgba;
  if (variant == "backdrop") {
    const std::string failure = CheckBackdrops(webgl, scene);
    if (!failure.empty()) {
      Fail(failure);
      return 1;
    }
    rgba = ReadPicture();
  } else if (variant == "batching") {
    WebGLTexture paint;
    paint.Init(4, 4, 32, false);
    std::string failure = CheckEvenTint(webgl, scene, paint);
    if (failure.empty()) failure = CheckBatching(webgl, scene, &rgba);
    if (!failure.empty()) {
      Fail(failure);
      return 1;
    }
  } else {
    // Drawn twice: the second frame finds everything uploaded and the state
    // left by the first, as every frame of a page after its first does.
    for (int frame = 0; frame < 2; ++frame) DrawScene(webgl, scene, variant, AdditiveBlend);
    rgba = ReadPicture();
  }
  EM_ASM({ window.fixedScene = Array.from(HEAPU8.subarray($0, $0 + $1)); }, rgba.data(),
         rgba.size());
  return 0;
}
