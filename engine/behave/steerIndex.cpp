#include "behave/steerIndex.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
SteerIndex* active = nullptr;

// Fewer predators than this are tested all at once for several fish, however
// short their range: cheaper than a search through the cells for each fish.
constexpr uint32_t kLeastForLocalPredators = 256;
// The threats to all fish are found in groups of fish close together: the
// groups come from cells of about this many fish, at most this many cells
// along each side of the fish's box.
constexpr double kFishPerCell = 4.0;
constexpr int kMostCellsPerSide = 32;

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
  knownFactor_ = 0.0f;
  localFactor_ = 0.0f;  // the predators' cells are laid out afresh
  own_.Bind(own, nullptr, true);
  predators_.Bind(predators, nullptr, false);
  prey_.Bind(prey, Choosable, false);
  lists_.Start(own, &own_);
  active = this;
}

void SteerIndex::Stop() {
  knownFactor_ = 0.0f;
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
  // A fish that leaves keeps its slot, empty; one appended later, maybe at
  // the same address, takes a new slot.
  if (active->predators_.Source() == &list) active->knownFactor_ = 0.0f;
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
  if (factor != knownFactor_) FindThreats(factor);
  // Bit for bit the position and size that the sums were made for.
  const uint32_t slot = own_.SlotFor(self);
  if (slot < known_.size()) {
    const Known& known = known_[slot];
    if (known.set && std::memcmp(&known.position, &self.position, sizeof(Vec3)) == 0 &&
        std::memcmp(&known.size, &self.size, sizeof(float)) == 0)
      return known.threat;
  }
  BoidGrid::Threat threat;
  predators_.Threats(&self.position, &self.size, 1, factor, &threat);
  return threat;
}

void SteerIndex::FindThreats(float factor) {
  // The fish put in order of coarse cells over their box, about four to a
  // cell, by counting; fish whose position is not finite come last.
  const uint32_t slots = own_.Slots();
  known_.assign(slots, Known{false, Vec3(), 0.0f, BoidGrid::Threat()});
  knownFactor_ = factor;
  float low[3] = {INFINITY, INFINITY, INFINITY};
  float high[3] = {-INFINITY, -INFINITY, -INFINITY};
  uint32_t live = 0;
  for (uint32_t slot = 0; slot < slots; ++slot) {
    const Boid* fish = own_.Member(slot);
    if (!fish) continue;
    ++live;
    const float c[3] = {fish->position.x, fish->position.y, fish->position.z};
    if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2])) continue;
    for (int a = 0; a < 3; ++a) {
      low[a] = std::min(low[a], c[a]);
      high[a] = std::max(high[a], c[a]);
    }
  }
  const int side = std::clamp(static_cast<int>(std::cbrt(live / kFishPerCell)), 1, kMostCellsPerSide);
  double scale[3];
  for (int a = 0; a < 3; ++a) {
    const double extent = static_cast<double>(high[a]) - low[a];
    scale[a] = extent > 0.0 ? side / extent : 0.0;
  }
  const uint32_t cells = static_cast<uint32_t>(side * side * side);
  cellOf_.assign(slots, cells + 1);  // none
  cellStart_.assign(cells + 2, 0);
  for (uint32_t slot = 0; slot < slots; ++slot) {
    const Boid* fish = own_.Member(slot);
    if (!fish) continue;
    const float c[3] = {fish->position.x, fish->position.y, fish->position.z};
    uint32_t cell = cells;  // not finite
    if (std::isfinite(c[0]) && std::isfinite(c[1]) && std::isfinite(c[2])) {
      int at[3];
      for (int a = 0; a < 3; ++a)
        at[a] = std::min(side - 1, static_cast<int>((static_cast<double>(c[a]) - low[a]) * scale[a]));
      cell = static_cast<uint32_t>(at[0] + side * (at[1] + side * at[2]));
    }
    cellOf_[slot] = cell;
    ++cellStart_[cell + 1];
  }
  for (uint32_t cell = 0; cell <= cells; ++cell) cellStart_[cell + 1] += cellStart_[cell];
  order_.resize(live);
  for (uint32_t slot = 0; slot < slots; ++slot)
    if (cellOf_[slot] <= cells) order_[cellStart_[cellOf_[slot]]++] = slot;

  Vec3 positions[BoidGrid::kThreatLanes];
  float sizes[BoidGrid::kThreatLanes];
  BoidGrid::Threat threats[BoidGrid::kThreatLanes];
  for (uint32_t first = 0; first < live; first += BoidGrid::kThreatLanes) {
    const int count = static_cast<int>(std::min<uint32_t>(BoidGrid::kThreatLanes, live - first));
    for (int f = 0; f < count; ++f) {
      const Boid* fish = own_.Member(order_[first + f]);
      positions[f] = fish->position;
      sizes[f] = fish->size;
    }
    predators_.Threats(positions, sizes, count, factor, threats);
    for (int f = 0; f < count; ++f) known_[order_[first + f]] = Known{true, positions[f], sizes[f], threats[f]};
  }
}
