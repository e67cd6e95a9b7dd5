#include "behave/rangeLanes.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cmath>

// The 256-bit forms exist only on x86 processors; WebAssembly's SIMD lanes,
// to which the 128-bit forms compile, have no wider kind.
#if defined(__x86_64__) || defined(__i386__)
#define SHOALGEN_WIDE_LANES 1
#else
#define SHOALGEN_WIDE_LANES 0
#endif

namespace {
bool allowWide = true;

bool HasWideLanes() {
#if SHOALGEN_WIDE_LANES
  static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
  return has;
#else
  return false;
#endif
}

// The scalar test, for the members left over after the full groups.
inline bool InRange(const Vec3& centre, float size, float factor, float x, float y, float z, float memberSize) {
  const float dx = centre.x - x;
  const float dy = centre.y - y;
  const float dz = centre.z - z;
  return std::sqrt((dx * dx + dy * dy) + dz * dz) < (memberSize + size) * factor;
}

// The lanes' tests compare squared distances with bounds a little inside and
// outside the squared range, and take the square root only where a distance
// falls between them. For a range r of at least 2^-60, r * r and the inner
// bound are normal floats within two roundings of their values, so
//   d2 < r * r * (1 - 2^-20)  gives  d2 < r^2 (1 - 2^-21): the square root
//     lies more than two units in the last place below r and rounds below
//     it, in range;
//   d2 >= r * r * (1 + 2^-20) gives  d2 > r^2: out of range;
// both as the scalar test answers. A bound that overflows is infinite: only
// an infinite distance is beyond it, and is out; every finite one is within
// a range whose square overflows (at least 2^64, more than the square root
// of the largest float). Distances that are not numbers fail both tests and
// are out, as there. Smaller ranges, and ranges that are not numbers, take
// the square root.
constexpr float kInsideRange = 1.0f - 0x1p-20f;
constexpr float kOutsideRange = 1.0f + 0x1p-20f;
constexpr float kLeastRange = 0x1p-60f;

// Four tests, lane by lane the scalar one; the lanes that pass, as a mask.
inline __m128 InRangeMask4(__m128 cx, __m128 cy, __m128 cz, __m128 ownSize, __m128 k, __m128 x, __m128 y, __m128 z,
                           __m128 memberSize) {
  const __m128 dx = _mm_sub_ps(cx, x);
  const __m128 dy = _mm_sub_ps(cy, y);
  const __m128 dz = _mm_sub_ps(cz, z);
  const __m128 d2 = _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz));
  const __m128 range = _mm_mul_ps(_mm_add_ps(memberSize, ownSize), k);
  const __m128 squared = _mm_mul_ps(range, range);
  const __m128 inside = _mm_cmplt_ps(d2, _mm_mul_ps(squared, _mm_set1_ps(kInsideRange)));
  const __m128 notOutside = _mm_cmplt_ps(d2, _mm_mul_ps(squared, _mm_set1_ps(kOutsideRange)));
  const __m128 decided = _mm_andnot_ps(_mm_xor_ps(inside, notOutside), _mm_cmpge_ps(range, _mm_set1_ps(kLeastRange)));
  if (__builtin_expect(_mm_movemask_ps(decided) != 0xF, 0)) return _mm_cmplt_ps(_mm_sqrt_ps(d2), range);
  return inside;
}

// The same, the lanes that pass as bits.
inline int InRange4(__m128 cx, __m128 cy, __m128 cz, __m128 ownSize, __m128 k, __m128 x, __m128 y, __m128 z,
                    __m128 memberSize) {
  return _mm_movemask_ps(InRangeMask4(cx, cy, cz, ownSize, k, x, y, z, memberSize));
}

// Keeps the values of the lanes set in `mask`, in lane order, at `out`
// without a branch on the mask; returns how many.
inline size_t Keep4(int mask, const uint32_t* values, uint32_t* out) {
  size_t kept = 0;
  for (int lane = 0; lane < 4; ++lane) {
    out[kept] = values[lane];
    kept += (mask >> lane) & 1;
  }
  return kept;
}

