#pragma once

// Builds Quake 3 BSP files for the tests: two textures, three vertices, two
// faces and a light map lump of 100000 bytes unless changed.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "readerTestUtil.h"

const int kTextureLump = 1, kVertexLump = 10, kFaceLump = 13, kLightmapLump = 14;
const int kLightmapBytes = 128 * 128 * 3;

inline std::size_t LumpEntry(int lump) { return 8 + 8 * lump; }

struct TestVertex {
  float values[10];  // position, texCoord, lightmapCoord, normal
  std::uint8_t colour[4];
};

struct TestFace {
  int textureIndex, firstVertex, vertexCount;
};

struct TestBsp {
  std::vector<std::string> textures{"textures/base/wall", "textures/base/floor"};
  std::vector<TestVertex> vertices{
      {{1, 2, 3, 0.25f, 0.5f, 0.125f, 0.375f, 0, 0, 1}, {10, 20, 30, 255}},
      {{4, 5, 6, 1, 1, 0, 0, 0, 1, 0}, {0, 0, 0, 0}},
      {{7, 8, 9, 0, 0, 1, 1, 1, 0, 0}, {1, 2, 3, 4}}};
  std::vector<TestFace> faces{{1, 0, 3}, {7, 3, 0}};
  int lightmapLength = 100000;

  Bytes Build() const {
    Bytes b(8 + 17 * 8, 0);
    std::memcpy(b.data(), "IBSP", 4);
    PutI32(b, 4, 46);
    auto lump = [&b](int index, std::size_t length) {
      PutI32(b, LumpEntry(index), static_cast<std::int32_t>(b.size()));
      PutI32(b, LumpEntry(index) + 4, static_cast<std::int32_t>(length));
      const std::size_t at = b.size();
      b.resize(at + length);
      return at;
    };
    std::size_t at = lump(kTextureLump, 72 * textures.size());
    for (std::size_t t = 0; t < textures.size(); ++t)
      std::memcpy(&b[at + 72 * t], textures[t].data(), std::min<std::size_t>(64, textures[t].size()));
    at = lump(kVertexLump, 44 * vertices.size());
    for (std::size_t v = 0; v < vertices.size(); ++v) {
      for (int i = 0; i < 10; ++i) PutFloat(b, at + 44 * v + 4 * i, vertices[v].values[i]);
      std::memcpy(&b[at + 44 * v + 40], vertices[v].colour, 4);
    }
    at = lump(kFaceLump, 104 * faces.size());
    for (std::size_t f = 0; f < faces.size(); ++f) {
      PutI32(b, at + 104 * f, faces[f].textureIndex);
      PutI32(b, at + 104 * f + 8, 1);  // type
      PutI32(b, at + 104 * f + 12, faces[f].firstVertex);
      PutI32(b, at + 104 * f + 16, faces[f].vertexCount);
      PutFloat(b, at + 104 * f + 92, 1.0f);  // normal z
    }
    at = lump(kLightmapLump, lightmapLength);
    for (int i = 0; i < lightmapLength; ++i) b[at + i] = static_cast<std::uint8_t>(i * 7);
    return b;
  }
};
