#pragma once

#include <vector>

#include "behave/boidGrid.h"
#include "behave/neighbourLists.h"

// The grids that the update of one list consults in place of the plain scans
// of Boid::Steer: over its own list, its predator list and its prey list,
// with neighbour lists over the own list that outlive the update (the next
// Start checks them against the list as it is then). UpdateSimulation starts
// one for each list it walks while `scanMode` is ScanMode::Index, reports
// after every fish's update what that update changed, and RemoveBoid reports
// every Boid that leaves a list; so each query sees the lists exactly as a
// scan at that moment would.
class SteerIndex {
 public:
  // The index that a Steer over these lists consults, or null: then the
  // plain scans run.
  static SteerIndex* Active(const BoidList& own, const BoidList& predators, const BoidList& prey);

  // Between Start and Stop this index is the active one.
  void Start(const BoidList& own, const BoidList& predators, const BoidList& prey);
  void Stop();
  // After the update of `fish`, which stays in its list: it moved, its
  // steering and readiness to mate changed, and a mating may have appended a
  // child.
  void Updated(const Boid& fish);
  // Before `boid` leaves `list`.
  static void Removing(const BoidList& list, const Boid& boid);

  // The last other fish of the own list, in list order, that is ready to mate.
  Boid* LastReadyOther(const Boid& self) { return own_.LastReady(&self); }
  // Own-list fish nearer than (their size + own size) * factor, summed in
  // list order.
  BoidGrid::School Neighbours(const Boid& self, float factor) {
    BoidGrid::School school;
    if (lists_.Gather(self, factor, &school)) return school;
    return own_.Gather(self.position, self.size, factor, &self);
  }
  // Predators nearer than (their size + own size) * factor, likewise.
  BoidGrid::Threat Predators(const Boid& self, float factor);
  // The nearest prey that may be chosen, the earliest in list order on equal
  // distances; null when none lies nearer than 1e8.
  Boid* NearestPrey(const Boid& self) { return prey_.Nearest(self.position); }

 private:
  BoidGrid own_;
  BoidGrid predators_;
  BoidGrid prey_;
  NeighbourLists lists_;  // over the own list, kept from frame to frame

  // The predators stay put while their prey's list is updated, and so does
  // every fish until its own update: the threats to all fish are found at
  // the first search, in groups of fish close together, and kept here by
  // own slot until each one's turn comes.
  struct Known {
    bool set;
    Vec3 position;
    float size;
    BoidGrid::Threat threat;
  };
  void FindThreats(float factor);
  std::vector<Known> known_;
  float knownFactor_ = 0.0f;  // 0 while none are known
  std::vector<uint32_t> order_;  // own slots, close ones together
  std::vector<uint32_t> cellOf_;
  std::vector<uint32_t> cellStart_;
  // Whether predator searches of the latest size and factor are local.
  float localSize_ = 0.0f;
  float localFactor_ = 0.0f;
  bool local_ = false;
};
