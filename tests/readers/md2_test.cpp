#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "md2/Md2.h"
#include "md2Builder.h"
#include "readerTestUtil.h"

namespace {
bool LoadBytes(const Bytes& bytes, Md2ModelData& data, const char* name = "test.md2",
               const char* skin = "rhino.bmp") {
  Md2Loader loader;
  return loader.LoadFromMemory(data, bytes.data(), bytes.size(), name, skin);
}

void ExpectEmpty(const Md2ModelData& data) {
  EXPECT_EQ(data.objectCount, 0);
  EXPECT_EQ(data.animationCount, 0);
  EXPECT_EQ(data.materialCount, 0);
  EXPECT_TRUE(data.objects.empty());
  EXPECT_TRUE(data.animations.empty());
}

// Real models: every count and the first vertex are compared with the
// header and frame bytes read here directly.
class Md2RealModel : public ::testing::TestWithParam<const char*> {};

TEST_P(Md2RealModel, CountsAndFirstVertexMatchTheFileBytes) {
  const std::string path = SharedModelPath(GetParam());
  Bytes file;
  if (!ReadAll(path, file)) GTEST_SKIP() << path << " is not installed";
  ASSERT_GE(file.size(), 68u);
  const int frames = GetI32(file, kFrameCount), vertices = GetI32(file, kVertexCount);
  const int triangles = GetI32(file, kTriangleCount), texCoords = GetI32(file, kTexCoordCount);
  const int frameOffset = GetI32(file, kFrameOffset), frameSize = GetI32(file, kFrameSize);

  Md2ModelData data;
  Md2Loader loader;
  ASSERT_TRUE(loader.Load(data, path.c_str(), "rhino.bmp"));
  ASSERT_EQ(data.objectCount, frames);
  ASSERT_EQ(static_cast<int>(data.objects.size()), frames);
  for (const Md2FrameObject& object : data.objects) {
    EXPECT_EQ(object.vertexCount, vertices);
    EXPECT_EQ(object.faceCount, triangles);
    EXPECT_EQ(object.texCoordCount, texCoords);
    EXPECT_EQ(static_cast<int>(object.vertices.size()), vertices);
  }
  EXPECT_EQ(static_cast<int>(data.objects[0].faces.size()), triangles);
  EXPECT_EQ(static_cast<int>(data.objects[0].texCoords.size()), texCoords);
  EXPECT_TRUE(data.objects[1].faces.empty());
  EXPECT_TRUE(data.objects[1].texCoords.empty());
  ASSERT_EQ(data.materialCount, 1);
  EXPECT_EQ(data.materials[0].textureFile, "rhino.bmp");

  // Last frame, last vertex: file z becomes y, file y negated becomes z.
  const std::size_t frame = frameOffset + std::size_t(frameSize) * (frames - 1);
  const std::size_t vertex = frame + 40 + 4 * std::size_t(vertices - 1);
  const Vec3& p = data.objects.back().vertices.back();
  EXPECT_FLOAT_EQ(p.x, GetFloat(file, frame) * file[vertex] + GetFloat(file, frame + 12));
  EXPECT_FLOAT_EQ(p.y, GetFloat(file, frame + 8) * file[vertex + 2] + GetFloat(file, frame + 20));
  EXPECT_FLOAT_EQ(p.z,
                  -(GetFloat(file, frame + 4) * file[vertex + 1] + GetFloat(file, frame + 16)));

  // Every animation lies within the frames; the last ends on the last frame.
  ASSERT_EQ(data.animationCount, static_cast<int>(data.animations.size()));
  ASSERT_GT(data.animationCount, 1);
  for (const Md2Animation& a : data.animations) {
    EXPECT_GE(a.startFrame, 0) << a.name;
    EXPECT_LT(a.startFrame, a.endFrame) << a.name;
  }
  EXPECT_EQ(data.animations[0].startFrame, 0);
  EXPECT_STREQ(data.animations[0].name, "stand");
  EXPECT_EQ(data.animations[0].endFrame, 40);
  // "run1" gives "run"; "run001" gives "run0" (only two digits count).
  EXPECT_EQ(std::string(data.animations[1].name).substr(0, 3), "run");
  EXPECT_EQ(data.animations[1].startFrame, 40);
  EXPECT_EQ(data.animations.back().endFrame, frames - 1);
}

INSTANTIATE_TEST_SUITE_P(AssimpTestModels, Md2RealModel,
                         ::testing::Values("/usr/share/assimp/models/MD2/faerie.md2",
                                           "/usr/share/assimp/models/MD2/sydney.md2"));

TEST(Md2Reader, DecodesPositionsTexCoordsAndFaces) {
  TestMd2 model({"walk01", "walk02"});
  model.frames[0] = {"walk01", {1, 1, 1}, {1, 2, 3}, {{0, 0, 0}, {1, 2, 3}, {4, 5, 6}}};
  model.frames[1] = {"walk02", {2, 3, 4}, {0, 0, 0}, {{0, 0, 0}, {1, 2, 3}, {4, 5, 6}}};
  Md2ModelData data;
  ASSERT_TRUE(LoadBytes(model.Build(), data));
  ASSERT_EQ(data.objectCount, 2);
  const Md2FrameObject& first = data.objects[0];
  EXPECT_FLOAT_EQ(first.vertices[0].x, 1.0f);
  EXPECT_FLOAT_EQ(first.vertices[0].y, 3.0f);
  EXPECT_FLOAT_EQ(first.vertices[0].z, -2.0f);
  const Vec3& scaled = data.objects[1].vertices[1];
  EXPECT_FLOAT_EQ(scaled.x, 2.0f);
  EXPECT_FLOAT_EQ(scaled.y, 12.0f);
  EXPECT_FLOAT_EQ(scaled.z, -6.0f);

  EXPECT_FLOAT_EQ(first.texCoords[1].u, 0.5f);
  EXPECT_FLOAT_EQ(first.texCoords[1].v, 0.75f);
  EXPECT_FLOAT_EQ(first.texCoords[2].v, 0.0f);
  EXPECT_EQ(first.faces[0].vertexIndex[2], 2);
  EXPECT_EQ(first.faces[0].texCoordIndex[0], 2);
  EXPECT_TRUE(data.objects[1].faces.empty());
}

TEST(Md2Reader, ExpandFrameTakesFacesFromTheFirstFrame) {
  TestMd2 model({"a01", "a02"});
  Md2ModelData data;
  ASSERT_TRUE(LoadBytes(model.Build(), data));
  std::vector<Vec3> out(3 * 2);
  Md2ExpandFrame(out.data(), data.objects[1], data.objects[0]);
  const std::vector<Vec3>& v = data.objects[1].vertices;
  const int order[6] = {0, 1, 2, 2, 1, 0};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(out[i].x, v[order[i]].x);
    EXPECT_EQ(out[i].y, v[order[i]].y);
    EXPECT_EQ(out[i].z, v[order[i]].z);
  }
}

