#pragma once

#include "behave/boid.h"

// The six weights of a fish's steering sum.
struct SteerWeights {
  float separation;
  float cohesion;
  float alignment;
  float flee;
  float prey;
  float mate;
};

// A control for evolution experiments. While a list's weights are fixed,
// every fish in it steers with them instead of its own, yet its genome is
// still inherited, crossed over and mutated as usual: selection then cannot
// act on the genes, and only drift and mutation move them. Nothing fixes
// weights unless asked; the two programs never do.
void FixSteerWeights(const BoidList& list, const SteerWeights& weights);
// Fixes each species that has fish to the mean of its fish now.
void FixSteerWeightsToMeans();
void ReleaseSteerWeights();

// The weights with which a fish of `ownList` steers.
SteerWeights SteeringWeights(const Boid& fish, const BoidList& ownList);

// The weights all fish of a non-empty list would share: per gene the mean
// byte, rounded to the nearest, decoded as a genome is; the separation weight
// (not a gene) is the plain mean.
SteerWeights MeanWeights(const BoidList& list);
