// The frame step against recording stand-ins for the engine, the models and
// the textures: the calls, their order and their arguments.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "behave/frameStep.h"
#include "behave/viewKeys.h"
#include "world.h"

namespace {
std::vector<std::string> calls;
uint32_t clockMs = 0;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

class RecordingEngine : public Engine {
 public:
  void Create(int, int, int, bool) override { calls.push_back("Create"); }
  void WinInit(int, int, int, bool, WindowHandle) override { calls.push_back("WinInit"); }
  void Present() override { calls.push_back("Present"); }
  void LookAt(const Vec3& e, const Vec3& t, const Vec3& u) override {
    calls.push_back(Format("LookAt %g %g %g / %g %g %g / %g %g %g", e.x, e.y, e.z, t.x, t.y, t.z,
                           u.x, u.y, u.z));
  }
  void SetPerspective(float fov, float aspect, float n, float f) override {
    calls.push_back(Format("SetPerspective %.7g %g %g %g", fov, aspect, n, f));
  }
  void BeginScene() override { calls.push_back("BeginScene"); }
  void EndScene() override { calls.push_back("EndScene"); }
  void ClearTarget(Colour c) override { calls.push_back(Format("ClearTarget %08x", c.argb)); }
  void ClearDepth() override { calls.push_back("ClearDepth"); }
  void ClearStencil() override { calls.push_back("ClearStencil"); }
  void SetLighting(bool on) override { calls.push_back(Format("SetLighting %d", on)); }
  void SetDepthTest(bool on) override { calls.push_back(Format("SetDepthTest %d", on)); }
  void SetDepthWrite(bool on) override { calls.push_back(Format("SetDepthWrite %d", on)); }
  void SetClipping(bool on) override { calls.push_back(Format("SetClipping %d", on)); }
  void SetAlphaBlend(bool on) override { calls.push_back(Format("SetAlphaBlend %d", on)); }
  void SetCullMode(CullMode mode) override { calls.push_back(Format("SetCullMode %d", mode)); }
  void SetStencilTest(bool) override { calls.push_back("SetStencilTest"); }
  void SetStencilOp(StencilOp, StencilOp, StencilOp) override { calls.push_back("SetStencilOp"); }
  void SetStencilFunc(CompareFunc) override { calls.push_back("SetStencilFunc"); }
  void SetStencilWriteMask(unsigned) override { calls.push_back("SetStencilWriteMask"); }
  void SetStencilRef(int) override { calls.push_back("SetStencilRef"); }
  void SetStencilMask(unsigned) override { calls.push_back("SetStencilMask"); }
};

class RecordingModel : public BaseModel {
 public:
  explicit RecordingModel(const char* label) { name = label; }
  void CreatePlane(int, int, float, float, int, const float*) override {}
  void Load3DS(const char*) override {}
  void LoadMD2(const char*) override {}
  void LoadBSP(const char*) override {}
  void LoadMS3D(const char*) override {}
  void Render() override { calls.push_back(name + " Render"); }
  void RenderFrame(int, int) override {}
  void Animate(int, float) override {}
  void SetTransform(float x, float y, float z, float a, float b, float c) override {
    calls.push_back(Format("%s SetTransform %g %g %g %.7g %.7g %g", name.c_str(), x, y, z, a, b, c));
  }
  void SetScale(float sx, float sy, float sz) override {
    calls.push_back(Format("%s SetScale %g %g %g", name.c_str(), sx, sy, sz));
  }
};

class RecordingTexture : public Texture {
 public:
  explicit RecordingTexture(const char* label) { name = label; }
  void Init(int, int, int, bool) override {}
  void Init(const char*, bool) override {}
  void Apply(int stage, TextureOp op, AddressMode mode) override {
    calls.push_back(Format("%s Apply %d %d %d", name.c_str(), stage, op, mode));
  }
  void* Lock() override { return nullptr; }
  void Unlock() override {}
};

class FrameTest : public ::testing::Test {
 protected:
  FrameTest()
      : world_(RuleSet::Shoalgen),
        tank_("tank"), food_("food"), fish1_("fish1"), fish2_("fish2"), fish3_("fish3"),
        water_("water"), foodTex_("foodTex"), tex1_("tex1"), tex2_("tex2"), tex3_("tex3"),
        pink_("pink"), green_("green"), rot_("rot") {
    minFood = minFish1 = minFish2 = minFish3 = 0;
    engine = &engine_;
    tankModel = &tank_;
    foodModel = &food_;
    fish1Model = &fish1_;
    fish2Model = &fish2_;
    fish3Model = &fish3_;
    tankTexture = &water_;
    foodTexture = &foodTex_;
    fish1Texture = &tex1_;
    fish2Texture = &tex2_;
    fish3Texture = &tex3_;
    pinkTexture = &pink_;
    greenTexture = &green_;
    rotTexture = &rot_;
    startTime = 1000;
    clockMs = 3000;  // simTime 1
    calls.clear();
  }
  ~FrameTest() override { engine = nullptr; }

