// Runs makeassets as the build does and checks the files against the formats
// and against how the demonstration draws them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "behave/boid.h"
#include "makeassets/assetReader.h"
#include "support/tempDir.h"

namespace {
using Point = std::array<float, 3>;

struct ToolRun {
  int status;
  std::string err;
};

ToolRun MakeAssets(const std::string& args) {
  const std::string command = std::string(MAKEASSETS_PATH) + " " + args + " 2>stderr.txt >/dev/null";
  const int raw = std::system(command.c_str());
  return {WEXITSTATUS(raw), ReadFileText("stderr.txt")};
}

const char* const kModels[] = {"cube.3ds", "sphererot270.3ds", "NeonTetra0.3ds", "Angel0.3ds",
                               "Mezirozame0.3ds"};
const char* const kBitmaps[] = {"water.bmp", "food.bmp",  "neontet.bmp", "AngelT.bmp",
                                "MeziroT.bmp", "pink.bmp", "green.bmp",   "rot.bmp"};

// Each case writes the files into a folder of its own: ctest runs the cases
// as separate processes, side by side.
class AssetsTest : public ::testing::Test {
 protected:
  AssetsTest() : dir_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
  void SetUp() override {
    const ToolRun run = MakeAssets("out");
    ASSERT_EQ(run.status, 0) << run.err;
  }

  static File3ds Model(const std::string& name) {
    File3ds file;
    const std::string error = Read3ds(ReadBytes("out/" + name), file);
    EXPECT_EQ(error, "") << name;
    return file;
  }
  static Bitmap Texture(const std::string& name) {
    Bitmap bitmap;
    const std::string error = ReadBmp(ReadBytes("out/" + name), bitmap);
    EXPECT_EQ(error, "") << name;
    return bitmap;
  }

  ScopedWorkDir dir_;
};

struct Extent {
  Point min{1e30f, 1e30f, 1e30f}, max{-1e30f, -1e30f, -1e30f};
  void Add(const Point& p) {
    for (int i = 0; i < 3; ++i) min[i] = std::min(min[i], p[i]), max[i] = std::max(max[i], p[i]);
  }
};

Extent ExtentOf(const Mesh3ds& mesh) {
  Extent e;
  for (const Point& p : mesh.positions) e.Add(p);
  return e;
}

Extent ExtentOf(const File3ds& file) {
  Extent e;
  for (const Mesh3ds& m : file.meshes) {
    const Extent part = ExtentOf(m);
    e.Add(part.min);
    e.Add(part.max);
  }
  return e;
}

// A fish is one mesh object, one draw, made of pieces that share no vertex:
// the body, the tail, then the further fins as designed (a paired fin gives
// two pieces). Returns them in that order, each with its own vertices.
std::vector<Mesh3ds> Pieces(const File3ds& file) {
  const Mesh3ds& mesh = file.meshes.at(0);
  std::vector<size_t> root(mesh.positions.size());
  for (size_t i = 0; i < root.size(); ++i) root[i] = i;
  auto find = [&](size_t i) {
    while (root[i] != i) i = root[i] = root[root[i]];
    return i;
  };
  for (const auto& f : mesh.faces)
    for (int k = 1; k < 3; ++k) {
      const size_t a = find(f[0]), b = find(f[k]);
      root[std::max(a, b)] = std::min(a, b);  // a piece is named by its first vertex
    }
  std::map<size_t, Mesh3ds> pieces;
  std::vector<size_t> renumbered(root.size());
  for (size_t i = 0; i < root.size(); ++i) {
    Mesh3ds& piece = pieces[find(i)];
    renumbered[i] = piece.positions.size();
    piece.positions.push_back(mesh.positions[i]);
    piece.uvs.push_back(mesh.uvs[i]);
  }
  for (const auto& f : mesh.faces)
    pieces[find(f[0])].faces.push_back({static_cast<uint16_t>(renumbered[f[0]]),
                                        static_cast<uint16_t>(renumbered[f[1]]),
                                        static_cast<uint16_t>(renumbered[f[2]])});
  std::vector<Mesh3ds> ordered;
  for (auto& [first, piece] : pieces) ordered.push_back(std::move(piece));
  return ordered;
}

Point Centroid(const Mesh3ds& mesh) {
  Point c{0, 0, 0};
  for (const Point& p : mesh.positions)
    for (int i = 0; i < 3; ++i) c[i] += p[i] / mesh.positions.size();
  return c;
}

// Where the renderers put a model point: the world matrix that both fill for
// SetTransform(position, a, b, c) applied to a row vector, then the uniform
// SetScale, then the translation.
Point Place(const Point& p, const Point& position, float a, float b, float c, float scale) {
  const float ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
  const float cc = std::cos(c), sc = std::sin(c);
  const float m[3][3] = {{ca * cc, ca * sc * sb - sa * cb, ca * sc * cb + sa * sb},
                         {sa * cc, sa * sc * sb + ca * cb, sa * sc * cb - ca * sb},
                         {-sc, cc * sb, cc * cb}};
  Point out;
  for (int j = 0; j < 3; ++j)
    out[j] = scale * (p[0] * m[0][j] + p[1] * m[1][j] + p[2] * m[2][j]) + position[j];
  return out;
}

int Brightness(const uint8_t* rgb) { return rgb[0] + rgb[1] + rgb[2]; }
}  // namespace

