#pragma once

#include <cstdint>

// The simulation's own generator: the classic linear congruential one
// (state * 214013 + 2531011, result bits 16..30), written here so that every
// build draws the same sequence. The state starts at 1.
int Rand();
// Restarts the sequence (state 1), as at process start.
void ResetRandom();
// The generator's state, to replay or predict a stretch of draws.
uint32_t RandomState();
void SetRandomState(uint32_t value);

// rand() * 32769 / 2^30 in double precision, stored to a float: 0 to 0.99999.
float RandomUnit();
// The unrounded double product behind RandomUnit(); the mating draw uses it.
double RandomUnitExact();
// (RandomUnit() - 0.5) * 2, about -1 to 1.
float RandomSigned();
