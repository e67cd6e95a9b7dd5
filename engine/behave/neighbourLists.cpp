#include "behave/neighbourLists.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Below this many fish the grid's searches are cheap enough.
constexpr size_t kLeastForLists = 256;
// Lists this short on average save too little: the grid finds as few fish
// as cheaply.
constexpr double kLeastPerList = 16.0;
// The margin as a share of the widest neighbour range: wider margins make
// longer lists that last longer.
constexpr float kMarginShare = 0.12f;
// Lists are made again once this many fish have been appended since.
constexpr size_t kMostAppended = 64;
// While fish move fast, lists made anew every frame cost more than they
// save: they are made at most once in this many frames.
constexpr int kLeastFramesPerLists = 4;
// Beyond this distance from the centre float positions are too coarse for
// the margin; lists are not made while a fish is out there.
constexpr double kFarthest = 1000.0;
// Share of the margin that rounding may not take: the lists are searched
// with float ranges, the moves are measured in doubles.
constexpr double kMarginKept = 0.999;

// Whether the fish whose record (x, y, z, size) starts at `member` lies
// within (its size + size) * factor of `from`, rounded exactly as Steer's
// scan rounds it.
bool InRange(const Vec3& from, float size, float factor, const float* member) {
  const float dx = from.x - member[0];
  const float dy = from.y - member[1];
  const float dz = from.z - member[2];
  return std::sqrt((dx * dx + dy * dy) + dz * dz) < (member[3] + size) * factor;
}
}  // namespace

void NeighbourLists::Start(const BoidList& list, BoidGrid* grid) {
  grid_ = grid;
  declined_ = false;
  ++framesSinceMade_;
  if (source_ != &list) {
    source_ = &list;
    built_ = false;
  }
  listSeen_ = list.size();
  hint_ = 0;
  if (!built_) return;
  // The same fish in the same order as numbered, with gaps where fish have
  // left and new ones at the end; each read afresh.
  const uint32_t numbered = static_cast<uint32_t>(boids_.size());
  uint32_t index = 0;
  for (const Boid* boid : list) {
    while (index < numbered && boids_[index] != boid) Forget(index++);
    if (index < numbered)
      Read(index++, *boid);
    else
      Add(boid);
  }
  while (index < numbered) Forget(index++);
}

void NeighbourLists::Stop() { grid_ = nullptr; }

bool NeighbourLists::Usable(float factor) const {
  return built_ && factor == factor_ && 2.0 * moved_ < margin_ * kMarginKept &&
         boids_.size() - made_ <= kMostAppended;
}

bool NeighbourLists::Build(float factor) {
  if (built_ && framesSinceMade_ < kLeastFramesPerLists) return false;
  built_ = false;
  BoidGrid& grid = *grid_;
  const uint32_t slots = grid.Slots();
  if (slots < kLeastForLists) return false;
  float largest = 0.0f;
  size_t live = 0;
  for (uint32_t slot = 0; slot < slots; ++slot) {
    const Boid* boid = grid.Member(slot);
    if (!boid) continue;
    ++live;
    if (!(boid->size <= largest)) largest = boid->size;
    for (float c : {boid->position.x, boid->position.y, boid->position.z})
      if (std::isfinite(c) && std::fabs(c) > kFarthest) return false;
  }
  const float margin = kMarginShare * 2.0f * largest * factor;
  if (live < kLeastForLists || !(margin > 0.0f) || !std::isfinite(margin)) return false;
  const float widen = margin / factor;
  if (grid.Expected(largest + widen, factor) < kLeastPerList) return false;

  boids_.clear();
  packed_.clear();
  madeAt_.clear();
  first_.assign(1, 0);
  entries_.clear();
  indexOf_.clear();
  mapped_ = false;
  made_ = 0;  // while numbering, no fish has moved
  moved_ = 0.0;
  for (uint32_t slot = 0; slot < slots; ++slot) {
    const Boid* boid = grid.Member(slot);
    Add(boid);
    madeAt_.push_back(boid ? boid->position.x : 0.0f);
    madeAt_.push_back(boid ? boid->position.y : 0.0f);
    madeAt_.push_back(boid ? boid->position.z : 0.0f);
    madeAt_.push_back(boid ? boid->size : 0.0f);
  }
  made_ = slots;
  // Each list as the grid finds it with every range widened by the margin.
  for (uint32_t slot = 0; slot < slots; ++slot) {
    if (const Boid* boid = grid.Member(slot)) {
      const uint32_t* found;
      const size_t count = grid.Listed(boid->position, boid->size + widen, factor, boid, &found);
      entries_.insert(entries_.end(), found, found + count);
    }
    first_.push_back(static_cast<uint32_t>(entries_.size()));
  }
  factor_ = factor;
  margin_ = margin;
  built_ = true;
  framesSinceMade_ = 0;
  hint_ = 0;
  return true;
}

void NeighbourLists::Add(const Boid* boid) {
  const uint32_t index = static_cast<uint32_t>(boids_.size());
  boids_.push_back(boid);
  packed_.resize(packed_.size() + 8, 0.0f);
  if (boid)
    Read(index, *boid);
  else
    Forget(index);
  if (mapped_ && boid) indexOf_[boid] = index;
}

