#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/matrix44.h"
#include "core/vec3.h"

class Texture;

// MilkShape 3D ASCII models: meshes, materials and a skeleton of bones with
// position and rotation key frames. Text fields hold at most 31 characters;
// longer names in a file are cut.

struct Ms3dVertex {
  Vec3 position;  // in its bone's rest space when it has a bone
  float u, v;     // v is 1 - the file's value
  std::int32_t boneIndex;  // -1: no bone
};

struct Ms3dTriangle {
  std::int32_t vertexIndex[3];
  std::int32_t normalIndex[3];
};

// Every vertex and normal index of a loaded mesh is within its counts.
struct Ms3dMesh {
  char name[32] = "";
  std::int32_t vertexCount = 0;
  std::vector<Ms3dVertex> vertices;
  std::int32_t triangleCount = 0;
  std::vector<Ms3dTriangle> triangles;
  std::int32_t normalCount = 0;
  std::vector<Vec3> normals;
};

struct Ms3dMaterial {
  char name[32] = "";
  float ambient[4] = {}, diffuse[4] = {}, specular[4] = {}, emissive[4] = {};
  float shininess = 0.0f;
  float transparency = 0.0f;
  char colourMap[32] = "";  // texture file name, empty when none
  char alphaMap[32] = "";
  Texture* texture = nullptr;  // set by the model classes; not owned
};

struct Ms3dKey {
  float time;  // in frames
  float x, y, z;  // translation, or Euler angles in radians
};

struct Ms3dBone {
  char name[32] = "";
  char parentName[32] = "";  // empty for a root bone
  Ms3dBone* parent = nullptr;
  Vec3 restPosition;
  Vec3 restRotation;  // Euler angles in radians
  Matrix44 absolute;  // current transform in model space
  std::int32_t positionKeyCount = 0;
  std::vector<Ms3dKey> positionKeys;
  std::int32_t rotationKeyCount = 0;
  std::vector<Ms3dKey> rotationKeys;
};

class Model {
 public:
  static constexpr int kNameLength = 32;
  static constexpr int kLineLength = 256;

  Model();
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  // Loads the file; on success the bones are linked, the vertices bound to
  // their bones and the skeleton posed at the file's initial frame. A
  // section that fails part-way ends the reading but keeps what was read;
  // bones that cannot be linked, or in a file read whole an index past its
  // records, leave the model empty and give false.
  bool loadFromMs3dAsciiFile(const char* path);
  // The same from the file's text in memory.
  bool loadFromMs3dAsciiMemory(const char* text, std::size_t size);

  // Moves the time on by dt frames and poses every bone; returns boneCount.
  int advance(float dt);

  float totalFrames;
  float currentTime;
  std::int32_t meshCount;
  std::vector<Ms3dMesh> meshes;
  std::vector<std::int32_t> materialIndices;  // per mesh, -1: none
  std::int32_t materialCount;
  std::vector<Ms3dMaterial> materials;
  std::int32_t boneCount;
  std::vector<Ms3dBone> bones;

 private:
  class LineReader;

  bool load(const char* text, std::size_t size);
  bool readFile(LineReader& reader, int& initialFrame);
  bool readMeshes(LineReader& reader, int count);
  bool readMesh(LineReader& reader, Ms3dMesh& mesh, std::int32_t& materialIndex);
  bool readMaterials(LineReader& reader, int count);
  bool readMaterial(LineReader& reader, Ms3dMaterial& material);
  bool readBones(LineReader& reader, int count);
  bool readBone(LineReader& reader, Ms3dBone& bone);
  bool checkIndices(bool whole);
  bool linkBones();
  void setupBones();
  void bindVertices();
  bool poseBone(Ms3dBone& bone, float t);
  void clear();
};
