// The grids must leave every fish doing exactly what the plain scans make it
// do: the same runs with either scan mode give the same world, bit for bit,
// every frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <unordered_map>
#include <unordered_set>

#include "behave/rangeLanes.h"
#include "behave/worldTrace.h"
#include "world.h"

namespace {
struct RunSetup {
  RuleSet rules;
  int minimums[4];  // food, species 1, 2, 3
  long long frameMs;
  int mutationPercent;
  int frames;
};

// What happened in a run, to show that the run went through every rule.
struct Events {
  uint64_t births = 0;
  uint64_t deaths = 0;
  uint64_t foodEaten = 0;
  uint64_t fishEaten = 0;
  uint64_t expired = 0;
};

struct Run {
  std::vector<uint64_t> fingerprints;  // every frame
  std::vector<std::string> traces;     // every kTraceEvery-th frame and the last
  Events events;
};

constexpr int kTraceEvery = 25;

const BoidList* const kLists[] = {&foodList, &fish1List, &fish2List, &fish3List};

class Hash {
 public:
  template <typename T>
  void Add(const T& value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (unsigned char b : bytes) hash_ = (hash_ ^ b) * 1099511628211ull;
  }
  uint64_t Value() const { return hash_; }

 private:
  uint64_t hash_ = 14695981039346656037ull;
};

// Every field of every Boid, bit for bit, with `mate` and `target` as list
// positions: more than the trace line shows.
uint64_t Fingerprint() {
  std::unordered_map<const Boid*, uint64_t> where;
  for (uint64_t l = 0; l < 4; ++l)
    for (uint64_t i = 0; i < kLists[l]->size(); ++i) where[(*kLists[l])[i]] = l << 32 | i;
  auto place = [&](const Boid* b) { return b ? where.at(b) : ~uint64_t{0}; };
  Hash hash;
  for (const BoidList* list : kLists) {
    hash.Add(list->size());
    for (const Boid* b : *list) {
      for (float v : {b->separationWeight, b->cohesionWeight, b->alignmentWeight, b->fleeWeight,
                      b->preyWeight, b->mateWeight, b->maxSpeed, b->maxForce, b->size, b->lastUpdateTime,
                      b->energy, b->mateThreshold, b->birthTime, b->maturityAge, b->deathTime})
        hash.Add(v);
      for (const Vec3* v : {&b->position, &b->steering, &b->desiredVelocity, &b->velocity, &b->acceleration}) {
        hash.Add(v->x);
        hash.Add(v->y);
        hash.Add(v->z);
      }
      for (bool flag : {b->infant, b->eating, b->mateInRange, b->readyToMate, b->expired, b->dead})
        hash.Add(flag);
      hash.Add(b->neighbourCount);
      hash.Add(b->genome);
      hash.Add(place(b->target));
      hash.Add(place(b->mate));
    }
  }
  return hash.Value();
}

uint64_t Births() { return BirthCount(1) + BirthCount(2) + BirthCount(3); }

Run RunWorld(const RunSetup& setup, ScanMode mode) {
  ClearPopulation();
  ruleSet = setup.rules;
  SetDefaultSettings();
  minFood = setup.minimums[0];
  minFish1 = setup.minimums[1];
  minFish2 = setup.minimums[2];
  minFish3 = setup.minimums[3];
  mutationRate = static_cast<float>(setup.mutationPercent) * 0.01f;
  ResetRandom();
  scanMode = mode;

  Run run;
  InitialPopulation();
  for (int k = 1; k <= setup.frames; ++k) {
    const float now = SimTimeFromMillis(static_cast<uint64_t>(k * setup.frameMs));
    // Fish present before the update: which of them will have expired.
    std::unordered_map<const Boid*, bool> fishBefore;
    for (const BoidList* list : {&fish1List, &fish2List, &fish3List})
      for (const Boid* b : *list) fishBefore[b] = b->dead && now - b->deathTime > 4.0f;
    const size_t foodBefore = foodList.size();
    const uint64_t birthsBefore = Births();

    UpdateSimulation(now);

    std::unordered_set<const Boid*> fishAfter;
    for (const BoidList* list : {&fish1List, &fish2List, &fish3List})
      for (const Boid* b : *list) {
        fishAfter.insert(b);
        run.events.deaths += b->dead && b->deathTime == now;
      }
    for (const auto& [fish, expiring] : fishBefore)
      if (!fishAfter.count(fish)) ++(expiring ? run.events.expired : run.events.fishEaten);
    run.events.foodEaten += foodBefore - foodList.size();
    run.events.births += Births() - birthsBefore;

    PopulationUpkeep();
    run.fingerprints.push_back(Fingerprint());
    if (k % kTraceEvery == 0 || k == setup.frames) run.traces.push_back(TraceLine(k, now));
  }
  scanMode = ScanMode::Index;
  return run;
}

std::string Describe(const RunSetup& s) {
  return std::string(s.rules == RuleSet::Shoalgen ? "shoalgen" : "shoalgen2") + " minimums " +
         std::to_string(s.minimums[0]) + "," + std::to_string(s.minimums[1]) + "," +
         std::to_string(s.minimums[2]) + "," + std::to_string(s.minimums[3]) + ", " +
         std::to_string(s.frames) + " frames of " + std::to_string(s.frameMs) + " ms, mutation " +
         std::to_string(s.mutationPercent) + "%";
}

// Runs both modes and requires the same world after every frame; returns the
// events (the same in both, since the worlds are).
Events ExpectSameRuns(const RunSetup& setup) {
  SCOPED_TRACE(Describe(setup));
  const Run linear = RunWorld(setup, ScanMode::Linear);
  const Run indexed = RunWorld(setup, ScanMode::Index);
  EXPECT_EQ(linear.traces.size(), indexed.traces.size());
  for (size_t n = 0; n < linear.traces.size() && n < indexed.traces.size(); ++n)
    if (linear.traces[n] != indexed.traces[n]) {
      ADD_FAILURE() << "trace lines differ, the " << n + 1 << "th traced";
      break;
    }
  for (size_t k = 0; k < linear.fingerprints.size(); ++k)
    if (linear.fingerprints[k] != indexed.fingerprints[k]) {
      ADD_FAILURE() << "worlds differ first after frame " << k + 1;
      break;
    }
  const Events& e = linear.events;
  std::cout << Describe(setup) << ": " << e.births << " matings, " << e.foodEaten << " food and "
            << e.fishEaten << " fish eaten, " << e.deaths << " deaths, " << e.expired << " expired\n";
  return e;
}

// A world placed by hand with `place`, without upkeep, run in both modes
// for `frames` frames of 50 ms: the same world after every frame.
void ExpectSamePlacedRuns(void (*place)(), int frames) {
  std::vector<uint64_t> worlds[2];
  for (ScanMode mode : {ScanMode::Linear, ScanMode::Index}) {
    ClearPopulation();
    ResetRandom();
    scanMode = mode;
    minFood = minFish1 = minFish2 = minFish3 = 0;
    place();
    for (int k = 1; k <= frames; ++k) {
      UpdateSimulation(SimTimeFromMillis(static_cast<uint64_t>(k) * 50));
      worlds[mode == ScanMode::Index].push_back(Fingerprint());
    }
  }
  scanMode = ScanMode::Index;
  for (size_t k = 0; k < worlds[0].size(); ++k)
    if (worlds[0][k] != worlds[1][k]) {
      ADD_FAILURE() << "worlds differ first after frame " << k + 1;
      break;
    }
}

void ExpectEverything(const Events& e) {
  EXPECT_GT(e.births, 0u);
  EXPECT_GT(e.foodEaten, 0u);
  EXPECT_GT(e.fishEaten, 0u);
  EXPECT_GT(e.deaths, 0u);
  EXPECT_GT(e.expired, 0u);
}
}  // namespace