void NeighbourLists::Read(uint32_t index, const Boid& boid) {
  float* packed = &packed_[size_t{8} * index];
  packed[0] = boid.position.x;
  packed[1] = boid.position.y;
  packed[2] = boid.position.z;
  packed[3] = boid.size;
  Vec3 heading = boid.steering;
  heading.Normalise();
  packed[4] = heading.x;
  packed[5] = heading.y;
  packed[6] = heading.z;
  if (index >= made_) return;
  // How far the fish is from where the lists found it. A fish whose
  // position is not finite is in no list and in no range; one that became
  // finite, or grew, may be in ranges that the lists miss.
  const float* at = &madeAt_[size_t{4} * index];
  const bool finiteThen = std::isfinite(at[0]) && std::isfinite(at[1]) && std::isfinite(at[2]);
  const bool finiteNow = std::isfinite(packed[0]) && std::isfinite(packed[1]) && std::isfinite(packed[2]);
  double moved = 0.0;
  if (finiteThen != finiteNow || !(boid.size <= at[3])) {
    moved = std::numeric_limits<double>::infinity();
  } else if (finiteNow) {
    const double dx = static_cast<double>(packed[0]) - at[0];
    const double dy = static_cast<double>(packed[1]) - at[1];
    const double dz = static_cast<double>(packed[2]) - at[2];
    moved = std::sqrt(dx * dx + dy * dy + dz * dz);
    for (int a = 0; a < 3; ++a)
      if (std::fabs(packed[a]) > kFarthest) moved = std::numeric_limits<double>::infinity();
  }
  moved_ = std::max(moved_, moved);
}

void NeighbourLists::Forget(uint32_t index) {
  if (mapped_ && boids_[index]) indexOf_.erase(boids_[index]);
  boids_[index] = nullptr;
  float* packed = &packed_[size_t{8} * index];
  packed[0] = packed[1] = packed[2] = std::numeric_limits<float>::quiet_NaN();
}

uint32_t NeighbourLists::IndexOf(const Boid& boid) {
  const uint32_t count = static_cast<uint32_t>(boids_.size());
  // The update walks the list in order: the next fish is found a few places on.
  const uint32_t end = std::min(count, hint_ + 9);
  for (uint32_t index = hint_; index < end; ++index) {
    if (boids_[index] == &boid) {
      hint_ = index;
      return index;
    }
  }
  if (!mapped_) {
    indexOf_.reserve(count);
    for (uint32_t index = 0; index < count; ++index)
      if (boids_[index]) indexOf_[boids_[index]] = index;
    mapped_ = true;
  }
  const auto it = indexOf_.find(&boid);
  if (it == indexOf_.end()) return kNone;
  hint_ = it->second;
  return it->second;
}

void NeighbourLists::Moved(const Boid& fish) {
  if (!built_) return;
  const uint32_t index = IndexOf(fish);
  if (index != kNone) Read(index, fish);
}

void NeighbourLists::Removing(const Boid& boid) {
  if (!source_) return;
  --listSeen_;
  if (!built_) return;
  const uint32_t index = IndexOf(boid);
  if (index != kNone) Forget(index);
}

void NeighbourLists::TakeAppended() {
  if (!source_) return;
  if (built_)
    for (size_t i = listSeen_; i < source_->size(); ++i) Add((*source_)[i]);
  listSeen_ = source_->size();
}

bool NeighbourLists::Gather(const Boid& self, float factor, BoidGrid::School* school) {
  if (!grid_ || declined_) return false;
  if (!Usable(factor) && !Build(factor)) {
    declined_ = true;
    return false;
  }
  const uint32_t index = IndexOf(self);
  if (index == kNone || index >= made_) return false;

  const uint32_t* list = entries_.data() + first_[index];
  const uint32_t listed = first_[index + 1] - first_[index];
  const size_t appended = boids_.size() - made_;
  if (found_.size() < listed + appended + 4) found_.resize(listed + appended + 4);
  uint32_t* found = found_.data();
  size_t count = 0;
  const float* packed = packed_.data();
  const Vec3 from = self.position;
  const float size = self.size;

  // Four listed fish at a time, their records turned into one register per
  // field; each lane tests as InRange does. The fish that pass are kept in
  // list order, without a branch on the test.
  const __m128 fromX = _mm_set1_ps(from.x);
  const __m128 fromY = _mm_set1_ps(from.y);
  const __m128 fromZ = _mm_set1_ps(from.z);
  const __m128 ownSize = _mm_set1_ps(size);
  const __m128 k = _mm_set1_ps(factor);
  uint32_t n = 0;
  for (; n + 4 <= listed; n += 4) {
    __m128 x = _mm_loadu_ps(packed + size_t{8} * list[n]);
    __m128 y = _mm_loadu_ps(packed + size_t{8} * list[n + 1]);
    __m128 z = _mm_loadu_ps(packed + size_t{8} * list[n + 2]);
    __m128 s = _mm_loadu_ps(packed + size_t{8} * list[n + 3]);
    _MM_TRANSPOSE4_PS(x, y, z, s);
    const __m128 dx = _mm_sub_ps(fromX, x);
    const __m128 dy = _mm_sub_ps(fromY, y);
    const __m128 dz = _mm_sub_ps(fromZ, z);
    const __m128 d2 = _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz));
    const int in = _mm_movemask_ps(_mm_cmplt_ps(_mm_sqrt_ps(d2), _mm_mul_ps(_mm_add_ps(s, ownSize), k)));
    for (int lane = 0; lane < 4; ++lane) {
      found[count] = list[n + lane];
      count += (in >> lane) & 1;
    }
  }
  for (; n < listed; ++n) {
    found[count] = list[n];
    count += InRange(from, size, factor, packed + size_t{8} * list[n]);
  }
  for (uint32_t later = made_; later < boids_.size(); ++later) {
    found[count] = later;
    count += InRange(from, size, factor, packed + size_t{8} * later);
  }
  *school = BoidGrid::Sum(from, packed, found, count);
  return true;
}
