#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/vec3.h"

// The drawable geometry of a Quake 3 BSP level: vertices, faces, texture
// names and light maps.

struct Q3Vertex {
  Vec3 position;  // y-up: the file's (x, y, z) is held as (x, z, -y)
  TexCoord texCoord;  // v negated
  TexCoord lightmapCoord;
  Vec3 normal;
  std::uint8_t colour[4];  // RGBA
};
static_assert(sizeof(Q3Vertex) == 44, "Q3Vertex mirrors the 44-byte vertex record");

// As read. A loaded level holds only faces whose vertex run lies within its
// vertices and holds at most Quake3Bsp::kMaxFaceVertices vertices; the
// others are left out. textureIndex is not checked.
struct Q3Face {
  std::int32_t textureIndex;
  std::int32_t effect;
  std::int32_t type;
  std::int32_t firstVertex;
  std::int32_t vertexCount;
  std::int32_t firstMeshVertex;
  std::int32_t meshVertexCount;
  std::int32_t lightmapIndex;
  std::int32_t lightmapCorner[2];
  std::int32_t lightmapSize[2];
  float lightmapOrigin[3];
  float lightmapVectors[2][3];
  float normal[3];
  std::int32_t patchSize[2];
};
static_assert(sizeof(Q3Face) == 104, "Q3Face mirrors the 104-byte face record");

class Quake3Bsp {
 public:
  static constexpr int kMaxTextures = 1023;
  static constexpr int kTextureNameLength = 260;
  // The model classes stage a face in arrays of this many vertices.
  static constexpr int kMaxFaceVertices = 4096;
  static constexpr int kLightmapSize = 128;
  static constexpr int kLightmapBytes = kLightmapSize * kLightmapSize * 3;

  Quake3Bsp();

  // Reads the level; a file that breaks its own limits is refused and leaves
  // the level empty. Texture names past the 1023rd are dropped.
  bool Load(const char* path);
  // The same from a file image in memory; `name` stands for the file in log
  // entries.
  bool LoadFromMemory(const std::uint8_t* bytes, std::size_t size, const char* name);

  std::int32_t vertexCount;
  std::int32_t faceCount;
  std::int32_t textureCount;
  std::vector<Q3Vertex> vertices;
  std::vector<Q3Face> faces;
  char textureNames[kMaxTextures][kTextureNameLength];
  std::int32_t lightmapCount;
  // lightmapCount maps of 128 rows of 128 RGB texels, in file order.
  std::vector<std::uint8_t> lightmaps;

 private:
  void Clear();
};

// Multiplies every whole RGB texel by `factor`; a texel whose brightest
// channel would pass full intensity is scaled down as a whole so that channel
// lands on 255, keeping its hue.
void AdjustLightmapGamma(std::uint8_t* bytes, int byteCount, float factor);

// Copies a face's vertex run into flat arrays for drawing: 3 floats of
// position, 2 of texture and 2 of light-map coordinates per vertex, each
// array with room for face.vertexCount vertices. The face must be one of the
// level's, whose runs the reader has checked.
void StageFaceVertices(const Quake3Bsp& level, const Q3Face& face, float* positions, float* uv,
                       float* lightmapUv);

// Writes the normals of a face's vertex run, 3 floats each, turned y-up as
// the positions are: the file's (x, y, z) becomes (x, z, -y).
void StageFaceNormals(const Quake3Bsp& level, const Q3Face& face, float* normals);

// Writes one 128 x 128 light map as 0x00RRGGBB pixels, `pitch` pixels per
// row. Transposed, the texel at row r, column c lands at row c, column r.
void LightmapToPixels(const std::uint8_t* lightmap, std::uint32_t* pixels, int pitch,
                      bool transposed);
