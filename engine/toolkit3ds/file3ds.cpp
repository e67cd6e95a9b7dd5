#include "toolkit3ds/file3ds.h"

#include <cstdlib>
#include <cstring>

#include "toolkit3ds/error3ds.h"

namespace {
constexpr int32_t kBufferSize = 8192;
constexpr size_t kModeLimit = 30;

// The process-wide file table: slots are allocated on first registration;
// `used` only grows.
filerec3ds** slots = nullptr;
uint8_t used = 0;
filerec3ds* current = nullptr;

unsigned tempCounter = 0;

bool Register(filerec3ds* file) {
  if (slots == nullptr) {
    slots = static_cast<filerec3ds**>(std::calloc(kMaxFiles3ds, sizeof(filerec3ds*)));
    if (slots == nullptr) {
      ErrorPush3ds(ERR_NO_MEM);
      return false;
    }
  }
  int slot = used;
  for (int i = 0; i < used; i++) {
    if (slots[i] == nullptr) {
      slot = i;
      break;
    }
  }
  if (slot >= kMaxFiles3ds) {
    ErrorPush3ds(ERR_TOO_MANY_FILES);
    return false;
  }
  slots[slot] = file;
  file->index = static_cast<uint8_t>(slot);
  if (slot == used) used++;
  return true;
}

void Unregister(filerec3ds* file) {
  if (file->index != kNoFile3ds && slots != nullptr && slots[file->index] == file) {
    slots[file->index] = nullptr;
  }
  file->index = kNoFile3ds;
  if (current == file) current = nullptr;
}

// Frees a record that never got an open stream.
void Discard(filerec3ds* file) {
  Unregister(file);
  std::free(file->name);
  std::free(file);
}

filerec3ds* FindOpen(const char* name) {
  for (int i = 0; i < used; i++) {
    if (slots[i] != nullptr && slots[i]->bytes == nullptr && slots[i]->name != nullptr &&
        std::strcmp(slots[i]->name, name) == 0) {
      return slots[i];
    }
  }
  return nullptr;
}

char* CopyText(const char* text) {
  const size_t length = std::strlen(text);
  char* copy = static_cast<char*>(std::malloc(length + 1));
  if (copy != nullptr) std::memcpy(copy, text, length + 1);
  return copy;
}

bool Exists(const char* path) {
  FILE* probe = std::fopen(path, "rb");
  if (probe == nullptr) return false;
  std::fclose(probe);
  return true;
}

// A name beside `name` (same directory) that no file uses yet.
char* FreshTemporaryName(const char* name) {
  size_t directory = 0;
  for (size_t i = 0; name[i] != '\0'; i++) {
    if (name[i] == '/' || name[i] == '\\' || name[i] == ':') directory = i + 1;
  }
  const size_t size = directory + 32;
  char* fresh = static_cast<char*>(std::malloc(size));
  if (fresh == nullptr) return nullptr;
  std::memcpy(fresh, name, directory);
  do {
    std::snprintf(fresh + directory, size - directory, "ftk%05u.tmp", tempCounter++);
  } while (Exists(fresh));
  return fresh;
}

void AttachBuffer(filerec3ds* file) {
  if (file->buffer == nullptr) {
    file->buffer = static_cast<char*>(std::malloc(kBufferSize));
    if (file->buffer == nullptr) return;  // the stream keeps its own buffering
    file->bufferSize = kBufferSize;
  }
  std::setvbuf(file->stream, file->buffer, _IOFBF, static_cast<size_t>(file->bufferSize));
}

bool MeasureLength(filerec3ds* file) {
  if (std::fseek(file->stream, 0, SEEK_END) != 0) return false;
  const long length = std::ftell(file->stream);
  if (length < 0 || std::fseek(file->stream, 0, SEEK_SET) != 0) return false;
  file->length = static_cast<uint64_t>(length);
  file->streamPosition = 0;
  return true;
}

// Renames an open readable file out of the way of a file that is about to be
// written under its name; the reader goes on reading the old contents.
void MoveAside(filerec3ds* file) {
  if (std::fclose(file->stream) != 0) ErrorPush3ds(ERR_CLOSING_FILE);
  file->stream = nullptr;
  if (ErrorRaised3ds()) return;
  char* fresh = FreshTemporaryName(file->name);
  if (fresh == nullptr) {
    ErrorPush3ds(ERR_NO_MEM);
    return;
  }
  if (std::rename(file->name, fresh) != 0) {
    std::free(fresh);
    ErrorPush3ds(ERR_OPENING_FILE);
    return;
  }
  file->temporary = 1;
  std::free(file->name);
  file->name = fresh;
  file->stream = std::fopen(file->name, "rb");
  if (file->stream == nullptr) {
    ErrorPush3ds(ERR_OPENING_FILE);
    return;
  }
  // The read position is kept; the stream is moved there by the next read.
  file->streamPosition = 0;
  AttachBuffer(file);
}

// A registered record holding a copy of the name, or null.
filerec3ds* NewRecord(const char* name) {
  filerec3ds* file = static_cast<filerec3ds*>(std::calloc(1, sizeof(filerec3ds)));
  if (file == nullptr) ErrorPush3ds(ERR_NO_MEM);
  if (ErrorRaised3ds()) {
    ErrorPush3ds(ERR_INIT_FAILED);
    std::free(file);
    return nullptr;
  }
  file->index = kNoFile3ds;
  if (!Register(file)) {
    Discard(file);
    return nullptr;
  }
  file->name = CopyText(name);
  if (file->name == nullptr) {
    ErrorPush3ds(ERR_NO_MEM);
    Discard(file);
    return nullptr;
  }
  return file;
}

bool Fail() {
  ErrorPush3ds(ERR_READING_FILE);
  return false;
}
}  // namespace

