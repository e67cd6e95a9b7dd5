#include "behave/boidGrid.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "behave/rangeLanes.h"

namespace {
// Below this many members a pass over all of them beats any grid: at the
// default populations (about 50 fish and 90 food) passes made the frame
// about 30% shorter than cells did.
constexpr size_t kLeastForCells = 160;
// Cells along one axis at most (the searches keep per-axis rows of 64).
constexpr int kMostCellsPerAxis = 48;
// Cell edge as a share of the widest neighbour range: a range then spans a
// few cells, and the cells cut off most of the cube around the range.
constexpr double kCellPerRange = 0.5;
// Cell edge at least the mean spacing of the members, so that cells are not
// mostly empty.
constexpr double kLeastCellPerSpacing = 1.0;
// Cells for the nearest-prey search hold a few members each: fewer rows of
// cells to set up per search, for a few more members to test.
constexpr double kPreyCellPerSpacing = 2.0;
// The grid covers the members' bounding box clipped to this bound; members
// beyond it share the border cells.
constexpr double kGridBound = 64.0;
// A search whose cells make up at least 1 / kSpanShareForWalk of the grid
// sweeps all members in list order instead.
constexpr long long kSpanShareForWalk = 2;
// Searches sweeping fewer members than this sort the ones found; more are
// put in order through a bit per slot.
constexpr size_t kSortBelow = 48;
// The prey scan starts from this distance and keeps only nearer prey.
constexpr float kFarthestPrey = 1e8f;
// Relative slack on search radii: a member whose rounded distance passes a
// range test may lie a few float roundings beyond the range.
constexpr double kRadiusSlack = 1e-5;
constexpr double kAbsoluteSlack = 1e-30;
// Relative slack on a predator's reach when whole groups of fish leave it
// out: far more than the few roundings on either side.
constexpr float kReachSlack = 1.001f;
// Slack on the gap between a point and a cell, whose edges the doubles place
// a rounding away from where Axis puts them; skipping a cell only saves time.
constexpr double kGapSlack = 1e-6;

bool Finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The squared distance as Vec3::Length rounds it before its square root;
// the sign of each difference does not change its square.
float SquaredDistance(const Vec3& a, float x, float y, float z) {
  const float dx = a.x - x;
  const float dy = a.y - y;
  const float dz = a.z - z;
  return (dx * dx + dy * dy) + dz * dz;
}

}  // namespace

void BoidGrid::Members::Blank(size_t count) {
  const float blank = std::numeric_limits<float>::quiet_NaN();
  x.assign(count, blank);
  y.assign(count, blank);
  z.assign(count, blank);
  size.assign(count, 0.0f);
  slot.assign(count, kBlank);
}

void BoidGrid::Members::Set(size_t place, const Vec3& p, float memberSize, uint32_t memberSlot) {
  x[place] = p.x;
  y[place] = p.y;
  z[place] = p.z;
  size[place] = memberSize;
  slot[place] = memberSlot;
}

void BoidGrid::Members::Move(size_t to, size_t from) {
  x[to] = x[from];
  y[to] = y[from];
  z[to] = z[from];
  size[to] = size[from];
  slot[to] = slot[from];
}

void BoidGrid::Members::Clear(size_t place) {
  const float blank = std::numeric_limits<float>::quiet_NaN();
  x[place] = y[place] = z[place] = blank;
  size[place] = 0.0f;
  slot[place] = kBlank;
}

long long BoidGrid::Span::Cells() const {
  long long cells = 1;
  for (int a = 0; a < 3; ++a) cells *= high[a] - low[a] + 1;
  return cells;
}

bool BoidGrid::Span::Holds(int i, int j, int k) const {
  return i >= low[0] && i <= high[0] && j >= low[1] && j <= high[1] && k >= low[2] && k <= high[2];
}

void BoidGrid::Reset() {
  source_ = nullptr;
  include_ = nullptr;
  collected_ = false;
  gridded_ = false;
}

void BoidGrid::Bind(const BoidList& list, bool (*include)(const Boid&), bool moving) {
  Reset();
  source_ = &list;
  include_ = include;
  moving_ = moving;
}