// The sums as they run, in registers.
struct Running {
  __m128 position, centre, separation, alignment;
  size_t count;
};

inline Running Load(const SchoolSums& sums) {
  return Running{_mm_load_ps(sums.position), _mm_load_ps(sums.centre), _mm_load_ps(sums.separation),
                 _mm_load_ps(sums.alignment), sums.count};
}

inline void Store(const Running& running, SchoolSums* sums) {
  _mm_store_ps(sums->centre, running.centre);
  _mm_store_ps(sums->separation, running.separation);
  _mm_store_ps(sums->alignment, running.alignment);
  sums->count = running.count;
}

__attribute__((always_inline)) inline void Add(const float* records, const uint32_t* listed, size_t count,
                                               Running* running) {
  // In locals: the compiler cannot tell that the records' loads leave the
  // running sums be, and would keep the sums in memory.
  const __m128 position = running->position;
  __m128 centre = running->centre;
  __m128 separation = running->separation;
  __m128 alignment = running->alignment;
  for (size_t n = 0; n < count; ++n) {
    const float* member = records + size_t{8} * listed[n];
    const __m128 at = _mm_loadu_ps(member);
    centre = _mm_add_ps(centre, at);
    separation = _mm_add_ps(separation, _mm_sub_ps(position, at));
    alignment = _mm_add_ps(alignment, _mm_loadu_ps(member + 4));
  }
  running->centre = centre;
  running->separation = separation;
  running->alignment = alignment;
  running->count += count;
}

// The members in range are summed a block at a time, while the block's
// records are still cached from their tests; the next block's tests need
// not wait for the sums. Long blocks make the end of the sums' loop, which
// the processor mispredicts, rare: blocks of 128 ran the walk about a
// fifth faster than blocks of 32.
constexpr size_t kBlock = 128;

void AddInRangeNarrow(const float* records, const uint32_t* listed, size_t count, float size, float factor,
                      Running* running) {
  alignas(16) float at[4];
  _mm_store_ps(at, running->position);
  const Vec3 centre(at[0], at[1], at[2]);
  const __m128 cx = _mm_set1_ps(centre.x);
  const __m128 cy = _mm_set1_ps(centre.y);
  const __m128 cz = _mm_set1_ps(centre.z);
  const __m128 ownSize = _mm_set1_ps(size);
  const __m128 k = _mm_set1_ps(factor);
  uint32_t kept[kBlock];
  size_t n = 0;
  while (n < count) {
    const size_t end = std::min(count, n + kBlock);
    size_t found = 0;
    for (; n + 4 <= end; n += 4) {
      // Four records turned into one register per field.
      __m128 x = _mm_loadu_ps(records + size_t{8} * listed[n]);
      __m128 y = _mm_loadu_ps(records + size_t{8} * listed[n + 1]);
      __m128 z = _mm_loadu_ps(records + size_t{8} * listed[n + 2]);
      __m128 s = _mm_loadu_ps(records + size_t{8} * listed[n + 3]);
      _MM_TRANSPOSE4_PS(x, y, z, s);
      found += Keep4(InRange4(cx, cy, cz, ownSize, k, x, y, z, s), listed + n, kept + found);
    }
    for (; n < end; ++n) {
      const float* r = records + size_t{8} * listed[n];
      kept[found] = listed[n];
      found += InRange(centre, size, factor, r[0], r[1], r[2], r[3]);
    }
    Add(records, kept, found, running);
  }
}

