#include "behave/neighbourLists.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "behave/rangeLanes.h"

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
// The lists are made from cells about this share of the widest reach on a
// side, at most kMostCellsPerAxis along each axis. Smaller cells leave each
// fish fewer candidates to test, but hold fewer fish to share them: making
// the lists took about 40% less time with half the reach than with a third.
constexpr double kCellPerReach = 1.0 / 2.0;
constexpr int kMostCellsPerAxis = 64;
// Relative slack on the reach when cells are left out: a fish in range may
// lie a few roundings beyond it.
constexpr double kReachSlack = 1e-5;
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
  // Ranges that span most of the grid hold many fish each: lists pay.
  if (grid.SearchesCells(largest + widen, factor) && grid.Expected(largest + widen, factor) < kLeastPerList)
    return false;

  boids_.clear();
  packed_.clear();
  madeAt_.clear();
  indexOf_.clear();
  later_.clear();
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
  if (!MakeLists(largest, widen, factor)) return false;
  factor_ = factor;
  margin_ = margin;
  built_ = true;
  framesSinceMade_ = 0;
  hint_ = 0;
  return true;
}

bool NeighbourLists::MakeLists(float largest, float widen, float factor) {
  // Each list holds the fish within range of its fish, every range widened
  // by the margin. The fish are put into cells, in list order within each;
  // all fish of one cell test the same candidates, those of the cells near
  // enough to it, taken in list order and side by side, so that each list
  // comes out in order.
  const uint32_t count = made_;
  // The widest reach, with room for the roundings of the tests.
  const double reach = static_cast<double>((largest + largest + widen) * factor) * (1.0 + kReachSlack);
  // Fish that are gone, or whose position is not finite, are in no cell and
  // no list.
  auto placeable = [&](uint32_t index) {
    const float* at = &packed_[size_t{8} * index];
    return boids_[index] && std::isfinite(at[0]) && std::isfinite(at[1]) && std::isfinite(at[2]);
  };
  double low[3] = {INFINITY, INFINITY, INFINITY};
  double high[3] = {-INFINITY, -INFINITY, -INFINITY};
  for (uint32_t index = 0; index < count; ++index) {
    if (!placeable(index)) continue;
    const float* at = &packed_[size_t{8} * index];
    for (int a = 0; a < 3; ++a) {
      low[a] = std::min(low[a], static_cast<double>(at[a]));
      high[a] = std::max(high[a], static_cast<double>(at[a]));
    }
  }
  double edge = reach * kCellPerReach;
  for (int a = 0; a < 3; ++a) edge = std::max(edge, (high[a] - low[a]) / (kMostCellsPerAxis - 1));
  int dims[3] = {1, 1, 1};
  for (int a = 0; a < 3; ++a)
    if (low[a] <= high[a]) dims[a] = std::min(kMostCellsPerAxis, static_cast<int>((high[a] - low[a]) / edge) + 1);
  const uint32_t cells = static_cast<uint32_t>(dims[0] * dims[1] * dims[2]);

  // Fish by cell, in list order within each.
  cellOf_.assign(count, cells);
  cellStart_.assign(cells + 1, 0);
  for (uint32_t index = 0; index < count; ++index) {
    if (!placeable(index)) continue;
    const float* at = &packed_[size_t{8} * index];
    int c[3];
    for (int a = 0; a < 3; ++a)
      c[a] = std::min(dims[a] - 1, static_cast<int>((static_cast<double>(at[a]) - low[a]) / edge));
    cellOf_[index] = static_cast<uint32_t>(c[0] + dims[0] * (c[1] + dims[1] * c[2]));
    ++cellStart_[cellOf_[index]];
  }
  uint32_t placed = 0;
  for (uint32_t cell = 0; cell <= cells; ++cell) {
    const uint32_t here = cellStart_[cell];
    cellStart_[cell] = placed;
    placed += here;
  }
  inCell_.resize(placed);
  std::vector<uint32_t> next(cellStart_);
  for (uint32_t index = 0; index < count; ++index)
    if (cellOf_[index] < cells) inCell_[next[cellOf_[index]]++] = index;

  // Cells whose box lies within reach of a cell's box, as offsets: fish of
  // cells that differ by more than reach / edge along an axis are farther
  // apart than the reach. (The reach's slack dwarfs the roundings here.)
  const int span = static_cast<int>(std::ceil(reach / edge - 1e-9));
  struct Offset {
    int d[3];
  };
  std::vector<Offset> offsets;
  for (int k = -span; k <= span; ++k)
    for (int j = -span; j <= span; ++j)
      for (int i = -span; i <= span; ++i) {
        double gap2 = 0.0;
        for (int d : {i, j, k}) {
          const double gap = std::max(std::abs(d) - 1, 0) * edge;
          gap2 += gap * gap;
        }
        if (gap2 < reach * reach) offsets.push_back(Offset{{i, j, k}});
      }

  // The cells near one cell, in the grid.
  std::vector<uint32_t> nearCells;
  auto near = [&](uint32_t cell) -> const std::vector<uint32_t>& {
    nearCells.clear();
    const int c[3] = {static_cast<int>(cell % dims[0]), static_cast<int>(cell / dims[0] % dims[1]),
                      static_cast<int>(cell / dims[0] / dims[1])};
    for (const Offset& o : offsets) {
      int n[3];
      bool inside = true;
      for (int a = 0; a < 3; ++a) {
        n[a] = c[a] + o.d[a];
        inside = inside && n[a] >= 0 && n[a] < dims[a];
      }
      if (inside) nearCells.push_back(static_cast<uint32_t>(n[0] + dims[0] * (n[1] + dims[1] * n[2])));
    }
    return nearCells;
  };
  // Lists that could hold more than mostEntries_ are not made (fish crowded
  // into ranges): the grid's searches serve as well, in bounded memory.
  uint64_t most = 0;
  for (uint32_t cell = 0; cell < cells; ++cell) {
    const uint64_t here = cellStart_[cell + 1] - cellStart_[cell];
    if (here == 0) continue;
    for (uint32_t other : near(cell)) most += here * (cellStart_[other + 1] - cellStart_[other]);
  }
  if (most > mostEntries_) return false;

  listFirst_.assign(count, 0);
  listLength_.assign(count, 0);
  size_t used = 0;
  marked_.assign((count + 63) / 64, 0);
  for (uint32_t cell = 0; cell < cells; ++cell) {
    if (cellStart_[cell] == cellStart_[cell + 1]) continue;
    for (uint32_t other : near(cell))
      for (uint32_t place = cellStart_[other]; place < cellStart_[other + 1]; ++place)
        marked_[inCell_[place] >> 6] |= uint64_t{1} << (inCell_[place] & 63);
    // The candidates in list order, side by side.
    candidates_.clear();
    for (size_t word = 0; word < marked_.size(); ++word) {
      for (uint64_t bits = marked_[word]; bits; bits &= bits - 1)
        candidates_.push_back(static_cast<uint32_t>(word * 64 + static_cast<unsigned>(__builtin_ctzll(bits))));
      marked_[word] = 0;
    }
    const size_t m = candidates_.size();
    for (std::vector<float>* field : {&candidateX_, &candidateY_, &candidateZ_, &candidateSize_})
      field->resize(m);
    for (size_t n = 0; n < m; ++n) {
      const float* at = &packed_[size_t{8} * candidates_[n]];
      candidateX_[n] = at[0];
      candidateY_[n] = at[1];
      candidateZ_[n] = at[2];
      candidateSize_[n] = at[3];
    }
    for (uint32_t place = cellStart_[cell]; place < cellStart_[cell + 1]; ++place) {
      const uint32_t index = inCell_[place];
      const float* at = &packed_[size_t{8} * index];
      if (entries_.size() < used + m + 8) entries_.resize(std::max(used + m + 8, entries_.size() * 2));
      const size_t found = SweptInRange(candidateX_.data(), candidateY_.data(), candidateZ_.data(),
                                        candidateSize_.data(), candidates_.data(), m, Vec3(at[0], at[1], at[2]),
                                        at[3] + widen, factor, index, entries_.data() + used);
      listFirst_[index] = static_cast<uint32_t>(used);
      listLength_[index] = static_cast<uint32_t>(found);
      used += found;
    }
  }
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

  // The list, then the fish appended since it was made.
  SchoolSums sums(self.position);
  AddListedInRange(packed_.data(), entries_.data() + listFirst_[index], listLength_[index], self.size, factor, &sums);
  const size_t appended = boids_.size() - made_;
  if (appended > 0) {
    while (later_.size() < appended) later_.push_back(made_ + static_cast<uint32_t>(later_.size()));
    AddListedInRange(packed_.data(), later_.data(), appended, self.size, factor, &sums);
  }
  *school = BoidGrid::SchoolOf(sums);
  return true;
}