void BoidGrid::Collect() {
  boids_.clear();
  x_.clear();
  y_.clear();
  z_.clear();
  size_.clear();
  packed_.clear();
  cellOf_.clear();
  placeOf_.clear();
  ready_.clear();
  marks_.assign(kMarkAhead, 0);
  slotOf_.clear();
  mapped_ = false;
  hint_[0] = hint_[1] = 0;
  live_ = 0;
  largestSize_ = 0.0f;
  gridded_ = false;
  collected_ = true;
  for (Boid* boid : *source_)
    if (!include_ || include_(*boid)) AddSlot(boid);
  listSeen_ = source_->size();
}

void BoidGrid::AddSlot(Boid* boid) {
  const uint32_t slot = static_cast<uint32_t>(boids_.size());
  boids_.push_back(boid);
  x_.push_back(0.0f);
  y_.push_back(0.0f);
  z_.push_back(0.0f);
  size_.push_back(0.0f);
  packed_.resize(packed_.size() + 8, 0.0f);
  cellOf_.push_back(kNoCell);
  placeOf_.push_back(0);
  if (ready_.size() * 64 <= slot) {
    ready_.push_back(0);
    marks_.resize(marks_.size() + 64, 0);  // a block of marks per 64 slots
  }
  ReadMember(slot, *boid);
  if (mapped_) slotOf_[boid] = slot;
  ++live_;
  // A size that is not a number must not hide behind a false comparison.
  if (!(boid->size <= largestSize_)) largestSize_ = boid->size;
  if (gridded_ && dims_[0] > 0) PlaceInCell(slot, CellFor(boid->position));
}

void BoidGrid::ReadMember(uint32_t slot, const Boid& boid) {
  x_[slot] = boid.position.x;
  y_[slot] = boid.position.y;
  z_[slot] = boid.position.z;
  size_[slot] = boid.size;
  Vec3 heading = boid.steering;
  heading.Normalise();
  float* packed = &packed_[size_t{8} * slot];
  packed[0] = boid.position.x;
  packed[1] = boid.position.y;
  packed[2] = boid.position.z;
  packed[3] = boid.size;
  packed[4] = heading.x;
  packed[5] = heading.y;
  packed[6] = heading.z;
  SetReady(slot, boid.readyToMate);
}

uint32_t BoidGrid::SlotOf(const Boid& member) {
  const uint32_t slots = static_cast<uint32_t>(boids_.size());
  for (uint32_t hint : hint_)
    if (hint < slots && boids_[hint] == &member) return hint;
  // A walk down the list asks for the next live slot.
  const uint32_t end = std::min(slots, hint_[0] + 9);
  for (uint32_t slot = hint_[0] + 1; slot < end; ++slot) {
    if (boids_[slot] == &member) {
      hint_[0] = slot;
      return slot;
    }
  }
  if (!mapped_) {
    slotOf_.reserve(live_);
    for (uint32_t slot = 0; slot < slots; ++slot)
      if (boids_[slot]) slotOf_[boids_[slot]] = slot;
    mapped_ = true;
  }
  const auto it = slotOf_.find(&member);
  if (it == slotOf_.end()) return kNoSlot;
  hint_[0] = it->second;
  return it->second;
}

void BoidGrid::SetReady(uint32_t slot, bool ready) {
  const uint64_t bit = uint64_t{1} << (slot % 64);
  if (ready)
    ready_[slot / 64] |= bit;
  else
    ready_[slot / 64] &= ~bit;
}

void BoidGrid::Refresh(const Boid& member) {
  if (!collected_) return;
  const uint32_t slot = SlotOf(member);
  if (slot == kNoSlot) return;
  ReadMember(slot, member);
  if (!gridded_ || dims_[0] == 0) return;
  const uint32_t cell = CellFor(member.position);
  if (cell != cellOf_[slot]) {
    TakeFromCell(slot);
    PlaceInCell(slot, cell);
  } else if (cell != kNoCell) {
    const uint32_t place = placeOf_[slot];
    members_.x[place] = member.position.x;
    members_.y[place] = member.position.y;
    members_.z[place] = member.position.z;
  }
}

void BoidGrid::Remove(const Boid& member) {
  if (!collected_) return;
  --listSeen_;
  const uint32_t slot = SlotOf(member);
  if (slot == kNoSlot) return;
  if (gridded_ && dims_[0] > 0) TakeFromCell(slot);
  SetReady(slot, false);
  boids_[slot] = nullptr;
  x_[slot] = y_[slot] = z_[slot] = std::numeric_limits<float>::quiet_NaN();
  if (mapped_) slotOf_.erase(&member);
  --live_;
}