TEST(MakeassetsToolTest, RefusesBadUsageAndNamesTheFileItCannotWrite) {
  ScopedWorkDir dir("MakeassetsToolTest");
  for (const char* args : {"", "a b"}) {
    const ToolRun run = MakeAssets(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.err, "usage: makeassets OUTDIR\n");
  }
  // A folder where a bitmap should go makes that one write fail.
  std::filesystem::create_directories("out/water.bmp");
  const ToolRun run = MakeAssets("out");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot write out/water.bmp"), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
}

TEST_F(AssetsTest, ModelsAreWellFormedChunkFiles) {
  const std::map<std::string, std::string> textures = {
      {"cube.3ds", "water.bmp"},      {"sphererot270.3ds", "food.bmp"},
      {"NeonTetra0.3ds", "neontet.bmp"}, {"Angel0.3ds", "AngelT.bmp"},
      {"Mezirozame0.3ds", "MeziroT.bmp"}};
  for (const char* name : kModels) {
    SCOPED_TRACE(name);
    const File3ds file = Model(name);
    EXPECT_EQ(file.version, 3u);
    EXPECT_EQ(file.textureFile, textures.at(name));
    ASSERT_FALSE(file.meshes.empty());
    for (const Mesh3ds& mesh : file.meshes) {
      SCOPED_TRACE(mesh.name);
      EXPECT_FALSE(mesh.name.empty());
      EXPECT_LE(mesh.name.size(), 10u);  // the reader's limit
      // The model loaders use the file's mapping only with one pair per vertex.
      EXPECT_EQ(mesh.uvs.size(), mesh.positions.size());
      ASSERT_FALSE(mesh.faces.empty());
      for (const auto& f : mesh.faces) {
        for (uint16_t i : f) ASSERT_LT(i, mesh.positions.size());
        EXPECT_TRUE(f[0] != f[1] && f[1] != f[2] && f[0] != f[2]);
      }
      for (const Point& p : mesh.positions)
        for (float c : p) ASSERT_TRUE(std::isfinite(c));
      for (const auto& uv : mesh.uvs) {
        EXPECT_TRUE(uv[0] >= 0 && uv[0] <= 1 && uv[1] >= 0 && uv[1] <= 1);
      }
    }
  }
}

TEST_F(AssetsTest, BitmapsAreWellFormedPowerOfTwoTextures) {
  for (const char* name : kBitmaps) {
    SCOPED_TRACE(name);
    const Bitmap bitmap = Texture(name);
    for (int side : {bitmap.width, bitmap.height}) {
      EXPECT_GE(side, 16);
      EXPECT_LE(side, 256);
      EXPECT_EQ(side & (side - 1), 0);
    }
  }
}

TEST_F(AssetsTest, TankAndFoodHaveTheirDesignedSizes) {
  const File3ds cube = Model("cube.3ds");
  const Extent e = ExtentOf(cube);
  EXPECT_EQ(e.min, (Point{-20, -20, 0}));
  EXPECT_EQ(e.max, (Point{20, 20, 40}));
  ASSERT_EQ(cube.meshes.size(), 1u);
  EXPECT_EQ(cube.meshes[0].faces.size(), 12u);
  // Drawn at 0.25 and moved by (0, 0, -5), the tank fills -5..5 on every axis.
  EXPECT_EQ(Place(e.min, {0, 0, -5}, 0, 0, 0, 0.25f), (Point{-5, -5, -5}));
  EXPECT_EQ(Place(e.max, {0, 0, -5}, 0, 0, 0, 0.25f), (Point{5, 5, 5}));

  const File3ds food = Model("sphererot270.3ds");
  for (const Point& p : food.meshes.at(0).positions)
    EXPECT_NEAR(std::hypot(p[0], p[1], p[2]), 100.0f, 0.01f);
  const Extent f = ExtentOf(food);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR((f.max[i] - f.min[i]) * 0.0007f, 0.14f, 0.002f);
}

