#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "behave/boid.h"
#include "behave/lineAligned.h"
#include "behave/rangeLanes.h"

// A uniform grid over the members of one population list, kept in step with
// the list while a frame changes it, so that a fish's searches visit only the
// members near it. Every answer comes in list order, or is chosen as a scan
// in list order would choose it, so the callers' sums and choices match the
// plain scans bit for bit.
//
// A member occupies a slot numbered in list order: appends take new slots at
// the end and removals leave holes, so slot order stays list order although
// list indices shift on every erase.
class BoidGrid {
 public:
  // What a neighbour search sums over the members in range, each sum in
  // list order with the float operations of Steer's scan.
  struct School {
    Vec3 centre;      // the fish's position, then every member's added
    Vec3 separation;  // (fish's position - member's position) added up
    Vec3 alignment;   // the members' headings (steering normalised) added up
    int count = 0;
  };
  // What a predator search sums: (fish's position - member's position) over
  // the members in range, in list order, and their number.
  struct Threat {
    Vec3 away;
    int count = 0;
  };
  // Fish that one predator search serves at once.
  static constexpr int kThreatLanes = 8;

  // Forgets the list.
  void Reset();
  // Follows `list` from now on. The slots and cells are taken from the list
  // as it is at the first query. `include` (when given) leaves members out
  // for good, for a list whose members cannot change in that respect
  // meanwhile; `moving` leaves room in the cells for members that move.
  void Bind(const BoidList& list, bool (*include)(const Boid&), bool moving);
  const BoidList* Source() const { return source_; }

  // Keeping up with the list. Refresh re-reads a member's position, steering
  // and readiness to mate; Remove runs before the member leaves the list;
  // TakeAppended picks up Boids appended to the list since the last look.
  void Refresh(const Boid& member);
  void Remove(const Boid& member);
  void TakeAppended();

  // Every member apart from `self` whose distance from `position` is below
  // (member.size + size) * factor, summed in list order; the distance is
  // rounded as Vec3::Length of (position - member position) rounds it.
  School Gather(const Vec3& position, float size, float factor, const Boid* self);
  // The sums of a school over the members whose slots are listed, in that
  // order: `packed` holds per slot the position, size and heading as the
  // grid keeps them (x, y, z, size, then heading x, y, z, 0).
  static School Sum(const Vec3& position, const float* packed, const uint32_t* found, size_t count);
  // The School that sums made elsewhere come to.
  static School SchoolOf(const SchoolSums& sums);
  // Whether searches of this range go through the cells rather than over
  // every member.
  bool SearchesCells(float size, float factor);
  // About how many members a search of this range finds, were they spread
  // evenly over the grid; 0 without cells.
  double Expected(float size, float factor);
  // Slots so far and the Boid in each (null once removed), in list order.
  uint32_t Slots() {
    Prepare();
    return static_cast<uint32_t>(boids_.size());
  }
  const Boid* Member(uint32_t slot) const { return boids_[slot]; }
  // The slot of a member; none (past every slot) for a Boid not in the list.
  uint32_t SlotFor(const Boid& member) {
    Prepare();
    return SlotOf(member);
  }
  // The Threat of one fish at `position`, found through the cells: for
  // ranges that SearchesCells finds local.
  Threat Away(const Vec3& position, float size, float factor);
  // For each of up to kThreatLanes fish at once (`fish` of them), its
  // Threat: every member within (member.size + its size) * factor, tested
  // and summed as Gather does, none left out as `self`.
  // The members far beyond reach of all the fish are skipped: fish close
  // together are served best at once.
  void Threats(const Vec3* positions, const float* sizes, int fish, float factor, Threat* threats);
  // `member` and the live members after it, in list order, at most `most`
  // of them; returns how many were written to `out`.
  size_t Following(const Boid& member, const Boid** out, size_t most);
  // The member nearest to `centre` at a distance below 1e8, the earliest in
  // list order on equal distances; null when there is none.
  Boid* Nearest(const Vec3& centre);
  // The last member in list order that is ready to mate, `self` apart. Its
  // flag is read afresh: a mating clears the flag of a mate whose update is
  // over, without a Refresh.
  Boid* LastReady(const Boid* self);

 private:
  static constexpr uint32_t kNoCell = 0xFFFFFFFFu;
  static constexpr uint32_t kNoSlot = 0xFFFFFFFFu;

