#include "core/engineObject.h"

#include <cstdarg>
#include <cstdio>

EngineObject::EngineObject() : name("Unkown"), parent(nullptr), status(E_UNINIT) {}

EngineObject::~EngineObject() = default;

void EngineObject::SetStatus(EngineResult code, const char* format, ...) {
  char buffer[4096];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  const std::string text(buffer);
  ApplyStatus(code, &text);
}

void EngineObject::SetStatus(EngineResult code) { ApplyStatus(code, nullptr); }

void EngineObject::TakeStatus(const EngineObject& other) {
  status = other.status;
  message = other.message;
}

void EngineObject::ApplyStatus(EngineResult code, const std::string* text) {
  status = code;
  if (text) message = *text;
  if (parent) parent->TakeStatus(*this);
}
