// Vertex normals: the linear computation against the all-pairs reference.
#include <cstring>
#include <random>

#include "referenceNormals.h"
#include "toolkit3ds/meshNormals.h"
#include "toolkitTest.h"

namespace {
struct Mesh {
  std::vector<Vec3> positions;
  std::vector<uint32_t> indices;
  uint32_t FaceCount() const { return static_cast<uint32_t>(indices.size() / 3); }
};

std::vector<Vec3> Linear(const Mesh& m) {
  std::vector<Vec3> normals(m.positions.size());
  VertexNormals(m.positions.data(), static_cast<uint32_t>(m.positions.size()), m.indices.data(), m.FaceCount(),
                normals.data());
  return normals;
}

std::vector<Vec3> Reference(const Mesh& m) {
  std::vector<Vec3> normals(m.positions.size());
  ReferenceVertexNormals(m.positions.data(), static_cast<uint32_t>(m.positions.size()), m.indices.data(),
                         m.FaceCount(), normals.data());
  return normals;
}

::testing::AssertionResult SameBits(const std::vector<Vec3>& a, const std::vector<Vec3>& b) {
  if (a.size() != b.size()) return ::testing::AssertionFailure() << "sizes differ";
  for (size_t i = 0; i < a.size(); i++) {
    if (std::memcmp(&a[i], &b[i], sizeof(Vec3)) != 0) {
      return ::testing::AssertionFailure() << "vertex " << i << ": " << a[i].x << " " << a[i].y << " " << a[i].z
                                           << " vs " << b[i].x << " " << b[i].y << " " << b[i].z;
    }
  }
  return ::testing::AssertionSuccess();
}

// Equal as numbers (a sum that starts from +0 turns -0 into +0).
::testing::AssertionResult SameValues(const std::vector<Vec3>& a, const std::vector<Vec3>& b) {
  for (size_t i = 0; i < a.size(); i++) {
    if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z) {
      return ::testing::AssertionFailure() << "vertex " << i << ": " << a[i].x << " " << a[i].y << " " << a[i].z
                                           << " vs " << b[i].x << " " << b[i].y << " " << b[i].z;
    }
  }
  return ::testing::AssertionSuccess();
}

// Random positions on a small grid (so positions repeat) and random faces,
// some with repeated corners, over a few more vertices than faces use.
Mesh RandomMesh(std::mt19937& random, uint32_t vertexCount, uint32_t faceCount) {
  Mesh m;
  std::uniform_int_distribution<int> coordinate(-4, 4);
  for (uint32_t v = 0; v < vertexCount; v++) {
    m.positions.emplace_back(coordinate(random) * 0.37f, coordinate(random) * 1.1f, coordinate(random) * 0.013f);
  }
  std::uniform_int_distribution<uint32_t> vertex(0, vertexCount - 1 - vertexCount / 10);
  for (uint32_t k = 0; k < 3 * faceCount; k++) m.indices.push_back(vertex(random));
  for (uint32_t k = 0; k < faceCount; k += 7) m.indices[3 * k + 2] = m.indices[3 * k];
  return m;
}
}  // namespace

TEST(Normals3ds, FaceNormalFollowsTheWinding) {
  const Vec3 n = FaceNormal(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0, 1, 0));
  EXPECT_EQ(n.x, 0.0f);
  EXPECT_EQ(n.y, 0.0f);
  EXPECT_EQ(n.z, -1.0f);
  const Vec3 degenerate = FaceNormal(Vec3(1, 1, 1), Vec3(1, 1, 1), Vec3(2, 2, 2));
  EXPECT_EQ(degenerate.Length(), 0.0f);
}

TEST(Normals3ds, QuadCornersShareTheAverageOfTheirFaces) {
  // A quad folded along its diagonal 0-2: its faces face -z and -x.
  Mesh m{{Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0, 1, 0), Vec3(0, 1, 1), Vec3(5, 5, 5)}, {0, 1, 2, 0, 2, 3}};
  const std::vector<Vec3> normals = Linear(m);
  const Vec3 first = FaceNormal(m.positions[0], m.positions[1], m.positions[2]);
  const Vec3 second = FaceNormal(m.positions[0], m.positions[2], m.positions[3]);
  EXPECT_EQ(second.x, -1.0f);
  Vec3 shared = (first + second) / 2.0f;
  shared.Normalise();
  EXPECT_TRUE(SameValues({normals[0], normals[2]}, {shared, shared}));
  EXPECT_TRUE(SameValues({normals[1], normals[3]}, {first, second}));
  // A vertex of no face has no direction.
  EXPECT_TRUE(SameValues({normals[4]}, {Vec3()}));
  EXPECT_TRUE(SameBits(normals, Reference(m)));
}

TEST(Normals3ds, FacesWithIndicesOutsideTheVerticesAreSkipped) {
  Mesh m{{Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0, 1, 0)}, {0, 1, 2, 0, 1, 3}};
  const std::vector<Vec3> normals = Linear(m);
  m.indices.resize(3);
  EXPECT_TRUE(SameBits(normals, Reference(m)));
}

TEST(Normals3ds, RandomMeshesMatchTheReferenceBitForBit) {
  std::mt19937 random(20240611);
  for (const auto& size : {std::pair<uint32_t, uint32_t>{3, 1}, {10, 30}, {200, 150}, {1000, 3000}, {2500, 900}}) {
    for (int round = 0; round < 3; round++) {
      const Mesh m = RandomMesh(random, size.first, size.second);
      EXPECT_TRUE(SameBits(Linear(m), Reference(m))) << size.first << " vertices, " << size.second << " faces";
    }
  }
}

TEST(Normals3ds, RealMeshesMatchTheReferenceBitForBit) {
  const std::string folder = ModelsFolder();
  if (folder.empty()) GTEST_SKIP() << "assimp-testmodels is not reachable";
  ErrorClear3ds();
  int meshes = 0;
  for (const char* name : {"3DS/fels.3ds", "3DS/testFormatDetection", "3DS/test1.3ds", "3DS/cubes_with_alpha.3DS"}) {
    filerec3ds* file = FileOpen3ds((folder + name).c_str(), "r");
    dbrec3ds* db = nullptr;
    DatabaseInit3ds(&db);
    DatabaseRead3ds(file, db);
    namelist3ds* names = nullptr;
    MeshNames3ds(db, &names);
    for (uint32_t i = 0; i < names->count; i++) {
      meshrec3ds* record = nullptr;
      MeshByIndex3ds(db, static_cast<int>(i), &record);
      Mesh m;
      for (uint16_t v = 0; v < record->vertexCount; v++) {
        m.positions.emplace_back(record->vertices[v].x, record->vertices[v].y, record->vertices[v].z);
      }
      for (uint16_t k = 0; k < record->faceCount; k++) {
        m.indices.insert(m.indices.end(), {record->faces[k].a, record->faces[k].b, record->faces[k].c});
      }
      MeshRecordRelease3ds(&record);
      EXPECT_TRUE(SameBits(Linear(m), Reference(m))) << name << " mesh " << i;
      meshes++;
    }
    NameListRelease3ds(&names);
    DatabaseRelease3ds(&db);
    FileClose3ds(file);
  }
  EXPECT_EQ(meshes, 16);
  EXPECT_FALSE(ErrorRaised3ds());
}
