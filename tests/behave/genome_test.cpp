#include <gtest/gtest.h>

#include "world.h"

TEST(RandomTest, FirstValuesOfTheSequence) {
  ResetRandom();
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int value : expected) EXPECT_EQ(Rand(), value);
  ResetRandom();
  EXPECT_EQ(RandomUnitExact(), 41.0 * 32769.0 / 1073741824.0);
  EXPECT_EQ(RandomUnit(), static_cast<float>(18467.0 * 32769.0 / 1073741824.0));
  const float unit = static_cast<float>(6334.0 * 32769.0 / 1073741824.0);
  EXPECT_EQ(RandomSigned(), (unit - 0.5f) * 2.0f);
}

TEST(RandomTest, UnitStaysBelowOneAtTheLargestDraw) {
  // 32767 * 32769 / 2^30 = 0.99999999907: below 1 as a double; stored to a
  // float it rounds to 1, so RandomSigned() can reach exactly 1.
  uint32_t state = 0;
  // Find a state whose next draw is 32767.
  for (uint32_t s = 0;; ++s) {
    SetRandomState(s);
    if (Rand() == 32767) {
      state = s;
      break;
    }
  }
  SetRandomState(state);
  EXPECT_LT(RandomUnitExact(), 1.0);
  SetRandomState(state);
  EXPECT_EQ(RandomUnit(), 1.0f);
  SetRandomState(state);
  EXPECT_EQ(RandomSigned(), 1.0f);
}

TEST(GenomeTest, EncodingClampsAndTruncates) {
  World world(RuleSet::Shoalgen);
  Boid b;
  b.cohesionWeight = 40.0f;
  b.alignmentWeight = -3.0f;
  b.fleeWeight = 1.249f;  // 9.992 -> 9
  b.preyWeight = 31.875f;
  b.mateWeight = 0.0f;
  b.separationWeight = 123.0f;
  b.EncodeGenome();
  EXPECT_EQ(b.genome[0], 255);
  EXPECT_EQ(b.genome[1], 0);
  EXPECT_EQ(b.genome[2], 9);
  EXPECT_EQ(b.genome[3], 255);
  EXPECT_EQ(b.genome[4], 0);
  b.DecodeGenome();
  EXPECT_FLOAT_EQ(b.cohesionWeight, 31.876f);
  EXPECT_FLOAT_EQ(b.alignmentWeight, 0.001f);
  EXPECT_FLOAT_EQ(b.fleeWeight, 1.126f);
  EXPECT_EQ(b.separationWeight, 123.0f);  // not part of the genome
}

TEST(GenomeTest, CrossoverCutsAtTheDrawnGene) {
  const uint8_t parent[5] = {1, 2, 3, 4, 5};
  const uint8_t mate[5] = {11, 12, 13, 14, 15};
  for (uint32_t s = 0; s < 40; ++s) {
    SetRandomState(s);
    const int cut = Rand() % 5;
    SetRandomState(s);
    uint8_t child[5];
    Boid::Crossover(parent, mate, child);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(child[i], i < cut ? parent[i] : mate[i]) << "cut " << cut;
  }
}

TEST(GenomeTest, MutationReplacesOneGeneWithTheSecondDraw) {
  const uint8_t parent[5] = {1, 2, 3, 4, 5};
  for (uint32_t s = 0; s < 40; ++s) {
    SetRandomState(s);
    const int gene = Rand() % 5;
    const int value = Rand() & 0xFF;
    SetRandomState(s);
    uint8_t child[5];
    Boid::Mutate(parent, child);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(child[i], i == gene ? value : parent[i]);
  }
}

TEST_P(BothRules, ConstructionDrawsFiveWeightsAndInitRoundsThem) {
  const bool rules2 = GetParam() == RuleSet::Shoalgen2;
  float u[5];
  for (float& v : u) v = RandomUnit();
  ResetRandom();
  Boid b;
  EXPECT_EQ(RandomState(), [] {
    ResetRandom();
    for (int i = 0; i < 5; ++i) Rand();
    return RandomState();
  }());
  if (rules2) {
    EXPECT_EQ(b.cohesionWeight, 10.0f * u[0]);
    EXPECT_EQ(b.mateWeight, 10.0f * u[4] + 20.0f);
    EXPECT_EQ(b.separationWeight,
              0.2f * ((((b.cohesionWeight + b.alignmentWeight) + b.fleeWeight) + b.preyWeight) +
                      b.mateWeight));
  } else {
    EXPECT_EQ(b.cohesionWeight, 3.0f * u[0]);
    EXPECT_EQ(b.alignmentWeight, u[1]);
    EXPECT_EQ(b.fleeWeight, 8.0f * u[2] + 4.0f);
    EXPECT_EQ(b.preyWeight, (u[3] + 1.0f) * 2.0f);
    EXPECT_EQ(b.separationWeight, 4.0f);
  }
  EXPECT_EQ(b.maturityAge, 6.0f);
  EXPECT_EQ(b.energy, 60.0f);

  const float sumBefore =
      (((b.cohesionWeight + b.alignmentWeight) + b.fleeWeight) + b.preyWeight) + b.mateWeight;
  b.Init(Vec3(1, 2, 3), 0.5f);
  for (int g = 0; g < 5; ++g) {
    const float* w[] = {&b.cohesionWeight, &b.alignmentWeight, &b.fleeWeight, &b.preyWeight,
                        &b.mateWeight};
    EXPECT_EQ(*w[g], b.genome[g] * 0.125f + 0.001f);
  }
  EXPECT_EQ(b.separationWeight, rules2 ? 0.2f * sumBefore : 4.0f);
  EXPECT_EQ(b.energy, 30.0f);
  EXPECT_EQ(b.mateThreshold, 45.0f);
  EXPECT_EQ(b.maturityAge, 1.5f * 1.5f * 15.0f);
  EXPECT_EQ(b.maxSpeed, rules2 ? (0.5f * 0.5f + 1.0f) * 0.8f : 1.25f);
  if (rules2) {
    EXPECT_EQ(b.maxForce, 6.0f * b.maxSpeed);
  }
  EXPECT_TRUE(b.infant);
  EXPECT_EQ(b.birthTime, -1.0f);
}
