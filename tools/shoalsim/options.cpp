#include "shoalsim/options.h"

#include <cxxopts.hpp>
#include <set>

namespace {
bool InRange(long long value, long long low, long long high) { return value >= low && value <= high; }

// A name, not only an extension: ".png" alone would be a hidden file.
bool HasChartExtension(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  const auto slash = path.rfind('/');
  const bool named = dot > (slash == std::string::npos ? 0 : slash + 1);
  const std::string ext = path.substr(dot);
  return named && (ext == ".png" || ext == ".svg");
}

// Options that take a count or a time, read as plain decimal numbers; the
// parser's own number syntax also takes hexadecimal.
const char* const kNumberOptions[] = {"min-food", "min-fish1", "min-fish2", "min-fish3", "mutation-percent",
                                      "frames", "frame-ms", "trace-every", "seed"};
// Output files: an empty name would silently write nothing.
const char* const kFileOptions[] = {"trace", "stats", "plot"};

bool IsDecimal(const std::string& text) {
  const std::size_t digits = text.compare(0, 1, "-") == 0 ? 1 : 0;
  return text.size() > digits && text.find_first_not_of("0123456789", digits) == std::string::npos;
}

// Each option at most once, numbers in decimal, output names not empty.
bool CheckArguments(const cxxopts::ParseResult& result, std::string& error) {
  std::set<std::string> seen;
  for (const cxxopts::KeyValue& argument : result.arguments()) {
    if (!seen.insert(argument.key()).second) {
      error = "--" + argument.key() + " is given more than once";
      return false;
    }
    for (const char* name : kNumberOptions) {
      if (argument.key() == name && !IsDecimal(argument.value())) {
        error = "--" + argument.key() + " needs a decimal number, not '" + argument.value() + "'";
        return false;
      }
    }
    for (const char* name : kFileOptions) {
      if (argument.key() == name && argument.value().empty()) {
        error = "--" + argument.key() + " needs a file name";
        return false;
      }
    }
  }
  return true;
}
}  // namespace

const char* SimUsage() {
  return "usage: shoalsim [-h|--help] [--rules shoalgen|shoalgen2] [--min-food N] [--min-fish1 N] "
         "[--min-fish2 N] [--min-fish3 N] [--mutation-percent P] [--seed N] [--neutral] [--frames N] "
         "[--frame-ms MS] [--scan linear|index] [--trace FILE] [--trace-every K] [--stats FILE] "
         "[--plot FILE]";
}

bool ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error) {
  cxxopts::Options parser("shoalsim");
  std::string rules = "shoalgen";
  std::string scan = "index";
  parser.add_options()
      ("h,help", "", cxxopts::value<bool>(options.help))
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
    if (!CheckArguments(result, error)) return false;
    if (options.help) return true;
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
