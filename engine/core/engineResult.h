#pragma once

#include <cstdint>

// Result code of an engine operation; also the status of an EngineObject.
typedef int32_t EngineResult;

enum : EngineResult {
  E_OK = 0,
  E_ERROR = 1,
  E_UNINIT = 2,
  E_NOMEM = 3,
  E_NOSUP = 4,
};

// The nine-character column text of a result entry ("E:UNKOWN " for codes
// outside the table).
const char* ResultColumnText(EngineResult code);
