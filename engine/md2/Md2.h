#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/vec3.h"

// Key-framed MD2 models (version 8), read into one frame object per key frame.

struct Md2Face {
  std::int32_t vertexIndex[3];
  std::int32_t texCoordIndex[3];
};

// Frames startFrame up to, not including, endFrame.
struct Md2Animation {
  char name[17];  // frame names hold at most 16 characters
  std::int32_t startFrame;
  std::int32_t endFrame;
};

struct Md2Material {
  std::string textureFile;
};

// One key frame. texCoords and faces are held by the first frame object only
// and are empty in the others; every index in them is within its count.
struct Md2FrameObject {
  std::int32_t vertexCount = 0;
  std::int32_t faceCount = 0;
  std::int32_t texCoordCount = 0;
  std::vector<Vec3> vertices;
  std::vector<TexCoord> texCoords;
  std::vector<Md2Face> faces;
};

struct Md2ModelData {
  std::int32_t objectCount = 0;
  std::int32_t materialCount = 0;
  std::int32_t animationCount = 0;
  std::vector<Md2Animation> animations;
  std::vector<Md2Material> materials;
  std::vector<Md2FrameObject> objects;

  void Clear();
};

struct Md2Header {
  std::int32_t ident, version, skinWidth, skinHeight, frameSize, skinCount, vertexCount,
      texCoordCount, triangleCount, glCommandCount, frameCount, skinOffset, texCoordOffset,
      triangleOffset, frameOffset, glCommandOffset, endOffset;
};

class Md2Loader {
 public:
  static constexpr int kHeaderSize = 68;
  // Largest frame record: 2048 vertices of 4 bytes and the 40-byte frame head
  // fit in it.
  static constexpr int kMaxFrameSize = 8320;

  Md2Loader();

  // Reads the file at `path`; `skinFile` (may be null) names the one material.
  bool Load(Md2ModelData& data, const char* path, const char* skinFile);
  // The same from a file image in memory; `name` stands for the file in log
  // entries. A file that breaks any of its own limits is refused whole.
  bool LoadFromMemory(Md2ModelData& data, const std::uint8_t* bytes, std::size_t size,
                      const char* name, const char* skinFile);

 private:
  struct Frame {
    char name[17];
    std::vector<Vec3> positions;
  };

  bool ReadHeader(const std::uint8_t* bytes, std::size_t size, const char* name);
  bool CheckLayout(std::size_t size, const char* name) const;
  void ReadTexCoords(const std::uint8_t* bytes);
  bool ReadTriangles(const std::uint8_t* bytes, const char* name);
  void ReadFrames(const std::uint8_t* bytes);
  void Convert(Md2ModelData& data);
  void ParseAnimations(Md2ModelData& data) const;
  void Release();

  Md2Header header;
  std::vector<std::int16_t> texCoords;  // s, t pairs as read
  std::vector<Md2Face> triangles;
  std::vector<Frame> frames;
};

// Writes 3 x frame.faceCount positions: the frame's vertices in the corner
// order of the first frame object's faces.
void Md2ExpandFrame(Vec3* out, const Md2FrameObject& frame, const Md2FrameObject& first);
