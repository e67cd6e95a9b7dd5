// A fixed run of each rule set must give the same world, bit for bit, in
// every build: the native and the Windows test executables check the same
// fingerprints.
#include <gtest/gtest.h>

#include <cstring>

#include "world.h"

namespace {
uint64_t Mix(uint64_t hash, const void* data, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  return hash;
}

uint64_t Fingerprint() {
  uint64_t hash = 14695981039346656037ull;
  for (const BoidList* list : {&foodList, &fish1List, &fish2List, &fish3List}) {
    const uint64_t count = list->size();
    hash = Mix(hash, &count, sizeof count);
    for (const Boid* b : *list) {
      const float values[] = {b->position.x, b->position.y, b->position.z, b->energy, b->size,
                              b->velocity.x, b->steering.y, b->maxSpeed};
      hash = Mix(hash, values, sizeof values);
      hash = Mix(hash, b->genome, sizeof b->genome);
      const bool flags[] = {b->infant, b->dead, b->readyToMate, b->eating, b->mateInRange};
      hash = Mix(hash, flags, sizeof flags);
    }
  }
  return hash;
}

uint64_t RunFrames(int frames) {
  InitialPopulation();
  for (int k = 1; k <= frames; ++k) {
    UpdateSimulation(SimTimeFromMillis(static_cast<uint64_t>(k) * 16));
    PopulationUpkeep();
  }
  return Fingerprint();
}
}  // namespace

TEST(GoldenRunTest, ShoalgenAfter3000Frames) {
  World world(RuleSet::Shoalgen);
  EXPECT_EQ(RunFrames(3000), 16854778101795130300ull);
  EXPECT_GT(BirthCount(1), 0u);
}

TEST(GoldenRunTest, Shoalgen2After3000Frames) {
  World world(RuleSet::Shoalgen2);
  EXPECT_EQ(RunFrames(3000), 12958384300608901333ull);
  EXPECT_GT(BirthCount(1), 0u);
}