TEST_F(AssetsTest, FishHaveTheirLengthsAndShapesAtTheirDrawnScales) {
  struct Species {
    const char* file;
    float scale, length;
    size_t pieces;  // body, tail, fins; a paired fin counts twice
  };
  const Species species[] = {
      {"NeonTetra0.3ds", 1.0f, 0.3f, 7},  // dorsal, anal, adipose, two pectorals
      {"Angel0.3ds", 1.2f, 0.5f, 6},      // dorsal, anal, two ventrals
      {"Mezirozame0.3ds", 5.5f, 1.2f, 7},  // two dorsals, anal, two pectorals
  };
  std::vector<float> heightToLength;
  for (const Species& s : species) {
    SCOPED_TRACE(s.file);
    const File3ds fish = Model(s.file);
    ASSERT_EQ(fish.meshes.size(), 1u);
    EXPECT_EQ(Pieces(fish).size(), s.pieces);
    const Extent e = ExtentOf(fish);
    EXPECT_NEAR((e.max[0] - e.min[0]) * s.scale, s.length, 0.01f * s.length);
    EXPECT_NEAR(e.max[0] + e.min[0], 0.0f, 1e-4f);  // centred along its length
    heightToLength.push_back((e.max[2] - e.min[2]) / (e.max[0] - e.min[0]));
    // Left and right are mirror images.
    EXPECT_NEAR(e.max[1], -e.min[1], 1e-5f);
  }
  // Told apart by shape: the slender tetra, the tall angelfish.
  EXPECT_LT(heightToLength[0], 0.5f);
  EXPECT_GT(heightToLength[1], 0.9f);
  EXPECT_LT(heightToLength[2], 0.6f);
}

TEST_F(AssetsTest, FishSwimNoseFirstWithTheirBacksUp) {
  const float pi = 3.1415927f;
  for (const char* name : {"NeonTetra0.3ds", "Angel0.3ds", "Mezirozame0.3ds"}) {
    SCOPED_TRACE(name);
    const File3ds fish = Model(name);
    const std::vector<Mesh3ds> pieces = Pieces(fish);
    ASSERT_GE(pieces.size(), 3u);
    const Mesh3ds* body = &pieces[0];
    const Mesh3ds* tail = &pieces[1];
    const Mesh3ds* dorsal = &pieces[2];
    const Extent e = ExtentOf(fish);
    // The snout is the frontmost point on -x, the tail fin's tips the rearmost.
    const Point nose = *std::min_element(body->positions.begin(), body->positions.end(),
                                         [](const Point& a, const Point& b) { return a[0] < b[0]; });
    EXPECT_EQ(nose[0], e.min[0]);
    EXPECT_EQ(ExtentOf(*tail).max[0], e.max[0]);
    EXPECT_GT(Centroid(*dorsal)[2], ExtentOf(*body).max[2] * 0.9f);

    // Placed as the frame step places it, heading after the velocity.
    for (const Point& v : {Point{1, 0, 0}, Point{0, 0, 1}, Point{-0.6f, 0, -0.8f}, Point{0.7f, 0, -0.7f}}) {
      Boid boid;
      boid.desiredVelocity = Vec3(v[0], v[1], v[2]);
      boid.velocity = boid.desiredVelocity;
      const float heading = boid.Heading();
      const Point at{1, 2, 3};
      const Point front = Place(nose, at, heading, pi / 2, 0, 1);
      const Point back = Place(Centroid(*tail), at, heading, pi / 2, 0, 1);
      const Point along{front[0] - back[0], front[1] - back[1], front[2] - back[2]};
      const float length = std::hypot(along[0], along[1], along[2]);
      const float cosine = (along[0] * v[0] + along[1] * v[1] + along[2] * v[2]) /
                           (length * std::hypot(v[0], v[1], v[2]));
      EXPECT_GT(cosine, 0.995f) << v[0] << " " << v[2];
      EXPECT_GT(Place(Centroid(*dorsal), at, heading, pi / 2, 0, 1)[1], at[1]);
      // Dead fish float belly up.
      EXPECT_LT(Place(Centroid(*dorsal), at, heading, -pi / 2, 0, 1)[1], at[1]);
    }
  }
}

TEST_F(AssetsTest, OverlaysTintWithoutWashingOut) {
  const Bitmap pink = Texture("pink.bmp"), green = Texture("green.bmp");
  const auto p = pink.Average(), g = green.Average();
  EXPECT_GT(p[0], p[2]);
  EXPECT_GT(p[2], p[1]);
  EXPECT_GT(p[0], 60);
  EXPECT_GT(g[1], 2 * std::max(g[0], g[2]));
  EXPECT_GT(g[1], 50);
  for (const auto& avg : {p, g})
    for (double c : avg) EXPECT_LT(c, 160);  // added, so far from white
  // The second stage may sample anywhere: every texel is the same.
  for (const Bitmap* b : {&pink, &green})
    for (size_t i = 3; i < b->rgb.size(); ++i) ASSERT_EQ(b->rgb[i], b->rgb[i % 3]);
}

