// modelinfo FILE: prints what a model file holds as one line of JSON.
#include <cstdio>
#include <cxxopts.hpp>
#include <string>

#include "modelinfo/model3ds.h"

namespace {
const char kUsage[] = "usage: modelinfo FILE";
}

int main(int argc, char** argv) {
  cxxopts::Options parser("modelinfo");
  std::string path;
  bool help = false;
  parser.add_options()("h,help", "", cxxopts::value<bool>(help))("file", "", cxxopts::value<std::string>(path));
  parser.parse_positional({"file"});
  try {
    const auto result = parser.parse(argc, argv);
    if (help) {
      std::printf("%s\n", kUsage);
      return 0;
    }
    if (result.count("file") != 1 || !result.unmatched().empty()) {
      std::fprintf(stderr, "%s\n", kUsage);
      return 2;
    }
  } catch (const cxxopts::exceptions::exception& e) {
    std::fprintf(stderr, "modelinfo: %s\n%s\n", e.what(), kUsage);
    return 2;
  }

  ModelSummary summary;
  std::string error;
  if (!Summarise3ds(path.c_str(), summary, error)) {
    std::fprintf(stderr, "modelinfo: %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  std::printf("%s\n", SummaryJson(summary).c_str());
  return 0;
}
