#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ms3dtest/ms3d.h"
#include "readerTestUtil.h"

namespace {
const char kModel[] =
    "// MilkShape 3D ASCII\n"
    "\n"
    "Frames: 30\n"
    "Frame: 1\n"
    "\n"
    "Meshes: 2\n"
    "\"body\" 0 0\n"
    "3\n"
    "0 1.0 2.0 3.0 0.25 0.75 -1\n"
    "0 5.0 1.0 0.0 0.0 0.0 1\n"
    "0 10.0 0.0 0.0 1.0 1.0 0\n"
    "2\n"
    "0.0 1.0 0.0\n"
    "0.0 0.0 1.0\n"
    "1\n"
    "0 0 1 2 0 1 0 1\n"
    "\"empty\" 0 -1\n"
    "0\n"
    "0\n"
    "0\n"
    "\n"
    "Materials: 1\n"
    "\"skin\"\n"
    "0.2 0.2 0.2 1.0\n"
    "0.8 0.7 0.6 1.0\n"
    "0.0 0.0 0.0 1.0\n"
    "0.0 0.0 0.0 1.0\n"
    "12.5\n"
    "1.0\n"
    "\"skin.bmp\"\n"
    "\"\"\n"
    "\n"
    "Bones: 2\n"
    "\"root\"\n"
    "\"\"\n"
    "8 10.0 0.0 0.0 0.0 0.0 1.5707963\n"
    "0\n"
    "0\n"
    "\"arm\"\n"
    "\"ROOT\"\n"
    "8 0.0 5.0 0.0 0.0 0.0 0.0\n"
    "0\n"
    "0\n";

bool LoadText(Model& model, const std::string& text) {
  return model.loadFromMs3dAsciiMemory(text.data(), text.size());
}

// Replaces the first occurrence of `from`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string Edited(const std::string& from, const std::string& to) {
  return Replaced(kModel, from, to);
}

void ExpectEmpty(const Model& model) {
  EXPECT_EQ(model.meshCount, 0);
  EXPECT_EQ(model.materialCount, 0);
  EXPECT_EQ(model.boneCount, 0);
  EXPECT_TRUE(model.meshes.empty());
  EXPECT_TRUE(model.materials.empty());
  EXPECT_TRUE(model.bones.empty());
}

// The promise a loaded model makes to the model classes.
void ExpectIndicesInRange(const Model& model) {
  ASSERT_EQ(model.meshCount, static_cast<int>(model.meshes.size()));
  ASSERT_EQ(model.meshCount, static_cast<int>(model.materialIndices.size()));
  ASSERT_EQ(model.materialCount, static_cast<int>(model.materials.size()));
  ASSERT_EQ(model.boneCount, static_cast<int>(model.bones.size()));
  for (int k = 0; k < model.meshCount; ++k) {
    const Ms3dMesh& mesh = model.meshes[k];
    EXPECT_GE(model.materialIndices[k], -1);
    EXPECT_LT(model.materialIndices[k], model.materialCount);
    ASSERT_EQ(mesh.vertexCount, static_cast<int>(mesh.vertices.size()));
    ASSERT_EQ(mesh.normalCount, static_cast<int>(mesh.normals.size()));
    ASSERT_EQ(mesh.triangleCount, static_cast<int>(mesh.triangles.size()));
    for (const Ms3dVertex& v : mesh.vertices) {
      EXPECT_GE(v.boneIndex, -1);
      EXPECT_LT(v.boneIndex, model.boneCount);
    }
    for (const Ms3dTriangle& t : mesh.triangles) {
      for (int c = 0; c < 3; ++c) {
        EXPECT_GE(t.vertexIndex[c], 0);
        EXPECT_LT(t.vertexIndex[c], mesh.vertexCount);
        EXPECT_GE(t.normalIndex[c], 0);
        EXPECT_LT(t.normalIndex[c], mesh.normalCount);
      }
    }
  }
}

Vec3 Posed(const Ms3dVertex& vertex, const Model& model) {
  Vec3 p = vertex.position;
  if (vertex.boneIndex != -1) {
    model.bones[vertex.boneIndex].absolute.Rotate(p);
    model.bones[vertex.boneIndex].absolute.Translate(p);
  }
  return p;
}

