// The cost of making a mesh's coarser levels, which a mesh pays once, at the
// first draws where it looks small: a ball of rings up to the largest mesh
// that gets levels.
#include <benchmark/benchmark.h>

#include <cmath>
#include <iterator>
#include <vector>

#include "core/meshDetail.h"

namespace {

void BM_SimplifyBall(benchmark::State& state) {
  const int segments = static_cast<int>(state.range(0)), stacks = segments / 2;
  std::vector<float> xyz;
  std::vector<uint32_t> indices;
  const float pi = 3.14159265f;
  for (int s = 0; s <= stacks; ++s)
    for (int g = 0; g < segments; ++g) {
      const float latitude = (static_cast<float>(s) / stacks - 0.5f) * pi;
      const float longitude = 2 * pi * g / segments;
      xyz.insert(xyz.end(), {std::cos(latitude) * std::cos(longitude),
                             std::cos(latitude) * std::sin(longitude), std::sin(latitude)});
    }
  for (int s = 0; s < stacks; ++s)
    for (int g = 0; g < segments; ++g) {
      const uint32_t a = s * segments + g, b = s * segments + (g + 1) % segments;
      indices.insert(indices.end(), {a, b, b + segments, a, b + segments, a + segments});
    }
  const std::vector<float> shares(std::begin(kDetailShares), std::end(kDetailShares));
  for (auto _ : state)
    benchmark::DoNotOptimize(
        SimplifyTriangles(xyz.data(), static_cast<int32_t>(xyz.size() / 3), indices, shares));
  state.counters["triangles"] = static_cast<double>(indices.size() / 3);
}

}  // namespace

// 12 segments: 144 triangles, about a fish; 32: 1024, the largest with levels.
BENCHMARK(BM_SimplifyBall)->Arg(12)->Arg(20)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