TEST(Md2Animations, FrameNamesGroupIntoAnimations) {
  Md2ModelData data;
  ASSERT_TRUE(LoadBytes(
      TestMd2({"walk01", "walk02", "walk03", "walk04", "run01", "run02", "run03"}).Build(),
      data));
  ASSERT_EQ(data.animationCount, 2);
  EXPECT_STREQ(data.animations[0].name, "walk");
  EXPECT_EQ(data.animations[0].startFrame, 0);
  EXPECT_EQ(data.animations[0].endFrame, 4);
  EXPECT_STREQ(data.animations[1].name, "run");
  EXPECT_EQ(data.animations[1].startFrame, 4);
  EXPECT_EQ(data.animations[1].endFrame, 6);

  // Only the last one or two characters count as the number.
  ASSERT_TRUE(LoadBytes(TestMd2({"pain101", "pain102", "run1", "run2", "x"}).Build(), data));
  ASSERT_EQ(data.animationCount, 2);
  EXPECT_STREQ(data.animations[0].name, "pain1");
  EXPECT_STREQ(data.animations[1].name, "run");
  EXPECT_EQ(data.animations[1].endFrame, 4);  // "x", first met on the last frame, opens none

  ASSERT_TRUE(LoadBytes(TestMd2({"stand01"}).Build(), data));
  EXPECT_EQ(data.objectCount, 1);
  EXPECT_EQ(data.animationCount, 0);
}

TEST(Md2Animations, FirstFrameNumbersOtherThanOneStayInsideTheFrames) {
  Md2ModelData data;
  ASSERT_TRUE(LoadBytes(TestMd2({"walk00", "walk01", "run07", "run08", "run09", "end"}).Build(),
                        data));
  ASSERT_EQ(data.animationCount, 2);
  EXPECT_EQ(data.animations[0].startFrame, 0);  // 0 - 1 + 0 would be -1
  EXPECT_EQ(data.animations[1].startFrame, 2);  // 7 - 1 + 2 would pass the end
  EXPECT_EQ(data.animations[1].endFrame, 5);
  // A later animation numbered from 0 starts one frame early, as written.
  ASSERT_TRUE(LoadBytes(TestMd2({"a01", "a02", "b00", "b01", "c"}).Build(), data));
  EXPECT_EQ(data.animations[1].startFrame, 1);
  // Numbers from 5 on shift the start forward while it stays in range.
  ASSERT_TRUE(LoadBytes(TestMd2({"walk05", "walk06", "walk07", "walk08", "walk09", "end"}).Build(),
                        data));
  ASSERT_EQ(data.animationCount, 1);
  EXPECT_EQ(data.animations[0].startFrame, 4);
  EXPECT_EQ(data.animations[0].endFrame, 5);
}

