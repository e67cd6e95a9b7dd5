// The lane-wise range tests and sums, in both lane widths, against the
// scalar operations of the scans: the same members, the same sums bit for
// bit, on members at the edge of their range, not finite, and in counts that
// leave partial groups of lanes.
#include "behave/rangeLanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr uint32_t kNoSelf = 0xFFFFFFFFu;

struct Member {
  Vec3 position;
  float size;
  Vec3 heading;
};

// The scan's test: the distance as Vec3::Length rounds it.
bool ScanInRange(const Vec3& centre, float size, float factor, const Member& m) {
  return (centre - m.position).Length() < (m.size + size) * factor;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void ExpectSameBits(const Vec3& expected, const float* got) {
  EXPECT_TRUE(SameBits(expected.x, got[0])) << expected.x << " " << got[0];
  EXPECT_TRUE(SameBits(expected.y, got[1])) << expected.y << " " << got[1];
  EXPECT_TRUE(SameBits(expected.z, got[2])) << expected.z << " " << got[2];
}

// Members around a fish at `centre`, about half of them in range, with the
// hard cases mixed in: exactly at the range (out) and one float beyond it
// (in), not numbers, infinite, at the fish's own position, and coordinates
// of -0.
std::vector<Member> MakeMembers(std::mt19937& draw, const Vec3& centre, float size, size_t count) {
  std::uniform_real_distribution<float> offset(-2.0f, 2.0f);
  std::uniform_real_distribution<float> sizes(0.1f, 1.0f);
  std::vector<Member> members;
  for (size_t n = 0; n < count; ++n) {
    Member m{centre + Vec3(offset(draw), offset(draw), offset(draw)), sizes(draw),
             Vec3(offset(draw), offset(draw), offset(draw))};
    switch (n % 11) {
      case 3: {  // at the range with factor 1: (m.size + size) equals the distance
        const float dist = (centre - m.position).Length();
        m.size = dist - size;
        if ((m.size + size) != dist) m.size = std::nextafter(m.size, kInf);
        break;
      }
      case 5:
        m.position.y = kNaN;
        break;
      case 7:
        m.position.x = -kInf;
        break;
      case 9:
        m.position = centre;
        break;
      case 10:
        m.position = Vec3(-0.0f, centre.y, -0.0f);
        m.heading = Vec3(-0.0f, -0.0f, -0.0f);
        break;
      default:
        break;
    }
    members.push_back(m);
  }
  return members;
}

std::vector<float> Records(const std::vector<Member>& members) {
  std::vector<float> records;
  for (const Member& m : members) {
    const float record[8] = {m.position.x, m.position.y, m.position.z, m.size,
                             m.heading.x,  m.heading.y,  m.heading.z,  0.0f};
    records.insert(records.end(), record, record + 8);
  }
  return records;
}

// Runs a check once with each lane width the machine has.
template <typename Check>
void InBothWidths(Check check) {
  const bool wide = WideLanes();
  for (bool allow : {false, true}) {
    AllowWideLanes(allow);
    if (allow && !WideLanes()) continue;  // no AVX2 here: the 128-bit form ran
    SCOPED_TRACE(allow ? "256-bit lanes" : "128-bit lanes");
    check();
  }
  AllowWideLanes(wide);
}

class RangeLanesTest : public ::testing::TestWithParam<size_t> {};

TEST_P(RangeLanesTest, SchoolSumsAreTheScansOverListedMembers) {
  std::mt19937 draw(static_cast<unsigned>(GetParam()) + 1);
  const Vec3 centre(1.5f, -0.25f, 3.0f);
  const float size = 0.5f;
  const float factor = 1.0f;
  const std::vector<Member> members = MakeMembers(draw, centre, size, 3 * GetParam() + 5);
  const std::vector<float> records = Records(members);
  // Every other member listed, out of order of the records, as lists are.
  std::vector<uint32_t> listed;
  for (size_t n = 0; n < GetParam(); ++n) listed.push_back(static_cast<uint32_t>((n * 7 + 3) % members.size()));

  Vec3 centreSum = centre, separation, alignment;
  int inRange = 0;
  for (uint32_t index : listed) {
    if (!ScanInRange(centre, size, factor, members[index])) continue;
    centreSum += members[index].position;
    separation += centre - members[index].position;
    alignment += members[index].heading;
    ++inRange;
  }
  InBothWidths([&] {
    SchoolSums sums(centre);
    AddListedInRange(records.data(), listed.data(), listed.size(), size, factor, &sums);
    EXPECT_EQ(sums.count, static_cast<size_t>(inRange));
    ExpectSameBits(centreSum, sums.centre);
    ExpectSameBits(separation, sums.separation);
    ExpectSameBits(alignment, sums.alignment);
  });
}

TEST_P(RangeLanesTest, SweptMembersAreTheScansInOrderWithoutSelf) {
  std::mt19937 draw(static_cast<unsigned>(GetParam()) + 100);
  const Vec3 centre(-4.0f, 0.0f, 0.75f);
  const float size = 0.25f;
  const float factor = 1.0f;
  const std::vector<Member> members = MakeMembers(draw, centre, size, GetParam());
  std::vector<float> x, y, z, sizes;
  std::vector<uint32_t> slots;
  for (size_t n = 0; n < members.size(); ++n) {
    x.push_back(members[n].position.x);
    y.push_back(members[n].position.y);
    z.push_back(members[n].position.z);
    sizes.push_back(members[n].size);
    slots.push_back(static_cast<uint32_t>(10 * n + 1));
  }
  const uint32_t self = GetParam() > 9 ? slots[9] : 0;  // member 9 sits at the fish's position
  std::vector<uint32_t> expected;
  std::vector<uint8_t> passed;
  for (size_t n = 0; n < members.size(); ++n) {
    passed.push_back(ScanInRange(centre, size, factor, members[n]));
    if (passed.back() && slots[n] != self) expected.push_back(slots[n]);
  }
  InBothWidths([&] {
    std::vector<uint32_t> found(members.size() + 8);
    found.resize(SweptInRange(x.data(), y.data(), z.data(), sizes.data(), slots.data(), members.size(), centre,
                              size, factor, self, found.data()));
    EXPECT_EQ(found, expected);
    std::vector<uint8_t> swept(members.size());
    SweepRange(x.data(), y.data(), z.data(), sizes.data(), members.size(), centre, size, factor, swept.data());
    EXPECT_EQ(swept, passed);
  });
}

TEST_P(RangeLanesTest, ThreatLanesAreEachFishsScan) {
  std::mt19937 draw(static_cast<unsigned>(GetParam()) + 200);
  const float factor = 1.5f;
  // Seven fish and an unused lane; one fish is not a number.
  const int fish = kFishLanes - 1;
  float lanes[4][kFishLanes];
  std::uniform_real_distribution<float> spread(-1.0f, 1.0f);
  for (int f = 0; f < kFishLanes; ++f) {
    const bool used = f < fish;
    lanes[0][f] = used ? spread(draw) : kNaN;
    lanes[1][f] = used ? (f == 2 ? kNaN : spread(draw)) : kNaN;
    lanes[2][f] = used ? spread(draw) : kNaN;
    lanes[3][f] = used ? 0.25f + 0.125f * f : 0.0f;
  }
  const std::vector<Member> members = MakeMembers(draw, Vec3(), 0.5f, GetParam() + 3);
  std::vector<float> x, y, z, sizes;
  for (const Member& m : members) {
    x.push_back(m.position.x);
    y.push_back(m.position.y);
    z.push_back(m.position.z);
    sizes.push_back(m.size);
  }
  std::vector<uint32_t> listed;
  for (size_t n = 0; n < members.size(); n += 1 + n % 2) listed.push_back(static_cast<uint32_t>(n));

  InBothWidths([&] {
    float away[3][kFishLanes];
    int32_t counts[kFishLanes];
    ThreatLanes(lanes, x.data(), y.data(), z.data(), sizes.data(), listed.data(), listed.size(), factor, away,
                counts);
    for (int f = 0; f < fish; ++f) {
      const Vec3 at(lanes[0][f], lanes[1][f], lanes[2][f]);
      Vec3 sum;
      int count = 0;
      for (uint32_t index : listed) {
        if (!ScanInRange(at, lanes[3][f], factor, members[index])) continue;
        sum += at - members[index].position;
        ++count;
      }
      EXPECT_EQ(counts[f], count) << "fish " << f;
      const float got[3] = {away[0][f], away[1][f], away[2][f]};
      ExpectSameBits(sum, got);
    }
    EXPECT_EQ(counts[fish], 0);
  });
}

// Counts around whole groups of four and eight lanes and the blocks the sums
// are made in.
INSTANTIATE_TEST_SUITE_P(Counts, RangeLanesTest,
                         ::testing::Values(0, 1, 3, 4, 7, 8, 9, 15, 16, 31, 32, 33, 100, 127, 128, 129, 300));

// Members at distances a few floats either side of their range and of the
// bounds on squared distances that decide most tests without a square root,
// and well inside and outside it, over ranges from tiny to huge and ranges
// that are not positive or not numbers: every test answers as the scalar one.
TEST(RangeLanesTest, TestsNearTheRangeAnswerAsTheSquareRoot) {
  const float ranges[] = {0x1p-100f,
                          0x1p-80f,
                          0x1p-70f,
                          std::nextafter(0x1p-60f, 0.0f),
                          0x1p-60f,
                          1e-10f,
                          0.37f,
                          1.0f,
                          3.5f,
                          1e10f,
                          0x1p60f,
                          std::nextafter(0x1p64f, 0.0f),  // the largest whose square is finite
                          0x1p64f,
                          1e30f,
                          std::numeric_limits<float>::max(),
                          kInf,
                          kNaN,
                          -1.0f,
                          -0.0f,
                          0.0f,
                          std::numeric_limits<float>::denorm_min()};
  for (const Vec3& centre : {Vec3(), Vec3(0.75f, -2.0f, 5.0f)}) {
    for (const float factor : {1.0f, 0.3f}) {
      const float size = factor == 1.0f ? 0.0f : 0.1f;
      std::vector<Member> members;
      for (const float memberSize : ranges) {
        const float range = (memberSize + size) * factor;
        const float edges[] = {0.5f, 1.0f - 0x1p-19f, 1.0f - 0x1p-21f, 1.0f, 1.0f + 0x1p-21f, 1.0f + 0x1p-19f, 2.0f};
        for (const float edge : edges) {
          float offset = range * edge;
          for (int step = 0; step < 8; ++step) offset = std::nextafter(offset, 0.0f);
          for (int step = 0; step < 17; ++step, offset = std::nextafter(offset, kInf)) {
            // Along one axis, or spread over all three.
            const float third = offset / std::sqrt(3.0f);
            const Vec3 apart = step % 3 == 0 ? Vec3(offset, 0.0f, 0.0f)
                               : step % 3 == 1 ? Vec3(0.0f, -offset, 0.0f)
                                               : Vec3(third, third, -third);
            members.push_back(Member{centre + apart, memberSize, Vec3(1.0f, 2.0f, 3.0f)});
          }
        }
      }
      const std::vector<float> records = Records(members);
      std::vector<float> x, y, z, sizes;
      std::vector<uint32_t> all, expected;
      for (uint32_t n = 0; n < members.size(); ++n) {
        x.push_back(members[n].position.x);
        y.push_back(members[n].position.y);
        z.push_back(members[n].position.z);
        sizes.push_back(members[n].size);
        all.push_back(n);
        if (ScanInRange(centre, size, factor, members[n])) expected.push_back(n);
      }
      InBothWidths([&] {
        std::vector<uint32_t> found(members.size() + 8);
        found.resize(SweptInRange(x.data(), y.data(), z.data(), sizes.data(), all.data(), members.size(), centre,
                                  size, factor, kNoSelf, found.data()));
        EXPECT_EQ(found, expected);
        SchoolSums sums(centre);
        AddListedInRange(records.data(), all.data(), all.size(), size, factor, &sums);
        EXPECT_EQ(sums.count, expected.size());
        // The fish in the last lane of a threat search, the others unused.
        float lanes[4][kFishLanes];
        for (int f = 0; f < kFishLanes; ++f) {
          const bool used = f == kFishLanes - 1;
          lanes[0][f] = used ? centre.x : kNaN;
          lanes[1][f] = used ? centre.y : kNaN;
          lanes[2][f] = used ? centre.z : kNaN;
          lanes[3][f] = used ? size : 0.0f;
        }
        float away[3][kFishLanes];
        int32_t counts[kFishLanes];
        ThreatLanes(lanes, x.data(), y.data(), z.data(), sizes.data(), all.data(), all.size(), factor, away, counts);
        EXPECT_EQ(counts[kFishLanes - 1], static_cast<int32_t>(expected.size()));
      });
    }
  }
}

TEST(RangeLanesTest, SumsOfSchoolsAddToWhatCameBefore) {
  // A list summed in two calls gives the sums of one call over both parts.
  const Vec3 centre(0.5f, 0.5f, 0.5f);
  std::mt19937 draw(7);
  const std::vector<Member> members = MakeMembers(draw, centre, 1.0f, 40);
  const std::vector<float> records = Records(members);
  std::vector<uint32_t> all;
  for (uint32_t n = 0; n < members.size(); ++n) all.push_back(n);
  SchoolSums whole(centre), parts(centre);
  AddListed(records.data(), all.data(), all.size(), &whole);
  AddListed(records.data(), all.data(), 17, &parts);
  AddListed(records.data(), all.data() + 17, all.size() - 17, &parts);
  EXPECT_EQ(std::memcmp(whole.centre, parts.centre, sizeof whole.centre), 0);
  EXPECT_EQ(std::memcmp(whole.separation, parts.separation, sizeof whole.separation), 0);
  EXPECT_EQ(std::memcmp(whole.alignment, parts.alignment, sizeof whole.alignment), 0);
  EXPECT_EQ(whole.count, all.size());
}
}  // namespace
