#include "support/tempDir.h"

#include <fstream>
#include <sstream>

std::string ReadFileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string content = text.str();
  // Text files written in text mode end their lines with CR LF on Windows.
  std::string out;
  for (char c : content)
    if (c != '\r') out += c;
  return out;
}

std::vector<std::string> ReadFileLines(const std::filesystem::path& path) {
  std::istringstream in(ReadFileText(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}
