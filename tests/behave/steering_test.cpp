#include <gtest/gtest.h>

#include <cmath>

#include "world.h"

namespace {
// Lets `b` steer as member `index` of fish1List against fish2List and foodList.
void SteerFirst(Boid* b) { b->Steer(0, fish1List, fish2List, foodList); }

void ExpectVec(const Vec3& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}
}  // namespace

TEST_P(BothRules, CohesionNeedsThreeNeighboursAndCountsOwnPosition) {
  Boid* self = QuietFish(Vec3(0, 0, 0), 0.2f);
  self->cohesionWeight = 1.0f;
  self->maxSpeed = self->maxForce = 100.0f;
  fish1List.push_back(self);
  for (int i = 0; i < 2; ++i) fish1List.push_back(QuietFish(Vec3(0.1f, 0, 0), 0.2f));
  SteerFirst(self);
  ExpectVec(self->steering, 0, 0, 0);  // two neighbours: no cohesion

  fish1List.push_back(QuietFish(Vec3(0.1f, 0, 0), 0.2f));
  SteerFirst(self);
  // centre = (own + 3P) / 3, divided by n, not n + 1
  const float centre = (0.1f + 0.1f + 0.1f) * (1.0f / 3.0f);
  ExpectVec(self->steering, centre, 0, 0);
  if (GetParam() == RuleSet::Shoalgen2) {
    EXPECT_EQ(self->neighbourCount, 3);
  }
}

TEST_P(BothRules, SeparationAndAlignmentOverNeighboursInRange) {
  const bool rules2 = GetParam() == RuleSet::Shoalgen2;
  Boid* self = QuietFish(Vec3(0, 0, 0), 0.2f);
  self->separationWeight = 1.0f;
  self->maxSpeed = self->maxForce = 100.0f;
  fish1List.push_back(self);
  const float x[] = {0.1f, -0.2f, 0.3f};
  for (float px : x) {
    Boid* other = QuietFish(Vec3(px, 0, 0), 0.2f);
    other->steering = Vec3(0, 0, 5);  // normalised for alignment
    fish1List.push_back(other);
  }
  // Beyond the range: (0.2 + 0.2) * kN.
  fish1List.push_back(QuietFish(Vec3(rules2 ? 1.7f : 0.5f, 0, 0), 0.2f));
  SteerFirst(self);
  const float sum = ((0.0f - 0.1f) + (0.0f - -0.2f)) + (0.0f - 0.3f);
  ExpectVec(self->steering, rules2 ? sum * (1.0f / 3.0f) : sum, 0, 0);

  self->separationWeight = 0.0f;
  self->alignmentWeight = 2.0f;
  SteerFirst(self);
  ExpectVec(self->steering, 0, 0, 6.0f);
}

TEST_P(BothRules, FleeAveragesPredatorsInRange) {
  const bool rules2 = GetParam() == RuleSet::Shoalgen2;
  Boid* self = QuietFish(Vec3(0, 0, 0), 0.2f);
  self->fleeWeight = 1.0f;
  self->maxSpeed = self->maxForce = 100.0f;
  fish1List.push_back(self);
  const float kF = rules2 ? 6.0f : 2.0f;
  fish2List.push_back(QuietFish(Vec3(0, 1.0f, 0), 0.5f));        // in range
  fish2List.push_back(QuietFish(Vec3(0, 0, -0.5f), 0.5f));       // in range
  fish2List.push_back(QuietFish(Vec3(0.7f * kF + 0.01f, 0, 0), 0.5f));  // out
  SteerFirst(self);
  ExpectVec(self->steering, 0, -1.0f * 0.5f, 0.5f * 0.5f);
}

TEST_P(BothRules, NearestPreyWinsAndTiesGoToTheEarlier) {
  Boid* self = QuietFish(Vec3(0, 0, 0), 0.2f);
  self->preyWeight = 1.0f;
  self->maxSpeed = self->maxForce = 100.0f;
  fish1List.push_back(self);
  foodList.push_back(QuietFish(Vec3(2, 0, 0), 0.1f));
  foodList.push_back(QuietFish(Vec3(0, 1, 0), 0.1f));
  foodList.push_back(QuietFish(Vec3(0, -1, 0), 0.1f));
  SteerFirst(self);
  ExpectVec(self->steering, 0, 1, 0);
  EXPECT_FALSE(self->eating);

  // Prey at index 0 within reach is chosen and targeted.
  foodList[0]->position = Vec3(0.05f, 0, 0);
  SteerFirst(self);
  EXPECT_TRUE(self->eating);
  EXPECT_EQ(self->target, foodList[0]);
}

TEST(SteeringTest, Shoalgen2HunterIgnoresSchoolingPreyAndKeepsItsEatingState) {
  World world(RuleSet::Shoalgen2);
  Boid* self = QuietFish(Vec3(0, 0, 0), 0.5f);
  self->preyWeight = 1.0f;
  self->maxForce = 100.0f;
  fish2List.push_back(self);
  Boid* prey = QuietFish(Vec3(0.1f, 0, 0), 0.25f);
  fish1List.push_back(prey);
  self->Steer(0, fish2List, fish3List, fish1List);
  EXPECT_TRUE(self->eating);
  EXPECT_EQ(self->target, prey);

  prey->neighbourCount = 10;  // hidden in a school
  self->steering = Vec3();
  self->Steer(0, fish2List, fish3List, fish1List);
  ExpectVec(self->steering, 0, 0, 0);
  EXPECT_TRUE(self->eating);  // kept from the previous frame
  EXPECT_EQ(self->target, prey);
}

