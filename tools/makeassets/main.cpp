// makeassets: writes the models and textures the demonstration loads.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "makeassets/assets.h"

namespace {
bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.string().c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: makeassets OUTDIR\n");
    return 2;
  }
  const std::filesystem::path dir(argv[1]);
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    std::fprintf(stderr, "makeassets: cannot create %s: %s\n", dir.string().c_str(),
                 error.message().c_str());
    return 1;
  }
  const std::vector<AssetFile> assets = MakeAssets();
  for (const AssetFile& asset : assets) {
    const std::filesystem::path path = dir / asset.name;
    if (!WriteFile(path, asset.bytes)) {
      std::fprintf(stderr, "makeassets: cannot write %s\n", path.string().c_str());
      return 1;
    }
  }
  std::printf("makeassets: wrote %zu files to %s\n", assets.size(), dir.string().c_str());
  return 0;
}