void BoidGrid::TakeAppended() {
  if (!collected_) return;
  for (size_t i = listSeen_; i < source_->size(); ++i) {
    Boid* boid = (*source_)[i];
    if (!include_ || include_(*boid)) AddSlot(boid);
  }
  listSeen_ = source_->size();
}

void BoidGrid::Layout(double cellPerSpacing) {
  gridded_ = true;
  dims_[0] = dims_[1] = dims_[2] = 0;
  if (live_ < kLeastForCells) return;

  double low[3] = {kGridBound, kGridBound, kGridBound};
  double high[3] = {-kGridBound, -kGridBound, -kGridBound};
  size_t placed = 0;
  for (uint32_t slot = 0; slot < boids_.size(); ++slot) {
    const float p[3] = {x_[slot], y_[slot], z_[slot]};
    if (!boids_[slot] || !std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) continue;
    for (int a = 0; a < 3; ++a) {
      low[a] = std::min(low[a], static_cast<double>(p[a]));
      high[a] = std::max(high[a], static_cast<double>(p[a]));
    }
    ++placed;
  }
  if (placed == 0) return;

  double extent[3];
  double volume = 1.0;
  for (int a = 0; a < 3; ++a) {
    low[a] = std::max(low[a], -kGridBound);
    high[a] = std::min(high[a], kGridBound);
    extent[a] = std::max(high[a] - low[a], 1e-3);
    volume *= extent[a];
  }
  double edge = std::cbrt(volume / static_cast<double>(placed)) * cellPerSpacing;
  if (std::isfinite(range_) && range_ * kCellPerRange > edge) edge = range_ * kCellPerRange;

  for (int a = 0; a < 3; ++a) {
    const double cells = std::ceil(extent[a] / edge);
    dims_[a] = static_cast<int>(std::min(std::max(cells, 1.0), double{kMostCellsPerAxis}));
    cellSize_[a] = extent[a] / dims_[a];
    inverseCell_[a] = 1.0 / cellSize_[a];
    origin_[a] = low[a];
  }
  FillCells();
}

void BoidGrid::FillCells() {
  const size_t total = static_cast<size_t>(dims_[0]) * dims_[1] * dims_[2];
  cellCount_.assign(total, 0);
  for (uint32_t slot = 0; slot < boids_.size(); ++slot) {
    cellOf_[slot] = boids_[slot] ? CellFor(Vec3(x_[slot], y_[slot], z_[slot])) : kNoCell;
    if (cellOf_[slot] != kNoCell) ++cellCount_[cellOf_[slot]];
  }
  // Cells of a moving list keep room for members moving in; one that runs
  // out of room has the cells filled afresh.
  cellStart_.resize(total + 1);
  uint32_t start = 0;
  for (size_t cell = 0; cell < total; ++cell) {
    cellStart_[cell] = start;
    start += cellCount_[cell] + (moving_ ? 1 + cellCount_[cell] / 4 : 0);
    cellCount_[cell] = 0;
  }
  cellStart_[total] = start;
  members_.Blank(start);
  for (uint32_t slot = 0; slot < boids_.size(); ++slot) {
    const uint32_t cell = cellOf_[slot];
    if (cell == kNoCell) continue;
    const uint32_t place = cellStart_[cell] + cellCount_[cell]++;
    members_.Set(place, Vec3(x_[slot], y_[slot], z_[slot]), size_[slot], slot);
    placeOf_[slot] = place;
  }
}

int BoidGrid::Axis(int axis, double coordinate) const {
  const double t = (coordinate - origin_[axis]) * inverseCell_[axis];
  if (!(t >= 0.0)) return 0;
  if (t >= dims_[axis]) return dims_[axis] - 1;
  return static_cast<int>(t);
}

uint32_t BoidGrid::CellFor(const Vec3& p) const {
  if (!Finite(p)) return kNoCell;
  return static_cast<uint32_t>(Axis(0, p.x) + dims_[0] * (Axis(1, p.y) + dims_[1] * Axis(2, p.z)));
}

