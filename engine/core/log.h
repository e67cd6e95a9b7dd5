#pragma once

#include <cstdarg>
#include <cstdio>

#include "core/engineResult.h"

class EngineObject;
struct Vec3;

#if defined(__GNUC__)
#define LOG_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define LOG_PRINTF(fmt, args)
#endif

// The process's one diagnostic log, "Log.txt" in the working directory.
// Every entry opens, appends and closes the file, so each line is on disk as
// soon as the call returns.
class Log {
 public:
  static constexpr int kStackEntries = 8;
  static constexpr int kMaxDepth = 7;
  static constexpr int kNameLength = 256;
  static constexpr int kPathLength = 4096;

  // The log, created on first use (which writes the BEGIN line).
  static Log* Get();
  // Writes the END line and destroys the log, if it exists.
  static void Close();

  void Write(const char* format, ...) LOG_PRINTF(2, 3);
  void Warning(const char* format, ...) LOG_PRINTF(2, 3);
  void Error(const char* format, ...) LOG_PRINTF(2, 3);
  // Result entry: names `object`, carries `result` and sets the object's status.
  void Report(const char* format, ...) LOG_PRINTF(2, 3);
  // The silent channel: accepts an entry and writes nothing.
  void Trace(const char* format, ...) LOG_PRINTF(2, 3);

  void Enter(const char* name);
  void Leave();

  void SetFile(const char* path);
  void SetSource(int sourceLine, const char* path, EngineObject* reporter);

  const char* CallPath() const { return callPath; }
  int Depth() const { return depth; }
  const char* FileName() const { return fileName; }
  // The message of the latest error entry, kept even when the file could not
  // be written, so callers can tell a user why a load failed. Empty until an
  // error is logged.
  const char* LastError() const { return lastError; }

  // An entry that cannot be written is dropped; a program that wants to
  // know (a headless tool) gets the reason through this handler.
  using DropHandler = void (*)(const char* reason);
  static void SetDropHandler(DropHandler handler) { dropHandler = handler; }

  int line;
  EngineResult result;

 private:
  Log();
  ~Log();
  Log(const Log&) = delete;
  Log& operator=(const Log&) = delete;

  void WriteTagged(const char* tag, const char* format, va_list args);
  FILE* OpenEntry();
  void CloseEntry(FILE* out);
  void RebuildCallPath();

  char* fileName;
  char stack[kStackEntries][kNameLength];
  int depth;
  char file[kPathLength];
  char callPath[kPathLength];
  char lastError[kPathLength];
  EngineObject* object;

  static Log* instance;
  static DropHandler dropHandler;
};

// Opens a call-path scope for the lifetime of the object.
class LogScope {
 public:
  explicit LogScope(const char* name) { Log::Get()->Enter(name); }
  ~LogScope() { Log::Get()->Leave(); }
  LogScope(const LogScope&) = delete;
  LogScope& operator=(const LogScope&) = delete;
};

// Plain entry "%g %g %g" with the vector's components.
void LogVector(const Vec3& v);

// Entries that record the call site's source file and line.
#define LOG_WARNING(...)                   \
  do {                                     \
    Log* log_ = Log::Get();                \
    log_->line = __LINE__;                 \
    log_->SetFile(__FILE__);               \
    log_->Warning(__VA_ARGS__);            \
  } while (0)

#define LOG_ERROR(...)                     \
  do {                                     \
    Log* log_ = Log::Get();                \
    log_->line = __LINE__;                 \
    log_->SetFile(__FILE__);               \
    log_->Error(__VA_ARGS__);              \
  } while (0)

#define LOG_TRACE(...)                     \
  do {                                     \
    Log* log_ = Log::Get();                \
    log_->line = __LINE__;                 \
    log_->SetFile(__FILE__);               \
    log_->Trace(__VA_ARGS__);              \
  } while (0)

// Result entry naming `reporter` with `code`; sets the reporter's status.
#define LOG_REPORT(reporter, code, ...)                \
  do {                                                 \
    Log* log_ = Log::Get();                            \
    log_->SetSource(__LINE__, __FILE__, (reporter));   \
    log_->result = (code);                             \
    log_->Report(__VA_ARGS__);                         \
  } while (0)
