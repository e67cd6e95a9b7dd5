#include "behave/steerIndex.h"

namespace {
SteerIndex* active = nullptr;

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
  own_.Bind(own, nullptr, true);
  predators_.Bind(predators, nullptr, false);
  prey_.Bind(prey, Choosable, false);
  active = this;
}

void SteerIndex::Stop() {
  own_.Reset();
  predators_.Reset();
  prey_.Reset();
  if (active == this) active = nullptr;
}

void SteerIndex::Updated(const Boid& fish) {
  own_.Refresh(fish);
  // A mating also cleared the mate's readiness; the grid checks the flag of
  // the fish it answers with, so a mark left standing does no harm.
  own_.TakeAppended();
}

void SteerIndex::Removing(const BoidList& list, const Boid& boid) {
  if (!active) return;
  for (BoidGrid* grid : {&active->own_, &active->predators_, &active->prey_})
    if (grid->Source() == &list) grid->Remove(boid);
}
