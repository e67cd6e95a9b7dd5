#include "toolkit3ds/error3ds.h"

#include <cstring>

namespace {
errorlist3ds errorList;

const char* const kMessages[] = {
    "NO_FTK_ERRORS: No errors are pending",
    "ERR_NO_MEM: Not enough memory to complete operation",
    "ERR_INVALID_ARG: The argument passed to the function is invalid.  Usually caused by a NULL "
    "pointer or an out of range numeric argument.",
    "ERR_INVALID_DATA: The structure passed as an argument to the function has invalid or out of "
    "range data in its fields.",
    "ERR_INVALID_CHUNK: An invalid chunk structure was encountered while reading the database. "
    "Usually caused by a corrupt database or file",
    "ERR_INVALID_DATABASE: The database passed as an argument has not be created yet.",
    "ERR_WRONG_DATABASE: The database passed as an argument is the wrong kind of database for "
    "this function.",
    "ERR_UNFOUND_CHUNK: The database is missing important file chunks needed to fill out the "
    "requested structure.  Usually caused by a corrupt database or file",
    "ERR_WRONG_OBJECT: The name passed to the functions exists, but is not the type of object "
    "asked for.  For example, asking for a mesh object with the GetCameraByName3ds function.",
    "ERR_NO_SUCH_FILE: The filename passed as an argument for reading does not exist",
    "ERR_INIT_FAILED: Failed to initialize structure passed as an argument",
    "ERR_OPENING_FILE: Could not open requested file",
    "ERR_CLOSING_FILE: Could not close requested file",
    "ERR_READING_FILE: Error occured while reading file",
    "ERR_CREATING_DATABASE: Error occured while creating database",
    "ERR_READING_DATABASE: Error occured while reading database",
    "ERR_WRITING_DATABASE: Error occured while writing database",
    "ERR_WRITING_FILE: Error occured while writing file",
    "ERR_STRING_TOO_LONG: String encountered in file, structure, or as an argument was longer "
    "than expected.  Possibly caused by an uninitialed pointer, corrupt file or database",
    "ERR_TOO_MANY_FILES: The toolkit has reached its maximum open file limit of 252 files.",
};
const char kTooManyErrors[] = "N_ERRORS: More errors were reported then could be recorded.";
const char kUnknown[] = "Unknown error code was encountered";
}  // namespace

const char* ErrorText3ds(int32_t code) {
  if (code >= 0 && code <= ERR_TOO_MANY_FILES) return kMessages[code];
  if (code == N_ERRORS) return kTooManyErrors;
  return kUnknown;
}

const char* ErrorPush3ds(int32_t code) {
  if (code == NO_FTK_ERRORS) return nullptr;
  errorList.raised = 1;
  const char* message = ErrorText3ds(code);
  for (int i = 0; i < kErrorEntries3ds; i++) {
    if (errorList.entries[i].code == 0) {
      errorList.entries[i] = {code, message};
      errorList.entries[i + 1] = {0, nullptr};
      return message;
    }
  }
  if (errorList.overflow.code == 0) {
    errorList.overflow = {code, message};
  } else {
    errorList.overflow = {N_ERRORS, kTooManyErrors};
  }
  return message;
}

bool ErrorRaised3ds() { return errorList.raised != 0; }

const errorlist3ds& ErrorList3ds() { return errorList; }

void ErrorClear3ds() { std::memset(&errorList, 0, sizeof errorList); }
