#pragma once

#include <cstdint>

#include "core/colour.h"
#include "core/engineObject.h"
#include "core/renderTypes.h"

class Texture;
// A back end's vertex-shader object (defined by the back end that has one).
class VertexShader;

// A drawable set of vertices of a renderer back end. The arrays passed to
// the setters are read, never kept; attached textures are not owned.
class Mesh : public EngineObject {
 public:
  Mesh();
  ~Mesh() override = default;

  // Copies the description and creates storage for its vertices and indices.
  virtual void Init(MeshDesc desc) = 0;
  virtual void SetVertices(const float* xyz) = 0;
  virtual void SetDiffuse(const Colour* colours) = 0;
  virtual void SetSpecular(const Colour* colours) = 0;
  virtual void SetNormals(const float* xyz) = 0;
  virtual void SetIndices(const int* indices) = 0;
  virtual void Render() = 0;
  // Attaches a texture to a stage, 0 to 7; other stages are ignored.
  virtual void SetTexture(Texture* texture, int stage);
  virtual void SetTextureCoords(const float* uv, int channel) = 0;
  // Translation and three rotation angles in radians.
  virtual void SetTransform(float x, float y, float z, float a, float b, float c) = 0;
  // Takes one value and does nothing, in every back end.
  virtual void Reserved(int value);
  virtual void SetVertexShader(VertexShader* shader) = 0;

  int32_t vertexCount;
  int32_t indexCount;
  int32_t primitive;  // PrimitiveType
  bool hasNormals;
  bool hasDiffuse;
  bool hasSpecular;
  bool texChannels[kTextureStages];
  Texture* textures[kTextureStages];

 protected:
  // The world matrix of SetTransform, row-major for row vectors
  // (translation in elements 12 to 14), as every back end builds it.
  static void TransformMatrix(float x, float y, float z, float a, float b, float c,
                              float matrix[16]);
  // Scales the matrix's three rotation rows by column.
  static void ScaleMatrix(float matrix[16], float sx, float sy, float sz);
};
