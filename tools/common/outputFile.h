#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>

// A file a tool writes. Opening creates it, so a path that cannot be written
// shows before any work is done; every write is checked; and unless the run
// ends with Keep, the file is removed again, so a failed run leaves no
// half-written file behind. Devices and pipes are written as they are and
// never removed.
class OutputFile {
 public:
  explicit OutputFile(std::string path) : path_(std::move(path)) {}
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& path() const { return path_; }

  // Each gives false, with `error` naming the file and the reason, on failure.
  bool Open(std::string& error);
  bool Write(const void* data, std::size_t size, std::string& error);
  bool Write(const std::string& text, std::string& error) { return Write(text.data(), text.size(), error); }
  // Flushes and closes; a write the stream held back can fail here.
  bool Close(std::string& error);

  // The run succeeded: the file stays.
  void Keep() { kept_ = true; }

 private:
  bool Fail(int cause, std::string& error);

  std::string path_;
  FILE* stream_ = nullptr;
  bool regular_ = false;
  bool kept_ = false;
};
