#include "behave/steerIndex.h"

#include <cstring>

namespace {
SteerIndex* active = nullptr;

// Fewer predators than this are tested all at once for several fish, however
// short their range: cheaper than a search through the cells for each fish.
constexpr uint32_t kLeastForLocalPredators = 256;

// Whether a prey stays choosable does not change while its hunters' list is
// updated: only its own species' update recounts its school.
bool Choosable(const Boid& prey) { return !prey.HiddenInSchool(); }
}  // namespace

SteerIndex* SteerIndex::Active(const BoidList& own, const BoidList& predators, const BoidList& prey) {
  if (active && active->own_.Source() == &own && active->predators_.Source() == &predators &&
      active->prey_.Source() == &prey)
    return active;
  return nullptr;
}

void SteerIndex::Start(const BoidList& own, const BoidList& predators, const BoidList& prey) {
  aheadCount_ = 0;
  localFactor_ = 0.0f;  // the predators' cells are laid out afresh
  own_.Bind(own, nullptr, true);
  predators_.Bind(predators, nullptr, false);
  prey_.Bind(prey, Choosable, false);
  lists_.Start(own, &own_);
  active = this;
}

void SteerIndex::Stop() {
  aheadCount_ = 0;
  own_.Reset();
  lists_.Stop();
  predators_.Reset();
  prey_.Reset();
  if (active == this) active = nullptr;
}

void SteerIndex::Updated(const Boid& fish) {
  own_.Refresh(fish);
  // A mating also cleared the mate's readiness; the grid checks the flag of
  // the fish it answers with, so a mark left standing does no harm.
  own_.TakeAppended();
  lists_.Moved(fish);
  lists_.TakeAppended();
}

void SteerIndex::Removing(const BoidList& list, const Boid& boid) {
  if (!active) return;
  for (BoidGrid* grid : {&active->own_, &active->predators_, &active->prey_})
    if (grid->Source() == &list) grid->Remove(boid);
  if (active->own_.Source() == &list) active->lists_.Removing(boid);
  if (active->predators_.Source() == &list) active->aheadCount_ = 0;
  for (int f = 0; f < active->aheadCount_; ++f)
    if (active->ahead_[f].fish == &boid) active->ahead_[f].fish = nullptr;  // its address may come back
}

BoidGrid::Threat SteerIndex::Predators(const Boid& self, float factor) {
  // Many predators in short ranges are found through the cells, fish by
  // fish; otherwise, as where most are in reach, they are all tested for
  // several fish at once.
  if (self.size != localSize_ || factor != localFactor_) {
    localSize_ = self.size;
    localFactor_ = factor;
    local_ = predators_.Slots() >= kLeastForLocalPredators && predators_.SearchesCells(self.size, factor);
  }
  if (local_) return predators_.Away(self.position, self.size, factor);
  // Bit for bit the position and size that the sums were made for.
  auto same = [&](const Ahead& a) {
    return a.fish == &self && std::memcmp(&a.position, &self.position, sizeof(Vec3)) == 0 &&
           std::memcmp(&a.size, &self.size, sizeof(float)) == 0;
  };
  if (factor == aheadFactor_)
    for (int f = 0; f < aheadCount_; ++f)
      if (same(ahead_[f])) return ahead_[f].threat;

  const Boid* fish[BoidGrid::kThreatLanes];
  size_t count = own_.Following(self, fish, BoidGrid::kThreatLanes);
  if (count == 0) {
    fish[0] = &self;
    count = 1;
  }
  Vec3 positions[BoidGrid::kThreatLanes];
  float sizes[BoidGrid::kThreatLanes];
  BoidGrid::Threat threats[BoidGrid::kThreatLanes];
  for (size_t f = 0; f < count; ++f) {
    positions[f] = fish[f]->position;
    sizes[f] = fish[f]->size;
  }
  predators_.Threats(positions, sizes, static_cast<int>(count), factor, threats);
  aheadFactor_ = factor;
  aheadCount_ = static_cast<int>(count);
  for (size_t f = 0; f < count; ++f) ahead_[f] = Ahead{fish[f], positions[f], sizes[f], threats[f]};
  return threats[0];
}
