#include "shoalsim/trace.h"

#include <cmath>

#include "behave/behave.h"

namespace {
const BoidList& FishList(int species) {
  return species == 1 ? fish1List : species == 2 ? fish2List : fish3List;
}
}  // namespace

void CollectStats(long long frame, float simTime, uint64_t birthsSeen[3], SpeciesStats out[3]) {
  for (int species = 1; species <= 3; ++species) {
    SpeciesStats& row = out[species - 1];
    row = SpeciesStats{frame, simTime, species, 0, 0, 0, 0, 0, {0, 0, 0, 0, 0}};
    const BoidList& list = FishList(species);
    for (const Boid* b : list) {
      row.infants += b->infant;
      row.ready += b->readyToMate;
      row.dead += b->dead;
      const float weights[5] = {b->cohesionWeight, b->alignmentWeight, b->fleeWeight,
                                b->preyWeight, b->mateWeight};
      for (int g = 0; g < 5; ++g) row.meanWeight[g] += weights[g];
    }
    row.count = static_cast<int>(list.size());
    for (double& mean : row.meanWeight) mean = row.count ? mean / row.count : NAN;
    const uint64_t total = BirthCount(species);
    row.births = total - birthsSeen[species - 1];
    birthsSeen[species - 1] = total;
  }
}

const char kStatsHeader[] =
    "frame,simTime,species,count,infants,ready,dead,births,meanCohesion,meanAlignment,meanFlee,"
    "meanPrey,meanMate";

std::string StatsRow(const SpeciesStats& row) {
  std::string out = std::to_string(row.frame) + ',';
  AppendTraceNumber(out, row.simTime);
  for (long long v : {static_cast<long long>(row.species), static_cast<long long>(row.count),
                      static_cast<long long>(row.infants), static_cast<long long>(row.ready),
                      static_cast<long long>(row.dead), static_cast<long long>(row.births)})
    out += ',' + std::to_string(v);
  for (double mean : row.meanWeight) {
    out += ',';
    AppendTraceNumber(out, mean);
  }
  return out;
}
