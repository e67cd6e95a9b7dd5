#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/vec3.h"

// One named triangle mesh of a 3DS file: a position and a texture coordinate
// per vertex and three vertex indices per face. 3DS counts are 16-bit.
struct MeshObject {
  std::string name;  // at most 10 characters
  std::vector<Vec3> positions;
  std::vector<TexCoord> uvs;
  struct Face {
    uint16_t a, b, c;
  };
  std::vector<Face> faces;

  explicit MeshObject(const std::string& objectName) : name(objectName) {}

  uint16_t AddVertex(const Vec3& position, const TexCoord& uv = TexCoord());
  void AddTriangle(uint16_t a, uint16_t b, uint16_t c) { faces.push_back({a, b, c}); }
  // Two triangles a-b-c and a-c-d.
  void AddQuad(uint16_t a, uint16_t b, uint16_t c, uint16_t d);
  // Adds another object's vertices and faces after this one's: one object
  // is one draw for the renderers.
  void Append(const MeshObject& other);
};

// What one 3DS file holds: its mesh objects and the one material they use,
// whose texture map names the bitmap the demonstration binds to the model.
struct Model {
  std::vector<MeshObject> objects;
  std::string materialName;  // at most 16 characters
  std::string textureFile;   // at most 12 characters (an 8.3 name)
};
