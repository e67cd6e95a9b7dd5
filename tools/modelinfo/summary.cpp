#include "modelinfo/summary.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
// Names come from files as bytes: each byte outside printable ASCII is
// written as the code point of the same value, so the output is valid JSON.
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

// The shortest decimal text that reads back as the same float.
std::string JsonNumber(float value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  for (int digits = 1; digits <= 9; digits++) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  return text;
}
}  // namespace

std::string SummaryJson(const ModelSummary& summary) {
  std::string out = "{\"format\":" + JsonString(summary.format) + ",\"meshes\":[";
  for (size_t i = 0; i < summary.meshes.size(); i++) {
    const MeshSummary& mesh = summary.meshes[i];
    if (i > 0) out += ',';
    out += "{\"name\":" + JsonString(mesh.name);
    out += ",\"vertices\":" + std::to_string(mesh.vertices);
    out += ",\"texcoords\":" + std::to_string(mesh.texcoords);
    out += ",\"faces\":" + std::to_string(mesh.faces);
    out += ",\"bbox\":";
    if (mesh.hasBox) {
      out += '[';
      for (int k = 0; k < 6; k++) {
        if (k > 0) out += ',';
        out += JsonNumber(mesh.box[k]);
      }
      out += ']';
    } else {
      out += "null";
    }
    out += '}';
  }
  return out + "]}";
}