TEST_F(AssetsTest, WaterFoodAndRotHaveTheirColourCharacter) {
  // Added onto blue twice over (front and back walls): dark, but with a
  // visible web of lighter lines.
  const Bitmap water = Texture("water.bmp");
  const auto w = water.Average();
  EXPECT_LT(w[0], 30);
  EXPECT_LT(w[1], 60);
  int lighter = 0;
  for (int row = 0; row < water.height; ++row)
    for (int x = 0; x < water.width; ++x) lighter += water.At(x, row)[1] > w[1] + 12;
  EXPECT_GT(lighter, water.width * water.height / 20);

  const auto f = Texture("food.bmp").Average();
  EXPECT_GT(f[0], f[1]);
  EXPECT_GT(f[1], f[2] + 40);

  const auto r = Texture("rot.bmp").Average();
  EXPECT_GE(r[0], r[1]);
  EXPECT_GE(r[1], r[2]);
  EXPECT_LT(r[0] - r[2], 40);  // dull, nearly grey
  EXPECT_GT(r[1], 60);
  EXPECT_LT(r[1], 150);
}

// The skins are painted where the geometry is, with v = 0 at the bitmap's
// first stored (bottom) row: both renderers map the file's v that way round.
TEST_F(AssetsTest, SkinsLieOnTheirModelsTheRightWayUp) {
  // Body vertices at mid length: the highest one is on the back, the lowest
  // on the belly.
  auto backAndBelly = [](const Mesh3ds& body, float at) {
    const Extent e = ExtentOf(body);
    const float x = e.min[0] + at * (e.max[0] - e.min[0]);
    size_t top = 0, bottom = 0;
    float best = 1e30f;
    for (size_t i = 0; i < body.positions.size(); ++i) {
      best = std::min(best, std::fabs(body.positions[i][0] - x));
    }
    bool first = true;
    for (size_t i = 0; i < body.positions.size(); ++i) {
      if (std::fabs(body.positions[i][0] - x) > best + 1e-6f) continue;
      if (first || body.positions[i][2] > body.positions[top][2]) top = i;
      if (first || body.positions[i][2] < body.positions[bottom][2]) bottom = i;
      first = false;
    }
    return std::make_pair(body.uvs[top], body.uvs[bottom]);
  };

  // The tetra: red below its blue stripe on the rear half of the flank, a
  // darker back than belly.
  const File3ds tetra = Model("NeonTetra0.3ds");
  const Bitmap tetraSkin = Texture("neontet.bmp");
  const auto [back, belly] = backAndBelly(Pieces(tetra).at(0), 0.6f);
  EXPECT_LT(Brightness(tetraSkin.AtUv(back[0], back[1])), Brightness(tetraSkin.AtUv(belly[0], belly[1])));
  int reddest = -1, bluest = -1, redScore = -1, blueScore = -1;
  for (int step = 0; step <= 40; ++step) {
    const float v = belly[1] + (back[1] - belly[1]) * step / 40;
    const uint8_t* c = tetraSkin.AtUv(back[0], v);
    if (c[0] - c[2] > redScore) redScore = c[0] - c[2], reddest = step;
    if (c[2] - c[0] > blueScore) blueScore = c[2] - c[0], bluest = step;
  }
  EXPECT_GT(redScore, 100);
  EXPECT_GT(blueScore, 100);
  EXPECT_LT(reddest, bluest);

  // The shark: grey back, white belly.
  const File3ds shark = Model("Mezirozame0.3ds");
  const Bitmap sharkSkin = Texture("MeziroT.bmp");
  const auto [sharkBack, sharkBelly] = backAndBelly(Pieces(shark).at(0), 0.4f);
  EXPECT_LT(Brightness(sharkSkin.AtUv(sharkBack[0], sharkBack[1])) + 150,
            Brightness(sharkSkin.AtUv(sharkBelly[0], sharkBelly[1])));

  // The angelfish: dark bars across a silver flank.
  const File3ds angel = Model("Angel0.3ds");
  const Bitmap angelSkin = Texture("AngelT.bmp");
  const auto [angelBack, angelBelly] = backAndBelly(Pieces(angel).at(0), 0.5f);
  const float mid = (angelBack[1] + angelBelly[1]) / 2;
  int bars = 0;
  bool dark = false;
  for (int x = 0; x < angelSkin.width; ++x) {
    const bool now = Brightness(angelSkin.AtUv((x + 0.5f) / angelSkin.width, mid)) < 150;
    bars += now && !dark;
    dark = now;
  }
  EXPECT_EQ(bars, 3);
}
