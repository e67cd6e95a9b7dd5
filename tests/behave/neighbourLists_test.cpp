// Neighbour lists answer as the grid's own search does, bit for bit, and
// leave crowds whose lists would exceed their bound to the grid.
#include "behave/neighbourLists.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {
constexpr float kFactor = 3.0f;

class NeighbourListsTest : public ::testing::Test {
 protected:
  // 600 fish of two sizes in a box where each has a few dozen in range.
  void SetUp() override {
    std::mt19937 draw(11);
    std::uniform_real_distribution<float> spread(-6.0f, 6.0f);
    for (int i = 0; i < 600; ++i) {
      fish_.push_back(std::make_unique<Boid>());
      Boid& fish = *fish_.back();
      fish.Init(Vec3(spread(draw), spread(draw), spread(draw)), i % 3 ? 0.5f : 0.25f);
      fish.steering = Vec3(spread(draw), spread(draw), spread(draw));
      list_.push_back(&fish);
    }
    grid_.Bind(list_, nullptr, true);
  }

  static bool Same(const BoidGrid::School& a, const BoidGrid::School& b) {
    return a.count == b.count && std::memcmp(&a.centre, &b.centre, sizeof(Vec3)) == 0 &&
           std::memcmp(&a.separation, &b.separation, sizeof(Vec3)) == 0 &&
           std::memcmp(&a.alignment, &b.alignment, sizeof(Vec3)) == 0;
  }

  std::vector<std::unique_ptr<Boid>> fish_;
  BoidList list_;
  BoidGrid grid_;
};

TEST_F(NeighbourListsTest, ListsSumWhatTheGridFinds) {
  NeighbourLists lists;
  lists.Start(list_, &grid_);
  int schooled = 0;
  for (Boid* fish : list_) {
    BoidGrid::School listed;
    ASSERT_TRUE(lists.Gather(*fish, kFactor, &listed));
    EXPECT_TRUE(Same(listed, grid_.Gather(fish->position, fish->size, kFactor, fish)));
    schooled += listed.count > 0;
  }
  EXPECT_GT(schooled, 500);

  // A fish that moves a little stays on the lists it was on.
  Boid& mover = *list_[17];
  mover.position = mover.position + Vec3(0.01f, -0.01f, 0.0f);
  grid_.Refresh(mover);
  lists.Moved(mover);
  for (Boid* fish : list_) {
    BoidGrid::School listed;
    ASSERT_TRUE(lists.Gather(*fish, kFactor, &listed));
    EXPECT_TRUE(Same(listed, grid_.Gather(fish->position, fish->size, kFactor, fish)));
  }
}

TEST_F(NeighbourListsTest, RangesOverTheWholeBoxAreListedToo) {
  // Most fish in range of each: the grid would sweep all of them, the lists
  // hold most of them.
  const float wide = 8.0f * kFactor;
  NeighbourLists lists;
  lists.Start(list_, &grid_);
  for (Boid* fish : list_) {
    BoidGrid::School listed;
    ASSERT_TRUE(lists.Gather(*fish, wide, &listed));
    EXPECT_TRUE(Same(listed, grid_.Gather(fish->position, fish->size, wide, fish)));
    EXPECT_GT(listed.count, 300);
  }
}

TEST_F(NeighbourListsTest, ListsBeyondTheirBoundAreLeftToTheGrid) {
  NeighbourLists bounded(100);
  bounded.Start(list_, &grid_);
  BoidGrid::School school;
  for (Boid* fish : list_) EXPECT_FALSE(bounded.Gather(*fish, kFactor, &school));
}
}  // namespace