BoidGrid::Span BoidGrid::SpanAround(const Vec3& centre, double reach) const {
  const double c[3] = {centre.x, centre.y, centre.z};
  Span span;
  for (int a = 0; a < 3; ++a) {
    const double slack = (reach + std::fabs(c[a])) * kRadiusSlack + kAbsoluteSlack;
    span.low[a] = Axis(a, c[a] - reach - slack);
    span.high[a] = Axis(a, c[a] + reach + slack);
  }
  return span;
}

void BoidGrid::SquaredGaps(const Span& span, const Vec3& centre, double (*gaps)[64]) const {
  const double c[3] = {centre.x, centre.y, centre.z};
  for (int a = 0; a < 3; ++a) {
    for (int i = span.low[a]; i <= span.high[a]; ++i) {
      // Border cells reach out to infinity.
      const double from = i == 0 ? -INFINITY : origin_[a] + i * cellSize_[a];
      const double to = i == dims_[a] - 1 ? INFINITY : origin_[a] + (i + 1) * cellSize_[a];
      double gap = c[a] < from ? from - c[a] : c[a] > to ? c[a] - to : 0.0;
      gap = std::max(gap - kGapSlack, 0.0);
      gaps[a][i - span.low[a]] = gap * gap;
    }
  }
}

void BoidGrid::PlaceInCell(uint32_t slot, uint32_t cell) {
  cellOf_[slot] = cell;
  if (cell == kNoCell) return;
  if (cellStart_[cell] + cellCount_[cell] == cellStart_[cell + 1]) {
    FillCells();
    return;
  }
  const uint32_t place = cellStart_[cell] + cellCount_[cell]++;
  members_.Set(place, Vec3(x_[slot], y_[slot], z_[slot]), size_[slot], slot);
  placeOf_[slot] = place;
}

void BoidGrid::TakeFromCell(uint32_t slot) {
  const uint32_t cell = cellOf_[slot];
  if (cell == kNoCell) return;
  const uint32_t place = placeOf_[slot];
  const uint32_t last = cellStart_[cell] + --cellCount_[cell];
  if (place != last) {
    members_.Move(place, last);
    placeOf_[members_.slot[place]] = place;
  }
  members_.Clear(last);
  cellOf_[slot] = kNoCell;
}

void BoidGrid::Prepare() {
  if (!collected_) Collect();
  const size_t room = std::max(boids_.size(), members_.x.size()) + 1;
  if (found_.size() < room + 64) found_.resize(room + room / 2 + 64);
  if (passed_.size() < room + 8) passed_.resize(room + room / 2 + 8);
}

BoidGrid::Hits BoidGrid::Near(const Vec3& centre, float size, float factor, uint32_t self) {
  if (!gridded_) {
    range_ = 2.0 * largestSize_ * factor;
    Layout(kLeastCellPerSpacing);
  }
  // Nothing is within any range of a point that is not finite.
  if (!Finite(centre) || live_ == 0) return Hits{false, 0};
  const double reach = static_cast<double>((largestSize_ + size) * factor);
  if (dims_[0] == 0 || !std::isfinite(reach)) return Hits{false, NearAll(centre, size, factor, self)};
  const Span span = SpanAround(centre, reach);
  const long long cells = static_cast<long long>(dims_[0]) * dims_[1] * dims_[2];
  if (span.Cells() * kSpanShareForWalk >= cells) return Hits{false, NearAll(centre, size, factor, self)};
  return NearCells(span, centre, size, factor, self, reach);
}

BoidGrid::School BoidGrid::Gather(const Vec3& position, float size, float factor, const Boid* self) {
  Prepare();
  const Hits hits = Near(position, size, factor, self ? SlotOf(*self) : kNoSlot);
  const size_t count = hits.marked ? ReadMarks() : hits.count;
  return Sum(position, packed_.data(), found_.data(), count);
}

BoidGrid::School BoidGrid::Sum(const Vec3& position, const float* packed, const uint32_t* found, size_t count) {
  SchoolSums sums(position);
  AddListed(packed, found, count, &sums);
  return SchoolOf(sums);
}

