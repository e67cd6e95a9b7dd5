#include "md2/Md2.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "core/fileBytes.h"
#include "core/log.h"

namespace {
const int kSkinSize = 64;
const int kTexCoordSize = 4;
const int kTriangleSize = 12;
const int kFrameHeadSize = 40;  // scale, translate, name
const int kFrameVertexSize = 4;

std::int32_t ReadI32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) |
                                   static_cast<std::uint32_t>(p[1]) << 8 |
                                   static_cast<std::uint32_t>(p[2]) << 16 |
                                   static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t ReadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

float ReadFloat(const std::uint8_t* p) {
  const std::uint32_t bits = static_cast<std::uint32_t>(ReadI32(p));
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// True when `count` records of `recordSize` bytes at `offset` lie in the file.
bool InFile(std::int32_t offset, std::int32_t count, std::int64_t recordSize, std::size_t size) {
  if (offset < 0 || count < 0) return false;
  return offset + count * recordSize <= static_cast<std::int64_t>(size);
}
}  // namespace

void Md2ModelData::Clear() {
  objectCount = materialCount = animationCount = 0;
  animations.clear();
  materials.clear();
  objects.clear();
}

Md2Loader::Md2Loader() : header() {}

bool Md2Loader::Load(Md2ModelData& data, const char* path, const char* skinFile) {
  if (!path) path = "";
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) {
    LOG_ERROR("Unable to find the file: %s!", path);
    data.Clear();
    return false;
  }
  return LoadFromMemory(data, bytes.data(), bytes.size(), path, skinFile);
}

bool Md2Loader::LoadFromMemory(Md2ModelData& data, const std::uint8_t* bytes, std::size_t size,
                               const char* name, const char* skinFile) {
  if (!name) name = "";
  if (!bytes) size = 0;
  if (!ReadHeader(bytes, size, name) || !CheckLayout(size, name) ||
      !ReadTriangles(bytes, name)) {
    Release();
    data.Clear();
    return false;
  }
  ReadTexCoords(bytes);
  ReadFrames(bytes);
  Convert(data);
  if (skinFile) {
    data.materialCount = 1;
    data.materials.push_back(Md2Material{skinFile});
  }
  Release();
  return true;
}

bool Md2Loader::ReadHeader(const std::uint8_t* bytes, std::size_t size, const char* name) {
  header = Md2Header();
  if (size < static_cast<std::size_t>(kHeaderSize)) {
    LOG_ERROR("Invalid file format (Header cut short): %s!", name);
    return false;
  }
  std::int32_t fields[kHeaderSize / 4];
  for (int i = 0; i < kHeaderSize / 4; ++i) fields[i] = ReadI32(bytes + 4 * i);
  static_assert(sizeof fields == sizeof header, "the header is 17 integers");
  std::memcpy(&header, fields, sizeof header);
  if (header.version != 8) {
    LOG_ERROR("Invalid file format (Version not 8): %s!", name);
    return false;
  }
  return true;
}

bool Md2Loader::CheckLayout(std::size_t size, const char* name) const {
  const Md2Header& h = header;
  if (h.vertexCount < 0 || h.texCoordCount < 0 || h.triangleCount < 0 || h.frameCount < 0 ||
      h.skinCount < 0) {
    LOG_ERROR("Invalid file format (Negative count): %s!", name);
    return false;
  }
  if (h.frameCount == 0) {
    LOG_ERROR("Invalid file format (No frames): %s!", name);
    return false;
  }
  // Each frame is decoded from one record of frameSize bytes, which must hold
  // all the frame's vertices and fit the largest frame record.
  if (h.frameSize > kMaxFrameSize ||
      h.frameSize < kFrameHeadSize + std::int64_t{kFrameVertexSize} * h.vertexCount) {
    LOG_ERROR("Invalid file format (Frame size %d does not fit %d vertices within %d bytes): %s!",
              h.frameSize, h.vertexCount, kMaxFrameSize, name);
    return false;
  }
  if (!InFile(h.skinOffset, h.skinCount, kSkinSize, size) ||
      !InFile(h.texCoordOffset, h.texCoordCount, kTexCoordSize, size) ||
      !InFile(h.triangleOffset, h.triangleCount, kTriangleSize, size) ||
      !InFile(h.frameOffset, h.frameCount, h.frameSize, size)) {
    LOG_ERROR("Invalid file format (Data past the end of the file): %s!", name);
    return false;
  }
  if (h.texCoordCount > 0 && (h.skinWidth <= 0 || h.skinHeight <= 0)) {
    LOG_ERROR("Invalid file format (Skin size %d x %d): %s!", h.skinWidth, h.skinHeight, name);
    return false;
  }
  return true;
}

void Md2Loader::ReadTexCoords(const std::uint8_t* bytes) {
  texCoords.resize(2 * static_cast<std::size_t>(header.texCoordCount));
  const std::uint8_t* p = bytes + header.texCoordOffset;
  for (std::int16_t& value : texCoords) {
    value = static_cast<std::int16_t>(ReadU16(p));
    p += 2;
  }
}

