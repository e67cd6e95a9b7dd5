#pragma once

#include <cstdint>

#include "behave/boid.h"

// The population lists; each owns the Boids it holds, in insertion order.
extern BoidList foodList;
extern BoidList fish1List;
extern BoidList fish2List;
extern BoidList fish3List;
extern BoidList fish3PredatorList;  // never filled: species 3 has no predator

// Wall bound of the steering push on every axis.
float TankBound();

// simTime for a clock difference in milliseconds: one unit is two seconds.
float SimTimeFromMillis(uint64_t elapsedMs);

// How Boid::Steer searches the lists during UpdateSimulation: the plain scans
// in list order, or the grids of SteerIndex, which give the same results and
// visit only the fish near each one.
enum class ScanMode { Linear, Index };
extern ScanMode scanMode;

// Creates the food and the three species at start-up.
void InitialPopulation();
// Tops each kind up towards its minimum after the frame's updates.
void PopulationUpkeep();
// Updates every fish of species 1, 2 and 3 in list order, children born in
// this frame included.
void UpdateSimulation(float now);

// Children born by mating in species 1, 2 or 3 since the start.
uint64_t BirthCount(int species);

// shoalgen2: `count` food Boids on a sphere of radius `spread` about `centre`.
void SpawnFoodBurst(const Vec3& centre, int count, float spread);

// Erases the Boid at `index`, clears every `mate` and `target` that refers to
// it and destroys it.
void RemoveBoid(BoidList& list, size_t index);
// Destroys every Boid of every list, zeroes the birth counts and lets every
// fish steer with its own weights again.
void ClearPopulation();
