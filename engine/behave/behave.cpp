#include "behave/behave.h"

#include "behave/random.h"
#include "behave/settings.h"
#include "behave/steerIndex.h"
#include "behave/steerWeights.h"

BoidList foodList;
BoidList fish1List;
BoidList fish2List;
BoidList fish3List;
BoidList fish3PredatorList;

ScanMode scanMode = ScanMode::Index;

namespace {
constexpr float kFoodSize = 0.1f;
constexpr int kBurstCount = 8;
constexpr float kBurstSpread = 0.3f;

// A point drawn x, then y, then z, each `scale` * RandomSigned().
Vec3 RandomPoint(float scale) {
  Vec3 p;
  p.x = scale * RandomSigned();
  p.y = scale * RandomSigned();
  p.z = scale * RandomSigned();
  return p;
}

// A new Boid draws its weights before its position is drawn.
Boid* NewBoid(float positionScale, float bodySize) {
  Boid* boid = new Boid();
  boid->Init(RandomPoint(positionScale), bodySize);
  return boid;
}

void AddFoodBurst() {
  const Vec3 centre = RandomPoint(4.0f);
  SpawnFoodBurst(centre, kBurstCount, kBurstSpread);
}

uint64_t births[3];
// One per species, kept between frames for their storage.
SteerIndex steerIndexes[3];

struct Species {
  int which;
  BoidList* list;
  const BoidList* predators;
  BoidList* prey;
  float size;
  int minimum;
};

Species SpeciesOf(int which) {
  switch (which) {
    case 1: return {1, &fish1List, &fish2List, &foodList, fish1Size, minFish1};
    case 2: return {2, &fish2List, &fish3List, &fish1List, fish2Size, minFish2};
    default: return {3, &fish3List, &fish3PredatorList, &fish2List, fish3Size, minFish3};
  }
}

int Count(const BoidList& list) { return static_cast<int>(list.size()); }

void UpdateList(const Species& species, float now) {
  BoidList& own = *species.list;
  const float bound = TankBound();
  SteerIndex* index = scanMode == ScanMode::Index ? &steerIndexes[species.which - 1] : nullptr;
  if (index) index->Start(own, *species.predators, *species.prey);
  // By position, against the current length: children appended by a mating
  // are updated later in the same frame; a fish that removed itself leaves
  // its successor at the same position.
  for (size_t i = 0; i < own.size();) {
    Boid* fish = own[i];
    fish->Steer(i, own, *species.predators, *species.prey);
    fish->KeepInTank(bound);
    fish->Integrate(now);
    const size_t before = own.size();
    if (fish->Resolve(own, *species.prey)) continue;
    if (index) index->Updated(*fish);
    if (own.size() > before) ++births[species.which - 1];
    ++i;
  }
  if (index) index->Stop();
}

void ClearReferences(const BoidList& list, const Boid* gone) {
  for (Boid* boid : list) {
    if (boid->mate == gone) boid->mate = nullptr;
    if (boid->target == gone) boid->target = nullptr;
  }
}
}  // namespace

float TankBound() { return IsShoalgen2() ? 4.2f : 4.8f; }

uint64_t BirthCount(int species) { return births[species - 1]; }

float SimTimeFromMillis(uint64_t elapsedMs) {
  return static_cast<float>(static_cast<double>(elapsedMs) * 0.001 * 0.5);
}

void SpawnFoodBurst(const Vec3& centre, int count, float spread) {
  for (int i = 0; i < count; ++i) {
    Boid* food = new Boid();
    Vec3 d = RandomPoint(1.0f);
    d = d.Normalise() * spread;
    food->Init(centre + d, kFoodSize);
    foodList.push_back(food);
  }
}

void InitialPopulation() {
  if (IsShoalgen2()) {
    for (int k = 0; k < minFood; k += kBurstCount) AddFoodBurst();
  } else {
    for (int n = 0; static_cast<float>(n) < 1.5f * static_cast<float>(minFood); ++n)
      foodList.push_back(NewBoid(4.0f, kFoodSize));
  }

  for (int which = 1; which <= 3; ++which) {
    const Species species = SpeciesOf(which);
    for (int k = 0; k < species.minimum; ++k) {
      Boid* fish = NewBoid(3.0f, species.size);
      if (k % 3 != 0) {
        fish->infant = false;
        fish->maturityAge = 0.0f;
      } else if (IsShoalgen2()) {
        fish->maturityAge -= RandomUnit();
      }
      species.list->push_back(fish);
    }
  }
}

void PopulationUpkeep() {
  const bool rules2 = IsShoalgen2();

  if (Count(foodList) < minFood) {
    if (rules2) {
      AddFoodBurst();
    } else {
      // With fewer than five as the minimum the divisor would be 0: add none.
      const int divisor = minFood / 5;
      if (divisor > 0)
        for (int k = 0; k < Rand() % divisor; ++k) foodList.push_back(NewBoid(4.0f, kFoodSize));
    }
  }

  for (int which = 1; which <= 2; ++which) {
    const Species species = SpeciesOf(which);
    if (Count(*species.list) >= species.minimum) continue;
    if (rules2) {
      species.list->push_back(NewBoid(4.0f, species.size));
    } else {
      for (int k = 0; k < Rand() % species.minimum + 2; ++k)
        species.list->push_back(NewBoid(4.0f, species.size));
    }
  }

  const Species third = SpeciesOf(3);
  if (Count(*third.list) < third.minimum) {
    const int made = rules2 ? 1 : 2;
    for (int k = 0; k < made; ++k) third.list->push_back(NewBoid(4.0f, third.size));
  }
}

void UpdateSimulation(float now) {
  for (int which = 1; which <= 3; ++which) UpdateList(SpeciesOf(which), now);
}

void RemoveBoid(BoidList& list, size_t index) {
  Boid* gone = list[index];
  SteerIndex::Removing(list, *gone);
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
  ClearReferences(fish1List, gone);
  ClearReferences(fish2List, gone);
  ClearReferences(fish3List, gone);
  delete gone;
}

void ClearPopulation() {
  for (BoidList* list : {&foodList, &fish1List, &fish2List, &fish3List, &fish3PredatorList}) {
    for (Boid* boid : *list) delete boid;
    list->clear();
  }
  for (uint64_t& count : births) count = 0;
  ReleaseSteerWeights();
}
