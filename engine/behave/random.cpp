#include "behave/random.h"

#include <cstdint>

namespace {
uint32_t state = 1;
// The float 3.0518509e-05 is exactly 32769 / 2^30.
constexpr double kUnitScale = 32769.0 / 1073741824.0;
}  // namespace

int Rand() {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFFu);
}

void ResetRandom() { state = 1; }

uint32_t RandomState() { return state; }

void SetRandomState(uint32_t value) { state = value; }

double RandomUnitExact() { return static_cast<double>(Rand()) * kUnitScale; }

float RandomUnit() { return static_cast<float>(RandomUnitExact()); }

float RandomSigned() { return (RandomUnit() - 0.5f) * 2.0f; }