bool Md2Loader::ReadTriangles(const std::uint8_t* bytes, const char* name) {
  triangles.resize(header.triangleCount);
  const std::uint8_t* p = bytes + header.triangleOffset;
  for (std::int32_t k = 0; k < header.triangleCount; ++k, p += kTriangleSize) {
    Md2Face& face = triangles[k];
    for (int c = 0; c < 3; ++c) {
      face.vertexIndex[c] = ReadU16(p + 2 * c);
      face.texCoordIndex[c] = ReadU16(p + 6 + 2 * c);
      if (face.vertexIndex[c] >= header.vertexCount ||
          face.texCoordIndex[c] >= header.texCoordCount) {
        LOG_ERROR("Invalid file format (Triangle %d indexes past %d vertices or %d texture "
                  "coordinates): %s!",
                  k, header.vertexCount, header.texCoordCount, name);
        return false;
      }
    }
  }
  return true;
}

void Md2Loader::ReadFrames(const std::uint8_t* bytes) {
  frames.resize(header.frameCount);
  for (std::int32_t i = 0; i < header.frameCount; ++i) {
    const std::uint8_t* record = bytes + header.frameOffset + std::int64_t{i} * header.frameSize;
    Frame& frame = frames[i];
    float scale[3], translate[3];
    for (int a = 0; a < 3; ++a) {
      scale[a] = ReadFloat(record + 4 * a);
      translate[a] = ReadFloat(record + 12 + 4 * a);
    }
    std::memcpy(frame.name, record + 24, 16);
    frame.name[16] = '\0';
    // z-up file space becomes y-up: file z is y, file y negated is z.
    frame.positions.resize(header.vertexCount);
    const std::uint8_t* v = record + kFrameHeadSize;
    for (Vec3& position : frame.positions) {
      position.x = scale[0] * v[0] + translate[0];
      position.y = scale[2] * v[2] + translate[2];
      position.z = -(scale[1] * v[1] + translate[1]);
      v += kFrameVertexSize;
    }
  }
}

void Md2Loader::Convert(Md2ModelData& data) {
  data.Clear();
  data.objectCount = header.frameCount;
  ParseAnimations(data);
  data.objects.reserve(frames.size());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    Md2FrameObject object;
    object.vertexCount = header.vertexCount;
    object.faceCount = header.triangleCount;
    object.texCoordCount = header.texCoordCount;
    object.vertices = std::move(frames[i].positions);
    if (i == 0) {
      object.texCoords.resize(header.texCoordCount);
      for (std::int32_t k = 0; k < header.texCoordCount; ++k) {
        object.texCoords[k].u = static_cast<float>(texCoords[2 * k]) / header.skinWidth;
        object.texCoords[k].v =
            1.0f - static_cast<float>(texCoords[2 * k + 1]) / header.skinHeight;
      }
      object.faces = triangles;
    }
    data.objects.push_back(std::move(object));
  }
}

// Frame names end in a number of one or two digits ("stand01", "run1"); the
// text before it names the animation, and each change of name starts one.
void Md2Loader::ParseAnimations(Md2ModelData& data) const {
  const std::int32_t count = static_cast<std::int32_t>(frames.size());
  char lastName[17] = "";
  Md2Animation current = {};
  std::int32_t metAt = 0;  // the frame where the current name was met
  for (std::int32_t i = 0; i < count; ++i) {
    char name[17];
    std::memcpy(name, frames[i].name, sizeof name);
    int frameNumber = 0;
    const std::size_t length = std::strlen(name);
    for (std::size_t k = 0; length >= 2 && k < length; ++k) {
      if (k >= length - 2 && std::isdigit(static_cast<unsigned char>(name[k]))) {
        frameNumber = std::atoi(name + k);
        name[k] = '\0';
        break;
      }
    }
    if (std::strcmp(name, lastName) != 0 || i == count - 1) {
      if (lastName[0] != '\0') {
        std::memcpy(current.name, lastName, sizeof current.name);
        current.endFrame = i;
        // The first frame of an animation is numbered 1; other numbers shift
        // its start. A start outside the animation's frames moves to the
        // nearest frame from the first one to where the name was met.
        if (current.startFrame < 0 || current.startFrame >= current.endFrame)
          current.startFrame = std::clamp(current.startFrame, 0, metAt);
        data.animations.push_back(current);
        current = Md2Animation();
        ++data.animationCount;
      }
      current.startFrame = frameNumber - 1 + i;
      metAt = i;
    }
    std::memcpy(lastName, name, sizeof lastName);
  }
}

void Md2Loader::Release() {
  texCoords.clear();
  texCoords.shrink_to_fit();
  triangles.clear();
  triangles.shrink_to_fit();
  frames.clear();
  frames.shrink_to_fit();
}

void Md2ExpandFrame(Vec3* out, const Md2FrameObject& frame, const Md2FrameObject& first) {
  for (std::int32_t k = 0; k < frame.faceCount; ++k)
    for (int c = 0; c < 3; ++c) out[3 * k + c] = frame.vertices[first.faces[k].vertexIndex[c]];
}
