#pragma once

#include <cstdint>
#include <cstdio>

// An open 3DS file. All reads go through the current file (see below), which
// follows the read index of the chunk whose data is wanted.
struct filerec3ds {
  FILE* stream;
  char* name;
  uint8_t mode;  // kFileRead3ds | kFileWrite3ds
  uint8_t index;  // slot in the file table, kNoFile3ds when not registered
  char* buffer;
  int32_t bufferSize;
  uint8_t temporary;  // deleted when closed
  // Reads are bounded by the length the file had when opened, so a chunk
  // size that claims more than the file holds never reads past its end.
  uint64_t length;
  uint64_t position;  // where the next read starts
  uint64_t streamPosition;  // where the C stream stands
  // A file image already in memory (not owned) is read in place of a stream.
  const uint8_t* bytes;
};

constexpr uint8_t kFileRead3ds = 1;
constexpr uint8_t kFileWrite3ds = 2;
constexpr int kMaxFiles3ds = 252;
constexpr uint8_t kNoFile3ds = 255;

// Opens (and registers) a file; `mode` is a text whose first 'r' or 'w'
// decides. Opening a name that is already open with the same mode gives the
// same record. Null on failure.
filerec3ds* FileOpen3ds(const char* name, const char* mode);
// Registers a file image the caller has read already (a pipe cannot be read
// twice), for reading only; `bytes` must outlive the record. Another open of
// `name` does not find it.
filerec3ds* FileOpenBytes3ds(const char* name, const void* bytes, uint64_t size);
// Closes and frees the record; the caller's pointer is not emptied.
void FileClose3ds(filerec3ds* file);

// The file registered in a table slot, or null.
filerec3ds* FileByIndex3ds(uint8_t index);

// Reading from the current file. Each failed read records ERR_READING_FILE
// and gives 0 (or false).
void SetCurrentFile3ds(filerec3ds* file);
uint64_t FileTell3ds();
// Only moves the read position; the next read fails if it lies past the end.
void FileSeek3ds(uint64_t position);
uint8_t ReadByte3ds();
uint16_t ReadUShort3ds();
int16_t ReadShort3ds();
uint32_t ReadULong3ds();
float ReadFloat3ds();
bool ReadBytes3ds(void* out, uint64_t count);
// A zero-terminated string of at most `limit` bytes (terminator included)
// that must also end before file offset `end`. `out` holds `limit` bytes.
// Gives the string's length, or -1: ERR_READING_FILE when the limit is
// reached without a terminator, ERR_INVALID_CHUNK when `end` is.
int32_t ReadString3ds(char* out, uint32_t limit, uint64_t end);
// Bytes left in the current file from the read position.
uint64_t FileRemaining3ds();