  // The members as the cells keep them: what a search tests, side by side,
  // one array per field so that a sweep runs through each in step. Each
  // cell owns a run of places; the run's unused tail holds blanks, whose
  // coordinates are not numbers, so a row of cells is swept in one go and a
  // blank never passes a test.
  // The slot of a blank place: its mark falls on the byte before the first
  // slot's, which is never read back.
  static constexpr uint32_t kBlank = 0xFFFFFFFFu;
  static constexpr int32_t kMarkAhead = 64;
  struct Members {
    std::vector<float> x, y, z, size;
    std::vector<uint32_t> slot;
    void Blank(size_t count);
    void Set(size_t place, const Vec3& p, float memberSize, uint32_t memberSlot);
    void Move(size_t to, size_t from);
    void Clear(size_t place);
  };

  struct Span {
    int low[3];
    int high[3];
    long long Cells() const;
    bool Holds(int i, int j, int k) const;
  };

  void Collect();
  // Cells at least `cellPerSpacing` times the members' mean spacing.
  void Layout(double cellPerSpacing);
  void AddSlot(Boid* boid);
  void ReadMember(uint32_t slot, const Boid& boid);
  uint32_t SlotOf(const Boid& member);
  uint32_t CellFor(const Vec3& p) const;
  int Axis(int axis, double coordinate) const;
  Span SpanAround(const Vec3& centre, double reach) const;
  void SquaredGaps(const Span& span, const Vec3& centre, double (*gaps)[64]) const;
  void FillCells();
  void PlaceInCell(uint32_t slot, uint32_t cell);
  void TakeFromCell(uint32_t slot);
  void SetReady(uint32_t slot, bool ready);
  // Where a search left the members it found: listed in found_, or marked
  // in marks_ by slot (when many were swept).
  struct Hits {
    bool marked;
    size_t count;  // listed
  };
  void Prepare();
  Hits Near(const Vec3& centre, float size, float factor, uint32_t self);
  size_t ReadMarks();  // lists the marked slots in found_ and clears the marks
  size_t NearAll(const Vec3& centre, float size, float factor, uint32_t self);
  Hits NearCells(const Span& span, const Vec3& centre, float size, float factor, uint32_t self,
                   double reach);
  // Lists in found_, in slot order, the members that may be in range of any
  // of these fish; returns their number.
  size_t Reachable(const Vec3* positions, const float* sizes, int fish, float factor);

  const BoidList* source_ = nullptr;
  bool (*include_)(const Boid&) = nullptr;
  bool moving_ = false;
  bool collected_ = false;  // slots taken from the list
  bool gridded_ = false;    // cells laid out (none for a small list)
  double range_ = 0.0;      // the widest range the cells were laid out for

  // Per slot; a removed member's Boid pointer is null.
  std::vector<Boid*> boids_;
  std::vector<float> x_, y_, z_;  // position; not a number once removed
  std::vector<float> size_;
  // Per slot, position and heading side by side, as sums take them four
  // floats at a time: x, y, z, size, then heading x, y, z, 0.
  LineAlignedVector<float> packed_;
  std::vector<uint32_t> cellOf_;
  std::vector<uint32_t> placeOf_;  // index into members_
  std::vector<uint64_t> ready_;    // one bit per slot
  // One byte per slot, 0 between searches, after kMarkAhead bytes for
  // the blanks' marks.
  std::vector<uint8_t> marks_;
  size_t live_ = 0;                // members in the slots
  size_t listSeen_ = 0;            // list length that the slots account for
  float largestSize_ = 0.0f;

  // Finding a member's slot: the slots of the latest lookup and the latest
  // answer, which nearly every lookup repeats or follows, then a map built
  // on first need.
  uint32_t hint_[2] = {0, 0};
  bool mapped_ = false;
  std::unordered_map<const Boid*, uint32_t> slotOf_;

  // Cells of cellSize_ from origin_, dims_ per axis; members outside fall
  // into the border cells, members whose position is not finite into none.
  // Cell c owns members_[cellStart_[c]] to members_[cellStart_[c + 1] - 1],
  // its first cellCount_[c] in use.
  int dims_[3] = {0, 0, 0};
  double origin_[3] = {0, 0, 0};
  double cellSize_[3] = {0, 0, 0};
  double inverseCell_[3] = {0, 0, 0};
  std::vector<uint32_t> cellStart_;
  std::vector<uint32_t> cellCount_;
  Members members_;

  std::vector<std::pair<uint32_t, uint32_t>> rows_;  // runs of places a search sweeps
  std::vector<uint32_t> found_;  // slots found by a search, room for all
  std::vector<uint8_t> passed_;  // per member swept, room for all
};
