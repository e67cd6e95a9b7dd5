#include "behave/boid.h"

#include <cmath>

#include "behave/behave.h"
#include "behave/random.h"
#include "behave/settings.h"
#include "behave/steerIndex.h"
#include "behave/steerWeights.h"
#include "core/log.h"

namespace {
// Rule constants that differ between the two rule sets.
float NeighbourFactor() { return IsShoalgen2() ? 4.0f : 1.0f; }
float FleeFactor() { return IsShoalgen2() ? 6.0f : 2.0f; }
float EatingReach() { return IsShoalgen2() ? 0.7f : 0.4f; }

constexpr float kMatingReach = 2.5f;
constexpr int kLeastNeighboursForCohesion = 3;
constexpr int32_t kSchoolThatHidesPrey = 10;
constexpr float kInfantEnergyFactor = 0.7f;
constexpr float kExpiryDelay = 4.0f;
constexpr float kOuterWallMargin = 0.8f;

void ClampLength(Vec3& v, float limit) {
  if (v.Length() > limit) v = v.Normalise() * limit;
}

// Per axis: +amount below -bound, -amount above +bound.
Vec3 WallPush(const Vec3& p, float bound, float amount) {
  Vec3 push;
  if (p.x < -bound) push.x += amount;
  if (p.x > bound) push.x -= amount;
  if (p.y < -bound) push.y += amount;
  if (p.y > bound) push.y -= amount;
  if (p.z < -bound) push.z += amount;
  if (p.z > bound) push.z -= amount;
  return push;
}

size_t IndexOf(const BoidList& list, const Boid* boid) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i] == boid) return i;
  return list.size();
}

unsigned Address(const void* p) { return static_cast<unsigned>(reinterpret_cast<uintptr_t>(p)); }
}  // namespace

Boid::Boid()
    : maxSpeed(0.5f),
      maxForce(1.0f),
      size(1.0f),
      lastUpdateTime(-1.0f),
      energy(60.0f),
      mateThreshold(30.0f),
      birthTime(-1.0f),
      deathTime(-1.0f),
      infant(true),
      target(nullptr),
      eating(false),
      mateInRange(false),
      mate(nullptr),
      readyToMate(false),
      expired(false),
      dead(false),
      neighbourCount(0),
      genome{} {
  // One statement per draw: the order of the draws is part of the rules.
  if (IsShoalgen2()) {
    cohesionWeight = 10.0f * RandomUnit();
    alignmentWeight = 10.0f * RandomUnit();
    fleeWeight = 10.0f * RandomUnit();
    preyWeight = (RandomUnit() + 1.0f) * 10.0f;
    mateWeight = 10.0f * RandomUnit() + 20.0f;
    separationWeight =
        0.2f * ((((cohesionWeight + alignmentWeight) + fleeWeight) + preyWeight) + mateWeight);
  } else {
    cohesionWeight = 3.0f * RandomUnit();
    alignmentWeight = RandomUnit();
    fleeWeight = 8.0f * RandomUnit() + 4.0f;
    preyWeight = (RandomUnit() + 1.0f) * 2.0f;
    mateWeight = 8.0f * RandomUnit() + 4.0f;
    separationWeight = 4.0f;
  }
  const float grown = size + 1.0f;
  maturityAge = grown * grown * 1.5f;
}

void Boid::Init(const Vec3& where, float bodySize) {
  position = where;
  size = bodySize;
  if (IsShoalgen2()) {
    maxSpeed = (0.5f * bodySize + 1.0f) * 0.8f;
    maxForce = 6.0f * maxSpeed;
    separationWeight =
        0.2f * ((((cohesionWeight + alignmentWeight) + fleeWeight) + preyWeight) + mateWeight);
  } else {
    maxSpeed = 1.5f - 0.5f * bodySize;
  }
  energy = 30.0f;
  mateThreshold = (bodySize + 1.0f) * 30.0f;
  const float grown = bodySize + 1.0f;
  maturityAge = grown * grown * 15.0f;
  infant = true;
  birthTime = -1.0f;
  EncodeGenome();
  DecodeGenome();
}

float* Boid::Weight(int gene) {
  switch (gene) {
    case 0: return &cohesionWeight;
    case 1: return &alignmentWeight;
    case 2: return &fleeWeight;
    case 3: return &preyWeight;
    default: return &mateWeight;
  }
}

void Boid::EncodeGenome() {
  for (int g = 0; g < kGenes; ++g) {
    float scaled = *Weight(g) * 8.0f;
    if (!(scaled >= 0.0f)) scaled = 0.0f;  // negative, or not a number
    if (scaled > 255.0f) scaled = 255.0f;
    genome[g] = static_cast<uint8_t>(scaled);
  }
}