BoidGrid::School BoidGrid::SchoolOf(const SchoolSums& sums) {
  School school;
  school.centre = Vec3(sums.centre[0], sums.centre[1], sums.centre[2]);
  school.separation = Vec3(sums.separation[0], sums.separation[1], sums.separation[2]);
  school.alignment = Vec3(sums.alignment[0], sums.alignment[1], sums.alignment[2]);
  school.count = static_cast<int>(sums.count);
  return school;
}

BoidGrid::Threat BoidGrid::Away(const Vec3& position, float size, float factor) {
  Prepare();
  const Hits hits = Near(position, size, factor, kNoSlot);
  const size_t count = hits.marked ? ReadMarks() : hits.count;
  // Lane by lane the scan's operations in its order; the fourth lane is dropped.
  const __m128 from = _mm_set_ps(0.0f, position.z, position.y, position.x);
  __m128 away = _mm_setzero_ps();
  const float* packed = packed_.data();
  const uint32_t* found = found_.data();
  for (size_t n = 0; n < count; ++n) away = _mm_add_ps(away, _mm_sub_ps(from, _mm_loadu_ps(packed + size_t{8} * found[n])));
  alignas(16) float sum[4];
  _mm_store_ps(sum, away);
  Threat threat;
  threat.away = Vec3(sum[0], sum[1], sum[2]);
  threat.count = static_cast<int>(count);
  return threat;
}

double BoidGrid::Expected(float size, float factor) {
  if (!SearchesCells(size, factor)) return 0.0;
  const double reach = static_cast<double>((largestSize_ + size) * factor);
  double volume = 1.0;
  for (int a = 0; a < 3; ++a) volume *= dims_[a] * cellSize_[a];
  return static_cast<double>(live_) * (4.0 / 3.0 * 3.141592653589793) * reach * reach * reach / volume;
}

bool BoidGrid::SearchesCells(float size, float factor) {
  Prepare();
  if (!gridded_) {
    range_ = 2.0 * largestSize_ * factor;
    Layout(kLeastCellPerSpacing);
  }
  if (dims_[0] == 0) return false;
  const double reach = static_cast<double>((largestSize_ + size) * factor);
  if (!std::isfinite(reach)) return false;
  long long spanned = 1;
  long long cells = 1;
  for (int a = 0; a < 3; ++a) {
    spanned *= std::min<long long>(dims_[a], static_cast<long long>(2.0 * reach * inverseCell_[a]) + 2);
    cells *= dims_[a];
  }
  return spanned * kSpanShareForWalk < cells;
}

size_t BoidGrid::ReadMarks() {
  // The marks read back in slot order, 64 at a time, and cleared; the slots
  // of a block are listed eight at a time without a branch per slot, as few
  // blocks hold more than eight.
  uint8_t* marks = marks_.data() + kMarkAhead;
  uint32_t* found = found_.data();
  size_t count = 0;
  const uint32_t blocks = static_cast<uint32_t>((boids_.size() + 63) / 64);
  const __m128i zero = _mm_setzero_si128();
  constexpr uint64_t kStop = uint64_t{1} << 63;  // keeps the bit scans defined once the block runs out
  for (uint32_t block = 0; block < blocks; ++block) {
    __m128i* at = reinterpret_cast<__m128i*>(marks + size_t{64} * block);
    uint64_t bits = 0;
    for (int part = 0; part < 4; ++part) {
      const __m128i bytes = _mm_loadu_si128(at + part);
      _mm_storeu_si128(at + part, zero);
      bits |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(bytes, 7))))
              << (16 * part);
    }
    const uint32_t first = block * 64;
    for (int n = 0; n < 8; ++n) {
      found[count] = first + static_cast<uint32_t>(__builtin_ctzll(bits | kStop));
      count += bits != 0;
      bits &= bits - 1;
    }
    for (; bits; bits &= bits - 1) found[count++] = first + static_cast<uint32_t>(__builtin_ctzll(bits));
  }
  return count;
}

