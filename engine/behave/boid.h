#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/vec3.h"

class Boid;
typedef std::vector<Boid*> BoidList;

// One entity of the tank: food or a fish. Its kind is given only by the list
// that holds it. One record serves both rule sets; fields that only one rule
// set uses stay at their start values under the other.
class Boid {
 public:
  static constexpr int kGenes = 5;

  Boid();

  // Places a constructed Boid, derives its size-dependent values and rounds
  // its weights to the genome grid.
  void Init(const Vec3& where, float bodySize);
  void EncodeGenome();
  void DecodeGenome();
  // The weight that one genome byte decodes to.
  static float GeneWeight(uint8_t gene);

  // The four steps of one update, always in this order.
  void Steer(size_t index, const BoidList& ownList, const BoidList& predatorList,
             const BoidList& preyList);
  void KeepInTank(float bound);
  void Integrate(float now);
  // Removes the Boid when expired, eats its target or mates. Returns true when
  // the Boid removed and destroyed itself: the caller must not touch it then.
  bool Resolve(BoidList& ownList, BoidList& preyList);

  // shoalgen2: a fish with ten or more schoolmates in range is never chosen
  // as the nearest prey.
  bool HiddenInSchool() const;

  // Yaw with which the fish is drawn, in radians (pi to 3 pi).
  float Heading() const;

  static void Crossover(const uint8_t* parentGenome, const uint8_t* mateGenome,
                        uint8_t* childGenome);
  static void Mutate(const uint8_t* parentGenome, uint8_t* childGenome);

  float separationWeight;
  float cohesionWeight;
  float alignmentWeight;
  float fleeWeight;
  float preyWeight;
  float mateWeight;
  Vec3 position;
  Vec3 steering;
  Vec3 desiredVelocity;  // shoalgen
  Vec3 velocity;
  Vec3 acceleration;     // shoalgen2
  float maxSpeed;
  float maxForce;        // shoalgen2
  float size;
  float lastUpdateTime;
  float energy;
  float mateThreshold;
  float birthTime;
  float maturityAge;
  float deathTime;
  bool infant;
  Boid* target;
  bool eating;
  bool mateInRange;
  Boid* mate;
  bool readyToMate;
  bool expired;
  bool dead;
  int32_t neighbourCount;  // shoalgen2
  uint8_t genome[kGenes];

 private:
  void Mate(BoidList& ownList);
  float* Weight(int gene);
};
