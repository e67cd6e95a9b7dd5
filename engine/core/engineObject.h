#pragma once

#include <string>

#include "core/engineResult.h"

// Base of every engine object: a name, a status code and the message of the
// last status change, copied to an optional parent.
class EngineObject {
 public:
  EngineObject();
  virtual ~EngineObject();

  // Formats the message (cut at 4095 characters) and stores it with the code.
  void SetStatus(EngineResult code, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;
  // Stores the code and keeps the previous message.
  void SetStatus(EngineResult code);
  // Copies another object's status and message; does not inform own parent.
  void TakeStatus(const EngineObject& other);

  std::string name;
  EngineObject* parent;
  EngineResult status;
  std::string message;

 private:
  friend class Log;
  // Stores a status change and hands a copy to the parent.
  void ApplyStatus(EngineResult code, const std::string* text);
};
