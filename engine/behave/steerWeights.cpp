#include "behave/steerWeights.h"

#include <cmath>

#include "behave/behave.h"

namespace {
struct Fixed {
  const BoidList* list;
  SteerWeights weights;
};
// One entry per species at most; the lists are process-wide.
Fixed fixed[3];
int fixedCount = 0;

SteerWeights OwnWeights(const Boid& fish) {
  return {fish.separationWeight, fish.cohesionWeight, fish.alignmentWeight,
          fish.fleeWeight,       fish.preyWeight,     fish.mateWeight};
}
}  // namespace

void FixSteerWeights(const BoidList& list, const SteerWeights& weights) {
  for (int i = 0; i < fixedCount; ++i) {
    if (fixed[i].list == &list) {
      fixed[i].weights = weights;
      return;
    }
  }
  if (fixedCount < 3) fixed[fixedCount++] = {&list, weights};
}

void FixSteerWeightsToMeans() {
  for (const BoidList* list : {&fish1List, &fish2List, &fish3List})
    if (!list->empty()) FixSteerWeights(*list, MeanWeights(*list));
}

void ReleaseSteerWeights() { fixedCount = 0; }

SteerWeights SteeringWeights(const Boid& fish, const BoidList& ownList) {
  for (int i = 0; i < fixedCount; ++i)
    if (fixed[i].list == &ownList) return fixed[i].weights;
  return OwnWeights(fish);
}

SteerWeights MeanWeights(const BoidList& list) {
  double genes[Boid::kGenes] = {};
  double separation = 0.0;
  for (const Boid* fish : list) {
    for (int g = 0; g < Boid::kGenes; ++g) genes[g] += fish->genome[g];
    separation += fish->separationWeight;
  }
  const double n = static_cast<double>(list.size());
  float weights[Boid::kGenes];
  for (int g = 0; g < Boid::kGenes; ++g)
    weights[g] = Boid::GeneWeight(static_cast<uint8_t>(std::lround(genes[g] / n)));
  return {static_cast<float>(separation / n), weights[0], weights[1], weights[2], weights[3],
          weights[4]};
}
