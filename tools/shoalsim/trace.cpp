#include "shoalsim/trace.h"

#include <cmath>

#include "behave/behave.h"

namespace {
void AppendFloat(std::string& out, double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  out += text;
}

void AppendFish(std::string& out, const Boid& b) {
  out += '[';
  for (float v : {b.position.x, b.position.y, b.position.z, b.energy, b.size}) {
    AppendFloat(out, v);
    out += ',';
  }
  out += b.infant ? "1," : "0,";
  out += b.dead ? "1," : "0,";
  out += b.readyToMate ? "1" : "0";
  for (uint8_t gene : b.genome) out += ',' + std::to_string(gene);
  out += ']';
}

const BoidList& FishList(int species) {
  return species == 1 ? fish1List : species == 2 ? fish2List : fish3List;
}
}  // namespace

std::string TraceLine(long long frame, float simTime) {
  std::string out = "{\"frame\":" + std::to_string(frame) + ",\"simTime\":";
  AppendFloat(out, simTime);
  out += ",\"food\":[";
  for (size_t i = 0; i < foodList.size(); ++i) {
    const Vec3& p = foodList[i]->position;
    out += i ? ",[" : "[";
    AppendFloat(out, p.x);
    out += ',';
    AppendFloat(out, p.y);
    out += ',';
    AppendFloat(out, p.z);
    out += ']';
  }
  out += ']';
  for (int species = 1; species <= 3; ++species) {
    out += ",\"fish" + std::to_string(species) + "\":[";
    const BoidList& list = FishList(species);
    for (size_t i = 0; i < list.size(); ++i) {
      if (i) out += ',';
      AppendFish(out, *list[i]);
    }
    out += ']';
  }
  out += '}';
  return out;
}

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
  AppendFloat(out, row.simTime);
  for (long long v : {static_cast<long long>(row.species), static_cast<long long>(row.count),
                      static_cast<long long>(row.infants), static_cast<long long>(row.ready),
                      static_cast<long long>(row.dead), static_cast<long long>(row.births)})
    out += ',' + std::to_string(v);
  for (double mean : row.meanWeight) {
    out += ',';
    AppendFloat(out, mean);
  }
  return out;
}
