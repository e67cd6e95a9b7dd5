#include "behave/frameStep.h"

#include <cmath>

#include "behave/behave.h"
#include "behave/settings.h"
#include "core/colour.h"
#include "core/vec3.h"

Engine* engine = nullptr;
BaseModel* tankModel = nullptr;
Texture* tankTexture = nullptr;
BaseModel* foodModel = nullptr;
Texture* foodTexture = nullptr;
BaseModel* fish1Model = nullptr;
Texture* fish1Texture = nullptr;
BaseModel* fish2Model = nullptr;
Texture* fish2Texture = nullptr;
BaseModel* fish3Model = nullptr;
Texture* fish3Texture = nullptr;
Texture* pinkTexture = nullptr;
Texture* greenTexture = nullptr;
Texture* rotTexture = nullptr;

uint32_t startTime = 0;
float simTime = 0.0f;

namespace {
constexpr float kHalfPi = 1.5707963267948966f;

struct DrawnKind {
  const BoidList* list;
  BaseModel* model;
  Texture* texture;
  float infantScale;
  float adultScale;  // 0: adults keep their unscaled transform
};

void DrawFish(const DrawnKind& kind) {
  for (const Boid* fish : *kind.list) {
    kind.texture->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
    if (fish->readyToMate)
      pinkTexture->Apply(1, TOP_ADD, ADDRESS_WRAP);
    else if (fish->infant)
      greenTexture->Apply(1, TOP_ADD, ADDRESS_WRAP);
    else
      pinkTexture->Apply(1, TOP_DISABLE, ADDRESS_WRAP);
    if (fish->dead) rotTexture->Apply(0, TOP_MODULATE, ADDRESS_WRAP);

    const float roll = fish->dead ? -kHalfPi : kHalfPi;
    kind.model->SetTransform(fish->position.x, fish->position.y, fish->position.z,
                             fish->Heading(), roll, 0.0f);
    const float scale = fish->infant ? kind.infantScale : kind.adultScale;
    if (scale != 0.0f) kind.model->SetScale(scale, scale, scale);
    kind.model->Render();
  }
}
}  // namespace

void FrameStep() {
  simTime = SimTimeFromMillis(FrameClock() - startTime);
  if (autoRotate) rotationAngle = simTime * 0.07f;

  const Vec3 eye(std::sin(rotationAngle) * viewDistance, 0.0f,
                 std::cos(rotationAngle) * viewDistance);
  const Vec3 target(0.0f, 0.0f, 0.0f);
  const Vec3 up(0.0f, 1.0f, 0.0f);

  engine->ClearTarget(Colour(0.0f, 0.0f, 1.0f, 0.0f));
  engine->ClearDepth();
  engine->BeginScene();
  engine->SetCullMode(CULL_NONE);
  engine->SetClipping(true);
  engine->SetDepthTest(true);
  engine->SetDepthWrite(true);
  engine->SetPerspective(0.7853982f, 1.0f, 0.01f, 800.0f);
  engine->LookAt(eye, target, up);
  engine->SetLighting(false);
  engine->SetDepthTest(false);
  engine->SetDepthWrite(false);
  engine->SetAlphaBlend(true);
  SetAdditiveBlend();

  // The tank is added onto the background without depth: it never hides a fish.
  tankTexture->Apply(0, TOP_MODULATE, ADDRESS_WRAP);
  tankModel->SetTransform(0.0f, 0.0f, -5.0f, 0.0f, 0.0f, 0.0f);
  tankModel->SetScale(0.25f, 0.25f, 0.25f);
  tankModel->Render();

  engine->SetDepthTest(true);
  engine->SetDepthWrite(true);
  engine->SetAlphaBlend(false);

  UpdateSimulation(simTime);
  PopulationUpkeep();

  DrawFish({&fish1List, fish1Model, fish1Texture, 0.5f, 0.0f});
  DrawFish({&fish2List, fish2Model, fish2Texture, 0.7f, 1.2f});
  DrawFish({&fish3List, fish3Model, fish3Texture, 2.5f, 5.5f});

  foodTexture->Apply(0, TOP_SELECTTEXTURE, ADDRESS_WRAP);
  pinkTexture->Apply(1, TOP_DISABLE, ADDRESS_WRAP);
  for (const Boid* food : foodList) {
    foodModel->SetTransform(food->position.x, food->position.y, food->position.z, 0.0f, 0.0f,
                            0.0f);
    foodModel->SetScale(0.0007f, 0.0007f, 0.0007f);
    foodModel->Render();
  }

  engine->EndScene();
  engine->Present();
}