float Boid::GeneWeight(uint8_t gene) { return gene * 0.125f + 0.001f; }

void Boid::DecodeGenome() {
  for (int g = 0; g < kGenes; ++g) *Weight(g) = GeneWeight(genome[g]);
}

void Boid::Steer(size_t index, const BoidList& ownList, const BoidList& predatorList,
                 const BoidList& preyList) {
  const bool rules2 = IsShoalgen2();
  if (rules2) neighbourCount = 0;

  readyToMate = energy > mateThreshold && !infant;
  if (!readyToMate) mate = nullptr;

  // During UpdateSimulation the lists may be indexed; the index hands over
  // the fish in range, in list order, as the scans below find them.
  SteerIndex* fast = SteerIndex::Active(ownList, predatorList, preyList);

  Vec3 centre = position;
  Vec3 separation;
  Vec3 alignment;
  int n = 0;
  const float kN = NeighbourFactor();
  if (fast) {
    if (readyToMate)
      if (Boid* last = fast->LastReadyOther(*this)) mate = last;
    const BoidGrid::School school = fast->Neighbours(*this, kN);
    centre = school.centre;
    separation = school.separation;
    alignment = school.alignment;
    n = school.count;
  } else {
    for (size_t i = 0; i < ownList.size(); ++i) {
      if (i == index) continue;
      const Boid* other = ownList[i];
      const Vec3 d = position - other->position;
      const float dist = d.Length();
      if (readyToMate && other->readyToMate) mate = const_cast<Boid*>(other);
      if (dist < (other->size + size) * kN) {
        centre += other->position;
        separation += d;
        Vec3 heading = other->steering;
        alignment += heading.Normalise();
        ++n;
      }
    }
  }
  if (rules2) neighbourCount = n;

  Vec3 toMate;
  if (readyToMate && mate) {
    toMate = mate->position - position;
    if (toMate.Length() < size * kMatingReach) mateInRange = true;
  }

  Vec3 cohesion;
  if (n >= kLeastNeighboursForCohesion) {
    centre = centre / static_cast<float>(n);
    cohesion = centre - position;
    if (rules2) separation = separation / static_cast<float>(n);
  }

  Vec3 flee;
  int m = 0;
  const float kF = FleeFactor();
  if (fast) {
    const BoidGrid::Threat threat = fast->Predators(*this, kF);
    flee = threat.away;
    m = threat.count;
  } else {
    for (const Boid* predator : predatorList) {
      const Vec3 d = position - predator->position;
      if (d.Length() < (predator->size + size) * kF) {
        flee += d;
        ++m;
      }
    }
  }
  if (m >= 1) flee = flee / static_cast<float>(m);

  float best = 1e8f;
  Boid* chosen = nullptr;
  if (fast) {
    chosen = fast->NearestPrey(*this);
    if (chosen) best = (chosen->position - position).Length();
  } else {
    for (Boid* prey : preyList) {
      if (prey->HiddenInSchool()) continue;
      const float dist = (prey->position - position).Length();
      if (dist < best) {
        best = dist;
        chosen = prey;
      }
    }
  }

  Vec3 toPrey;
  if (rules2) {
    if (chosen) {
      toPrey = chosen->position - position;
      eating = toPrey.Length() < size * EatingReach();
      if (eating) target = chosen;
    }
  } else {
    eating = best < size * EatingReach();
    if (eating) target = chosen;
    if (chosen) toPrey = chosen->position - position;
  }

  const SteerWeights w = SteeringWeights(*this, ownList);
  steering = separation * w.separation + cohesion * w.cohesion + alignment * w.alignment +
             flee * w.flee + toPrey * w.prey + toMate * w.mate;
  ClampLength(steering, rules2 ? maxForce : maxSpeed);
  if (rules2)
    acceleration = steering;
  else
    desiredVelocity = steering;
}

bool Boid::HiddenInSchool() const { return IsShoalgen2() && neighbourCount >= kSchoolThatHidesPrey; }

void Boid::KeepInTank(float bound) {
  if (IsShoalgen2()) {
    steering += WallPush(position, bound, 4.0f * maxForce);
    ClampLength(steering, maxForce);
    acceleration = steering;
    velocity += WallPush(position, bound + kOuterWallMargin, maxSpeed);
    ClampLength(velocity, maxSpeed);
  } else {
    steering += WallPush(position, bound, maxSpeed);
    ClampLength(steering, maxSpeed);
    desiredVelocity = steering;
  }
}

