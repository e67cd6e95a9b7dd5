// shoalsim: runs the fish world headless, frame by frame, with a simulated
// clock, and writes what happened as a trace, statistics and a chart.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "behave/behave.h"
#include "behave/random.h"
#include "behave/settings.h"
#include "behave/steerWeights.h"
#include "common/outputFile.h"
#include "common/printable.h"
#include "core/log.h"
#include "shoalsim/chart.h"
#include "shoalsim/gnuplotProcess.h"
#include "shoalsim/options.h"
#include "shoalsim/trace.h"

namespace {
// The programs' log drops an entry it cannot write; a headless run says so
// once, as its mating lines are then lost.
void WarnLogDropped(const char* reason) {
  static bool warned = false;
  if (warned) return;
  warned = true;
  std::fprintf(stderr, "shoalsim: warning: cannot write Log.txt (%s); going on without it\n", reason);
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
    std::fprintf(stderr, "shoalsim: %s; %s\n", Printable(error).c_str(), SimUsage());
    return 2;
  }
  if (options.help) {
    std::printf("%s\n", SimUsage());
    return 0;
  }

  ruleSet = options.rules;
  scanMode = options.scan;
  SetDefaultSettings();
  minFood = options.minFood;
  minFish1 = options.minFish1;
  minFish2 = options.minFish2;
  minFish3 = options.minFish3;
  mutationRate = static_cast<float>(options.mutationPercent) * 0.01f;
  Log::SetDropHandler(WarnLogDropped);

  // Every output is created before the run, and removed again by its
  // destructor unless the whole run succeeds.
  OutputFile trace(options.tracePath), stats(options.statsPath), plot(options.plotPath);
  auto fail = [&]() {
    std::fprintf(stderr, "shoalsim: %s\n", Printable(error).c_str());
    ClearPopulation();
    Log::Close();
    return 1;
  };
  for (OutputFile* out : {&trace, &stats, &plot})
    if (!out->path().empty() && !out->Open(error)) return fail();
  if (!options.plotPath.empty() && !CanRunGnuplot()) {
    error = std::string("cannot start gnuplot: ") + std::strerror(errno);
    return fail();
  }
  const bool wantTrace = !options.tracePath.empty(), wantStats = !options.statsPath.empty();
  const bool collect = wantStats || !options.plotPath.empty();
  if (wantStats && !stats.Write(std::string(kStatsHeader) + '\n', error)) return fail();

  std::vector<SpeciesStats> rows;
  uint64_t birthsSeen[3] = {0, 0, 0};
  auto record = [&](long long frame, float simTime) {
    if (wantTrace && !trace.Write(TraceLine(frame, simTime) + '\n', error)) return false;
    if (!collect) return true;
    SpeciesStats frameRows[3];
    CollectStats(frame, simTime, birthsSeen, frameRows);
    for (const SpeciesStats& row : frameRows) {
      if (wantStats && !stats.Write(StatsRow(row) + '\n', error)) return false;
      rows.push_back(row);
    }
    return true;
  };

  SetRandomState(static_cast<uint32_t>(options.seed));
  InitialPopulation();
  if (options.neutral) FixSteerWeightsToMeans();
  if (!record(0, 0.0f)) return fail();
  {
    Progress progress(options.frames);
    for (long long k = 1; k <= options.frames; ++k) {
      const float simTime = SimTimeFromMillis(static_cast<uint64_t>(k * options.frameMs));
      UpdateSimulation(simTime);
      PopulationUpkeep();
      if (k % options.traceEvery == 0 && !record(k, simTime)) return fail();
      progress.Update(k);
    }
  }

  if ((wantTrace && !trace.Close(error)) || (wantStats && !stats.Close(error))) return fail();
  if (!options.plotPath.empty()) {
    const bool svg = options.plotPath.compare(options.plotPath.size() - 4, 4, ".svg") == 0;
    if (!DrawChart(rows, svg, plot, error) || !plot.Close(error)) return fail();
  }
  for (OutputFile* out : {&trace, &stats, &plot}) out->Keep();
  std::fprintf(stderr, "shoalsim: %lld frames; food %zu, species 1 %zu, species 2 %zu, species 3 %zu\n",
               options.frames, foodList.size(), fish1List.size(), fish2List.size(), fish3List.size());
  ClearPopulation();
  Log::Close();  // ends the block of mating lines, when there was one
  return 0;
}
