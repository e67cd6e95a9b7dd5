#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "chunkBuilder.h"
#include "toolkit3ds/toolkit3ds.h"

// The folder of Debian's assimp-testmodels, as a Unix path or through Wine's
// drive Z:; empty when neither is reachable.
inline std::string ModelsFolder() {
  for (const char* folder : {"/usr/share/assimp/models/", "Z:/usr/share/assimp/models/"}) {
    FILE* probe = std::fopen((std::string(folder) + "3DS/fels.3ds").c_str(), "rb");
    if (probe != nullptr) {
      std::fclose(probe);
      return folder;
    }
  }
  return "";
}

// Each test starts with an empty error list and reads its files from its own
// names in the working directory (test cases may run side by side).
class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override { ErrorClear3ds(); }

  void TearDown() override {
    DatabaseRelease3ds(&db);
    FileClose3ds(file);
    for (const std::string& written : written_) std::remove(written.c_str());
  }

  std::string FileName(const std::string& suffix = "") {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name() + suffix + ".3ds";
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    return name;
  }

  std::string Write(const std::string& bytes, const std::string& suffix = "") {
    const std::string name = FileName(suffix);
    build3ds::WriteFile(name, bytes);
    written_.push_back(name);
    return name;
  }

  // Writes the bytes, opens the file and reads its database into `db`.
  void Load(const std::string& bytes) { LoadPath(Write(bytes)); }

  void LoadPath(const std::string& path) {
    file = FileOpen3ds(path.c_str(), "r");
    ASSERT_NE(file, nullptr) << path;
    DatabaseInit3ds(&db);
    DatabaseRead3ds(file, db);
  }

  static std::vector<int32_t> Errors() {
    std::vector<int32_t> codes;
    const errorlist3ds& list = ErrorList3ds();
    for (int i = 0; i < kErrorEntries3ds && list.entries[i].code != 0; i++) codes.push_back(list.entries[i].code);
    return codes;
  }

  static int32_t FirstError() { return ErrorList3ds().entries[0].code; }

  filerec3ds* file = nullptr;
  dbrec3ds* db = nullptr;

 private:
  std::vector<std::string> written_;
};
