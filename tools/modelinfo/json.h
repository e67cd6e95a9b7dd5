#pragma once

#include <string>

// Pieces of modelinfo's one-line JSON output.

// A quoted JSON string. Names come from files as bytes: each byte outside
// printable ASCII is written as the code point of the same value, so the
// output is valid JSON whatever the file holds.
std::string JsonString(const std::string& text);

// The shortest decimal text that reads back as the same float; null for
// infinities and NaN, which JSON cannot write.
std::string JsonNumber(float value);

// The axis-aligned box around the points added to it.
class BoundingBox {
 public:
  void Add(float x, float y, float z);
  // [min x, min y, min z, max x, max y, max z], or null when no point was added.
  std::string Json() const;

 private:
  bool empty = true;
  float box[6] = {0, 0, 0, 0, 0, 0};
};
