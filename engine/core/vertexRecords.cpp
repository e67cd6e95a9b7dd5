#include "core/vertexRecords.h"

#include <cstddef>

bool ChooseVertexRecords(bool texCoords, bool diffuse, bool normals, VertexRecordFormat* format) {
  VertexRecordFormat f = {};
  const int t = texCoords ? 2 : 0;
  f.texCoords = texCoords;
  f.colourOffset = f.normalOffset = -1;
  f.colourSize = 3;
  if (diffuse && normals) {
    if (!texCoords) return false;
    f.layout = VertexLayout::T2F_C4F_N3F_V3F;
    f.colourOffset = 2;
    f.colourSize = 4;
    f.normalOffset = 6;
    f.positionOffset = 9;
  } else if (diffuse) {
    f.layout = texCoords ? VertexLayout::T2F_C3F_V3F : VertexLayout::C3F_V3F;
    f.colourOffset = t;
    f.positionOffset = t + 3;
  } else if (normals) {
    f.layout = texCoords ? VertexLayout::T2F_N3F_V3F : VertexLayout::N3F_V3F;
    f.normalOffset = t;
    f.positionOffset = t + 3;
  } else {
    f.layout = texCoords ? VertexLayout::T2F_V3F : VertexLayout::V3F;
    f.positionOffset = t;
  }
  f.stride = f.positionOffset + 3;
  *format = f;
  return true;
}

void PackVertexRecords(const VertexRecordFormat& format, int32_t count, const float* positions,
                       const float* normals, const float* colours, const float* uv, float* out) {
  for (int32_t i = 0; i < count; ++i) {
    float* record = out + static_cast<size_t>(i) * static_cast<size_t>(format.stride);
    if (format.texCoords) {
      *record++ = uv[2 * i];
      *record++ = uv[2 * i + 1];
    }
    if (format.colourOffset >= 0) {
      for (int k = 0; k < 3; ++k) *record++ = colours[3 * i + k];
      if (format.colourSize == 4) *record++ = 1.0f;
    }
    if (format.normalOffset >= 0)
      for (int k = 0; k < 3; ++k) *record++ = normals[3 * i + k];
    for (int k = 0; k < 3; ++k) *record++ = positions[3 * i + k];
  }
}