size_t SweptNarrow(const float* x, const float* y, const float* z, const float* memberSize, const uint32_t* slot,
                   size_t count, const Vec3& centre, float size, float factor, uint32_t self, uint32_t* found,
                   size_t n) {
  const __m128 cx = _mm_set1_ps(centre.x);
  const __m128 cy = _mm_set1_ps(centre.y);
  const __m128 cz = _mm_set1_ps(centre.z);
  const __m128 ownSize = _mm_set1_ps(size);
  const __m128 k = _mm_set1_ps(factor);
  const __m128i selfSlot = _mm_set1_epi32(static_cast<int32_t>(self));
  size_t kept = 0;
  for (; n + 4 <= count; n += 4) {
    const __m128i slots = _mm_loadu_si128(reinterpret_cast<const __m128i*>(slot + n));
    const int isSelf = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(slots, selfSlot)));
    const int in = InRange4(cx, cy, cz, ownSize, k, _mm_loadu_ps(x + n), _mm_loadu_ps(y + n), _mm_loadu_ps(z + n),
                            _mm_loadu_ps(memberSize + n));
    kept += Keep4(in & ~isSelf, slot + n, found + kept);
  }
  for (; n < count; ++n) {
    found[kept] = slot[n];
    kept += slot[n] != self && InRange(centre, size, factor, x[n], y[n], z[n], memberSize[n]);
  }
  return kept;
}

// Plain loops over members side by side: the compiler tests several per
// instruction, in lanes as wide as the function's target allows.
__attribute__((always_inline)) inline void SweepLoop(const float* x, const float* y, const float* z,
                                                     const float* memberSize, size_t count, const Vec3& centre,
                                                     float size, float factor, uint8_t* passed) {
  for (size_t n = 0; n < count; ++n) passed[n] = InRange(centre, size, factor, x[n], y[n], z[n], memberSize[n]);
}

void ThreatNarrow(const float (*fish)[kFishLanes], const float* x, const float* y, const float* z,
                  const float* memberSize, const uint32_t* listed, size_t count, float factor,
                  float (*away)[kFishLanes], int32_t* counts) {
  // Two groups of four fish.
  __m128 px[2], py[2], pz[2], ps[2], ax[2], ay[2], az[2];
  __m128i passed[2];
  for (int g = 0; g < 2; ++g) {
    px[g] = _mm_loadu_ps(fish[0] + 4 * g);
    py[g] = _mm_loadu_ps(fish[1] + 4 * g);
    pz[g] = _mm_loadu_ps(fish[2] + 4 * g);
    ps[g] = _mm_loadu_ps(fish[3] + 4 * g);
    ax[g] = ay[g] = az[g] = _mm_setzero_ps();
    passed[g] = _mm_setzero_si128();
  }
  const __m128 k = _mm_set1_ps(factor);
  for (size_t n = 0; n < count; ++n) {
    const uint32_t member = listed[n];
    const __m128 mx = _mm_set1_ps(x[member]);
    const __m128 my = _mm_set1_ps(y[member]);
    const __m128 mz = _mm_set1_ps(z[member]);
    const __m128 ms = _mm_set1_ps(memberSize[member]);
    for (int g = 0; g < 2; ++g) {
      const __m128 dx = _mm_sub_ps(px[g], mx);
      const __m128 dy = _mm_sub_ps(py[g], my);
      const __m128 dz = _mm_sub_ps(pz[g], mz);
      const __m128 in = InRangeMask4(px[g], py[g], pz[g], ps[g], k, mx, my, mz, ms);
      ax[g] = _mm_add_ps(ax[g], _mm_and_ps(in, dx));
      ay[g] = _mm_add_ps(ay[g], _mm_and_ps(in, dy));
      az[g] = _mm_add_ps(az[g], _mm_and_ps(in, dz));
      passed[g] = _mm_sub_epi32(passed[g], _mm_castps_si128(in));
    }
  }
  for (int g = 0; g < 2; ++g) {
    _mm_storeu_ps(away[0] + 4 * g, ax[g]);
    _mm_storeu_ps(away[1] + 4 * g, ay[g]);
    _mm_storeu_ps(away[2] + 4 * g, az[g]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(counts + 4 * g), passed[g]);
  }
}

// The 256-bit forms: the same operations, eight lanes at a time. The list
// walk tests its last few members as one more group; the swept test leaves
// them to the 128-bit form. Each clears the registers' upper halves
// before any 128-bit code runs: SSE instructions after 256-bit ones with
// dirty upper halves run several times slower. The compiler does not always
// clear them before a call.
#if SHOALGEN_WIDE_LANES
#define WIDE __attribute__((target("avx2,popcnt")))

