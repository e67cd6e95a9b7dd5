#pragma once

#include <gtest/gtest.h>

#include "behave/behave.h"
#include "behave/random.h"
#include "behave/settings.h"
#include "core/log.h"
#include "support/tempDir.h"

// A fresh world of one rule set: defaults, generator at its start, empty
// lists, working in a folder of its own (matings write to "Log.txt").
class World {
 public:
  explicit World(RuleSet rules)
      : dir_(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             (rules == RuleSet::Shoalgen2 ? "-2" : "-1")) {
    ClearPopulation();
    ruleSet = rules;
    SetDefaultSettings();
    mutationRate = 0.1f;
    ResetRandom();
  }
  ~World() {
    ClearPopulation();
    Log::Close();
  }
  const ScopedWorkDir& dir() const { return dir_; }

 private:
  ScopedWorkDir dir_;
};

// A Boid placed at `where` with all five genome weights and the separation
// weight zeroed, so a test switches on just the term it looks at.
inline Boid* QuietFish(const Vec3& where, float size) {
  Boid* b = new Boid();
  b->Init(where, size);
  b->separationWeight = b->cohesionWeight = b->alignmentWeight = 0.0f;
  b->fleeWeight = b->preyWeight = b->mateWeight = 0.0f;
  return b;
}

// Parametrised over both rule sets.
class BothRules : public ::testing::TestWithParam<RuleSet> {
 protected:
  BothRules() : world_(GetParam()) {}
  World world_;
};

inline std::string RuleName(const ::testing::TestParamInfo<RuleSet>& info) {
  return info.param == RuleSet::Shoalgen ? "shoalgen" : "shoalgen2";
}
