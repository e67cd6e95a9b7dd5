#include <gtest/gtest.h>

#include <string>

#include "world.h"

namespace {
// One update of fish1List[i] as the frame step runs it.
bool Update(size_t i, float now) {
  Boid* b = fish1List[i];
  b->Steer(i, fish1List, fish2List, foodList);
  b->KeepInTank(TankBound());
  b->Integrate(now);
  return b->Resolve(fish1List, foodList);
}

Boid* ReadyFish(const Vec3& where) {
  Boid* b = QuietFish(where, 0.2f);
  b->infant = false;
  b->maturityAge = 0.0f;
  b->energy = 100.0f;
  b->lastUpdateTime = b->birthTime = 1.0f;
  return b;
}
}  // namespace

TEST_P(BothRules, FirstUpdateStartsTheClockAndMovesNothing) {
  Boid* b = QuietFish(Vec3(1, 1, 1), 0.2f);
  b->velocity = Vec3(1, 0, 0);
  fish1List.push_back(b);
  Update(0, 3.0f);
  EXPECT_EQ(b->birthTime, 3.0f);
  EXPECT_EQ(b->lastUpdateTime, 3.0f);
  EXPECT_EQ(b->position.x, 1.0f);
  EXPECT_EQ(b->energy, 30.0f);
}

TEST_P(BothRules, InitialAdultsMatureOnceWithASingleDoubling) {
  Boid* b = QuietFish(Vec3(), 0.5f);
  b->infant = false;
  b->maturityAge = 0.0f;
  const float speed = b->maxSpeed;
  const float force = b->maxForce;
  fish1List.push_back(b);
  Update(0, 1.0f);  // age 0 is not above 0: an infant again
  EXPECT_TRUE(b->infant);
  EXPECT_EQ(b->maxSpeed, speed);
  Update(0, 1.5f);
  EXPECT_FALSE(b->infant);
  EXPECT_EQ(b->maxSpeed, 2.0f * speed);
  if (GetParam() == RuleSet::Shoalgen2) {
    EXPECT_EQ(b->maxForce, 2.0f * force);
  }
  Update(0, 2.0f);
  EXPECT_EQ(b->maxSpeed, 2.0f * speed);
}

TEST_P(BothRules, EnergyUseDeathAndExpiry) {
  Boid* b = QuietFish(Vec3(), 0.5f);
  fish1List.push_back(b);
  Update(0, 1.0f);
  Update(0, 3.0f);  // infant: 2 x 1.5 x 0.7
  EXPECT_FLOAT_EQ(b->energy, 30.0f - 2.0f * 1.5f * 0.7f);

  b->energy = 0.1f;
  Update(0, 4.0f);
  EXPECT_TRUE(b->dead);
  EXPECT_EQ(b->deathTime, 4.0f);
  EXPECT_EQ(b->maxSpeed, 0.0f);
  b->energy = 50.0f;  // eating again does not revive
  Update(0, 6.0f);
  EXPECT_TRUE(b->dead);
  EXPECT_EQ(b->deathTime, 4.0f);
  EXPECT_FALSE(Update(0, 8.0f));  // exactly 4 units: not yet expired
  EXPECT_EQ(fish1List.size(), 1u);
  EXPECT_TRUE(Update(0, 8.5f));
  EXPECT_TRUE(fish1List.empty());
}

TEST_P(BothRules, EatingRemovesThePreyAndGainsItsThreshold) {
  Boid* b = ReadyFish(Vec3());
  b->energy = 10.0f;
  fish1List.push_back(b);
  foodList.push_back(QuietFish(Vec3(3, 0, 0), 0.1f));
  Boid* food = QuietFish(Vec3(0.01f, 0, 0), 0.1f);
  foodList.push_back(food);
  Update(0, 1.0f);
  EXPECT_EQ(foodList.size(), 1u);
  EXPECT_EQ(b->target, nullptr);  // cleared with the eaten Boid
  EXPECT_FLOAT_EQ(b->energy, 10.0f + 33.0f);
}

TEST_P(BothRules, MatingMakesOneChildWithTheDrawsInOrder) {
  const bool rules2 = GetParam() == RuleSet::Shoalgen2;
  for (float rate : {0.0f, 1.0f, 0.5f}) {
    ClearPopulation();
    mutationRate = rate;
    Boid* a = ReadyFish(Vec3());
    Boid* m = ReadyFish(Vec3(0.1f, 0, 0));
    m->readyToMate = true;
    a->genome[0] = 7;  // stale bytes: both genomes are encoded before breeding
    fish1List = {a, m};
    a->Steer(0, fish1List, fish2List, foodList);
    ASSERT_TRUE(a->mateInRange);
    a->Integrate(1.0f);
    // Predict every draw of the mating.
    const uint32_t state = RandomState();
    Boid expected;  // five weight draws
    const float dx = RandomSigned() * 0.5f, dy = RandomSigned() * 0.5f, dz = RandomSigned() * 0.5f;
    const double r = RandomUnitExact();
    uint8_t genome[5];
    a->EncodeGenome();
    m->EncodeGenome();
    if (r >= static_cast<double>(rate))
      Boid::Crossover(a->genome, m->genome, genome);
    else
      Boid::Mutate(a->genome, genome);
    const uint32_t after = RandomState();
    SetRandomState(state);

    EXPECT_FALSE(a->Resolve(fish1List, foodList));
    ASSERT_EQ(fish1List.size(), 3u);
    const Boid* child = fish1List[2];
    EXPECT_EQ(RandomState(), after);
    for (int g = 0; g < 5; ++g) EXPECT_EQ(child->genome[g], genome[g]);
    EXPECT_EQ(child->cohesionWeight, genome[0] * 0.125f + 0.001f);
    EXPECT_EQ(child->position.x, 0.0f + dx);
    EXPECT_EQ(child->position.y, 0.0f + dy);
    EXPECT_EQ(child->position.z, 0.0f + dz);
    EXPECT_EQ(child->size, 0.1f);
    EXPECT_EQ(child->energy, 30.0f);
    EXPECT_TRUE(child->infant);
    EXPECT_EQ(child->lastUpdateTime, 1.0f);
    EXPECT_EQ(child->birthTime, -1.0f);
    if (!rules2) {
      EXPECT_EQ(child->separationWeight, 4.0f);
    }
    if (rate == 1.0f) {  // every child a mutated copy of the initiator
      int differing = 0;
      for (int g = 0; g < 5; ++g) differing += child->genome[g] != a->genome[g];
      EXPECT_LE(differing, 1);
    }
    for (const Boid* parent : {a, m}) {
      EXPECT_FALSE(parent->readyToMate);
      EXPECT_FALSE(parent->mateInRange);
      EXPECT_EQ(parent->energy, a->mateThreshold * 0.5f);
    }
  }
}

