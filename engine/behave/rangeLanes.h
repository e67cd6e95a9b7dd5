#pragma once

#include <cstddef>
#include <cstdint>

#include "core/vec3.h"

// The range tests that the index makes over many members at once, several
// per instruction. Each has a form for 128-bit lanes (SSE2, which every
// x86-64 processor has) and one for 256-bit lanes (AVX2), which runs where
// the processor has it. Every lane makes Boid::Steer's test of a member
// against a fish at `centre` of `size`,
//   sqrt((dx * dx + dy * dy) + dz * dz) < (member size + size) * factor
// with dx = centre.x - member x and so on, rounded step by step as the
// scalar test is, so both forms answer exactly as the scan does. (Most
// lanes decide on the squared distance, between bounds that give the
// square root's answer; the others take the square root.)

// Whether the 256-bit forms run: where the processor has AVX2, unless they
// are turned off (as tests do, to run the 128-bit forms on the same machine).
bool WideLanes();
void AllowWideLanes(bool allow);

// The sums over a school, member by member in list order, lane by lane the
// float operations of Steer's scan: the centre starts at the fish's
// position, the others at 0; each member adds its position to the centre,
// (fish's position - its position) to the separation and its heading to
// the alignment. Lane 3 of each carries what the records hold there.
struct SchoolSums {
  explicit SchoolSums(const Vec3& fish);
  alignas(16) float position[4];
  alignas(16) float centre[4];
  alignas(16) float separation[4];
  alignas(16) float alignment[4];
  size_t count = 0;
};

// Records of 8 floats: x, y, z, size, then heading x, y, z and anything.
// Adds the members whose records are listed by index to the sums.
void AddListed(const float* records, const uint32_t* listed, size_t count, SchoolSums* sums);
// Adds those of them within range of the fish, which has `size`.
void AddListedInRange(const float* records, const uint32_t* listed, size_t count, float size, float factor,
                      SchoolSums* sums);

// The members side by side (member n at x[n], y[n], z[n] of memberSize[n]),
// in range, apart from the one whose slot is `self`: writes slot[n] of
// each, in order, to `found`, which has room for `count` + 8, and returns
// their number.
size_t SweptInRange(const float* x, const float* y, const float* z, const float* memberSize,
                    const uint32_t* slot, size_t count, const Vec3& centre, float size, float factor,
                    uint32_t self, uint32_t* found);

// passed[n] = 1 where member n of those side by side is in range, else 0.
void SweepRange(const float* x, const float* y, const float* z, const float* memberSize, size_t count,
                const Vec3& centre, float size, float factor, uint8_t* passed);

// Eight fish at once, fish f at fish[0][f], fish[1][f], fish[2][f] of size
// fish[3][f]; unused fish have coordinates that are not numbers. For each,
// over the listed members side by side in range of it, in list order: the
// sums of (fish - member) per axis in away[0..2][f], and their number.
constexpr int kFishLanes = 8;
void ThreatLanes(const float (*fish)[kFishLanes], const float* x, const float* y, const float* z,
                 const float* memberSize, const uint32_t* listed, size_t count, float factor,
                 float (*away)[kFishLanes], int32_t* counts);
