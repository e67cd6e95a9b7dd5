#include "behave/assets.h"

#include "behave/frameStep.h"

namespace {
template <typename T>
void Delete(T*& object) {
  delete object;
  object = nullptr;
}
}  // namespace

void CreateAssets(BaseModel* (*newModel)(), Texture* (*newTexture)()) {
  tankModel = newModel();
  tankTexture = newTexture();
  pinkTexture = newTexture();
  rotTexture = newTexture();
  greenTexture = newTexture();
  fish1Model = newModel();
  fish1Texture = newTexture();
  fish2Model = newModel();
  fish2Texture = newTexture();
  fish3Model = newModel();
  fish3Texture = newTexture();
  foodModel = newModel();
  foodTexture = newTexture();
}

void ListAssets(AssetEntry (&entries)[kAssetCount]) {
  const AssetEntry all[kAssetCount] = {
      {tankModel, nullptr, "cube.3ds"},          {nullptr, tankTexture, "water.bmp"},
      {nullptr, pinkTexture, "pink.bmp"},        {nullptr, rotTexture, "rot.bmp"},
      {nullptr, greenTexture, "green.bmp"},      {fish1Model, nullptr, "NeonTetra0.3ds"},
      {nullptr, fish1Texture, "neontet.bmp"},    {fish2Model, nullptr, "Angel0.3ds"},
      {nullptr, fish2Texture, "AngelT.bmp"},     {fish3Model, nullptr, "Mezirozame0.3ds"},
      {nullptr, fish3Texture, "MeziroT.bmp"},    {foodModel, nullptr, "sphererot270.3ds"},
      {nullptr, foodTexture, "food.bmp"},
  };
  for (int i = 0; i < kAssetCount; ++i) entries[i] = all[i];
}

void LoadAssets() {
  AssetEntry entries[kAssetCount];
  ListAssets(entries);
  for (const AssetEntry& entry : entries) {
    if (entry.model) {
      entry.model->Load3DS(entry.fileName);
    } else {
      entry.texture->Init(entry.fileName, false);
    }
  }
}

void DeleteAssets() {
  Delete(greenTexture);
  Delete(foodModel);
  Delete(foodTexture);
  Delete(rotTexture);
  Delete(pinkTexture);
  Delete(fish3Texture);
  Delete(fish3Model);
  Delete(fish2Texture);
  Delete(fish2Model);
  Delete(fish1Texture);
  Delete(fish1Model);
  Delete(tankModel);
  Delete(tankTexture);
}
