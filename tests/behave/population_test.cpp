#include <gtest/gtest.h>

#include <cmath>

#include "world.h"

namespace {
int Adults(const BoidList& list) {
  int n = 0;
  for (const Boid* b : list) n += !b->infant;
  return n;
}
}  // namespace

TEST(SettingsTest, DefaultsOfBothRuleSets) {
  ruleSet = RuleSet::Shoalgen;
  SetDefaultSettings();
  EXPECT_TRUE(useDirect3D);
  EXPECT_EQ(screenWidth, 1024);
  EXPECT_EQ(screenHeight, 768);
  EXPECT_FALSE(fullScreen);
  EXPECT_FALSE(autoRotate);
  EXPECT_EQ(minFood, 80);
  EXPECT_EQ(minFish1, 50);
  EXPECT_EQ(minFish2, 8);
  EXPECT_EQ(minFish3, 3);
  EXPECT_EQ(viewDistance, 12.0f);
  EXPECT_EQ(rotationAngle, 0.0f);
  EXPECT_EQ(fish1Size, 0.2f);
  EXPECT_EQ(fish2Size, 0.5f);
  EXPECT_EQ(fish3Size, 1.0f);
  mutationRate = 0.5f;
  ruleSet = RuleSet::Shoalgen2;
  SetDefaultSettings();
  EXPECT_EQ(mutationRate, 0.5f);  // not a default that SetDefaultSettings writes
  EXPECT_EQ(fish1Size, 0.25f);
  EXPECT_EQ(fish3Size, 1.1f);
  mutationRate = 0.1f;
}

TEST(PopulationTest, ShoalgenStartsWithOneAndAHalfTimesTheFood) {
  World world(RuleSet::Shoalgen);
  InitialPopulation();
  EXPECT_EQ(foodList.size(), 120u);
  EXPECT_EQ(fish1List.size(), 50u);
  EXPECT_EQ(fish2List.size(), 8u);
  EXPECT_EQ(fish3List.size(), 3u);
  // Fish k is an adult unless k mod 3 is 0.
  EXPECT_EQ(Adults(fish1List), 33);
  EXPECT_EQ(Adults(fish2List), 5);
  EXPECT_EQ(Adults(fish3List), 2);
  EXPECT_TRUE(fish1List[0]->infant);
  EXPECT_EQ(fish1List[0]->maturityAge, 1.2f * 1.2f * 15.0f);
  EXPECT_EQ(fish1List[1]->maturityAge, 0.0f);
  EXPECT_EQ(fish1List[1]->size, 0.2f);
  for (const Boid* f : foodList) {
    EXPECT_EQ(f->size, 0.1f);
    EXPECT_EQ(f->mateThreshold, 33.0f);
    EXPECT_LE(std::fabs(f->position.x), 4.0f);
  }
  for (const Boid* f : fish3List) EXPECT_LE(std::fabs(f->position.y), 3.0f);

  ClearPopulation();
  minFood = 7;  // ceil(10.5)
  InitialPopulation();
  EXPECT_EQ(foodList.size(), 11u);
}

TEST(PopulationTest, ShoalgenDrawsWeightsBeforeEachPosition) {
  World world(RuleSet::Shoalgen);
  minFood = 1;
  minFish1 = minFish2 = minFish3 = 0;
  InitialPopulation();
  ASSERT_EQ(foodList.size(), 2u);
  ResetRandom();
  Boid expected;  // five weight draws
  const float x = 4.0f * RandomSigned();
  const float y = 4.0f * RandomSigned();
  const float z = 4.0f * RandomSigned();
  EXPECT_EQ(foodList[0]->position.x, x);
  EXPECT_EQ(foodList[0]->position.y, y);
  EXPECT_EQ(foodList[0]->position.z, z);
  EXPECT_EQ(foodList[0]->genome[0], static_cast<uint8_t>(expected.cohesionWeight * 8.0f));
}

TEST(PopulationTest, Shoalgen2StartsWithBurstsOfEightOnSpheres) {
  World world(RuleSet::Shoalgen2);
  InitialPopulation();
  ASSERT_EQ(foodList.size(), 80u);
  // Replay the first burst: centre, then per item a Boid and a direction.
  ResetRandom();
  Vec3 centre;
  centre.x = 4.0f * RandomSigned();
  centre.y = 4.0f * RandomSigned();
  centre.z = 4.0f * RandomSigned();
  for (int i = 0; i < 8; ++i) {
    Boid scratch;
    const float dx = RandomSigned(), dy = RandomSigned(), dz = RandomSigned();
    const Vec3 where = centre + Vec3(dx, dy, dz).Normalise() * 0.3f;
    EXPECT_EQ(foodList[i]->position.x, where.x);
    EXPECT_EQ(foodList[i]->position.z, where.z);
    EXPECT_NEAR((foodList[i]->position - centre).Length(), 0.3f, 1e-5f);
    EXPECT_EQ(foodList[i]->maxSpeed, 0.84f);
  }
  // Infants lower their maturity age by a random fraction in shoalgen2.
  const float full = 1.25f * 1.25f * 15.0f;
  EXPECT_LT(fish1List[0]->maturityAge, full);
  EXPECT_GT(fish1List[0]->maturityAge, full - 1.0f);

  ClearPopulation();
  minFood = 9;
  InitialPopulation();
  EXPECT_EQ(foodList.size(), 16u);
}

