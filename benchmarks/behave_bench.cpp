// One frame of the fish world (every fish updated, then the population
// upkeep) with the plain scans against the grids, for both rule sets, at the
// default minimum counts and at 10, 100 and 400 times them. The counters give
// the populations present when the measured frames begin. Each figure is the
// mean over many frames in a row at the pace of the demonstration, so that
// work done only every few frames (neighbour lists made afresh) counts at
// its share, for either scan mode alike.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "behave/behave.h"
#include "behave/random.h"
#include "behave/settings.h"

namespace {
constexpr int kDefaultMinimums[4] = {80, 50, 8, 3};  // food, species 1, 2, 3

// Warm-up: 40 frames of 100 ms (two time units) let the fish gather in
// schools, start hunting and mating, and the upkeep refill what was eaten;
// then 12 frames at the measured pace, 16 ms apart, let the fish settle into
// it before the measured frames.
constexpr int kWarmUpFrames = 40;
constexpr long long kWarmUpFrameMs = 100;
constexpr int kSettleFrames = 12;
constexpr long long kFrameMs = 16;

struct Case {
  RuleSet rules;
  int scale;
  int frames;  // the same for both scan modes, so that both run the same frames
};

long long clockMs;

void Step(long long frameMs) {
  clockMs += frameMs;
  UpdateSimulation(SimTimeFromMillis(static_cast<uint64_t>(clockMs)));
  PopulationUpkeep();
}

// The same world for either scan mode: a fresh start, then the warm-up.
void MakeWorld(const Case& c) {
  ClearPopulation();
  ResetRandom();
  ruleSet = c.rules;
  SetDefaultSettings();
  minFood = kDefaultMinimums[0] * c.scale;
  minFish1 = kDefaultMinimums[1] * c.scale;
  minFish2 = kDefaultMinimums[2] * c.scale;
  minFish3 = kDefaultMinimums[3] * c.scale;
  mutationRate = 0.1f;
  InitialPopulation();
  clockMs = 0;
  scanMode = ScanMode::Index;  // the same world either way, sooner
  for (int k = 0; k < kWarmUpFrames; ++k) Step(kWarmUpFrameMs);
  for (int k = 0; k < kSettleFrames; ++k) Step(kFrameMs);
}

void Frame(benchmark::State& state, Case c, ScanMode mode) {
  MakeWorld(c);
  state.counters["food"] = static_cast<double>(foodList.size());
  state.counters["fish1"] = static_cast<double>(fish1List.size());
  state.counters["fish2"] = static_cast<double>(fish2List.size());
  state.counters["fish3"] = static_cast<double>(fish3List.size());
  scanMode = mode;
  for (auto _ : state) Step(kFrameMs);
  ClearPopulation();
}

void RegisterAll() {
  const int scales[] = {1, 10, 100, 400};
  // Enough frames that several list rebuilds fall among them at the larger
  // scales; fewer at x400, where one linear frame takes seconds.
  const int frames[] = {400, 100, 40, 12};
  for (RuleSet rules : {RuleSet::Shoalgen, RuleSet::Shoalgen2}) {
    for (int s = 0; s < 4; ++s) {
      const Case c{rules, scales[s], frames[s]};
      for (ScanMode mode : {ScanMode::Linear, ScanMode::Index}) {
        const std::string name = std::string("Frame/") +
                                 (rules == RuleSet::Shoalgen ? "shoalgen" : "shoalgen2") + "/x" +
                                 std::to_string(c.scale) + "/" +
                                 (mode == ScanMode::Linear ? "linear" : "index");
        benchmark::RegisterBenchmark(name.c_str(), Frame, c, mode)
            ->Iterations(c.frames)
            ->Unit(benchmark::kMillisecond);
      }
    }
  }
}
}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