void BoidGrid::Threats(const Vec3* positions, const float* sizes, int fish, float factor, Threat* threats) {
  Prepare();
  // Every member is tested against all the fish at once, each fish in a
  // lane of its own.
  static_assert(kThreatLanes == kFishLanes, "one fish per lane");
  float lanes[4][kFishLanes];
  const float blank = std::numeric_limits<float>::quiet_NaN();
  for (int f = 0; f < kFishLanes; ++f) {
    const bool used = f < fish;
    lanes[0][f] = used ? positions[f].x : blank;
    lanes[1][f] = used ? positions[f].y : blank;
    lanes[2][f] = used ? positions[f].z : blank;
    lanes[3][f] = used ? sizes[f] : 0.0f;
  }
  const size_t slots = Reachable(positions, sizes, fish, factor);
  float away[3][kFishLanes];
  int32_t counts[kFishLanes];
  ThreatLanes(lanes, x_.data(), y_.data(), z_.data(), size_.data(), found_.data(), slots, factor, away, counts);
  for (int f = 0; f < fish; ++f) {
    threats[f].away = Vec3(away[0][f], away[1][f], away[2][f]);
    threats[f].count = counts[f];
  }
}

size_t BoidGrid::Reachable(const Vec3* positions, const float* sizes, int fish, float factor) {
  // The box around the finite fish, and their largest size; a size that is
  // not a number keeps every member.
  float low[3] = {INFINITY, INFINITY, INFINITY};
  float high[3] = {-INFINITY, -INFINITY, -INFINITY};
  float largest = 0.0f;
  for (int f = 0; f < fish; ++f) {
    if (!(sizes[f] <= largest)) largest = sizes[f];
    if (!Finite(positions[f])) continue;
    const float c[3] = {positions[f].x, positions[f].y, positions[f].z};
    for (int a = 0; a < 3; ++a) {
      low[a] = std::min(low[a], c[a]);
      high[a] = std::max(high[a], c[a]);
    }
  }
  // A member is left out only when its gap to the box exceeds its widest
  // range by far more than the roundings of the exact test could make up.
  // Members whose position is not a number are kept, and never pass.
  const __m128 lowX = _mm_set1_ps(low[0]), lowY = _mm_set1_ps(low[1]), lowZ = _mm_set1_ps(low[2]);
  const __m128 highX = _mm_set1_ps(high[0]), highY = _mm_set1_ps(high[1]), highZ = _mm_set1_ps(high[2]);
  const __m128 widest = _mm_set1_ps(largest);
  const __m128 k = _mm_set1_ps(factor * kReachSlack);
  const __m128 zero = _mm_setzero_ps();
  auto gap = [&](__m128 p, __m128 lo, __m128 hi) {
    // _mm_max_ps gives its second operand where the first is not a number.
    return _mm_max_ps(_mm_max_ps(_mm_sub_ps(lo, p), _mm_sub_ps(p, hi)), zero);
  };
  const uint32_t slots = static_cast<uint32_t>(boids_.size());
  uint32_t* found = found_.data();
  size_t count = 0;
  uint32_t slot = 0;
  for (; slot + 4 <= slots; slot += 4) {
    const __m128 gx = gap(_mm_loadu_ps(&x_[slot]), lowX, highX);
    const __m128 gy = gap(_mm_loadu_ps(&y_[slot]), lowY, highY);
    const __m128 gz = gap(_mm_loadu_ps(&z_[slot]), lowZ, highZ);
    const __m128 g2 = _mm_add_ps(_mm_add_ps(_mm_mul_ps(gx, gx), _mm_mul_ps(gy, gy)), _mm_mul_ps(gz, gz));
    const __m128 reach = _mm_mul_ps(_mm_add_ps(_mm_loadu_ps(&size_[slot]), widest), k);
    const int out = _mm_movemask_ps(_mm_cmpgt_ps(g2, _mm_mul_ps(reach, reach)));
    for (int lane = 0; lane < 4; ++lane) {
      found[count] = slot + static_cast<uint32_t>(lane);
      count += ((out >> lane) & 1) ^ 1;
    }
  }
  for (; slot < slots; ++slot) found[count++] = slot;
  return count;
}

size_t BoidGrid::Following(const Boid& member, const Boid** out, size_t most) {
  Prepare();
  uint32_t slot = SlotOf(member);
  if (slot == kNoSlot) return 0;
  size_t written = 0;
  for (; slot < boids_.size() && written < most; ++slot)
    if (boids_[slot]) out[written++] = boids_[slot];
  return written;
}