WIDE inline __m256 InRangeMask8(__m256 cx, __m256 cy, __m256 cz, __m256 ownSize, __m256 k, __m256 x, __m256 y,
                                __m256 z, __m256 memberSize) {
  const __m256 dx = _mm256_sub_ps(cx, x);
  const __m256 dy = _mm256_sub_ps(cy, y);
  const __m256 dz = _mm256_sub_ps(cz, z);
  const __m256 d2 =
      _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(dy, dy)), _mm256_mul_ps(dz, dz));
  const __m256 range = _mm256_mul_ps(_mm256_add_ps(memberSize, ownSize), k);
  const __m256 squared = _mm256_mul_ps(range, range);
  const __m256 inside = _mm256_cmp_ps(d2, _mm256_mul_ps(squared, _mm256_set1_ps(kInsideRange)), _CMP_LT_OQ);
  const __m256 notOutside = _mm256_cmp_ps(d2, _mm256_mul_ps(squared, _mm256_set1_ps(kOutsideRange)), _CMP_LT_OQ);
  const __m256 decided = _mm256_andnot_ps(_mm256_xor_ps(inside, notOutside),
                                          _mm256_cmp_ps(range, _mm256_set1_ps(kLeastRange), _CMP_GE_OQ));
  if (__builtin_expect(_mm256_movemask_ps(decided) != 0xFF, 0))
    return _mm256_cmp_ps(_mm256_sqrt_ps(d2), range, _CMP_LT_OQ);
  return inside;
}

WIDE inline int InRange8(__m256 cx, __m256 cy, __m256 cz, __m256 ownSize, __m256 k, __m256 x, __m256 y, __m256 z,
                         __m256 memberSize) {
  return _mm256_movemask_ps(InRangeMask8(cx, cy, cz, ownSize, k, x, y, z, memberSize));
}

// For each mask of eight lanes, the lanes set, in order, then zeros: the
// permutation that moves the kept values to the front.
using Gathers = std::array<std::array<uint32_t, 8>, 256>;
constexpr Gathers MakeGathers() {
  Gathers table{};
  for (int mask = 0; mask < 256; ++mask) {
    int kept = 0;
    for (int lane = 0; lane < 8; ++lane)
      if ((mask >> lane) & 1) table[mask][kept++] = static_cast<uint32_t>(lane);
  }
  return table;
}
constexpr Gathers kGathers = MakeGathers();

// Keep4 for eight lanes, by one permutation.
WIDE inline size_t Keep8(int mask, __m256i values, uint32_t* out) {
  const __m256i order = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kGathers[mask].data()));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permutevar8x32_epi32(values, order));
  return static_cast<size_t>(__builtin_popcount(static_cast<unsigned>(mask)));
}

// The first four floats of record `low` in the low half, of `high` in the high one.
WIDE inline __m256 Records(const float* records, uint32_t low, uint32_t high) {
  return _mm256_set_m128(_mm_loadu_ps(records + size_t{8} * high), _mm_loadu_ps(records + size_t{8} * low));
}

// The eight listed members' tests. Records 0..3 go in the low halves, 4..7
// in the high ones, each half then turned as the 128-bit form turns four
// records.
WIDE inline int ListedInRange8(const float* records, const uint32_t* member, __m256 cx, __m256 cy, __m256 cz,
                               __m256 ownSize, __m256 k) {
  const __m256 r0 = Records(records, member[0], member[4]);
  const __m256 r1 = Records(records, member[1], member[5]);
  const __m256 r2 = Records(records, member[2], member[6]);
  const __m256 r3 = Records(records, member[3], member[7]);
  const __m256 lowXY = _mm256_unpacklo_ps(r0, r1);
  const __m256 highXY = _mm256_unpackhi_ps(r0, r1);
  const __m256 lowZS = _mm256_unpacklo_ps(r2, r3);
  const __m256 highZS = _mm256_unpackhi_ps(r2, r3);
  return InRange8(cx, cy, cz, ownSize, k, _mm256_shuffle_ps(lowXY, lowZS, 0x44), _mm256_shuffle_ps(lowXY, lowZS, 0xEE),
                  _mm256_shuffle_ps(highXY, highZS, 0x44), _mm256_shuffle_ps(highXY, highZS, 0xEE));
}