TEST(Ms3dReader, LoadsMeshesMaterialsAndBones) {
  Model model;
  ASSERT_TRUE(LoadText(model, kModel));
  ExpectIndicesInRange(model);
  EXPECT_EQ(model.totalFrames, 30.0f);
  EXPECT_EQ(model.currentTime, 1.0f);  // posed at the initial frame

  ASSERT_EQ(model.meshCount, 2);
  const Ms3dMesh& body = model.meshes[0];
  EXPECT_STREQ(body.name, "body");
  EXPECT_EQ(body.vertexCount, 3);
  EXPECT_EQ(body.normalCount, 2);
  EXPECT_EQ(body.triangleCount, 1);
  const Ms3dVertex& free = body.vertices[0];
  EXPECT_FLOAT_EQ(free.position.x, 1.0f);
  EXPECT_FLOAT_EQ(free.position.y, 2.0f);
  EXPECT_FLOAT_EQ(free.position.z, 3.0f);
  EXPECT_FLOAT_EQ(free.u, 0.25f);
  EXPECT_FLOAT_EQ(free.v, 0.25f);
  EXPECT_EQ(free.boneIndex, -1);
  EXPECT_EQ(body.triangles[0].vertexIndex[2], 2);
  EXPECT_EQ(model.materialIndices[0], 0);
  EXPECT_EQ(model.materialIndices[1], -1);
  EXPECT_EQ(model.meshes[1].triangleCount, 0);

  ASSERT_EQ(model.materialCount, 1);
  const Ms3dMaterial& skin = model.materials[0];
  EXPECT_STREQ(skin.name, "skin");
  EXPECT_STREQ(skin.colourMap, "skin.bmp");
  EXPECT_STREQ(skin.alphaMap, "");

  ASSERT_EQ(model.boneCount, 2);
  EXPECT_EQ(model.bones[0].parent, nullptr);
  EXPECT_EQ(model.bones[1].parent, &model.bones[0]);  // "ROOT" names "root"
  EXPECT_EQ(model.bones[1].positionKeyCount, 0);
}

TEST(Ms3dReader, ParentIsTheFirstBoneOfItsNameInAnyCase) {
  const std::string bone = "8 0 0 0 0 0 0\n0\n0\n";
  const std::string text = "Frames: 30\nBones: 3\n\"Arm\"\n\"\"\n" + bone + "\"ARM\"\n\"\"\n" + bone +
                           "\"hand\"\n\"arm\"\n" + bone;
  Model model;
  ASSERT_TRUE(LoadText(model, text));
  EXPECT_EQ(model.bones[2].parent, &model.bones[0]);
  Model orphan;
  EXPECT_FALSE(LoadText(orphan, Replaced(text, "\"arm\"", "\"leg\"")));
}

TEST(Ms3dReader, BoneHierarchyBindsVerticesIntoRestSpace) {
  Model model;
  ASSERT_TRUE(LoadText(model, kModel));
  // root: (10, 0, 0) turned a quarter about z; arm: (0, 5, 0) below it, so
  // the arm's rest origin is (0, 5, 0) turned, (-5, 0, 0), moved by (10, 0, 0).
  const Matrix44& arm = model.bones[1].absolute;
  EXPECT_NEAR(arm.m[12], 5.0f, 1e-5f);
  EXPECT_NEAR(arm.m[13], 0.0f, 1e-5f);
  EXPECT_NEAR(arm.m[1], 1.0f, 1e-5f);
  // The vertex at (5, 1, 0) on the arm is one unit along the arm's x axis.
  const Ms3dVertex& bound = model.meshes[0].vertices[1];
  EXPECT_NEAR(bound.position.x, 1.0f, 1e-5f);
  EXPECT_NEAR(bound.position.y, 0.0f, 1e-5f);
  // Bones without keys keep the rest pose through every step, so posing the
  // bound vertices gives back their file positions; the unbound one never moves.
  for (int step = 0; step < 3; ++step) {
    const Vec3 p = Posed(bound, model);
    EXPECT_NEAR(p.x, 5.0f, 1e-5f);
    EXPECT_NEAR(p.y, 1.0f, 1e-5f);
    const Vec3 q = Posed(model.meshes[0].vertices[2], model);
    EXPECT_NEAR(q.x, 10.0f, 1e-5f);
    EXPECT_NEAR(q.y, 0.0f, 1e-5f);
    const Vec3 f = Posed(model.meshes[0].vertices[0], model);
    EXPECT_EQ(f.x, 1.0f);
    EXPECT_EQ(f.y, 2.0f);
    EXPECT_EQ(f.z, 3.0f);
    model.advance(7.0f);
  }
}