// The default minimums over a long run: generations of matings, eating,
// deaths and expiries.
TEST_P(BothRules, ScanModesAgreeAtDefaultMinimums) {
  ExpectEverything(ExpectSameRuns({GetParam(), {80, 50, 8, 3}, 40, 10, 3000}));
}

// Populations large enough for every list to be searched through its cells.
TEST_P(BothRules, ScanModesAgreeWithLargePopulations) {
  ExpectEverything(ExpectSameRuns({GetParam(), {400, 240, 60, 12}, 70, 10, 700}));
}

// Short frames over a long run with several hundred fish of species 1:
// where their ranges are wide (shoalgen2) the fish keep neighbour lists over
// many frames, through births, meals, deaths and expiries, and have them
// made again as they move on.
TEST_P(BothRules, ScanModesAgreeWhileNeighbourListsLast) {
  ExpectEverything(ExpectSameRuns({GetParam(), {300, 320, 40, 8}, 30, 10, 2400}));
}

// Hundreds of predators: where their range is short (shoalgen) each fish
// finds them through the cells, elsewhere they are tested for several fish
// at once.
TEST_P(BothRules, ScanModesAgreeWithManyPredators) {
  ExpectSameRuns({GetParam(), {200, 300, 280, 40}, 40, 10, 600});
}

