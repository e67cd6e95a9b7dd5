// The portable half of the shells: the settings form and the assets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "behave/assets.h"
#include "behave/frameStep.h"
#include "behave/settings.h"

namespace {
std::vector<std::string> loaded;
int alive = 0;

class LoadingModel : public BaseModel {
 public:
  LoadingModel() { ++alive; }
  ~LoadingModel() override { --alive; }
  void CreatePlane(int, int, float, float, int, const float*) override {}
  void Load3DS(const char* path) override { loaded.push_back(std::string("model ") + path); }
  void LoadMD2(const char*) override {}
  void LoadBSP(const char*) override {}
  void LoadMS3D(const char*) override {}
  void Render() override {}
  void RenderFrame(int, int) override {}
  void Animate(int, float) override {}
  void SetTransform(float, float, float, float, float, float) override {}
  void SetScale(float, float, float) override {}
};

class LoadingTexture : public Texture {
 public:
  LoadingTexture() { ++alive; }
  ~LoadingTexture() override { --alive; }
  void Init(int, int, int, bool) override {}
  void Init(const char* path, bool) override { loaded.push_back(std::string("texture ") + path); }
  void Apply(int, TextureOp, AddressMode) override {}
  void* Lock() override { return nullptr; }
  void Unlock() override {}
};

BaseModel* NewModel() { return new LoadingModel(); }
Texture* NewTexture() { return new LoadingTexture(); }
}  // namespace

TEST(SettingsFormTest, CopiesTheFormAndKeepsWhatItCannotRead) {
  SetDefaultSettings();
  mutationRate = 0.1f;
  ApplySettingsForm({0, true, true, "120", "60x", "9", "4", "55"});
  EXPECT_EQ(screenWidth, 640);
  EXPECT_EQ(screenHeight, 480);
  EXPECT_TRUE(fullScreen);
  EXPECT_TRUE(autoRotate);
  EXPECT_EQ(minFood, 120);
  EXPECT_EQ(minFish1, 60);
  EXPECT_EQ(minFish3, 4);
  EXPECT_FLOAT_EQ(mutationRate, 0.55f);

  // No row selected, or one past the table; fields without a number.
  for (int row : {-1, kResolutionCount}) {
    ApplySettingsForm({row, false, false, "", "abc", " 7", "x", ""});
    EXPECT_EQ(screenWidth, 640);
    EXPECT_EQ(minFood, 120);
    EXPECT_EQ(minFish1, 60);
    EXPECT_EQ(minFish2, 7);
    EXPECT_FLOAT_EQ(mutationRate, 0.55f);
  }
  ApplySettingsForm({kResolutionCount - 1, false, false, "", "", "", "", "0"});
  EXPECT_EQ(screenWidth, 1600);
  EXPECT_EQ(screenHeight, 1200);
  EXPECT_EQ(mutationRate, 0.0f);
  EXPECT_EQ(kResolutions[kDefaultResolution].width, 1024);
}

TEST(AssetsTest, LoadsTheThirteenFilesInOrderAndDeletesThem) {
  loaded.clear();
  CreateAssets(NewModel, NewTexture);
  LoadAssets();
  const std::vector<std::string> expected = {
      "model cube.3ds",         "texture water.bmp",   "texture pink.bmp",
      "texture rot.bmp",        "texture green.bmp",   "model NeonTetra0.3ds",
      "texture neontet.bmp",    "model Angel0.3ds",    "texture AngelT.bmp",
      "model Mezirozame0.3ds",  "texture MeziroT.bmp", "model sphererot270.3ds",
      "texture food.bmp"};
  EXPECT_EQ(loaded, expected);
  EXPECT_EQ(alive, kAssetCount);

  AssetEntry entries[kAssetCount];
  ListAssets(entries);
  EXPECT_EQ(entries[0].Object(), tankModel);
  EXPECT_EQ(entries[12].Object(), foodTexture);
  EXPECT_STREQ(entries[12].fileName, "food.bmp");

  DeleteAssets();
  EXPECT_EQ(alive, 0);
  EXPECT_EQ(tankModel, nullptr);
  EXPECT_EQ(foodTexture, nullptr);
}
