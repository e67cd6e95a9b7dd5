#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "behave/boidGrid.h"
#include "behave/lineAligned.h"

// For each fish of one list, the fish that lay within its neighbour range
// plus a margin when the lists were made, in list order. The lists are kept
// from frame to frame while no fish has moved by half the margin since:
// until then every fish in range of another is on its list, so a neighbour
// search tests one short list in order, where the grid would search its
// cells and then put what it found in order. Fish appended since the lists
// were made come after all the others in list order and are tested after
// the list; their own searches go to the grid.
class NeighbourLists {
 public:
  static constexpr uint64_t kMostEntries = uint64_t{1} << 26;  // 256 MB
  // All lists together hold at most `mostEntries` entries: fish crowded so
  // densely that their lists would hold more are left to the grid.
  explicit NeighbourLists(uint64_t mostEntries = kMostEntries) : mostEntries_(mostEntries) {}

  // At the start of the list's update, with the grid that follows it: takes
  // the fish as they are now, noting any that left the list or moved.
  void Start(const BoidList& list, BoidGrid* grid);
  void Stop();
  // The neighbours of `self` summed as BoidGrid::Gather sums them; false
  // when the lists do not serve this search, which the grid then makes.
  bool Gather(const Boid& self, float factor, BoidGrid::School* school);
  // Keeping up with the list while it is updated, as the grid does.
  void Moved(const Boid& fish);
  void Removing(const Boid& boid);
  void TakeAppended();


 private:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;

  bool Usable(float factor) const;
  bool Build(float factor);
  // False, and no lists, where they would hold more than mostEntries_.
  bool MakeLists(float largest, float widen, float factor);
  void Add(const Boid* boid);
  void Read(uint32_t index, const Boid& boid);
  void Forget(uint32_t index);
  uint32_t IndexOf(const Boid& boid);

  const uint64_t mostEntries_;
  const BoidList* source_ = nullptr;
  BoidGrid* grid_ = nullptr;
  bool built_ = false;
  bool declined_ = false;  // this frame's lists would not pay; the grid serves
  float factor_ = 0.0f;
  float margin_ = 0.0f;
  int framesSinceMade_ = 0;
  double moved_ = 0.0;       // the farthest any fish has moved since
  size_t listSeen_ = 0;
  uint32_t made_ = 0;        // fish numbered when the lists were made

  // Per fish, in list order: the Boid (null once gone), and its record of
  // position, size and heading as the sums of rangeLanes read them;
  // positions that are not numbers once gone.
  std::vector<const Boid*> boids_;
  LineAlignedVector<float> packed_;
  std::vector<float> madeAt_;  // x, y, z where each listed fish was
  // List of fish i: listLength_[i] entries from entries_[listFirst_[i]],
  // the lists one after another in the order they were made.
  std::vector<uint32_t> listFirst_;
  std::vector<uint32_t> listLength_;
  std::vector<uint32_t> entries_;
  // The numbers of the fish appended since, as far as a search has needed.
  std::vector<uint32_t> later_;

  // Making the lists: the fish by cell, and the candidates of one cell,
  // marked by bit, then in list order with their fields side by side.
  std::vector<uint32_t> cellOf_;
  std::vector<uint32_t> cellStart_;
  std::vector<uint32_t> inCell_;
  std::vector<uint64_t> marked_;
  std::vector<uint32_t> candidates_;
  std::vector<float> candidateX_, candidateY_, candidateZ_, candidateSize_;

  uint32_t hint_ = 0;
  bool mapped_ = false;
  std::unordered_map<const Boid*, uint32_t> indexOf_;
};