TEST(Ms3dReader, PositionKeysInterpolateAndRestartPastTheLastKey) {
  const std::string text =
      "Frames: 30\n"
      "Bones: 2\n"
      "\"slide\"\n\"\"\n0 0 0 0 0 0 0\n2\n1 0 0 0\n11 10 0 0\n0\n"
      "\"drift\"\n\"\"\n0 0 0 0 0 0 0\n2\n0 0 0 0\n20 20 0 0\n0\n";
  Model model;
  ASSERT_TRUE(LoadText(model, text));
  EXPECT_FLOAT_EQ(model.bones[0].absolute.m[12], 0.0f);  // before the first key
  model.advance(6.0f);
  EXPECT_FLOAT_EQ(model.bones[0].absolute.m[12], 5.0f);
  EXPECT_FLOAT_EQ(model.bones[1].absolute.m[12], 6.0f);
  model.advance(5.0f);
  EXPECT_FLOAT_EQ(model.bones[0].absolute.m[12], 0.0f);  // factor 1 reduces to 0
  model.advance(1.0f);  // t = 12 lies past the last key of "slide"
  EXPECT_EQ(model.currentTime, 1.0f);
  EXPECT_FLOAT_EQ(model.bones[1].absolute.m[12], 1.0f);  // posed at the restart time

  model.currentTime = 29.5f;
  EXPECT_EQ(model.advance(1.0f), 2);
  EXPECT_EQ(model.currentTime, 1.0f);
}

TEST(Ms3dReader, TextDetails) {
  Model model;
  // Windows line ends; comments between sections; no bones.
  std::string text =
      "// comment\r\nFrames: 10\r\n// Meshes: 9\r\nMeshes: 1\r\n\"m\" 0 -1\r\n"
      "1\r\n0 4.0 5.0 6.0 0.5 0.5 -1\r\n0\r\n0\r\n";
  ASSERT_TRUE(LoadText(model, text));
  ASSERT_EQ(model.meshCount, 1);
  EXPECT_EQ(model.totalFrames, 10.0f);
  EXPECT_EQ(model.boneCount, 0);
  EXPECT_EQ(model.meshes[0].vertices[0].position.y, 5.0f);

  // Over-long names are cut to 31 characters; a map line without a quoted
  // name leaves the map empty.
  const std::string longName(40, 'n');
  LogWatch watch;
  ASSERT_TRUE(LoadText(model, Replaced(Edited("\"skin\"\n", "\"" + longName + "\"\n"),
                                       "\"skin.bmp\"", "none")));
  EXPECT_EQ(std::string(model.materials[0].name), longName.substr(0, 31));
  EXPECT_STREQ(model.materials[0].colourMap, "");
  EXPECT_NE(watch.Added().find("WARNING"), std::string::npos);
}

TEST(Ms3dReader, MissingFileAndFileLoad) {
  LogWatch watch;
  Model model;
  EXPECT_FALSE(model.loadFromMs3dAsciiFile("no-such-model.txt"));
  EXPECT_NE(watch.Added().find("Could not open file:no-such-model.txt"), std::string::npos);
  EXPECT_NE(watch.Added().find("[engine/ms3dtest/ms3d.cpp:"), std::string::npos);
  WriteAll("model.txt", kModel, sizeof kModel - 1);
  EXPECT_TRUE(model.loadFromMs3dAsciiFile("model.txt"));
  EXPECT_EQ(model.meshCount, 2);
}

// Each case breaks the sample model in a way no reading can mend; the load
// must fail with its error entry and leave the model empty, whatever it held
// before.
TEST(Ms3dReader, RefusesBrokenFiles) {
  struct Case {
    const char* name;
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"bone index", Edited("0 10.0 0.0 0.0 1.0 1.0 0", "0 10.0 0.0 0.0 1.0 1.0 2"),
       "vertex of bone 2"},
      {"bone index below -1", Edited("0.25 0.75 -1", "0.25 0.75 -2"), "vertex of bone -2"},
      {"material index", Edited("\"body\" 0 0", "\"body\" 0 1"), "names material 1"},
      {"unknown parent", Edited("\"ROOT\"", "\"hip\""), "could not link bones"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Model model;
    ASSERT_TRUE(LoadText(model, kModel));
    LogWatch watch;
    EXPECT_FALSE(LoadText(model, c.text));
    EXPECT_NE(watch.Added().find(c.message), std::string::npos) << watch.Added();
    ExpectEmpty(model);
  }
}

