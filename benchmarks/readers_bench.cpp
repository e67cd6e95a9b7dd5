// Reading files of many records: a 3DS file of N empty mesh objects walked
// mesh by mesh as the model classes do, and a MilkShape 3D ASCII file of N
// chained bones linked by name. Both should grow linearly with N.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "chunkBuilder.h"
#include "ms3dtest/ms3d.h"
#include "toolkit3ds/toolkit3ds.h"

namespace {
std::string ManyMeshes(int count) {
  std::string objects;
  for (int i = 0; i < count; i++) {
    char name[11];
    std::snprintf(name, sizeof name, "m%05d", i % 100000);
    objects += build3ds::Object(name, build3ds::TriMesh(""));
  }
  return build3ds::MeshFile(objects);
}

// Each bone names the one before it as its parent, in other letter case.
std::string ManyBones(int count) {
  std::string text = "Frames: 30\nBones: " + std::to_string(count) + "\n";
  for (int i = 0; i < count; i++) {
    char lines[96];
    std::snprintf(lines, sizeof lines, "\"b%d\"\n\"%s\"\n8 0 0 0 0 0 0\n0\n0\n", i,
                  i > 0 ? ("B" + std::to_string(i - 1)).c_str() : "");
    text += lines;
  }
  return text;
}

void BM_WalkEveryMesh3ds(benchmark::State& state) {
  const std::string image = ManyMeshes(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ErrorClear3ds();
    filerec3ds* file = FileOpenBytes3ds("many.3ds", image.data(), image.size());
    dbrec3ds* db = nullptr;
    DatabaseInit3ds(&db);
    DatabaseRead3ds(file, db);
    namelist3ds* names = nullptr;
    MeshNames3ds(db, &names);
    for (uint32_t i = 0; i < names->count; i++) {
      meshrec3ds* mesh = nullptr;
      MeshRecordInit3ds(&mesh, 0, 0, 0);
      MeshByIndex3ds(db, static_cast<int>(i), &mesh);
      MeshRecordRelease3ds(&mesh);
    }
    NameListRelease3ds(&names);
    DatabaseRelease3ds(&db);
    FileClose3ds(file);
  }
  if (ErrorRaised3ds()) state.SkipWithError("the file did not read");
}

void BM_LinkManyBones(benchmark::State& state) {
  const std::string text = ManyBones(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Model model;
    if (!model.loadFromMs3dAsciiMemory(text.data(), text.size())) {
      state.SkipWithError("the file did not load");
      break;
    }
  }
}
}  // namespace

BENCHMARK(BM_WalkEveryMesh3ds)->RangeMultiplier(4)->Range(1250, 80000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinkManyBones)->RangeMultiplier(4)->Range(1250, 80000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
