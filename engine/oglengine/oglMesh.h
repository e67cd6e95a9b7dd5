#pragma once

#include <windows.h>

#include <GL/gl.h>

#include "core/mesh.h"

// The OpenGL mesh: every vertex component in an array of its own; an
// indexed mesh also keeps them packed in one interleaved array that is drawn
// with glDrawElements, while a mesh without indices is drawn in immediate
// mode. The mesh owns its arrays.
class OpenGLMesh : public Mesh {
 public:
  OpenGLMesh();
  ~OpenGLMesh() override;

  void Init(MeshDesc desc) override;
  void SetVertices(const float* xyz) override;
  // Keeps red, green and blue of each colour.
  void SetDiffuse(const Colour* colours) override;
  void SetSpecular(const Colour* colours) override;
  void SetNormals(const float* xyz) override;
  void SetIndices(const int* indices) override;
  void Render() override;
  void SetTextureCoords(const float* uv, int channel) override;
  void SetTransform(float x, float y, float z, float a, float b, float c) override;
  void SetVertexShader(VertexShader* shader) override;

  // Scales the rotated axes of the current world matrix; the translation
  // stays, and the next SetTransform discards the scale.
  void Scale(float sx, float sy, float sz);

  GLenum InterleavedFormat() const { return format; }
  int Stride() const { return stride; }
  const float* Interleaved() const { return interleaved; }
  const float* WorldMatrix() const { return world; }
  // Vertex count (x, y, z) or (u, v) values; a channel never given is null.
  const float* Positions() const { return positions; }
  const float* TexCoords(int channel) const { return texCoords[channel]; }

 private:
  void BuildMeshData();
  void FreeArrays();

  GLenum mode;
  float* positions;
  float* normals;
  float* colours;  // red, green, blue
  float* texCoords[kTextureStages];
  GLuint* indices;
  // Drawing the indices is safe only once they have been checked.
  bool indicesSet;
  float* interleaved;
  GLenum format;
  int stride;  // floats
  float world[16];  // column-major; 12 to 14 the translation
};
