#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "behave/steerWeights.h"
#include "world.h"

namespace {
std::vector<uint8_t> GenomeOf(const Boid* b) { return {b->genome, b->genome + Boid::kGenes}; }

void ExpectWeights(const SteerWeights& w, const SteerWeights& expected) {
  EXPECT_EQ(w.separation, expected.separation);
  EXPECT_EQ(w.cohesion, expected.cohesion);
  EXPECT_EQ(w.alignment, expected.alignment);
  EXPECT_EQ(w.flee, expected.flee);
  EXPECT_EQ(w.prey, expected.prey);
  EXPECT_EQ(w.mate, expected.mate);
}
}  // namespace

TEST_P(BothRules, FixedWeightsSteerTheirListOnlyAndLeaveOwnWeightsAlone) {
  Boid* self = QuietFish(Vec3(0, 0, 0), 0.2f);
  self->maxSpeed = self->maxForce = 100.0f;
  fish1List.push_back(self);
  foodList.push_back(QuietFish(Vec3(2, 0, 0), 0.1f));
  Boid* hunter = QuietFish(Vec3(0, 0, 3), 0.5f);
  hunter->preyWeight = 1.0f;
  hunter->maxSpeed = hunter->maxForce = 100.0f;
  fish2List.push_back(hunter);

  FixSteerWeights(fish1List, {0, 0, 0, 0, 1.5f, 0});
  self->Steer(0, fish1List, fish2List, foodList);
  EXPECT_FLOAT_EQ(self->steering.x, 3.0f);
  EXPECT_EQ(self->preyWeight, 0.0f);
  hunter->Steer(0, fish2List, fish3List, fish1List);  // steers by its own weights
  EXPECT_FLOAT_EQ(hunter->steering.z, -3.0f);

  ReleaseSteerWeights();
  self->Steer(0, fish1List, fish2List, foodList);
  EXPECT_EQ(self->steering.x, 0.0f);
}

TEST_P(BothRules, MeanWeightsDecodeTheRoundedMeanByte) {
  const uint8_t genomes[3][Boid::kGenes] = {{8, 0, 255, 10, 3}, {8, 1, 255, 11, 3}, {9, 1, 254, 11, 4}};
  const float separations[3] = {1.0f, 2.0f, 4.0f};
  for (int i = 0; i < 3; ++i) {
    Boid* fish = QuietFish(Vec3(0, 0, 0), 0.2f);
    for (int g = 0; g < Boid::kGenes; ++g) fish->genome[g] = genomes[i][g];
    fish->separationWeight = separations[i];
    fish1List.push_back(fish);
  }
  // Means 8.33, 0.67, 254.67, 10.67, 3.33 round to 8, 1, 255, 11, 3.
  ExpectWeights(MeanWeights(fish1List),
                {7.0f / 3.0f, Boid::GeneWeight(8), Boid::GeneWeight(1), Boid::GeneWeight(255),
                 Boid::GeneWeight(11), Boid::GeneWeight(3)});
}

TEST_P(BothRules, NeutralRunInheritsGenomesButSteersEveryFishAlike) {
  mutationRate = 1.0f;  // every child is a mutated copy of its initiator
  InitialPopulation();
  std::set<std::vector<uint8_t>> initial;
  for (const Boid* fish : fish1List) initial.insert(GenomeOf(fish));
  const SteerWeights fixed = MeanWeights(fish1List);
  FixSteerWeightsToMeans();
  for (int k = 1; k <= 3000; ++k) {
    UpdateSimulation(SimTimeFromMillis(static_cast<uint64_t>(k) * 16));
    PopulationUpkeep();
  }
  ASSERT_GT(BirthCount(1), 0u);
  int novelChildren = 0;  // children are half their species' size
  for (const Boid* fish : fish1List) {
    ExpectWeights(SteeringWeights(*fish, fish1List), fixed);
    novelChildren += fish->size < fish1Size && initial.count(GenomeOf(fish)) == 0;
    Boid own = *fish;  // its own weights still follow its own genome
    own.DecodeGenome();
    EXPECT_EQ(own.preyWeight, fish->preyWeight);
    EXPECT_EQ(own.fleeWeight, fish->fleeWeight);
  }
  EXPECT_GT(novelChildren, 0);
}