// A section that fails part-way ends the reading with its error entry; what
// was read before it stays, records never read count as empty, and the
// bones read decide the result.
TEST(Ms3dReader, SectionFailuresKeepWhatWasRead) {
  struct Case {
    const char* name;
    std::string text;
    const char* message;
    int meshes, bodyVertices, bodyTriangles, materials, bones;
  };
  const std::string full = kModel;
  const Case cases[] = {
      {"no mesh header", "Meshes: 1\n", "could not read shape", 0, 0, 0, 0, 0},
      {"bad mesh header", Edited("\"body\" 0 0", "body 0 0"), "could not read shape header", 0, 0,
       0, 0, 0},
      {"empty mesh name", Edited("\"body\" 0 0", "\"\" 0 0"), "could not read shape header", 0,
       0, 0, 0, 0},
      {"negative meshes", Edited("Meshes: 2", "Meshes: -2"), "could not read shape", 0, 0, 0, 0, 0},
      {"short vertices", Edited("3\n0 1.0", "4\n0 1.0"), "could not read shape data", 1, 3, 0, 0,
       0},
      {"bad vertex", Edited("0 5.0 1.0 0.0 0.0 0.0 1", "0 5.0 1.0 0.0 0.0 x 1"),
       "could not read shape data", 1, 1, 0, 0, 0},
      {"missing meshes", Edited("Meshes: 2", "Meshes: 3"), "could not read shape", 2, 3, 1, 0, 0},
      {"vertex index", Edited("0 0 1 2 0 1 0 1", "0 0 1 3 0 1 0 1"), "indexes past", 1, 3, 0, 0, 0},
      {"negative vertex index", Edited("0 0 1 2 0 1 0 1", "0 -1 1 2 0 1 0 1"), "indexes past", 1,
       3, 0, 0, 0},
      {"normal index", Edited("0 0 1 2 0 1 0 1", "0 0 1 2 0 2 0 1"), "indexes past", 1, 3, 0, 0, 0},
      {"short material", Edited("12.5\n", "x\n"), "could not load material data", 2, 3, 1, 0, 0},
      {"material cut off", full.substr(0, full.find("\"skin.bmp\"")),
       "could not load material data", 2, 3, 1, 0, 0},
      {"short bone", Edited("8 0.0 5.0 0.0 0.0 0.0 0.0", "8 0.0 5.0"), "could not load bone data",
       2, 3, 1, 1, 1},
      {"missing key", Edited("\"arm\"\n\"ROOT\"\n8 0.0 5.0 0.0 0.0 0.0 0.0\n0",
                             "\"arm\"\n\"ROOT\"\n8 0.0 5.0 0.0 0.0 0.0 0.0\n1"),
       "could not load bone data", 2, 3, 1, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Model model;
    LogWatch watch;
    EXPECT_TRUE(LoadText(model, c.text));
    EXPECT_NE(watch.Added().find(c.message), std::string::npos) << watch.Added();
    ExpectIndicesInRange(model);
    EXPECT_EQ(model.meshCount, c.meshes);
    if (model.meshCount > 0) {
      EXPECT_EQ(model.meshes[0].vertexCount, c.bodyVertices);
      EXPECT_EQ(model.meshes[0].triangleCount, c.bodyTriangles);
    }
    EXPECT_EQ(model.materialCount, c.materials);
    EXPECT_EQ(model.boneCount, c.bones);
  }

  // The arm bone was never read: its vertex stays where the file put it.
  Model model;
  ASSERT_TRUE(LoadText(model, Edited("8 0.0 5.0 0.0 0.0 0.0 0.0", "8 0.0 5.0")));
  EXPECT_EQ(model.meshes[0].vertices[1].boneIndex, -1);
  EXPECT_EQ(model.meshes[0].vertices[1].position.x, 5.0f);
  EXPECT_EQ(model.materialIndices[0], 0);
  EXPECT_EQ(model.materialIndices[1], -1);
}

// Cut anywhere, the sample either loads what it holds with every index in
// range, or fails and leaves nothing behind.
TEST(Ms3dReader, EveryTruncationLoadsConsistentlyOrNotAtAll) {
  const std::string full = kModel;
  for (std::size_t size = 0; size < full.size(); ++size) {
    SCOPED_TRACE(size);
    Model model;
    if (LoadText(model, full.substr(0, size)))
      ExpectIndicesInRange(model);
    else
      ExpectEmpty(model);
  }
}
}  // namespace
