#include "core/log.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/engineObject.h"
#include "core/vec3.h"

namespace {
const char* const kColumnTexts[] = {"E:OK     ", "E:ERROR  ", "E:UNINIT ",
                                    "E:NOMEM  ", "E:NOSUP  "};
const char kLogFileName[] = "Log.txt";

char* CopyText(const char* text) {
  const size_t size = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (copy) std::memcpy(copy, text, size);
  return copy;
}

void CopyBounded(char* dest, size_t capacity, const char* text) {
  std::snprintf(dest, capacity, "%s", text ? text : "");
}
}  // namespace

const char* ResultColumnText(EngineResult code) {
  if (code >= 0 && code <= E_NOSUP) return kColumnTexts[code];
  return "E:UNKOWN ";
}

Log* Log::instance = nullptr;
Log::DropHandler Log::dropHandler = nullptr;

Log::Log() : line(0), result(E_ERROR), fileName(CopyText(kLogFileName)), depth(0), object(nullptr) {
  std::memset(stack, 0, sizeof stack);
  file[0] = '\0';
  callPath[0] = '\0';
  lastError[0] = '\0';
}

Log::~Log() { std::free(fileName); }

Log* Log::Get() {
  if (!instance) {
    instance = new Log();
    instance->Write("----------------LOG BEGIN------------------");
  }
  return instance;
}

void Log::Close() {
  if (!instance) return;
  instance->Write("----------------LOG END------------------");
  delete instance;
  instance = nullptr;
}

FILE* Log::OpenEntry() {
  FILE* out = fileName ? std::fopen(fileName, "a") : nullptr;
  if (!out && dropHandler) dropHandler(std::strerror(errno));
  return out;
}

// Closes the file after an entry; a full disk shows as a failed write or close.
void Log::CloseEntry(FILE* out) {
  const bool written = std::ferror(out) == 0;
  const int cause = errno;
  const bool closed = std::fclose(out) == 0;
  if ((!written || !closed) && dropHandler) dropHandler(std::strerror(written ? errno : cause));
}

void Log::Write(const char* format, ...) {
  FILE* out = OpenEntry();
  if (!out) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(out, format, args);
  va_end(args);
  std::fputc('\n', out);
  CloseEntry(out);
}

void Log::WriteTagged(const char* tag, const char* format, va_list args) {
  FILE* out = OpenEntry();
  if (!out) return;
  std::fprintf(out, "%s [%s:%d] %s", tag, file, line, callPath);
  std::vfprintf(out, format, args);
  std::fputc('\n', out);
  CloseEntry(out);
}

void Log::Warning(const char* format, ...) {
  va_list args;
  va_start(args, format);
  WriteTagged("WARNING", format, args);
  va_end(args);
}

void Log::Error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list kept;
  va_copy(kept, args);
  std::vsnprintf(lastError, sizeof lastError, format, kept);
  va_end(kept);
  WriteTagged("ERROR", format, args);
  va_end(args);
}

void Log::Report(const char* format, ...) {
  char text[4096];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);

  FILE* out = OpenEntry();
  if (!out) return;
  std::fputs(ResultColumnText(result), out);
  const std::string* objectName = object ? &object->name : nullptr;
  std::fprintf(out, "[%s:%d] (0x%" PRIxPTR ":%s)%s ", file, line,
               reinterpret_cast<uintptr_t>(object),
               objectName ? objectName->c_str() : "", callPath);
  if (object) {
    const std::string message(text);
    object->ApplyStatus(result, &message);
  }
  std::fprintf(out, "%s\n", text);
  CloseEntry(out);
}

void Log::Trace(const char*, ...) {}

void Log::Enter(const char* name) {
  if (depth >= kMaxDepth) {
    Write("ERROR: SubLevel Limit (7) Reached");
  } else {
    std::strncpy(stack[depth], name ? name : "", kNameLength - 1);
    stack[depth][kNameLength - 1] = '\0';
    ++depth;
  }
  RebuildCallPath();
}

void Log::Leave() {
  if (depth > 0) --depth;
  RebuildCallPath();
}

void Log::RebuildCallPath() {
  std::string path;
  for (int i = 0; i < depth; ++i) {
    path += stack[i];
    path += "->";
  }
  CopyBounded(callPath, sizeof callPath, path.c_str());
}

void Log::SetFile(const char* path) { CopyBounded(file, sizeof file, path); }

void Log::SetSource(int sourceLine, const char* path, EngineObject* reporter) {
  line = sourceLine;
  SetFile(path);
  object = reporter;
}

void LogVector(const Vec3& v) {
  Log::Get()->Write("%g %g %g", static_cast<double>(v.x), static_cast<double>(v.y),
                    static_cast<double>(v.z));
}