WIDE void AddInRangeWide(const float* records, const uint32_t* listed, size_t count, float size, float factor,
                         Running* running) {
  alignas(16) float at[4];
  _mm_store_ps(at, running->position);
  const __m256 cx = _mm256_set1_ps(at[0]);
  const __m256 cy = _mm256_set1_ps(at[1]);
  const __m256 cz = _mm256_set1_ps(at[2]);
  const __m256 ownSize = _mm256_set1_ps(size);
  const __m256 k = _mm256_set1_ps(factor);
  uint32_t kept[kBlock + 8];
  size_t n = 0;
  while (n < count) {
    const size_t end = std::min(count, n + kBlock);
    size_t found = 0;
    for (; n + 8 <= end; n += 8) {
      const uint32_t* member = listed + n;
      found += Keep8(ListedInRange8(records, member, cx, cy, cz, ownSize, k),
                     _mm256_loadu_si256(reinterpret_cast<const __m256i*>(member)), kept + found);
    }
    if (n < end) {
      // The last few, in a group filled up with the first of them, whose
      // lanes are then dropped.
      const size_t left = end - n;
      uint32_t last[8];
      for (size_t lane = 0; lane < 8; ++lane) last[lane] = listed[n + (lane < left ? lane : 0)];
      const int in = ListedInRange8(records, last, cx, cy, cz, ownSize, k) & ((1 << left) - 1);
      found += Keep8(in, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(last)), kept + found);
      n = end;
    }
    Add(records, kept, found, running);
  }
  _mm256_zeroupper();
}

WIDE size_t SweptWide(const float* x, const float* y, const float* z, const float* memberSize, const uint32_t* slot,
                      size_t count, const Vec3& centre, float size, float factor, uint32_t self, uint32_t* found) {
  const __m256 cx = _mm256_set1_ps(centre.x);
  const __m256 cy = _mm256_set1_ps(centre.y);
  const __m256 cz = _mm256_set1_ps(centre.z);
  const __m256 ownSize = _mm256_set1_ps(size);
  const __m256 k = _mm256_set1_ps(factor);
  const __m256i selfSlot = _mm256_set1_epi32(static_cast<int32_t>(self));
  size_t kept = 0;
  size_t n = 0;
  for (; n + 8 <= count; n += 8) {
    const __m256i slots = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(slot + n));
    const int isSelf = _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(slots, selfSlot)));
    const int in = InRange8(cx, cy, cz, ownSize, k, _mm256_loadu_ps(x + n), _mm256_loadu_ps(y + n),
                            _mm256_loadu_ps(z + n), _mm256_loadu_ps(memberSize + n));
    kept += Keep8(in & ~isSelf, slots, found + kept);
  }
  _mm256_zeroupper();
  return kept + SweptNarrow(x, y, z, memberSize, slot, count, centre, size, factor, self, found + kept, n);
}

WIDE void SweepWide(const float* x, const float* y, const float* z, const float* memberSize, size_t count,
                    const Vec3& centre, float size, float factor, uint8_t* passed) {
  SweepLoop(x, y, z, memberSize, count, centre, size, factor, passed);
}

