// modelinfo FILE: prints what a model file holds as one line of JSON.
#include <cstdio>
#include <cxxopts.hpp>
#include <string>
#include <vector>

#include "common/printable.h"
#include "core/log.h"
#include "modelinfo/model3ds.h"
#include "modelinfo/modelBsp.h"
#include "modelinfo/modelFile.h"
#include "modelinfo/modelMd2.h"
#include "modelinfo/modelMs3d.h"

namespace {
const char kUsage[] = "usage: modelinfo FILE";
const char kHelp[] =
    "Prints what a 3DS, MD2, MilkShape 3D ASCII or Quake 3 BSP file holds as one line of JSON.\n"
    "The format is told by the file's content. The MD2, MilkShape and BSP readers append\n"
    "their entries, such as why they refuse a file, to \"Log.txt\" in the working directory.";

// The format decides the reader.
bool Summarise(const char* path, std::string& json, std::string& error) {
  ModelFile model;
  if (!ReadModelFile(path, model, error)) return false;
  switch (model.format) {
    case ModelFormat::k3ds:
      return Summarise3ds(model.bytes, path, json, error);
    case ModelFormat::kMd2:
      return SummariseMd2(model.bytes, path, json, error);
    case ModelFormat::kMs3dAscii:
      return SummariseMs3d(model.bytes, json, error);
    case ModelFormat::kBsp:
      return SummariseBsp(model.bytes, path, json, error);
    case ModelFormat::kUnknown:
      break;
  }
  error = "not a 3DS, MD2, MilkShape 3D ASCII or Quake 3 BSP file";
  return false;
}

// The MD2 and BSP readers name the file in their reasons ("...: NAME!",
// "file NAME: ..."); the error line names it once, before the reason.
std::string WithoutPath(std::string reason, const std::string& path) {
  const std::string named = " " + path;
  for (auto at = reason.find(named); at != std::string::npos; at = reason.find(named, at + 1)) {
    const auto end = at + named.size();
    if (end < reason.size() && (reason[end] == ':' || reason[end] == '!')) {
      const auto from = at > 0 && reason[at - 1] == ':' ? at - 1 : at;
      return reason.erase(from, end - from);
    }
  }
  return reason;
}
}  // namespace

int main(int argc, char** argv) {
  cxxopts::Options parser("modelinfo");
  std::string path;
  bool help = false;
  parser.add_options()("h,help", "", cxxopts::value<bool>(help))("file", "", cxxopts::value<std::string>(path));
  parser.parse_positional({"file"});
  try {
    const auto result = parser.parse(argc, argv);
    if (help) {
      std::printf("%s\n%s\n", kUsage, kHelp);
      return 0;
    }
    if (result.count("file") != 1 || !result.unmatched().empty()) {
      std::fprintf(stderr, "%s\n", kUsage);
      return 2;
    }
  } catch (const cxxopts::exceptions::exception& e) {
    std::fprintf(stderr, "modelinfo: %s; %s\n", Printable(e.what()).c_str(), kUsage);
    return 2;
  }

  std::string json, error;
  const bool ok = Summarise(path.c_str(), json, error);
  Log::Close();
  if (!ok) {
    std::fprintf(stderr, "modelinfo: %s: %s\n", Printable(path).c_str(),
                 Printable(WithoutPath(error, path)).c_str());
    return 1;
  }
  std::printf("%s\n", json.c_str());
  return 0;
}