size_t BoidGrid::NearAll(const Vec3& centre, float size, float factor, uint32_t self) {
  const uint32_t slots = static_cast<uint32_t>(boids_.size());
  uint8_t* passed = passed_.data();
  SweepRange(x_.data(), y_.data(), z_.data(), size_.data(), slots, centre, size, factor, passed);
  if (self < slots) passed[self] = 0;
  // Slots are in list order already. Free of branches on the test, whose
  // outcome is as good as random.
  uint32_t* found = found_.data();
  size_t count = 0;
  for (uint32_t slot = 0; slot < slots; ++slot) {
    found[count] = slot;
    count += passed[slot];
  }
  return count;
}

BoidGrid::Hits BoidGrid::NearCells(const Span& span, const Vec3& centre, float size, float factor, uint32_t self,
                           double reach) {
  double gaps[3][64];
  SquaredGaps(span, centre, gaps);
  const double limit = reach * (1.0 + kRadiusSlack) + kAbsoluteSlack;
  const double limit2 = limit * limit;

  // The rows of cells along x within reach, less the cells at their ends
  // that lie wholly out of it; cells in a row own adjacent runs of places.
  rows_.clear();
  size_t candidates = 0;
  for (int k = span.low[2]; k <= span.high[2]; ++k) {
    const double gz = gaps[2][k - span.low[2]];
    if (gz > limit2) continue;
    for (int j = span.low[1]; j <= span.high[1]; ++j) {
      const double gyz = gz + gaps[1][j - span.low[1]];
      if (gyz > limit2) continue;
      int low = span.low[0];
      int high = span.high[0];
      while (low <= high && gyz + gaps[0][low - span.low[0]] > limit2) ++low;
      while (high >= low && gyz + gaps[0][high - span.low[0]] > limit2) --high;
      if (low > high) continue;
      const size_t row = static_cast<size_t>(dims_[0]) * (j + static_cast<size_t>(dims_[1]) * k);
      const uint32_t from = cellStart_[row + low];
      const uint32_t to = cellStart_[row + high] + cellCount_[row + high];
      rows_.push_back({from, to});
      candidates += to - from;
    }
  }

  // Each row swept in one go, then the passing members put in list order:
  // few are sorted; many are marked by slot, for the marks to be read back
  // in order. Both are free of branches on the test, whose outcome is as
  // good as random.
  uint8_t* passed = passed_.data();
  const uint32_t* slotAt = members_.slot.data();
  uint32_t* found = found_.data();
  uint8_t* marks = marks_.data() + kMarkAhead;
  const bool few = candidates < kSortBelow;
  size_t count = 0;
  for (const auto& row : rows_) {
    // Copies: the marks, bytes, could alias the row otherwise.
    const uint32_t from = row.first;
    const uint32_t places = row.second - row.first;
    SweepRange(members_.x.data() + from, members_.y.data() + from, members_.z.data() + from,
               members_.size.data() + from, places, centre, size, factor, passed);
    const uint32_t* slots = slotAt + from;
    if (few) {
      for (uint32_t n = 0; n < places; ++n) {
        found[count] = slots[n];
        count += passed[n];
      }
    } else {
      for (uint32_t n = 0; n < places; ++n) marks[static_cast<int32_t>(slots[n])] = passed[n];
    }
  }
  if (few) {
    std::sort(found, found + count);
    return Hits{false, static_cast<size_t>(std::remove(found, found + count, self) - found)};
  }
  if (self < boids_.size()) marks[self] = 0;
  return Hits{true, 0};
}

