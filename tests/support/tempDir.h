#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Makes a fresh folder below the working directory and works in it for the
// object's lifetime, so entries that go to "Log.txt" stay apart per test.
class ScopedWorkDir {
 public:
  explicit ScopedWorkDir(const std::string& name) : previous_(std::filesystem::current_path()) {
    path_ = previous_ / ("work-" + name);
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
  }
  ~ScopedWorkDir() { std::filesystem::current_path(previous_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// The whole content of a text file with line ends as "\n", or an empty string
// when it cannot be read.
std::string ReadFileText(const std::filesystem::path& path);
// The lines of a text file, as ReadFileText gives them, without their ends.
std::vector<std::string> ReadFileLines(const std::filesystem::path& path);
