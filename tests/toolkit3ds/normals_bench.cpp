// Loading a 3DS mesh of 50,000 vertices and giving it vertex normals: the
// all-pairs reference against the linear VertexNormals.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "chunkBuilder.h"
#include "referenceNormals.h"
#include "toolkit3ds/meshNormals.h"
#include "toolkit3ds/toolkit3ds.h"

namespace {
const char kPath[] = "toolkit3ds_bench_50k.3ds";
constexpr int kColumns = 250, kRows = 200;  // 50,000 vertices, 49,551 faces

// A rolling height field, one triangle per grid cell, diagonals alternating.
std::string HeightField() {
  using namespace build3ds;
  std::vector<Point> points;
  for (int r = 0; r < kRows; r++) {
    for (int c = 0; c < kColumns; c++) {
      points.push_back({c * 0.1f, r * 0.1f, std::sin(c * 0.05f) * std::cos(r * 0.07f)});
    }
  }
  std::vector<Face> faces;
  for (int r = 0; r + 1 < kRows; r++) {
    for (int c = 0; c + 1 < kColumns; c++) {
      const uint16_t b = static_cast<uint16_t>(r * kColumns + c);
      if ((r + c) % 2 == 0) {
        faces.push_back({b, static_cast<uint16_t>(b + kColumns), static_cast<uint16_t>(b + 1), 0});
      } else {
        faces.push_back({static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + kColumns),
                         static_cast<uint16_t>(b + kColumns + 1), 0});
      }
    }
  }
  return MeshFile(MeshObject("Field", points, faces));
}

using Normals = void (*)(const Vec3*, uint32_t, const uint32_t*, uint32_t, Vec3*);

// What a model class does with a 3DS file: read the mesh, copy positions and
// indices, compute the vertex normals.
std::vector<Vec3> LoadAndNormalise(Normals normals) {
  ErrorClear3ds();
  filerec3ds* file = FileOpen3ds(kPath, "r");
  dbrec3ds* db = nullptr;
  DatabaseInit3ds(&db);
  DatabaseRead3ds(file, db);
  meshrec3ds* mesh = nullptr;
  MeshRecordInit3ds(&mesh, 0, 0, 0);
  MeshByIndex3ds(db, 0, &mesh);
  std::vector<Vec3> positions(mesh->vertexCount);
  for (uint32_t v = 0; v < mesh->vertexCount; v++) {
    positions[v] = Vec3(mesh->vertices[v].x, mesh->vertices[v].y, mesh->vertices[v].z);
  }
  std::vector<uint32_t> indices;
  for (uint32_t k = 0; k < mesh->faceCount; k++) {
    indices.insert(indices.end(), {mesh->faces[k].a, mesh->faces[k].b, mesh->faces[k].c});
  }
  std::vector<Vec3> result(positions.size());
  normals(positions.data(), mesh->vertexCount, indices.data(), mesh->faceCount, result.data());
  MeshRecordRelease3ds(&mesh);
  DatabaseRelease3ds(&db);
  FileClose3ds(file);
  return result;
}

void Run(benchmark::State& state, Normals normals) {
  std::vector<Vec3> result;
  for (auto _ : state) {
    result = LoadAndNormalise(normals);
    benchmark::DoNotOptimize(result.data());
  }
  if (ErrorRaised3ds() || result.size() != kColumns * kRows) {
    state.SkipWithError("the mesh did not load");
    return;
  }
  state.counters["vertices"] = static_cast<double>(result.size());
  // The two computations must agree to the bit.
  const std::vector<Vec3> other = LoadAndNormalise(normals == VertexNormals ? ReferenceVertexNormals : VertexNormals);
  if (std::memcmp(result.data(), other.data(), result.size() * sizeof(Vec3)) != 0) {
    state.SkipWithError("linear and reference normals differ");
  }
}

void BM_Load50kQuadraticReference(benchmark::State& state) { Run(state, ReferenceVertexNormals); }
void BM_Load50kLinear(benchmark::State& state) { Run(state, VertexNormals); }
}  // namespace

BENCHMARK(BM_Load50kQuadraticReference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Load50kLinear)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  build3ds::WriteFile(kPath, HeightField());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(kPath);
  return 0;
}
