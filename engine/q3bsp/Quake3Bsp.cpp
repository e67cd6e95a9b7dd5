#include "q3bsp/Quake3Bsp.h"

#include <cstring>

#include "core/fileBytes.h"
#include "core/log.h"

namespace {
const int kLumpCount = 17;
const int kHeaderSize = 8 + kLumpCount * 8;
const int kTextureLump = 1;
const int kVertexLump = 10;
const int kFaceLump = 13;
const int kLightmapLump = 14;
const int kTextureRecordSize = 72;
const int kTextureRecordName = 64;
const int kVertexRecordSize = 44;
const int kFaceRecordSize = 104;

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t ReadI32(const std::uint8_t* p) { return static_cast<std::int32_t>(ReadU32(p)); }

float ReadFloat(const std::uint8_t* p) {
  const std::uint32_t bits = ReadU32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

struct Lump {
  std::int32_t offset;
  std::int32_t length;
};

std::uint8_t ToByte(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<std::uint8_t>(value);
}
}  // namespace

Quake3Bsp::Quake3Bsp() { Clear(); }

void Quake3Bsp::Clear() {
  vertexCount = faceCount = textureCount = lightmapCount = 0;
  vertices.clear();
  faces.clear();
  lightmaps.clear();
  std::memset(textureNames, 0, sizeof textureNames);
}

bool Quake3Bsp::Load(const char* path) {
  if (!path) path = "";
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) {
    LOG_ERROR("Could not find BSP file %s!", path);
    Clear();
    return false;
  }
  return LoadFromMemory(bytes.data(), bytes.size(), path);
}

bool Quake3Bsp::LoadFromMemory(const std::uint8_t* bytes, std::size_t size, const char* name) {
  Clear();
  if (!name) name = "";
  if (!bytes) size = 0;
  if (size < static_cast<std::size_t>(kHeaderSize)) {
    LOG_ERROR("Invalid BSP file %s: shorter than its header!", name);
    return false;
  }
  Lump lumps[kLumpCount];
  for (int i = 0; i < kLumpCount; ++i) {
    lumps[i].offset = ReadI32(bytes + 8 + 8 * i);
    lumps[i].length = ReadI32(bytes + 12 + 8 * i);
  }
  for (int i : {kTextureLump, kVertexLump, kFaceLump, kLightmapLump}) {
    const Lump& lump = lumps[i];
    if (lump.offset < 0 || lump.length < 0 ||
        std::int64_t{lump.offset} + lump.length > static_cast<std::int64_t>(size)) {
      LOG_ERROR("Invalid BSP file %s: lump %d lies outside the file!", name, i);
      return false;
    }
  }
  const std::int32_t vertexRecords = lumps[kVertexLump].length / kVertexRecordSize;
  const std::int32_t faceRecords = lumps[kFaceLump].length / kFaceRecordSize;
  std::int32_t textureRecords = lumps[kTextureLump].length / kTextureRecordSize;
  const std::int32_t lightmapRecords = lumps[kLightmapLump].length / kLightmapBytes;

  // A face whose vertex run leaves the vertex lump, or that is too large to
  // draw, is left out; the rest of the level stays.
  faces.reserve(faceRecords);
  const std::uint8_t* p = bytes + lumps[kFaceLump].offset;
  for (std::int32_t f = 0; f < faceRecords; ++f, p += kFaceRecordSize) {
    std::uint32_t words[kFaceRecordSize / 4];
    for (int w = 0; w < kFaceRecordSize / 4; ++w) words[w] = ReadU32(p + 4 * w);
    Q3Face face;
    std::memcpy(&face, words, sizeof words);
    if (face.vertexCount > kMaxFaceVertices) {
      LOG_WARNING("BSP file %s: face %d has %d vertices, more than %d; left out", name, f,
                  face.vertexCount, kMaxFaceVertices);
    } else if (face.firstVertex < 0 || face.vertexCount < 0 ||
               std::int64_t{face.firstVertex} + face.vertexCount > vertexRecords) {
      LOG_WARNING("BSP file %s: face %d uses %d vertices from %d of %d; left out", name, f,
                  face.vertexCount, face.firstVertex, vertexRecords);
    } else {
      faces.push_back(face);
    }
  }
  faceCount = static_cast<std::int32_t>(faces.size());

  // z-up file space becomes y-up; v is flipped.
  vertices.resize(vertexRecords);
  p = bytes + lumps[kVertexLump].offset;
  for (Q3Vertex& v : vertices) {
    v.position.Set(ReadFloat(p), ReadFloat(p + 8), -ReadFloat(p + 4));
    v.texCoord = TexCoord(ReadFloat(p + 12), -ReadFloat(p + 16));
    v.lightmapCoord = TexCoord(ReadFloat(p + 20), ReadFloat(p + 24));
    v.normal.Set(ReadFloat(p + 28), ReadFloat(p + 32), ReadFloat(p + 36));
    std::memcpy(v.colour, p + 40, 4);
    p += kVertexRecordSize;
  }
  vertexCount = vertexRecords;

  if (textureRecords > kMaxTextures) {
    LOG_WARNING("BSP file %s has %d textures; the names past the first %d are dropped", name,
                textureRecords, kMaxTextures);
    textureRecords = kMaxTextures;
  }
  p = bytes + lumps[kTextureLump].offset;
  for (std::int32_t t = 0; t < textureRecords; ++t, p += kTextureRecordSize) {
    // The 64-byte name need not be terminated in the file.
    std::memcpy(textureNames[t], p, kTextureRecordName);
    textureNames[t][kTextureRecordName] = '\0';
  }
  textureCount = textureRecords;

  const std::uint8_t* maps = bytes + lumps[kLightmapLump].offset;
  lightmaps.assign(maps, maps + std::size_t{kLightmapBytes} * lightmapRecords);
  lightmapCount = lightmapRecords;
  return true;
}

