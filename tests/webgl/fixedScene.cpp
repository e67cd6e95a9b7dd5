#include "fixedScene.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/baseModel.h"
#include "core/engine.h"
#include "core/mesh.h"
#include "core/texture.h"

bool LoadScene(const SceneObjects& scene) {
  BaseModel* models[] = {scene.tank, scene.fish, scene.food};
  const char* modelFiles[] = {"cube.3ds", "Mezirozame0.3ds", "sphererot270.3ds"};
  Texture* textures[] = {scene.water, scene.fishSkin, scene.pink, scene.foodSkin};
  // The page fetches the same files before main runs.
  const char* textureFiles[] = {"water.bmp", "MeziroT.bmp", "pink.bmp", "food.bmp"};
  bool loaded = true;
  for (int i = 0; i < 3; ++i) {
    models[i]->Load3DS(modelFiles[i]);
    if (models[i]->status != E_OK) {
      std::fprintf(stderr, "fixedScene: %s: %s\n", modelFiles[i], models[i]->message.c_str());
      loaded = false;
    }
  }
  for (int i = 0; i < 4; ++i) {
    textures[i]->Init(textureFiles[i], false);
    if (textures[i]->status != E_OK) {
      std::fprintf(stderr, "fixedScene: %s: %s\n", textureFiles[i], textures[i]->message.c_str());
      loaded = false;
    }
  }
  MeshDesc desc = {};
  desc.primitive = PRIM_TRIANGLEFAN;
  desc.hasDiffuse = true;
  desc.texChannels[0] = true;
  desc.vertexCount = 4;
  scene.fan->Init(desc);
  const float corners[] = {-0.9f, -1.3f, 0.0f, -0.1f, -1.3f, 0.0f, -0.1f, -0.5f, 0.0f,
                           -0.9f, -0.5f, 0.0f};
  const Colour colours[] = {Colour(1.0f, 0.2f, 0.2f, 1.0f), Colour(0.2f, 1.0f, 0.2f, 1.0f),
                            Colour(0.2f, 0.2f, 1.0f, 1.0f), Colour(1.0f, 0.9f, 0.5f, 1.0f)};
  const float uv[] = {0, 0, 2, 0, 2, 2, 0, 2};
  scene.fan->SetVertices(corners);
  scene.fan->SetDiffuse(colours);
  scene.fan->SetTextureCoords(uv, 0);
  return loaded && scene.fan->status == E_OK;
}

void DrawScene(Engine& engine, const SceneObjects& scene, const std::string& variant,
               void (*additiveBlend)()) {
  const float angle = 0.4f;
  const float distance = 3.5f;
  engine.ClearTarget(Colour(0.0f, 0.0f, 1.0f, 0.0f));
  engine.ClearDepth();
  engine.BeginScene();
  engine.SetCullMode(CULL_NONE);
  engine.SetClipping(true);
  engine.SetDepthTest(true);
  engine.SetDepthWrite(true);
  engine.SetPerspective(0.7853982f, 1.0f, 0.01f, 800.0f);
  engine.LookAt(Vec3(std::sin(angle) * distance, 0.0f, std::cos(angle) * distance),
                Vec3(0, 0, 0), Vec3(0, 1, 0));
  engine.SetLighting(false);
  engine.SetDepthTest(false);
  engine.SetDepthWrite(false);
  engine.SetAlphaBlend(true);
  additiveBlend();
  scene.water->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  scene.tank->SetTransform(0.0f, 0.0f, -5.0f, 0.0f, 0.0f, 0.0f);
  scene.tank->SetScale(0.25f, 0.25f, 0.25f);
  scene.tank->Render();
  engine.SetDepthTest(true);
  engine.SetDepthWrite(true);
  engine.SetAlphaBlend(false);
  // The fan marks the stencil; the second fish is drawn only outside it.
  engine.ClearStencil();
  engine.SetStencilTest(true);
  engine.SetStencilFunc(CMP_ALWAYS);
  engine.SetStencilRef(1);
  engine.SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_REPLACE);
  scene.fishSkin->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  scene.fan->Render();
  engine.SetStencilTest(false);

  const float roll = 1.5707963f;
  scene.fishSkin->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  scene.pink->Apply(1, variant == "no-overlay" ? TOP_DISABLE : TOP_ADD, ADDRESS_WRAP);
  scene.fish->SetTransform(-0.6f, 0.5f, 0.0f, 0.46f, roll, 0.0f);
  scene.fish->SetScale(5.5f, 5.5f, 5.5f);
  scene.fish->Render();
  scene.pink->Apply(1, TOP_DISABLE, ADDRESS_WRAP);
  engine.SetStencilTest(true);
  engine.SetStencilFunc(CMP_NOTEQUAL);
  engine.SetStencilOp(STENCIL_KEEP, STENCIL_KEEP, STENCIL_KEEP);
  scene.fish->SetTransform(0.4f, -0.6f, 0.5f, 5.0f, roll, 0.0f);
  scene.fish->SetScale(5.5f, 5.5f, 5.5f);
  scene.fish->Render();
  engine.SetStencilTest(false);

  // A closed ball where the depth test alone decides: its far side can be
  // left out.
  scene.foodSkin->Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  scene.food->SetTransform(-0.9f, -0.9f, 0.6f, 0.0f, 0.0f, 0.0f);
  scene.food->SetScale(0.003f, 0.003f, 0.003f);
  scene.food->Render();

  // The ball with its near side culled: the inside of its far side shows.
  engine.SetCullMode(CULL_FRONT);
  scene.foodSkin->Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  scene.food->SetTransform(0.8f, 0.6f, 1.0f, 0.0f, 0.0f, 0.0f);
  scene.food->SetScale(0.0015f, 0.0015f, 0.0015f);
  scene.food->Render();
  engine.EndScene();
}