// The same runs with the 128-bit forms of the lane-wise tests, which the
// runs above use only where the processor lacks AVX2.
TEST_P(BothRules, ScanModesAgreeIn128BitLanes) {
  const bool wide = WideLanes();
  AllowWideLanes(false);
  ExpectSameRuns({GetParam(), {300, 320, 40, 8}, 30, 10, 1200});
  ExpectSameRuns({GetParam(), {200, 300, 280, 40}, 40, 10, 300});
  AllowWideLanes(wide);
}

// Minimums, frame lengths and mutation percentages drawn at random, from a
// fixed seed.
TEST(ScanModeTest, ScanModesAgreeOverRandomSetups) {
  World world(RuleSet::Shoalgen);
  std::mt19937 draw(20240611);
  auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(draw); };
  for (int n = 0; n < 8; ++n) {
    const RunSetup setup{n % 2 ? RuleSet::Shoalgen2 : RuleSet::Shoalgen,
                      {between(0, 300), between(0, 200), between(0, 60), between(0, 12)},
                      between(1, 120),
                      between(0, 100),
                      250};
    ExpectSameRuns(setup);
  }
}

// Fish far outside the tank, on top of one another, at positions that are
// not finite, and prey at equal distances from a hunter, where ties go to
// the earlier prey: a world placed by hand.
TEST_P(BothRules, ScanModesAgreeOnCrowdsAndOutliers) {
  auto place = [] {
    // Shells of six food items on the axes about the origin, where the crowd
    // starts: each shell is at one distance from it.
    for (int i = 0; i < 120; ++i) {
      const float r = 0.5f + static_cast<float>(i / 6) * 0.25f;
      const float sign = i % 2 ? -r : r;
      const int axis = (i / 2) % 3;
      Boid* food = QuietFish(Vec3(axis == 0 ? sign : 0.0f, axis == 1 ? sign : 0.0f, axis == 2 ? sign : 0.0f),
                             0.1f);
      foodList.push_back(food);
    }
    for (int i = 0; i < 150; ++i) {
      Boid* fish = new Boid();
      const float spread = i < 50 ? 0.0f : i < 100 ? 2.0f : 100.0f;  // a crowd on one point, a school, strays
      fish->Init(Vec3(spread * RandomSigned(), spread * RandomSigned(), spread * RandomSigned()),
                 fish1Size);
      if (i % 2) {
        fish->infant = false;
        fish->maturityAge = 0.0f;
        fish->energy = 100.0f;
      }
      fish1List.push_back(fish);
    }
    // Positions that are not finite take part in no range, but in the choice
    // of a mate.
    for (float odd : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
      Boid* fish = new Boid();
      fish->Init(Vec3(odd, 0.0f, 0.0f), fish1Size);
      fish->infant = false;
      fish->maturityAge = 0.0f;
      fish->energy = 100.0f;
      fish1List.push_back(fish);
    }
    for (int i = 0; i < 60; ++i) {
      Boid* hunter = new Boid();
      hunter->Init(Vec3(3.0f * RandomSigned(), 3.0f * RandomSigned(), 3.0f * RandomSigned()), fish2Size);
      fish2List.push_back(hunter);
    }
  };
  ExpectSamePlacedRuns(place, 200);
}

// Hunters in clumps far apart and one at a position that is not a number,
// over fish in clumps of their own; too few hunters to be found through the
// cells, so they are tested for groups of fish, and those out of reach of a
// group are left out of its sums: only where out of reach of every fish in it.
TEST_P(BothRules, ScanModesAgreeWithClumpedPredators) {
  auto place = [] {
    const Vec3 clumps[4] = {Vec3(-30.0f, 0.0f, 0.0f), Vec3(30.0f, 5.0f, 0.0f), Vec3(0.0f, -30.0f, 20.0f),
                            Vec3(0.0f, 0.0f, 0.0f)};
    for (int i = 0; i < 400; ++i) {
      Boid* fish = new Boid();
      const Vec3 at = clumps[i % 3] + Vec3(4.0f * RandomSigned(), 4.0f * RandomSigned(), 4.0f * RandomSigned());
      fish->Init(at, fish1Size);
      fish1List.push_back(fish);
    }
    for (int i = 0; i < 200; ++i) {
      Boid* hunter = new Boid();
      const Vec3 at = clumps[i % 4] + Vec3(8.0f * RandomSigned(), 8.0f * RandomSigned(), 8.0f * RandomSigned());
      hunter->Init(i == 100 ? Vec3(std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f) : at, fish2Size);
      fish2List.push_back(hunter);
    }
  };
  ExpectSamePlacedRuns(place, 60);
}
