#pragma once

#include <windows.h>

#include <GL/gl.h>

#include "core/mesh.h"
#include "core/meshDetail.h"
#include "core/vertexRecords.h"

// The OpenGL mesh: every vertex component in an array of its own; an
// indexed mesh also keeps them packed in one interleaved array that is drawn
// with glDrawElements, while a mesh without indices is drawn in immediate
// mode, with its normals when it was given them. The mesh owns its arrays.
//
// Client arrays are copied to the driver at every draw, and immediate mode
// costs a call per vertex: a mesh drawn a second time with unchanged data
// records its draw in a display list, which the driver keeps, and replays
// that from then on. Any setter drops the list, so meshes animated frame by
// frame go on drawing directly. A list belongs to the rendering context it
// was recorded in; in any other the mesh draws directly.
//
// Where an indexed triangle mesh looks small it draws a coarser level of its
// triangles over the same vertices (MeshDetail), each level with a list of
// its own.
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
  void DrawArrays(int level);
  // The vertex data changed: the recorded draw no longer holds.
  void DropDrawList();

  GLenum mode;
  float* positions;
  float* normals;
  float* colours;  // red, green, blue
  float* texCoords[kTextureStages];
  GLuint* indices;
  // Drawing the indices is safe only once they have been checked.
  bool indicesSet;
  float* interleaved;
  VertexRecordFormat records;
  GLenum format;
  int stride;  // floats
  float world[16];  // column-major; 12 to 14 the translation
  MeshDetail detail;
  GLuint drawLists[kDetailLevels + 1];  // by level; 0: none recorded
  HGLRC listContext;    // where the lists live
  bool drawnUnchanged;  // drawn since the data last changed
};
