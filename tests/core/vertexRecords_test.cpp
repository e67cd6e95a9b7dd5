#include "core/vertexRecords.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(VertexRecords, EachComponentSetHasTheInterleavedLayoutOfItsOpenGLFormat) {
  struct Case {
    bool uv, diffuse, normals;
    VertexLayout layout;
    int stride, colour, normal, position;
  };
  const Case cases[] = {
      {false, false, false, VertexLayout::V3F, 3, -1, -1, 0},
      {false, false, true, VertexLayout::N3F_V3F, 6, -1, 0, 3},
      {true, false, false, VertexLayout::T2F_V3F, 5, -1, -1, 2},
      {true, false, true, VertexLayout::T2F_N3F_V3F, 8, -1, 2, 5},
      {false, true, false, VertexLayout::C3F_V3F, 6, 0, -1, 3},
      {true, true, false, VertexLayout::T2F_C3F_V3F, 8, 2, -1, 5},
      {true, true, true, VertexLayout::T2F_C4F_N3F_V3F, 12, 2, 6, 9},
  };
  for (const Case& c : cases) {
    VertexRecordFormat format;
    ASSERT_TRUE(ChooseVertexRecords(c.uv, c.diffuse, c.normals, &format));
    EXPECT_EQ(format.layout, c.layout);
    EXPECT_EQ(format.stride, c.stride);
    EXPECT_EQ(format.colourOffset, c.colour);
    EXPECT_EQ(format.normalOffset, c.normal);
    EXPECT_EQ(format.positionOffset, c.position);
    EXPECT_EQ(format.texCoords, c.uv);
  }
  VertexRecordFormat format;
  EXPECT_FALSE(ChooseVertexRecords(false, true, true, &format)) << "no format holds that";
}

TEST(VertexRecords, PacksEveryVertexInFormatOrderWithOpaqueFourthColour) {
  VertexRecordFormat format;
  ASSERT_TRUE(ChooseVertexRecords(true, true, true, &format));
  const float positions[] = {1, 2, 3, 4, 5, 6};
  const float normals[] = {0, 0, 1, 0, 1, 0};
  const float colours[] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f};
  const float uv[] = {0.25f, 0.75f, 1, 0};
  std::vector<float> out(24, -9.0f);
  PackVertexRecords(format, 2, positions, normals, colours, uv, out.data());
  const std::vector<float> expected = {0.25f, 0.75f, 0.1f, 0.2f, 0.3f, 1, 0, 0, 1, 1, 2, 3,
                                       1,     0,     0.4f, 0.5f, 0.6f, 1, 0, 1, 0, 4, 5, 6};
  EXPECT_EQ(out, expected);

  ASSERT_TRUE(ChooseVertexRecords(false, false, false, &format));
  std::vector<float> bare(7, -9.0f);
  PackVertexRecords(format, 2, positions, nullptr, nullptr, nullptr, bare.data());
  EXPECT_EQ(bare, (std::vector<float>{1, 2, 3, 4, 5, 6, -9}));
}

}  // namespace