TEST(SteeringTest, ShoalgenEatingReachAndNoPrey) {
  World world(RuleSet::Shoalgen);
  Boid* self = QuietFish(Vec3(0, 0, 0), 0.2f);
  fish1List.push_back(self);
  foodList.push_back(QuietFish(Vec3(0.079f, 0, 0), 0.1f));  // below 0.2 * 0.4
  SteerFirst(self);
  EXPECT_TRUE(self->eating);
  ClearPopulation();
  self = QuietFish(Vec3(0, 0, 0), 0.2f);
  self->eating = true;
  fish1List.push_back(self);
  SteerFirst(self);  // no prey at all: eating cleared in shoalgen
  EXPECT_FALSE(self->eating);
}

TEST_P(BothRules, SteeringIsClampedToTheLimit) {
  const bool rules2 = GetParam() == RuleSet::Shoalgen2;
  Boid* self = QuietFish(Vec3(0, 0, 0), 0.2f);
  self->preyWeight = 10.0f;
  fish1List.push_back(self);
  foodList.push_back(QuietFish(Vec3(3, 4, 0), 0.1f));
  SteerFirst(self);
  const float limit = rules2 ? self->maxForce : self->maxSpeed;
  EXPECT_NEAR(self->steering.Length(), limit, 1e-5f);
  EXPECT_FLOAT_EQ(self->steering.x / self->steering.y, 0.75f);
  const Vec3& copy = rules2 ? self->acceleration : self->desiredVelocity;
  EXPECT_EQ(copy.x, self->steering.x);
}

TEST_P(BothRules, MateIsTheLastReadyFishAtAnyDistance) {
  Boid* a = QuietFish(Vec3(0, 0, 0), 0.2f);
  Boid* far1 = QuietFish(Vec3(3, 0, 0), 0.2f);
  Boid* far2 = QuietFish(Vec3(0, 3, 0), 0.2f);
  Boid* notReady = QuietFish(Vec3(0.1f, 0, 0), 0.2f);
  for (Boid* b : {a, far1, far2}) {
    b->infant = false;
    b->energy = 100.0f;
    b->readyToMate = true;
  }
  fish1List = {a, far1, far2, notReady};
  SteerFirst(a);
  EXPECT_TRUE(a->readyToMate);
  EXPECT_EQ(a->mate, far2);
  EXPECT_FALSE(a->mateInRange);

  far2->readyToMate = false;  // as if it had mated earlier in the frame
  SteerFirst(a);
  EXPECT_EQ(a->mate, far1);
  far1->position = Vec3(0.49f, 0, 0);  // within 2.5 x size
  SteerFirst(a);
  EXPECT_TRUE(a->mateInRange);
  far1->position = Vec3(3, 0, 0);
  SteerFirst(a);
  EXPECT_TRUE(a->mateInRange);  // only a mating clears it

  a->energy = 1.0f;  // no longer ready: no candidate
  SteerFirst(a);
  EXPECT_EQ(a->mate, nullptr);
}

TEST(WallTest, ShoalgenPushesOnEveryAxisOutsideThenClamps) {
  World world(RuleSet::Shoalgen);
  Boid* b = QuietFish(Vec3(5.0f, -5.0f, 0), 0.2f);
  fish1List.push_back(b);
  b->steering = Vec3();
  b->KeepInTank(TankBound());
  const float s = b->maxSpeed;  // pushes of s on x and y, then the clamp to s
  EXPECT_NEAR(b->steering.Length(), s, 1e-6f);
  EXPECT_FLOAT_EQ(b->steering.x, -b->steering.y);
  EXPECT_LT(b->steering.x, 0.0f);
  EXPECT_EQ(b->desiredVelocity.x, b->steering.x);

  b->position = Vec3(4.7f, 0, 0);  // inside: no push
  b->steering = Vec3(0.1f, 0, 0);
  b->KeepInTank(TankBound());
  EXPECT_EQ(b->steering.x, 0.1f);
}

TEST(WallTest, Shoalgen2HasAnInnerAndAnOuterWall) {
  World world(RuleSet::Shoalgen2);
  Boid* b = QuietFish(Vec3(4.5f, 0, 0), 0.25f);
  fish1List.push_back(b);
  b->maxForce = 10.0f;
  b->maxSpeed = 1.0f;
  b->steering = Vec3();
  b->velocity = Vec3(0.5f, 0, 0);
  b->KeepInTank(TankBound());  // 4.2 < x < 5.0: inner push only
  EXPECT_EQ(b->steering.x, -10.0f);  // 4 x maxForce, clamped to maxForce
  EXPECT_EQ(b->acceleration.x, -10.0f);
  EXPECT_EQ(b->velocity.x, 0.5f);

  b->position = Vec3(5.1f, 0, 0);
  b->KeepInTank(TankBound());
  EXPECT_EQ(b->velocity.x, -0.5f);  // second push of maxSpeed on velocity

  b->velocity = Vec3(3, 4, 0);  // clamped every update, pushed or not
  b->position = Vec3();
  b->KeepInTank(TankBound());
  EXPECT_FLOAT_EQ(b->velocity.Length(), 1.0f);
}

TEST_P(BothRules, HeadingFollowsTheDrawnVelocity) {
  Boid b;
  EXPECT_EQ(b.Heading(), 0.0f);
  b.desiredVelocity = Vec3(0, 0, 1);
  b.velocity = Vec3(0, 0, 1);
  EXPECT_NEAR(b.Heading(), 1.5707963f + 3.1415927f, 1e-6f);
  b.desiredVelocity = Vec3(1, 0, -1e-3f);
  b.velocity = b.desiredVelocity;
  EXPECT_NEAR(b.Heading(), 3.0f * 3.1415927f, 1e-2f);
}