Boid* BoidGrid::Nearest(const Vec3& centre) {
  if (!collected_) Collect();
  if (!gridded_) {
    range_ = 0.0;
    Layout(kPreyCellPerSpacing);
  }
  if (live_ == 0 || !Finite(centre)) return nullptr;

  float best = kFarthestPrey;
  uint32_t chosen = kNoSlot;
  // The distance exactly as Vec3::Length of (member - centre).
  auto distance = [&](float x, float y, float z) { return std::sqrt(SquaredDistance(centre, x, y, z)); };
  auto consider = [&](uint32_t slot, float dist) {
    if (dist < best || (dist == best && chosen != kNoSlot && slot < chosen)) {
      best = dist;
      chosen = slot;
    }
  };

  if (dims_[0] == 0) {
    for (uint32_t slot = 0; slot < boids_.size(); ++slot) consider(slot, distance(x_[slot], y_[slot], z_[slot]));
  } else {
    // Growing boxes of cells, each sweeping only the cells new to it and
    // skipping cells wholly farther than the best so far, until the best
    // lies well inside the box: every member outside is then farther, so it
    // can neither win nor tie.
    double reach = std::max(cellSize_[0], std::max(cellSize_[1], cellSize_[2]));
    Span done{{1, 1, 1}, {0, 0, 0}};  // empty
    double gaps[3][64];
    auto sweep = [&](size_t row, int low, int high, double gyz, const Span& span) {
      const double limit = best * (1.0 + kRadiusSlack) + kAbsoluteSlack;
      const double limit2 = chosen == kNoSlot ? INFINITY : limit * limit;
      while (low <= high && gyz + gaps[0][low - span.low[0]] > limit2) ++low;
      while (high >= low && gyz + gaps[0][high - span.low[0]] > limit2) --high;
      if (low > high) return;
      const uint32_t end = cellStart_[row + high] + cellCount_[row + high];
      uint32_t place = cellStart_[row + low];
      // Four distances at a time, rounded as the scalar ones; only members
      // as near as the best so far are considered one by one, in place
      // order. Blanks are not numbers and never are.
      const __m128 cx = _mm_set1_ps(centre.x);
      const __m128 cy = _mm_set1_ps(centre.y);
      const __m128 cz = _mm_set1_ps(centre.z);
      for (; place + 4 <= end; place += 4) {
        const __m128 dx = _mm_sub_ps(cx, _mm_loadu_ps(&members_.x[place]));
        const __m128 dy = _mm_sub_ps(cy, _mm_loadu_ps(&members_.y[place]));
        const __m128 dz = _mm_sub_ps(cz, _mm_loadu_ps(&members_.z[place]));
        const __m128 dist =
            _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz)));
        int near = _mm_movemask_ps(_mm_cmple_ps(dist, _mm_set1_ps(best)));
        if (!near) continue;
        alignas(16) float dists[4];
        _mm_store_ps(dists, dist);
        for (; near; near &= near - 1) {
          const int lane = __builtin_ctz(static_cast<unsigned>(near));
          consider(members_.slot[place + static_cast<uint32_t>(lane)], dists[lane]);
        }
      }
      for (; place < end; ++place)
        consider(members_.slot[place], distance(members_.x[place], members_.y[place], members_.z[place]));
    };
    for (;;) {
      const Span span = SpanAround(centre, reach);
      SquaredGaps(span, centre, gaps);
      for (int k = span.low[2]; k <= span.high[2]; ++k) {
        for (int j = span.low[1]; j <= span.high[1]; ++j) {
          const double gyz = gaps[2][k - span.low[2]] + gaps[1][j - span.low[1]];
          const size_t row = static_cast<size_t>(dims_[0]) * (j + static_cast<size_t>(dims_[1]) * k);
          if (done.Holds(done.low[0], j, k)) {
            // The middle of this row was swept before.
            sweep(row, span.low[0], done.low[0] - 1, gyz, span);
            sweep(row, done.high[0] + 1, span.high[0], gyz, span);
          } else {
            sweep(row, span.low[0], span.high[0], gyz, span);
          }
        }
      }
      if (chosen != kNoSlot && best < reach * 0.999) break;
      bool whole = true;
      for (int a = 0; a < 3; ++a) whole = whole && span.low[a] == 0 && span.high[a] == dims_[a] - 1;
      if (whole) break;
      done = span;
      reach *= 2.0;
    }
  }
  if (chosen == kNoSlot) return nullptr;
  hint_[1] = chosen;
  return boids_[chosen];
}

Boid* BoidGrid::LastReady(const Boid* self) {
  if (!collected_) Collect();
  const uint32_t selfSlot = self ? SlotOf(*self) : kNoSlot;
  for (size_t word = ready_.size(); word-- > 0;) {
    uint64_t bits = ready_[word];
    while (bits) {
      const int top = 63 - __builtin_clzll(bits);
      bits &= ~(uint64_t{1} << top);
      const uint32_t slot = static_cast<uint32_t>(word * 64 + top);
      if (slot == selfSlot) continue;
      if (boids_[slot]->readyToMate) {
        hint_[1] = slot;
        return boids_[slot];
      }
      ready_[word] &= ~(uint64_t{1} << top);  // cleared behind the grid's back
    }
  }
  return nullptr;
}
