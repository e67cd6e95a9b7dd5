#include "shoalsim/options.h"

#include <cxxopts.hpp>

namespace {
bool InRange(long long value, long long low, long long high) { return value >= low && value <= high; }

bool HasChartExtension(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string ext = path.substr(dot);
  return ext == ".png" || ext == ".svg";
}
}  // namespace

const char* SimUsage() {
  return "usage: shoalsim [--rules shoalgen|shoalgen2] [--min-food N] [--min-fish1 N] "
         "[--min-fish2 N] [--min-fish3 N] [--mutation-percent P] [--frames N] "
         "[--frame-ms MS] [--scan linear|index] [--trace FILE] [--trace-every K] [--stats FILE] "
         "[--plot FILE]";
}

bool ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error) {
  cxxopts::Options parser("shoalsim");
  std::string rules = "shoalgen";
  std::string scan = "index";
  parser.add_options()
      ("rules", "", cxxopts::value<std::string>(rules))
      ("min-food", "", cxxopts::value<int>(options.minFood))
      ("min-fish1", "", cxxopts::value<int>(options.minFish1))
      ("min-fish2", "", cxxopts::value<int>(options.minFish2))
      ("min-fish3", "", cxxopts::value<int>(options.minFish3))
      ("mutation-percent", "", cxxopts::value<int>(options.mutationPercent))
      ("seed", "", cxxopts::value<long long>(options.seed))
      ("neutral", "", cxxopts::value<bool>(options.neutral))
      ("frames", "", cxxopts::value<long long>(options.frames))
      ("frame-ms", "", cxxopts::value<long long>(options.frameMs))
      ("scan", "", cxxopts::value<std::string>(scan))
      ("trace", "", cxxopts::value<std::string>(options.tracePath))
      ("trace-every", "", cxxopts::value<long long>(options.traceEvery))
      ("stats", "", cxxopts::value<std::string>(options.statsPath))
      ("plot", "", cxxopts::value<std::string>(options.plotPath));
  try {
    const auto result = parser.parse(argc, argv);
    if (!result.unmatched().empty()) {
      error = "unexpected argument '" + result.unmatched().front() + "'";
      return false;
    }
  } catch (const cxxopts::exceptions::exception& e) {
    error = e.what();
    return false;
  }

  if (rules == "shoalgen") {
    options.rules = RuleSet::Shoalgen;
  } else if (rules == "shoalgen2") {
    options.rules = RuleSet::Shoalgen2;
  } else {
    error = "--rules must be shoalgen or shoalgen2";
    return false;
  }
  if (scan == "linear") {
    options.scan = ScanMode::Linear;
  } else if (scan == "index") {
    options.scan = ScanMode::Index;
  } else {
    error = "--scan must be linear or index";
    return false;
  }
  const long long kMaxCount = 1000000;
  for (int count : {options.minFood, options.minFish1, options.minFish2, options.minFish3}) {
    if (!InRange(count, 0, kMaxCount)) {
      error = "minimum counts must lie from 0 to 1000000";
      return false;
    }
  }
  if (!InRange(options.mutationPercent, 0, 100)) {
    error = "--mutation-percent must lie from 0 to 100";
    return false;
  }
  // The generator's results never show the state's top bit, so seeds beyond
  // 31 bits would repeat the worlds of smaller ones.
  if (!InRange(options.seed, 0, 0x7FFFFFFF)) {
    error = "--seed must lie from 0 to 2147483647";
    return false;
  }
  if (!InRange(options.frames, 0, 100000000)) {
    error = "--frames must lie from 0 to 100000000";
    return false;
  }
  // The program's clock is 32 bits of milliseconds; keep every frame's time within it.
  if (!InRange(options.frameMs, 0, 1000000) || options.frames * options.frameMs > 0xFFFFFFFFLL) {
    error = "--frame-ms must lie from 0 to 1000000, and frames x frame-ms within 2^32 ms";
    return false;
  }
  if (options.traceEvery < 1) {
    error = "--trace-every must be at least 1";
    return false;
  }
  if (!options.plotPath.empty() && !HasChartExtension(options.plotPath)) {
    error = "--plot needs a file ending in .png or .svg";
    return false;
  }
  return true;
}