  World world_;
  RecordingEngine engine_;
  RecordingModel tank_, food_, fish1_, fish2_, fish3_;
  RecordingTexture water_, foodTex_, tex1_, tex2_, tex3_, pink_, green_, rot_;
};

// A fish whose state survives its own update in this frame.
Boid* Fish(const Vec3& where, float size, bool adult) {
  Boid* b = QuietFish(where, size);
  b->lastUpdateTime = 1.0f;
  b->birthTime = adult ? 0.0f : 1.0f;
  b->infant = !adult;
  b->maturityAge = adult ? 0.0f : 50.0f;
  return b;
}
}  // namespace

uint32_t FrameClock() { return clockMs; }
void SetAdditiveBlend() { calls.push_back("SetAdditiveBlend"); }

TEST_F(FrameTest, EmptyTankFrameSetsStatesInOrder) {
  FrameStep();
  EXPECT_EQ(simTime, 1.0f);
  const std::vector<std::string> expected = {
      "ClearTarget 000000ff", "ClearDepth", "BeginScene", "SetCullMode 0", "SetClipping 1",
      "SetDepthTest 1", "SetDepthWrite 1", "SetPerspective 0.7853982 1 0.01 800",
      "LookAt 0 0 12 / 0 0 0 / 0 1 0", "SetLighting 0", "SetDepthTest 0", "SetDepthWrite 0",
      "SetAlphaBlend 1", "SetAdditiveBlend", "water Apply 0 1 0", "tank SetTransform 0 0 -5 0 0 0",
      "tank SetScale 0.25 0.25 0.25", "tank Render", "SetDepthTest 1", "SetDepthWrite 1",
      "SetAlphaBlend 0",
      // The food's two Apply calls come even without food.
      "foodTex Apply 0 4 0", "pink Apply 1 0 0", "EndScene", "Present"};
  EXPECT_EQ(calls, expected);
}

TEST_F(FrameTest, FishAreDrawnWithOverlaysScalesAndRoll) {
  Boid* infant = Fish(Vec3(1, 0, 0), 0.2f, false);
  Boid* adult = Fish(Vec3(2, 0, 0), 0.2f, true);
  Boid* ready = Fish(Vec3(-2, 0, 0), 0.5f, true);
  ready->energy = 1000.0f;
  Boid* deadInfant = Fish(Vec3(0, 2, 0), 1.0f, false);
  deadInfant->dead = true;
  deadInfant->deathTime = 0.5f;
  fish1List = {infant, adult};
  fish2List = {ready};
  fish3List = {deadInfant};
  foodList = {QuietFish(Vec3(0, 0, 3), 0.1f)};
  FrameStep();

  const auto from = std::find(calls.begin(), calls.end(), "SetAlphaBlend 0");
  ASSERT_NE(from, calls.end());
  const std::vector<std::string> drawn(from + 1, calls.end());
  const std::vector<std::string> expected = {
      "tex1 Apply 0 1 0", "green Apply 1 2 0", "fish1 SetTransform 1 0 0 0 1.570796 0",
      "fish1 SetScale 0.5 0.5 0.5", "fish1 Render",
      "tex1 Apply 0 1 0", "pink Apply 1 0 0", "fish1 SetTransform 2 0 0 0 1.570796 0",
      "fish1 Render",
      "tex2 Apply 0 1 0", "pink Apply 1 2 0", "fish2 SetTransform -2 0 0 0 1.570796 0",
      "fish2 SetScale 1.2 1.2 1.2", "fish2 Render",
      "tex3 Apply 0 1 0", "green Apply 1 2 0", "rot Apply 0 1 0",
      "fish3 SetTransform 0 2 0 0 -1.570796 0", "fish3 SetScale 2.5 2.5 2.5", "fish3 Render",
      "foodTex Apply 0 4 0", "pink Apply 1 0 0", "food SetTransform 0 0 3 0 0 0",
      "food SetScale 0.0007 0.0007 0.0007", "food Render", "EndScene", "Present"};
  EXPECT_EQ(drawn, expected);
}