TEST(MatingTest, ShoalgenLogsTwoEqualPositionLinesAndShoalgen2None) {
  for (RuleSet rules : {RuleSet::Shoalgen, RuleSet::Shoalgen2}) {
    World world(rules);
    Boid* a = ReadyFish(Vec3(0.5f, -0.25f, 1.0f));
    Boid* m = ReadyFish(Vec3(0.6f, -0.25f, 1.0f));
    m->readyToMate = true;
    fish1List = {a, m};
    Update(0, 1.0f);
    ASSERT_EQ(fish1List.size(), 3u);
    const std::string log = ReadFileText(world.dir().path() / "Log.txt");
    if (rules == RuleSet::Shoalgen) {
      char line[64];
      std::snprintf(line, sizeof line, "%g %g %g\n", a->position.x, a->position.y, a->position.z);
      EXPECT_EQ(log, std::string("----------------LOG BEGIN------------------\n") + line + line);
    } else {
      EXPECT_EQ(log, "");
    }
  }
}

TEST_P(BothRules, MatingNeedsTheCandidateStillReady) {
  Boid* a = ReadyFish(Vec3());
  Boid* m = ReadyFish(Vec3(0.1f, 0, 0));
  m->readyToMate = true;
  fish1List = {a, m};
  a->Steer(0, fish1List, fish2List, foodList);
  m->readyToMate = false;  // mated with a third fish meanwhile
  a->Integrate(1.0f);
  a->Resolve(fish1List, foodList);
  EXPECT_EQ(fish1List.size(), 2u);
  EXPECT_TRUE(a->mateInRange);
}

TEST_P(BothRules, ListWalkUpdatesEveryFishOnceAndChildrenTheSameFrame) {
  minFood = minFish1 = minFish2 = minFish3 = 0;
  Boid* expiring = QuietFish(Vec3(), 0.2f);
  expiring->dead = true;
  expiring->deathTime = 0.0f;
  expiring->lastUpdateTime = 1.0f;
  expiring->birthTime = 1.0f;
  Boid* a = ReadyFish(Vec3(1, 1, 1));
  a->mate = expiring;  // a reference that must be cleared on removal
  Boid* m = ReadyFish(Vec3(1.05f, 1, 1));
  Boid* last = QuietFish(Vec3(-1, 0, 0), 0.2f);
  fish1List = {expiring, a, m, last};
  UpdateSimulation(5.0f);
  // The expired fish removed itself; the others were each updated once; a
  // and m mated (m became ready in its own turn), the child was updated at
  // the end of the same frame.
  ASSERT_EQ(fish1List.size(), 4u);
  EXPECT_EQ(fish1List[0], a);
  EXPECT_EQ(a->lastUpdateTime, 5.0f);
  EXPECT_EQ(m->lastUpdateTime, 5.0f);
  EXPECT_EQ(last->lastUpdateTime, 5.0f);
  EXPECT_EQ(last->birthTime, 5.0f);
  const Boid* child = fish1List[3];
  EXPECT_EQ(child->birthTime, 5.0f);
  EXPECT_EQ(child->lastUpdateTime, 5.0f);
  EXPECT_EQ(BirthCount(1), 1u);
  EXPECT_NE(a->mate, expiring);
}

TEST_P(BothRules, RemovedBoidsLeaveNoReferences) {
  Boid* hunter = ReadyFish(Vec3());
  hunter->energy = 5.0f;
  Boid* rival = ReadyFish(Vec3(2, 2, 2));
  rival->energy = 5.0f;
  Boid* food = QuietFish(Vec3(0.01f, 0, 0), 0.1f);
  foodList = {food};
  fish1List = {hunter, rival};
  rival->target = food;  // a stale target, as shoalgen2 keeps them
  rival->mate = hunter;
  UpdateSimulation(1.0f);
  EXPECT_TRUE(foodList.empty());
  EXPECT_EQ(rival->target, nullptr);

  hunter->dead = true;
  hunter->deathTime = 0.0f;
  UpdateSimulation(5.0f);  // hunter expires
  ASSERT_EQ(fish1List.size(), 1u);
  EXPECT_EQ(rival->mate, nullptr);
}