WIDE void ThreatWide(const float (*fish)[kFishLanes], const float* x, const float* y, const float* z,
                     const float* memberSize, const uint32_t* listed, size_t count, float factor,
                     float (*away)[kFishLanes], int32_t* counts) {
  const __m256 px = _mm256_loadu_ps(fish[0]);
  const __m256 py = _mm256_loadu_ps(fish[1]);
  const __m256 pz = _mm256_loadu_ps(fish[2]);
  const __m256 ps = _mm256_loadu_ps(fish[3]);
  const __m256 k = _mm256_set1_ps(factor);
  __m256 ax = _mm256_setzero_ps();
  __m256 ay = _mm256_setzero_ps();
  __m256 az = _mm256_setzero_ps();
  __m256i passed = _mm256_setzero_si256();
  for (size_t n = 0; n < count; ++n) {
    const uint32_t member = listed[n];
    const __m256 mx = _mm256_set1_ps(x[member]);
    const __m256 my = _mm256_set1_ps(y[member]);
    const __m256 mz = _mm256_set1_ps(z[member]);
    const __m256 dx = _mm256_sub_ps(px, mx);
    const __m256 dy = _mm256_sub_ps(py, my);
    const __m256 dz = _mm256_sub_ps(pz, mz);
    const __m256 in = InRangeMask8(px, py, pz, ps, k, mx, my, mz, _mm256_set1_ps(memberSize[member]));
    ax = _mm256_add_ps(ax, _mm256_and_ps(in, dx));
    ay = _mm256_add_ps(ay, _mm256_and_ps(in, dy));
    az = _mm256_add_ps(az, _mm256_and_ps(in, dz));
    passed = _mm256_sub_epi32(passed, _mm256_castps_si256(in));
  }
  _mm256_storeu_ps(away[0], ax);
  _mm256_storeu_ps(away[1], ay);
  _mm256_storeu_ps(away[2], az);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(counts), passed);
}
#undef WIDE
#endif
}  // namespace

bool WideLanes() { return allowWide && HasWideLanes(); }

void AllowWideLanes(bool allow) { allowWide = allow; }

SchoolSums::SchoolSums(const Vec3& fish)
    : position{fish.x, fish.y, fish.z, 0.0f},
      centre{fish.x, fish.y, fish.z, 0.0f},
      separation{0.0f, 0.0f, 0.0f, 0.0f},
      alignment{0.0f, 0.0f, 0.0f, 0.0f} {}

void AddListed(const float* records, const uint32_t* listed, size_t count, SchoolSums* sums) {
  Running running = Load(*sums);
  Add(records, listed, count, &running);
  Store(running, sums);
}

void AddListedInRange(const float* records, const uint32_t* listed, size_t count, float size, float factor,
                      SchoolSums* sums) {
  Running running = Load(*sums);
#if SHOALGEN_WIDE_LANES
  if (WideLanes())
    AddInRangeWide(records, listed, count, size, factor, &running);
  else
#endif
    AddInRangeNarrow(records, listed, count, size, factor, &running);
  Store(running, sums);
}

size_t SweptInRange(const float* x, const float* y, const float* z, const float* memberSize, const uint32_t* slot,
                    size_t count, const Vec3& centre, float size, float factor, uint32_t self, uint32_t* found) {
#if SHOALGEN_WIDE_LANES
  if (WideLanes()) return SweptWide(x, y, z, memberSize, slot, count, centre, size, factor, self, found);
#endif
  return SweptNarrow(x, y, z, memberSize, slot, count, centre, size, factor, self, found, 0);
}

void SweepRange(const float* x, const float* y, const float* z, const float* memberSize, size_t count,
                const Vec3& centre, float size, float factor, uint8_t* passed) {
#if SHOALGEN_WIDE_LANES
  if (WideLanes())
    SweepWide(x, y, z, memberSize, count, centre, size, factor, passed);
  else
#endif
    SweepLoop(x, y, z, memberSize, count, centre, size, factor, passed);
}

void ThreatLanes(const float (*fish)[kFishLanes], const float* x, const float* y, const float* z,
                 const float* memberSize, const uint32_t* listed, size_t count, float factor,
                 float (*away)[kFishLanes], int32_t* counts) {
  // A lane adds +0 where its test fails, which leaves its sum as it is: a
  // sum that starts at +0 never becomes -0 (only -0 + -0 gives that), so
  // the sums are the scan's. Unused lanes are not numbers and never pass.
#if SHOALGEN_WIDE_LANES
  if (WideLanes())
    ThreatWide(fish, x, y, z, memberSize, listed, count, factor, away, counts);
  else
#endif
    ThreatNarrow(fish, x, y, z, memberSize, listed, count, factor, away, counts);
}
