#include "batchCheck.h"

#include <GLES3/gl3.h>

#include <cmath>
#include <cstring>

#include "core/baseModel.h"
#include "core/mesh.h"
#include "webglengine/webglEngine.h"
#include "webglengine/webglTexture.h"

namespace {

const float kFanCorners[] = {-0.9f, -1.3f, 0.0f, -0.1f, -1.3f, 0.0f, -0.1f, -0.5f, 0.0f,
                             -0.9f, -0.5f, 0.0f};

// Fills the 4 x 4 texture with one colour and uploads it.
void Paint(Texture& texture, uint32_t colour) {
  uint32_t* pixels = static_cast<uint32_t*>(texture.Lock());
  for (int i = 0; i < 16; ++i) pixels[i] = colour;
  texture.Unlock();
}

void DrawBatchScene(WebGLEngine& engine, const SceneObjects& scene, Texture& paint,
                    bool oneByOne) {
  // Every draw on its own when `oneByOne`: the picture gathering must keep.
  const auto render = [oneByOne](BaseModel* model) {
    model->Render();
    if (oneByOne) WebGLPipeline::Current()->Flush();
  };
  const auto renderMesh = [oneByOne](Mesh* mesh) {
    mesh->Render();
    if (oneByOne) WebGLPipeline::Current()->Flush();
  };
  const auto place = [](BaseModel* model, float x, float y, float z, float heading) {
    model->SetTransform(x, y, z, heading, 1.5707963f, 0.0f);
    model->SetScale(4.0f, 4.0f, 4.0f);
  };
  engine.ClearTarget(Colour(0.0f, 0.0f, 1.0f, 0.0f));
  engine.ClearDepth();
  engine.BeginScene();
  engine.SetCullMode(CULL_NONE);
  engine.SetDepthTest(true);
  engine.SetPerspective(0.7853982f, 1.0f, 0.01f, 800.0f);
  engine.LookAt(Vec3(0.0f, 0.0f, 3.5f), Vec3(0, 0, 0), Vec3(0, 1, 0));
  engine.SetLighting(false);
  engine.SetAlphaBlend(false);

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

  // A fish in front, the depth cleared, one behind it that must cover it.
  place(scene.fish, 0.6f, 0.2f, 0.8f, 0.5f);
  render(scene.fish);
  engine.ClearDepth();
  place(scene.fish, 0.6f, 0.25f, -0.5f, 0.7f);
  render(scene.fish);

  // The same fish added onto what is there, then opaque again.
  engine.SetAlphaBlend(true);
  engine.SetAdditiveBlend();
  place(scene.fish, 0.2f, -0.2f, 0.0f, 3.0f);
  render(scene.fish);
  engine.SetAlphaBlend(false);
  place(scene.fish, 0.5f, -0.3f, 0.0f, 3.5f);
  render(scene.fish);
  // And lit, which leaves the ambient colour alone.
  engine.SetLighting(true);
  place(scene.fish, 0.9f, -0.4f, 0.2f, 4.0f);
  render(scene.fish);
  engine.SetLighting(false);

  // The fan marks the stencil; one fish shows only outside the mark, the
  // next only inside it.
  engine.ClearStencil();
  engine.SetStencilTest(true);
  engine.SetStencilFunc(CMP_ALWAYS);
  engine.SetStencilRef(1);
  engine.SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_REPLACE);
  scene.fan->SetVertices(kFanCorners);
  scene.fan->SetTransform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  renderMesh(scene.fan);
  engine.SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_KEEP);
  engine.SetStencilFunc(CMP_NOTEQUAL);
  place(scene.fish, -0.5f, -0.9f, 0.1f, 0.2f);
  render(scene.fish);
  engine.SetStencilFunc(CMP_EQUAL);
  place(scene.fish, -0.3f, -0.7f, 0.2f, 0.9f);
  render(scene.fish);
  engine.SetStencilTest(false);

  // One texture drawn, repainted and drawn again; one mesh drawn, its
  // vertices moved and drawn again.
  engine.SetDepthTest(false);
  Paint(paint, 0x00FF4000);
  paint.Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  scene.fan->SetTransform(1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  renderMesh(scene.fan);
  Paint(paint, 0x0020C0FF);
  scene.fan->SetTransform(1.0f, 0.6f, 0.0f, 0.0f, 0.0f, 0.0f);
  renderMesh(scene.fan);
  float moved[12];
  std::memcpy(moved, kFanCorners, sizeof moved);
  for (int i = 0; i < 4; ++i) moved[3 * i] += 0.4f;
  scene.fan->SetVertices(moved);
  renderMesh(scene.fan);
  engine.SetDepthTest(true);
  engine.EndScene();
  engine.Present();
}

std::vector<uint8_t> ReadPicture() {
  std::vector<uint8_t> rgba(static_cast<size_t>(kSceneSide) * kSceneSide * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kSceneSide, kSceneSide, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  return rgba;
}

}  // namespace

std::string CheckBatching(WebGLEngine& engine, const SceneObjects& scene,
                          std::vector<uint8_t>* rgba) {
  WebGLTexture paint;
  paint.Init(4, 4, 32, false);
  if (paint.status != E_OK) return "the painted texture: " + paint.message;
  // Each way twice: the fan's last colour stays current into the next
  // frame, which then starts as the same frame drawn the other way does.
  for (int frame = 0; frame < 2; ++frame) DrawBatchScene(engine, scene, paint, true);
  const std::vector<uint8_t> oneByOne = ReadPicture();
  for (int frame = 0; frame < 2; ++frame) DrawBatchScene(engine, scene, paint, false);
  *rgba = ReadPicture();
  int differing = 0;
  for (size_t i = 0; i < rgba->size(); i += 4)
    if (std::memcmp(&(*rgba)[i], &oneByOne[i], 3) != 0) ++differing;
  if (differing == 0) return "";
  return "the gathered draws differ from the draws one by one in " + std::to_string(differing) +
         " pixels";
}