TEST_F(FrameTest, AutoRotateOverridesTheArrowKeys) {
  autoRotate = true;
  ApplyViewKey(37);  // Left
  clockMs = 1000 + 20000;  // simTime 10
  FrameStep();
  EXPECT_FLOAT_EQ(rotationAngle, 0.7f);
  const float eyeX = std::sin(0.7f) * 12.0f;
  const float eyeZ = std::cos(0.7f) * 12.0f;
  EXPECT_NE(std::find(calls.begin(), calls.end(),
                      Format("LookAt %g 0 %g / 0 0 0 / 0 1 0", eyeX, eyeZ)),
            calls.end());
  autoRotate = false;
}

TEST(ViewKeysTest, ArrowsChangeTheViewAndEscapeQuits) {
  World world(RuleSet::Shoalgen);
  camera.Place(Vec3(0, 0, 1), Vec3(0, 0, 0), Vec3(0, 1, 0));
  for (int i = 0; i < 10; ++i) EXPECT_EQ(ApplyViewKey(37), KeyResult::None);
  EXPECT_NEAR(rotationAngle, 0.1f, 1e-6f);
  for (int i = 0; i < 121; ++i) ApplyViewKey(38);
  EXPECT_LT(viewDistance, 0.0f);  // no clamping
  ApplyViewKey(40);
  ApplyViewKey(39);
  EXPECT_EQ(ApplyViewKey(27), KeyResult::Quit);
  EXPECT_EQ(ApplyViewKey(32), KeyResult::MouseLook);
  const float angle = rotationAngle, distance = viewDistance;
  EXPECT_EQ(ApplyViewKey(65), KeyResult::None);  // not in the table
  EXPECT_EQ(rotationAngle, angle);
  EXPECT_EQ(viewDistance, distance);
}

TEST(ViewKeysTest, InsertDumpsTheCameraAndSpecies1And2) {
  World world(RuleSet::Shoalgen);
  camera.Place(Vec3(0, 0, 1), Vec3(0, 0, 0), Vec3(0, 1, 0));
  ApplyViewKey(45);
  fish1List = {QuietFish(Vec3(1, 2, 3), 0.2f)};
  fish2List = {QuietFish(Vec3(4, 5, 6), 0.5f)};
  fish3List = {QuietFish(Vec3(7, 8, 9), 1.0f)};
  ApplyViewKey(45);
  EXPECT_EQ(ReadFileText(world.dir().path() / "Log.txt"),
            "----------------LOG BEGIN------------------\n"
            "0 0 1\n0 0 0\n0 1 0\n"
            "0 0 1\n0 0 0\n0 1 0\n1 2 3\n4 5 6\n");
}

TEST(DialogNumberTest, ReadsLikePercentD) {
  int value = 80;
  EXPECT_FALSE(ReadDialogNumber("", value));
  EXPECT_FALSE(ReadDialogNumber("abc", value));
  EXPECT_EQ(value, 80);
  EXPECT_TRUE(ReadDialogNumber("12abc", value));
  EXPECT_EQ(value, 12);
  EXPECT_TRUE(ReadDialogNumber(" -7", value));
  EXPECT_EQ(value, -7);
  EXPECT_TRUE(ReadDialogNumber("250", value));
  EXPECT_EQ(value, 250);
  EXPECT_TRUE(ReadDialogNumber("99999999999999999999", value));
  EXPECT_EQ(value, 2147483647);
}
