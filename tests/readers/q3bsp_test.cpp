#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bspBuilder.h"
#include "q3bsp/Quake3Bsp.h"
#include "readerTestUtil.h"

namespace {
bool LoadBytes(Quake3Bsp& level, const Bytes& bytes, const char* name = "test.bsp") {
  return level.LoadFromMemory(bytes.data(), bytes.size(), name);
}

void ExpectEmpty(const Quake3Bsp& level) {
  EXPECT_EQ(level.vertexCount, 0);
  EXPECT_EQ(level.faceCount, 0);
  EXPECT_EQ(level.textureCount, 0);
  EXPECT_EQ(level.lightmapCount, 0);
  EXPECT_TRUE(level.vertices.empty());
  EXPECT_TRUE(level.faces.empty());
  EXPECT_TRUE(level.lightmaps.empty());
  EXPECT_STREQ(level.textureNames[0], "");
}

// The level object is large (its texture name table); keep it off the stack.
std::unique_ptr<Quake3Bsp> NewLevel() { return std::make_unique<Quake3Bsp>(); }

TEST(Q3BspReader, ReadsVerticesFacesNamesAndLightmaps) {
  const Bytes bytes = TestBsp().Build();
  auto level = NewLevel();
  ASSERT_TRUE(LoadBytes(*level, bytes));
  ASSERT_EQ(level->vertexCount, 3);
  const Q3Vertex& v = level->vertices[0];
  EXPECT_EQ(v.position.x, 1.0f);  // z-up (1, 2, 3) is y-up (1, 3, -2)
  EXPECT_EQ(v.position.y, 3.0f);
  EXPECT_EQ(v.position.z, -2.0f);
  EXPECT_EQ(v.texCoord.u, 0.25f);
  EXPECT_EQ(v.texCoord.v, -0.5f);
  EXPECT_EQ(v.lightmapCoord.u, 0.125f);  // light-map coordinates, normal, colour as read
  EXPECT_EQ(v.lightmapCoord.v, 0.375f);
  EXPECT_EQ(v.normal.z, 1.0f);
  EXPECT_EQ(v.colour[2], 30);
  EXPECT_EQ(level->vertices[2].position.z, -8.0f);

  ASSERT_EQ(level->faceCount, 2);
  EXPECT_EQ(level->faces[0].textureIndex, 1);
  EXPECT_EQ(level->faces[0].type, 1);
  EXPECT_EQ(level->faces[0].vertexCount, 3);
  EXPECT_EQ(level->faces[0].normal[2], 1.0f);
  EXPECT_EQ(level->faces[1].textureIndex, 7);  // not the reader's to check
  EXPECT_EQ(level->faces[1].vertexCount, 0);

  ASSERT_EQ(level->textureCount, 2);
  EXPECT_STREQ(level->textureNames[0], "textures/base/wall");
  EXPECT_STREQ(level->textureNames[1], "textures/base/floor");

  // 100000 bytes hold two whole light maps; the rest is ignored.
  ASSERT_EQ(level->lightmapCount, 2);
  ASSERT_EQ(level->lightmaps.size(), 2u * kLightmapBytes);
  const std::size_t lightmapLump = GetI32(bytes, LumpEntry(kLightmapLump));
  EXPECT_TRUE(std::equal(level->lightmaps.begin(), level->lightmaps.end(),
                         bytes.begin() + lightmapLump));
}

TEST(Q3BspReader, TextureNameTable) {
  auto level = NewLevel();
  TestBsp bsp;
  bsp.textures.clear();
  ASSERT_TRUE(LoadBytes(*level, bsp.Build()));
  EXPECT_EQ(level->textureCount, 0);
  EXPECT_STREQ(level->textureNames[0], "");

  // A name filling all 64 bytes has no terminator in the file.
  bsp.textures = {std::string(64, 'a'), "b"};
  ASSERT_TRUE(LoadBytes(*level, bsp.Build()));
  EXPECT_EQ(std::string(level->textureNames[0]), std::string(64, 'a'));
  EXPECT_STREQ(level->textureNames[1], "b");

  // Names past the table's 1023 slots are dropped with a warning.
  bsp.textures.assign(1030, "t");
  bsp.textures[1022] = "last kept";
  LogWatch watch;
  ASSERT_TRUE(LoadBytes(*level, bsp.Build(), "many.bsp"));
  EXPECT_EQ(level->textureCount, Quake3Bsp::kMaxTextures);
  EXPECT_STREQ(level->textureNames[1022], "last kept");
  EXPECT_NE(watch.Added().find("WARNING"), std::string::npos);
  EXPECT_NE(watch.Added().find("many.bsp has 1030 textures"), std::string::npos);
}

TEST(Q3BspReader, MissingFileAndFileLoad) {
  auto level = NewLevel();
  LogWatch watch;
  EXPECT_FALSE(level->Load("no-such-level.bsp"));
  EXPECT_NE(watch.Added().find("ERROR [engine/q3bsp/Quake3Bsp.cpp:"), std::string::npos);
  EXPECT_NE(watch.Added().find("Could not find BSP file no-such-level.bsp!"), std::string::npos);
  const Bytes bytes = TestBsp().Build();
  WriteAll("level.bsp", bytes.data(), bytes.size());
  EXPECT_TRUE(level->Load("level.bsp"));
  EXPECT_EQ(level->faceCount, 2);
}

// The fuzzer's seed level holds the structures short inputs never reach: a
// light map and a texture name filling its record.
TEST(Q3BspReader, SeedLevelHoldsALightmapAndALongName) {
  auto level = NewLevel();
  ASSERT_TRUE(level->Load(SEED_CORPUS "/q3bsp/lightmap.bsp"));
  EXPECT_EQ(level->lightmapCount, 1);
  EXPECT_EQ(level->faceCount, 3);
  EXPECT_EQ(std::string(level->textureNames[1]).size(), 64u);
}

// Each case breaks one limit; the file is refused with an error entry and
// leaves the level empty, whatever it held before.
TEST(Q3BspReader, RefusesBrokenFiles) {
  struct Case {
    const char* name;
    std::function<void(TestBsp&, Bytes&)> damage;
    const char* message;
  };
  const Case cases[] = {
      {"lump-past-end",
       [](TestBsp&, Bytes& b) { PutI32(b, LumpEntry(kLightmapLump) + 4, 100001); },
       "lump 14 lies outside the file"},
      {"negative-offset", [](TestBsp&, Bytes& b) { PutI32(b, LumpEntry(kFaceLump), -104); },
       "lump 13 lies outside the file"},
      {"negative-length", [](TestBsp&, Bytes& b) { PutI32(b, LumpEntry(kVertexLump) + 4, -44); },
       "lump 10 lies outside the file"},
      {"offset-overflow",
       [](TestBsp&, Bytes& b) { PutI32(b, LumpEntry(kTextureLump), 0x7fffff00); },
       "lump 1 lies outside the file"},
      {"short-header", [](TestBsp&, Bytes& b) { b.resize(100); }, "shorter than its header"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestBsp bsp;
    Bytes bytes = bsp.Build();
    c.damage(bsp, bytes);
    auto level = NewLevel();
    ASSERT_TRUE(LoadBytes(*level, TestBsp().Build()));
    LogWatch watch;
    EXPECT_FALSE(LoadBytes(*level, bytes, c.name));
    const std::string added = watch.Added();
    EXPECT_NE(added.find(std::string("Invalid BSP file ") + c.name), std::string::npos) << added;
    EXPECT_NE(added.find(c.message), std::string::npos) << added;
    ExpectEmpty(*level);
  }
}

// A face that breaks a limit is left out with a warning; the other faces,
// the vertices, names and light maps load.
TEST(Q3BspReader, RefusesJustTheBrokenFace) {
  struct Case {
    const char* name;
    std::vector<TestFace> faces;  // in place of the sample's two
    const char* message;
    int kept, keptFirstVertex;
  };
  const Case cases[] = {
      {"face-too-large", {{1, 0, 3}, {0, 0, 4097}}, "face 1 has 4097 vertices", 1, 0},
      {"face-past-vertices", {{0, 1, 3}, {7, 3, 0}}, "face 0 uses 3 vertices from 1 of 3", 1, 3},
      {"face-negative-first", {{0, -1, 2}, {7, 3, 0}}, "face 0 uses 2 vertices from -1", 1, 3},
      {"face-extreme-first", {{0, INT32_MIN, 0}, {0, INT32_MAX, 3}},
       "face 0 uses 0 vertices from -2147483648", 0, 0},
      {"face-run-overflow", {{0, INT32_MAX, 3}, {7, 3, 0}}, "face 0 uses 3 vertices from 2147483647",
       1, 3},
      {"face-negative-count", {{1, 0, 3}, {0, 1, -1}}, "face 1 uses -1 vertices", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestBsp bsp;
    bsp.faces = c.faces;
    auto level = NewLevel();
    LogWatch watch;
    EXPECT_TRUE(LoadBytes(*level, bsp.Build(), c.name));
    const std::string added = watch.Added();
    EXPECT_NE(added.find(std::string("BSP file ") + c.name), std::string::npos) << added;
    EXPECT_NE(added.find(c.message), std::string::npos) << added;
    ASSERT_EQ(level->faceCount, c.kept);
    ASSERT_EQ(level->faces.size(), static_cast<std::size_t>(c.kept));
    if (c.kept > 0) {
      EXPECT_EQ(level->faces[0].firstVertex, c.keptFirstVertex);
    }
    EXPECT_EQ(level->vertexCount, 3);
    EXPECT_EQ(level->lightmapCount, 2);
  }
}

TEST(Q3BspReader, EveryTruncationIsRefused) {
  const Bytes full = TestBsp().Build();
  auto level = NewLevel();
  for (std::size_t size = 0; size < full.size(); size += (size < 400 ? 1 : 997)) {
    const Bytes cut(full.begin(), full.begin() + size);
    EXPECT_FALSE(LoadBytes(*level, cut, "cut.bsp")) << size;
  }
}

TEST(Q3BspLightmaps, GammaBrightensAndKeepsHue) {
  std::uint8_t texels[] = {10, 20, 5, 51, 10, 0, 255, 255, 255, 26, 13, 0, 1, 2};
  AdjustLightmapGamma(texels, sizeof texels, 10.0f);
  const std::uint8_t expected[] = {100, 200, 50, 255, 50, 0, 255, 255, 255, 255, 127, 0, 1, 2};
  for (std::size_t i = 0; i < sizeof texels; ++i) EXPECT_EQ(texels[i], expected[i]) << i;
}

TEST(Q3BspLightmaps, PixelsAreTransposedOnRequest) {
  std::vector<std::uint8_t> map(kLightmapBytes, 0);
  const int row = 0, column = 5;
  std::uint8_t* texel = &map[(row * 128 + column) * 3];
  texel[0] = 0x12;
  texel[1] = 0x34;
  texel[2] = 0x56;
  const int pitch = 130;  // pixels per row, padding included
  std::vector<std::uint32_t> pixels(pitch * 128, 0xFFFFFFFFu);
  LightmapToPixels(map.data(), pixels.data(), pitch, true);
  EXPECT_EQ(pixels[column * pitch + row], 0x00123456u);  // row 5, column 0
  EXPECT_EQ(pixels[row * pitch + column], 0u);
  EXPECT_EQ(pixels[128], 0xFFFFFFFFu);  // padding untouched

  LightmapToPixels(map.data(), pixels.data(), pitch, false);
  EXPECT_EQ(pixels[row * pitch + column], 0x00123456u);
  EXPECT_EQ(pixels[column * pitch + row], 0u);
}
}  // namespace

TEST(Q3BspFaces, StagingCopiesTheFacesRunOnlyTurnedYUp) {
  TestBsp built;
  built.faces = {{0, 1, 2}};  // vertices 1 and 2 of three
  auto level = NewLevel();
  ASSERT_TRUE(LoadBytes(*level, built.Build()));
  // One vertex more than the face holds, which must stay untouched.
  std::vector<float> positions(9, -7.0f), uv(6, -7.0f), lightmapUv(6, -7.0f);
  StageFaceVertices(*level, level->faces[0], positions.data(), uv.data(), lightmapUv.data());
  const float expectedPositions[6] = {4, 6, -5, 7, 9, -8};  // (x, z, -y)
  const float expectedUv[4] = {1, -1, 0, -0.0f};           // v negated
  const float expectedLightmap[4] = {0, 0, 1, 1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(positions[i], expectedPositions[i]) << i;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(uv[i], expectedUv[i]) << i;
    EXPECT_EQ(lightmapUv[i], expectedLightmap[i]) << i;
  }
  EXPECT_EQ(positions[6], -7.0f);
  EXPECT_EQ(uv[4], -7.0f);
  EXPECT_EQ(lightmapUv[4], -7.0f);

  // Normals (0, 1, 0) and (1, 0, 0) turned y-up as the positions are.
  std::vector<float> normals(9, -7.0f);
  StageFaceNormals(*level, level->faces[0], normals.data());
  EXPECT_EQ(normals, (std::vector<float>{0, 0, -1, 1, 0, -0.0f, -7, -7, -7}));
}
