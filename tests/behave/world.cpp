#include "world.h"

INSTANTIATE_TEST_SUITE_P(Rules, BothRules, ::testing::Values(RuleSet::Shoalgen, RuleSet::Shoalgen2),
                         RuleName);