filerec3ds* FileOpen3ds(const char* name, const char* mode) {
  if (name == nullptr || mode == nullptr) {
    ErrorPush3ds(ERR_INVALID_ARG);
    return nullptr;
  }
  filerec3ds* existing = slots != nullptr ? FindOpen(name) : nullptr;
  filerec3ds* file = NewRecord(name);
  if (file == nullptr) return nullptr;

  size_t length = 0;
  while (length <= kModeLimit && mode[length] != '\0') length++;
  if (length > kModeLimit) {
    ErrorPush3ds(ERR_STRING_TOO_LONG);
    Discard(file);
    return nullptr;
  }
  for (size_t i = 0; i < length && file->mode == 0; i++) {
    if (mode[i] == 'r') file->mode = kFileRead3ds;
    if (mode[i] == 'w') file->mode = kFileWrite3ds;
  }
  if (file->mode == 0) {
    ErrorPush3ds(ERR_INIT_FAILED);
    Discard(file);
    return nullptr;
  }

  if (existing != nullptr) {
    if (existing->mode == file->mode) {
      Discard(file);
      return existing;
    }
    if (existing->mode & kFileRead3ds) {
      MoveAside(existing);
    } else {
      FileClose3ds(existing);
    }
    if (ErrorRaised3ds()) {
      Discard(file);
      return nullptr;
    }
  }

  file->stream = std::fopen(file->name, file->mode == kFileRead3ds ? "rb" : "wb");
  if (file->stream == nullptr || (file->mode == kFileRead3ds && !MeasureLength(file))) {
    ErrorPush3ds(ERR_OPENING_FILE);
    FileClose3ds(file);
    return nullptr;
  }
  AttachBuffer(file);
  return file;
}

filerec3ds* FileOpenBytes3ds(const char* name, const void* bytes, uint64_t size) {
  if (name == nullptr || (bytes == nullptr && size > 0)) {
    ErrorPush3ds(ERR_INVALID_ARG);
    return nullptr;
  }
  filerec3ds* file = NewRecord(name);
  if (file == nullptr) return nullptr;
  static const uint8_t kNothing = 0;
  file->bytes = size > 0 ? static_cast<const uint8_t*>(bytes) : &kNothing;
  file->mode = kFileRead3ds;
  file->length = size;
  return file;
}

void FileClose3ds(filerec3ds* file) {
  if (file == nullptr) return;
  bool failed = false;
  if (file->stream != nullptr) failed = std::fclose(file->stream) != 0;
  if (file->temporary) std::remove(file->name);
  Unregister(file);
  std::free(file->name);
  std::free(file->buffer);
  std::free(file);
  if (failed) ErrorPush3ds(ERR_CLOSING_FILE);
}

filerec3ds* FileByIndex3ds(uint8_t index) {
  if (slots == nullptr || index >= used) return nullptr;
  return slots[index];
}

void SetCurrentFile3ds(filerec3ds* file) { current = file; }

uint64_t FileTell3ds() { return current != nullptr ? current->position : 0; }

void FileSeek3ds(uint64_t position) {
  if (current != nullptr) current->position = position;
}

uint64_t FileRemaining3ds() {
  if (current == nullptr || current->position > current->length) return 0;
  return current->length - current->position;
}

bool ReadBytes3ds(void* out, uint64_t count) {
  filerec3ds* file = current;
  if (file == nullptr || (file->stream == nullptr && file->bytes == nullptr) || !(file->mode & kFileRead3ds))
    return Fail();
  if (file->position > file->length || count > file->length - file->position) return Fail();
  if (count == 0) return true;
  if (file->bytes != nullptr) {
    std::memcpy(out, file->bytes + file->position, static_cast<size_t>(count));
    file->position += count;
    return true;
  }
  if (file->streamPosition != file->position) {
    if (std::fseek(file->stream, static_cast<long>(file->position), SEEK_SET) != 0) return Fail();
    file->streamPosition = file->position;
  }
  const size_t got = std::fread(out, 1, static_cast<size_t>(count), file->stream);
  file->streamPosition += got;
  if (got != count) return Fail();
  file->position += count;
  return true;
}

uint8_t ReadByte3ds() {
  uint8_t value = 0;
  return ReadBytes3ds(&value, 1) ? value : 0;
}

uint16_t ReadUShort3ds() {
  uint8_t b[2];
  if (!ReadBytes3ds(b, 2)) return 0;
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

int16_t ReadShort3ds() { return static_cast<int16_t>(ReadUShort3ds()); }

uint32_t ReadULong3ds() {
  uint8_t b[4];
  if (!ReadBytes3ds(b, 4)) return 0;
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

float ReadFloat3ds() {
  const uint32_t bits = ReadULong3ds();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

int32_t ReadString3ds(char* out, uint32_t limit, uint64_t end) {
  for (uint32_t i = 0; i < limit; i++) {
    if (FileTell3ds() >= end) {
      ErrorPush3ds(ERR_INVALID_CHUNK);
      return -1;
    }
    const uint8_t c = ReadByte3ds();
    if (ErrorRaised3ds()) return -1;
    out[i] = static_cast<char>(c);
    if (c == 0) return static_cast<int32_t>(i);
  }
  ErrorPush3ds(ERR_READING_FILE);
  return -1;
}
