#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "behave/worldTrace.h"

// One species at one traced frame.
struct SpeciesStats {
  long long frame;
  float simTime;
  int species;
  int count;
  int infants;
  int ready;
  int dead;
  uint64_t births;       // since the previous row of the species
  double meanWeight[5];  // cohesion, alignment, flee, prey, mate; NaN without fish
};

// Rows of the three species; `birthsSeen` carries the birth counts of the
// previous rows and is brought up to date.
void CollectStats(long long frame, float simTime, uint64_t birthsSeen[3], SpeciesStats out[3]);

extern const char kStatsHeader[];
std::string StatsRow(const SpeciesStats& row);