void Boid::Integrate(float now) {
  if (lastUpdateTime < 0.0f) lastUpdateTime = now;
  if (birthTime < 0.0f) birthTime = now;
  const float dt = now - lastUpdateTime;

  Vec3 smoothed;
  if (IsShoalgen2()) {
    position += velocity * dt + acceleration * 0.5f * dt * dt;
    velocity += acceleration * dt;
    ClampLength(velocity, maxSpeed);
  } else {
    smoothed = velocity * 0.9f + desiredVelocity * 0.1f;
    position += smoothed * dt;
  }

  if (now - birthTime > maturityAge) {
    if (infant) {
      maxSpeed *= 2.0f;
      if (IsShoalgen2()) maxForce *= 2.0f;
    }
    infant = false;
  } else {
    infant = true;
  }

  float use = dt * (size + 1.0f);
  if (infant) use *= kInfantEnergyFactor;
  energy -= use;

  if (energy < 0.0f && !dead) {
    deathTime = now;
    dead = true;
  }
  lastUpdateTime = now;
  if (!IsShoalgen2()) velocity = smoothed;
}

bool Boid::Resolve(BoidList& ownList, BoidList& preyList) {
  if (dead) {
    maxSpeed = 0.0f;
    if (lastUpdateTime - deathTime > kExpiryDelay) expired = true;
  }
  if (expired) {
    const size_t self = IndexOf(ownList, this);
    if (self < ownList.size()) {
      RemoveBoid(ownList, self);  // destroys this Boid
      return true;
    }
    return false;
  }
  if (eating && !preyList.empty()) {
    if (!IsShoalgen2()) {
      LOG_TRACE("0x%x is eating(tru).", Address(this));
      LOG_TRACE("and 0x%x is tryign to eat 0x%x", Address(this), Address(target));
    }
    const size_t found = IndexOf(preyList, target);
    if (found < preyList.size()) {
      energy += target->mateThreshold;
      if (!IsShoalgen2()) LOG_TRACE("0x%x is eating 0x%x", Address(this), Address(target));
      RemoveBoid(preyList, found);
      return false;
    }
  }
  Mate(ownList);
  return false;
}

void Boid::Mate(BoidList& ownList) {
  if (!mateInRange || !mate || !mate->readyToMate) return;

  Boid* child = new Boid();
  child->Init(position, size * 0.5f);
  if (!IsShoalgen2()) {
    LOG_TRACE("make a baby [positions:]\n");
    LogVector(position);
    LogVector(child->position);
  }
  child->position.x += RandomSigned() * 0.5f;
  child->position.y += RandomSigned() * 0.5f;
  child->position.z += RandomSigned() * 0.5f;
  child->lastUpdateTime = lastUpdateTime;

  EncodeGenome();
  mate->EncodeGenome();
  const double r = RandomUnitExact();
  if (r >= static_cast<double>(mutationRate))
    Crossover(genome, mate->genome, child->genome);
  else
    Mutate(genome, child->genome);
  child->DecodeGenome();
  ownList.push_back(child);

  mateInRange = false;
  readyToMate = false;
  mate->mateInRange = false;
  mate->readyToMate = false;
  const float halved = mateThreshold * 0.5f;
  energy = halved;
  mate->energy = halved;
}

void Boid::Crossover(const uint8_t* parentGenome, const uint8_t* mateGenome,
                     uint8_t* childGenome) {
  const int cut = Rand() % kGenes;
  for (int i = 0; i < kGenes; ++i) childGenome[i] = i < cut ? parentGenome[i] : mateGenome[i];
}

void Boid::Mutate(const uint8_t* parentGenome, uint8_t* childGenome) {
  const int gene = Rand() % kGenes;
  for (int i = 0; i < kGenes; ++i) childGenome[i] = parentGenome[i];
  childGenome[gene] = static_cast<uint8_t>(Rand() & 0xFF);
}

float Boid::Heading() const {
  Vec3 v = desiredVelocity;
  if (IsShoalgen2()) {
    v = velocity;
    v.Normalise();
  }
  const Vec3 u(1.0f, 0.0f, 0.0f);
  const float p = u.Length() * v.Length();
  if (p == 0.0f) return 0.0f;
  // Rounding can carry the cosine just past 1; acos would give NaN there.
  const float a = std::acos(std::fmax(-1.0f, std::fmin(1.0f, u.Dot(v) / p)));
  if (v.z > 0.0f) return a + 3.1415927f;
  return static_cast<float>((6.283185307179586 - a) + 3.1415927f);
}
