// shoalsim: runs the fish world headless, frame by frame, with a simulated
// clock, and writes what happened as a trace, statistics and a chart.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "behave/behave.h"
#include "behave/random.h"
#include "behave/settings.h"
#include "behave/steerWeights.h"
#include "core/log.h"
#include "shoalsim/chart.h"
#include "shoalsim/options.h"
#include "shoalsim/trace.h"

namespace {
FILE* OpenOutput(const std::string& path) {
  if (path.empty()) return nullptr;
  FILE* file = std::fopen(path.c_str(), "w");
  if (!file) std::fprintf(stderr, "shoalsim: cannot write %s\n", path.c_str());
  return file;
}

// Shows how far the run is when stderr is a terminal and the run is long.
class Progress {
 public:
  explicit Progress(long long total)
      : total_(total), enabled_(isatty(STDERR_FILENO)), start_(Clock::now()), last_(start_) {}
  void Update(long long frame) {
    if (!enabled_) return;
    const auto now = Clock::now();
    if (now - start_ < std::chrono::seconds(2) || now - last_ < std::chrono::milliseconds(250)) return;
    last_ = now;
    shown_ = true;
    std::fprintf(stderr, "\rshoalsim: frame %lld of %lld (%d%%)", frame, total_,
                 static_cast<int>(100 * frame / (total_ ? total_ : 1)));
  }
  ~Progress() {
    if (shown_) std::fputc('\n', stderr);
  }

 private:
  using Clock = std::chrono::steady_clock;
  long long total_;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_, last_;
};
}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  std::string error;
  if (!ParseSimOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "shoalsim: %s; %s\n", error.c_str(), SimUsage());
    return 2;
  }

  ruleSet = options.rules;
  scanMode = options.scan;
  SetDefaultSettings();
  minFood = options.minFood;
  minFish1 = options.minFish1;
  minFish2 = options.minFish2;
  minFish3 = options.minFish3;
  mutationRate = static_cast<float>(options.mutationPercent) * 0.01f;

  FILE* trace = OpenOutput(options.tracePath);
  FILE* stats = OpenOutput(options.statsPath);
  if ((!options.tracePath.empty() && !trace) || (!options.statsPath.empty() && !stats)) return 1;
  const bool wantStats = stats || !options.plotPath.empty();
  if (stats) std::fprintf(stats, "%s\n", kStatsHeader);

  std::vector<SpeciesStats> rows;
  uint64_t birthsSeen[3] = {0, 0, 0};
  auto record = [&](long long frame, float simTime) {
    if (trace) std::fprintf(trace, "%s\n", TraceLine(frame, simTime).c_str());
    if (!wantStats) return;
    SpeciesStats frameRows[3];
    CollectStats(frame, simTime, birthsSeen, frameRows);
    for (const SpeciesStats& row : frameRows) {
      if (stats) std::fprintf(stats, "%s\n", StatsRow(row).c_str());
      rows.push_back(row);
    }
  };

  SetRandomState(static_cast<uint32_t>(options.seed));
  InitialPopulation();
  if (options.neutral) FixSteerWeightsToMeans();
  record(0, 0.0f);
  {
    Progress progress(options.frames);
    for (long long k = 1; k <= options.frames; ++k) {
      const float simTime = SimTimeFromMillis(static_cast<uint64_t>(k * options.frameMs));
      UpdateSimulation(simTime);
      PopulationUpkeep();
      if (k % options.traceEvery == 0) record(k, simTime);
      progress.Update(k);
    }
  }

  int status = 0;
  for (FILE* file : {trace, stats}) {
    if (file && std::fclose(file) != 0) {
      std::fprintf(stderr, "shoalsim: writing an output file failed\n");
      status = 1;
    }
  }
  if (!options.plotPath.empty() && !DrawChart(options.plotPath, rows, error)) {
    std::fprintf(stderr, "shoalsim: %s\n", error.c_str());
    status = 1;
  }
  std::fprintf(stderr, "shoalsim: %lld frames; food %zu, species 1 %zu, species 2 %zu, species 3 %zu\n",
               options.frames, foodList.size(), fish1List.size(), fish2List.size(), fish3List.size());
  ClearPopulation();
  Log::Close();  // ends the block of mating lines, when there was one
  return status;
}
