#include "common/outputFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "common/printable.h"

OutputFile::~OutputFile() {
  if (stream_) std::fclose(stream_);
  if (regular_ && !kept_) std::remove(path_.c_str());
}

bool OutputFile::Fail(int cause, std::string& error) {
  error = "cannot write " + Printable(path_) + ": " + std::strerror(cause);
  return false;
}

bool OutputFile::Open(std::string& error) {
  // Not inherited by the programs a tool starts (gnuplot).
  stream_ = std::fopen(path_.c_str(), "we");
  if (!stream_) return Fail(errno, error);
  struct stat info;
  regular_ = fstat(fileno(stream_), &info) == 0 && S_ISREG(info.st_mode);
  return true;
}

bool OutputFile::Write(const void* data, std::size_t size, std::string& error) {
  if (!stream_) return Fail(EBADF, error);
  if (std::fwrite(data, 1, size, stream_) != size) return Fail(errno, error);
  return true;
}

bool OutputFile::Close(std::string& error) {
  if (!stream_) return Fail(EBADF, error);
  const bool flushed = std::fflush(stream_) == 0;
  const int cause = errno;
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  if (!flushed) return Fail(cause, error);
  return closed || Fail(errno, error);
}
