#include "modelinfo/json.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string JsonNumber(float value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  for (int digits = 1; digits <= 9; digits++) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  return text;
}

void BoundingBox::Add(float x, float y, float z) {
  const float p[3] = {x, y, z};
  for (int k = 0; k < 3; k++) {
    box[k] = empty ? p[k] : std::min(box[k], p[k]);
    box[k + 3] = empty ? p[k] : std::max(box[k + 3], p[k]);
  }
  empty = false;
}

std::string BoundingBox::Json() const {
  if (empty) return "null";
  std::string out = "[";
  for (int k = 0; k < 6; k++) {
    if (k > 0) out += ',';
    out += JsonNumber(box[k]);
  }
  return out + ']';
}