void AdjustLightmapGamma(std::uint8_t* bytes, int byteCount, float factor) {
  const float inverse255 = 0.003921569f;
  for (int i = 0; i + 3 <= byteCount; i += 3) {
    std::uint8_t* texel = bytes + i;
    const float r = factor * texel[0] * inverse255;
    const float g = factor * texel[1] * inverse255;
    const float b = factor * texel[2] * inverse255;
    float scale = 1.0f;
    if (r > 1.0f) scale = 1.0f / r;
    if (g > 1.0f && 1.0f / g < scale) scale = 1.0f / g;
    if (b > 1.0f && 1.0f / b < scale) scale = 1.0f / b;
    texel[0] = ToByte(r * scale * 255.0f);
    texel[1] = ToByte(g * scale * 255.0f);
    texel[2] = ToByte(b * scale * 255.0f);
  }
}

void StageFaceVertices(const Quake3Bsp& level, const Q3Face& face, float* positions, float* uv,
                       float* lightmapUv) {
  for (std::int32_t j = 0; j < face.vertexCount; ++j) {
    const Q3Vertex& vertex = level.vertices[static_cast<std::size_t>(face.firstVertex) + j];
    positions[3 * j] = vertex.position.x;
    positions[3 * j + 1] = vertex.position.y;
    positions[3 * j + 2] = vertex.position.z;
    uv[2 * j] = vertex.texCoord.u;
    uv[2 * j + 1] = vertex.texCoord.v;
    lightmapUv[2 * j] = vertex.lightmapCoord.u;
    lightmapUv[2 * j + 1] = vertex.lightmapCoord.v;
  }
}

void StageFaceNormals(const Quake3Bsp& level, const Q3Face& face, float* normals) {
  for (std::int32_t j = 0; j < face.vertexCount; ++j) {
    const Vec3& normal = level.vertices[static_cast<std::size_t>(face.firstVertex) + j].normal;
    normals[3 * j] = normal.x;
    normals[3 * j + 1] = normal.z;
    normals[3 * j + 2] = -normal.y;
  }
}

void LightmapToPixels(const std::uint8_t* lightmap, std::uint32_t* pixels, int pitch,
                      bool transposed) {
  const int size = Quake3Bsp::kLightmapSize;
  for (int r = 0; r < size; ++r) {
    for (int c = 0; c < size; ++c) {
      const std::uint8_t* texel = lightmap + (r * size + c) * 3;
      const std::uint32_t pixel = static_cast<std::uint32_t>(texel[0]) << 16 |
                                  static_cast<std::uint32_t>(texel[1]) << 8 | texel[2];
      pixels[transposed ? c * pitch + r : r * pitch + c] = pixel;
    }
  }
}