TEST(Md2Refused, MissingFileAndWrongVersion) {
  LogWatch watch;
  Md2ModelData data;
  Md2Loader loader;
  EXPECT_FALSE(loader.Load(data, "no-such-model.md2", "rhino.bmp"));
  EXPECT_NE(watch.Added().find("Unable to find the file: no-such-model.md2!"), std::string::npos);

  Bytes bytes = TestMd2().Build();
  PutI32(bytes, kVersion, 7);
  WriteAll("version7.md2", bytes.data(), bytes.size());
  EXPECT_FALSE(loader.Load(data, "version7.md2", "rhino.bmp"));
  EXPECT_NE(watch.Added().find("ERROR [engine/md2/Md2.cpp:"), std::string::npos);
  EXPECT_NE(watch.Added().find("Invalid file format (Version not 8): version7.md2!"),
            std::string::npos);
  ExpectEmpty(data);
}

// Each case breaks one limit of a valid file; the file must be refused with
// an error entry and leave no model behind, whatever the record held before.
TEST(Md2Refused, BrokenLimits) {
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    const char* message;
  };
  const Case cases[] = {
      {"framesize-over-buffer", [](Bytes& b) { PutI32(b, kFrameSize, 8324); }, "Frame size"},
      {"framesize-short-of-vertices", [](Bytes& b) { PutI32(b, kFrameSize, 48); },
       "Frame size"},
      {"framesize-negative", [](Bytes& b) { PutI32(b, kFrameSize, -4); }, "Frame size"},
      {"vertex-index", [](Bytes& b) { PutU16(b, GetI32(b, kTriangleOffset) + 14, 3); },
       "Triangle 1 indexes past 3 vertices"},
      {"texcoord-index", [](Bytes& b) { PutU16(b, GetI32(b, kTriangleOffset) + 6, 3); },
       "Triangle 0 indexes past"},
      {"frames-past-end", [](Bytes& b) { PutI32(b, kFrameCount, 3); }, "past the end"},
      {"triangles-past-end", [](Bytes& b) { PutI32(b, kTriangleOffset, int(b.size()) - 8); },
       "past the end"},
      {"texcoords-negative-offset", [](Bytes& b) { PutI32(b, kTexCoordOffset, -4); },
       "past the end"},
      {"skins-past-end", [](Bytes& b) { PutI32(b, kSkinCount, 1 << 24); }, "past the end"},
      {"negative-count", [](Bytes& b) { PutI32(b, kTriangleCount, -1); }, "Negative count"},
      {"no-frames", [](Bytes& b) { PutI32(b, kFrameCount, 0); }, "No frames"},
      {"zero-skin", [](Bytes& b) { PutI32(b, kSkinWidth, 0); }, "Skin size"},
      {"vertices-over-frame", [](Bytes& b) { PutI32(b, kVertexCount, 2100); }, "Frame size"},
  };
  Md2ModelData good;
  ASSERT_TRUE(LoadBytes(TestMd2({"a01", "a02"}).Build(), good));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = TestMd2({"a01", "a02"}).Build();
    c.damage(bytes);
    Md2ModelData data;
    ASSERT_TRUE(LoadBytes(TestMd2({"a01", "a02"}).Build(), data));
    LogWatch watch;
    EXPECT_FALSE(LoadBytes(bytes, data, c.name));
    const std::string added = watch.Added();
    EXPECT_NE(added.find(c.message), std::string::npos) << added;
    EXPECT_NE(added.find(c.name), std::string::npos) << added;
    ExpectEmpty(data);
  }
}

TEST(Md2Refused, EveryTruncationIsRefused) {
  const Bytes full = TestMd2({"a01", "a02", "a03"}).Build();
  for (std::size_t size = 0; size < full.size(); ++size) {
    const Bytes cut(full.begin(), full.begin() + size);
    Md2ModelData data;
    EXPECT_FALSE(LoadBytes(cut, data, "cut.md2")) << size;
  }
}
}  // namespace
