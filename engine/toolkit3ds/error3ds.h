#pragma once

#include <cstdint>
#include <cstdlib>

// The toolkit's process-wide error list. Every failure of a toolkit
// operation is reported only here, by numeric code; nothing is logged.
enum : int32_t {
  NO_FTK_ERRORS = 0,
  ERR_NO_MEM = 1,
  ERR_INVALID_ARG = 2,
  ERR_INVALID_DATA = 3,
  ERR_INVALID_CHUNK = 4,
  ERR_INVALID_DATABASE = 5,
  ERR_WRONG_DATABASE = 6,
  ERR_UNFOUND_CHUNK = 7,
  ERR_WRONG_OBJECT = 8,
  ERR_NO_SUCH_FILE = 9,
  ERR_INIT_FAILED = 10,
  ERR_OPENING_FILE = 11,
  ERR_CLOSING_FILE = 12,
  ERR_READING_FILE = 13,
  ERR_CREATING_DATABASE = 14,
  ERR_READING_DATABASE = 15,
  ERR_WRITING_DATABASE = 16,
  ERR_WRITING_FILE = 17,
  ERR_STRING_TOO_LONG = 18,
  ERR_TOO_MANY_FILES = 19,
  N_ERRORS = 22,
};

struct errorentry3ds {
  int32_t code;
  const char* message;
};

constexpr int kErrorEntries3ds = 19;

// Entries fill from the front; the entry after the last used one stays empty
// (code 0), so entries[kErrorEntries3ds] always ends the list.
struct errorlist3ds {
  errorentry3ds entries[kErrorEntries3ds + 1];
  errorentry3ds overflow;
  uint8_t raised;
};

// Records the code and raises the error flag; gives the code's message, or
// null for code 0 (which records nothing).
const char* ErrorPush3ds(int32_t code);
// The fixed message of a code.
const char* ErrorText3ds(int32_t code);

// The flag stays raised once any error was recorded, and every later
// operation that checks it stops until the list is cleared.
bool ErrorRaised3ds();
const errorlist3ds& ErrorList3ds();
// Empties the list and lowers the flag. The model classes call it before
// each file they load, so one bad file does not fail every later one.
void ErrorClear3ds();

// Gives *handle a zeroed record when it holds none yet, so callers may pass
// either a fresh handle or one to reuse. Pushes ERR_NO_MEM and returns false
// when the record cannot be allocated.
template <typename Record>
bool EnsureRecord3ds(Record** handle) {
  if (*handle == nullptr) {
    *handle = static_cast<Record*>(std::calloc(1, sizeof(Record)));
    if (*handle == nullptr) {
      ErrorPush3ds(ERR_NO_MEM);
      return false;
    }
  }
  return true;
}
