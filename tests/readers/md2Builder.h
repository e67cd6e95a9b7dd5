#pragma once

// Builds MD2 files for the tests: three vertices per frame, two triangles.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "readerTestUtil.h"

// Header field offsets.
const int kVersion = 4, kSkinWidth = 8, kFrameSize = 16, kSkinCount = 20, kVertexCount = 24,
          kTexCoordCount = 28, kTriangleCount = 32, kFrameCount = 40,
          kTexCoordOffset = 48, kTriangleOffset = 52, kFrameOffset = 56;

struct TestFrame {
  std::string name;
  float scale[3];
  float translate[3];
  std::vector<std::array<std::uint8_t, 3>> vertices;
};

struct TestMd2 {
  int skinWidth = 256, skinHeight = 256;
  std::vector<std::array<std::int16_t, 2>> texCoords{{0, 0}, {128, 64}, {256, 256}};
  std::vector<std::array<std::uint16_t, 6>> triangles{{0, 1, 2, 2, 1, 0}, {2, 1, 0, 0, 0, 0}};
  std::vector<TestFrame> frames;

  // A frame per name whose three vertices differ from frame to frame.
  explicit TestMd2(const std::vector<std::string>& names = {"stand01"}) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::uint8_t b = static_cast<std::uint8_t>(i);
      frames.push_back({names[i], {1, 1, 1}, {0, 0, 0}, {{b, 0, 0}, {0, b, 1}, {0, 0, b}}});
    }
  }

  Bytes Build() const {
    const int vertexCount = static_cast<int>(frames[0].vertices.size());
    const int frameSize = 40 + 4 * vertexCount;
    const int skinOffset = 68, texCoordOffset = skinOffset + 64;
    const int triangleOffset = texCoordOffset + 4 * static_cast<int>(texCoords.size());
    const int frameOffset = triangleOffset + 12 * static_cast<int>(triangles.size());
    const int end = frameOffset + frameSize * static_cast<int>(frames.size());
    const std::int32_t header[17] = {0x32504449, 8, skinWidth, skinHeight, frameSize, 1,
                                     vertexCount, static_cast<std::int32_t>(texCoords.size()),
                                     static_cast<std::int32_t>(triangles.size()), 0,
                                     static_cast<std::int32_t>(frames.size()), skinOffset,
                                     texCoordOffset, triangleOffset, frameOffset, end, end};
    Bytes b(end, 0);
    for (int i = 0; i < 17; ++i) PutI32(b, 4 * i, header[i]);
    std::memcpy(&b[skinOffset], "skin.pcx", 8);
    for (std::size_t k = 0; k < texCoords.size(); ++k)
      for (int j = 0; j < 2; ++j)
        PutU16(b, texCoordOffset + 4 * k + 2 * j, static_cast<std::uint16_t>(texCoords[k][j]));
    for (std::size_t k = 0; k < triangles.size(); ++k)
      for (int j = 0; j < 6; ++j) PutU16(b, triangleOffset + 12 * k + 2 * j, triangles[k][j]);
    for (std::size_t i = 0; i < frames.size(); ++i) {
      const TestFrame& f = frames[i];
      const std::size_t at = frameOffset + frameSize * i;
      for (int a = 0; a < 3; ++a) {
        PutFloat(b, at + 4 * a, f.scale[a]);
        PutFloat(b, at + 12 + 4 * a, f.translate[a]);
      }
      std::memcpy(&b[at + 24], f.name.data(), std::min<std::size_t>(f.name.size(), 16));
      for (std::size_t j = 0; j < f.vertices.size(); ++j)
        for (int a = 0; a < 3; ++a) b[at + 40 + 4 * j + a] = f.vertices[j][a];
    }
    return b;
  }
};
