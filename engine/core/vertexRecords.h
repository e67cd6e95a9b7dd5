#pragma once

#include <cstdint>

// The interleaved vertex records of an indexed mesh, shared by the back ends
// that draw from one packed array: per vertex, in this order, texture
// coordinates of channel 0, diffuse colour, normal, position (the order of
// OpenGL's interleaved formats).
enum class VertexLayout {
  V3F,
  N3F_V3F,
  T2F_V3F,
  T2F_N3F_V3F,
  C3F_V3F,
  T2F_C3F_V3F,
  T2F_C4F_N3F_V3F,  // colour with alpha 1: there is no format with three
};

struct VertexRecordFormat {
  VertexLayout layout;
  int stride;           // floats per record
  int colourOffset;     // floats; -1 without colour
  int colourSize;       // 3 or 4
  int normalOffset;     // -1 without normals
  int positionOffset;
  bool texCoords;       // channel 0 at offset 0
};

// The format for the given components; false for colours and normals
// without texture coordinates, which no interleaved format holds.
bool ChooseVertexRecords(bool texCoords, bool diffuse, bool normals, VertexRecordFormat* format);

// Packs `count` records into `out` (count * stride floats). The arrays are
// per vertex: uv pairs, rgb triples, xyz triples; those the format does not
// hold may be null.
void PackVertexRecords(const VertexRecordFormat& format, int32_t count, const float* positions,
                       const float* normals, const float* colours, const float* uv, float* out);