TEST_P(BothRules, EmptyMinimumsCreateAndAddNothing) {
  minFood = 0;
  minFish2 = 0;
  InitialPopulation();
  EXPECT_TRUE(foodList.empty());
  EXPECT_TRUE(fish2List.empty());
  for (int frame = 1; frame <= 5; ++frame) {
    UpdateSimulation(SimTimeFromMillis(frame * 16));
    PopulationUpkeep();
  }
  EXPECT_TRUE(foodList.empty());
  EXPECT_TRUE(fish2List.empty());
}

TEST(UpkeepTest, ShoalgenFoodTopUpDrawsBeforeEveryTest) {
  World world(RuleSet::Shoalgen);
  minFish1 = minFish2 = minFish3 = 0;
  minFood = 80;  // q = 16: between 0 and 15 items a frame
  for (int round = 0; round < 30; ++round) {
    const uint32_t state = RandomState();
    // Predict: draw, test, make a food (5 + 3 draws), repeat.
    int expected = 0;
    while (expected < Rand() % 16) {
      for (int d = 0; d < 8; ++d) Rand();
      ++expected;
    }
    SetRandomState(state);
    const size_t before = foodList.size();
    PopulationUpkeep();
    EXPECT_EQ(foodList.size() - before, static_cast<size_t>(expected));
    EXPECT_LE(expected, 15);
    if (foodList.size() >= 80) break;
  }
}

TEST(UpkeepTest, ShoalgenSmallFoodMinimumAddsNothingAndDrawsNothing) {
  World world(RuleSet::Shoalgen);
  minFish1 = minFish2 = minFish3 = 0;
  for (int minimum = 1; minimum <= 4; ++minimum) {
    minFood = minimum;
    const uint32_t state = RandomState();
    PopulationUpkeep();
    EXPECT_TRUE(foodList.empty());
    EXPECT_EQ(RandomState(), state);
  }
  minFood = 5;  // q = 1: rand() mod 1 is 0, still nothing made but one draw
  const uint32_t state = RandomState();
  PopulationUpkeep();
  EXPECT_TRUE(foodList.empty());
  EXPECT_NE(RandomState(), state);
}

TEST(UpkeepTest, ShoalgenSpeciesGetAtLeastTwoAndSpecies3ExactlyTwo) {
  World world(RuleSet::Shoalgen);
  minFood = 0;
  minFish1 = 50;
  minFish2 = 8;
  minFish3 = 3;
  PopulationUpkeep();
  EXPECT_GE(fish1List.size(), 2u);
  EXPECT_LE(fish1List.size(), 51u);
  EXPECT_GE(fish2List.size(), 2u);
  EXPECT_LE(fish2List.size(), 9u);
  EXPECT_EQ(fish3List.size(), 2u);
  for (const Boid* b : fish2List) {
    EXPECT_TRUE(b->infant);
    EXPECT_EQ(b->size, 0.5f);
    EXPECT_LE(std::fabs(b->position.x), 4.0f);
  }
  PopulationUpkeep();
  EXPECT_EQ(fish3List.size(), 3u + 1u);  // 2 below 3: two more, overshooting
}

TEST(UpkeepTest, Shoalgen2AddsOneBurstAndOneFishPerKind) {
  World world(RuleSet::Shoalgen2);
  PopulationUpkeep();
  EXPECT_EQ(foodList.size(), 8u);
  EXPECT_EQ(fish1List.size(), 1u);
  EXPECT_EQ(fish2List.size(), 1u);
  EXPECT_EQ(fish3List.size(), 1u);
  EXPECT_EQ(fish1List[0]->size, 0.25f);
  EXPECT_EQ(fish3List[0]->size, 1.1f);
}

TEST(SimTimeTest, HalfTheElapsedSeconds) {
  EXPECT_EQ(SimTimeFromMillis(0), 0.0f);
  EXPECT_EQ(SimTimeFromMillis(16), static_cast<float>(16 * 0.001 * 0.5));
  EXPECT_EQ(SimTimeFromMillis(2000), 1.0f);
  EXPECT_EQ(SimTimeFromMillis(0xFFFFFFFFu), static_cast<float>(4294967295.0 * 0.001 * 0.5));
}
