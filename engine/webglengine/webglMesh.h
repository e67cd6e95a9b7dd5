#pragma once

#include <GLES3/gl3.h>

#include <vector>

#include "core/mesh.h"
#include "core/meshDetail.h"
#include "core/vertexRecords.h"

// The WebGL mesh: every vertex component in an array of its own, uploaded
// into buffer objects when it is drawn after a change. An indexed mesh is
// drawn from its interleaved records (texture channel 0 only, as OpenGL's
// interleaved arrays hold) and an index buffer; a mesh without indices from
// a stream of its positions, colours and the coordinates of channels 0
// and 1, after which its last vertex's colour and coordinates stay current,
// as immediate mode leaves them. Where an indexed triangle mesh looks small
// it draws a coarser level of its triangles (MeshDetail), kept after its own
// indices in the same index buffer.
class WebGLMesh : public Mesh {
 public:
  WebGLMesh();
  ~WebGLMesh() override;

  void Init(MeshDesc desc) override;
  void SetVertices(const float* xyz) override;
  // Keeps red, green and blue of each colour.
  void SetDiffuse(const Colour* colours) override;
  void SetSpecular(const Colour* colours) override;
  void SetNormals(const float* xyz) override;
  void SetIndices(const int* indices) override;
  // Applies the attached textures of stages 0 and 1 (modulate, wrap) and
  // draws at the world transform, through the pipeline's gathering.
  void Render() override;
  void SetTextureCoords(const float* uv, int channel) override;
  void SetTransform(float x, float y, float z, float a, float b, float c) override;
  void SetVertexShader(VertexShader* shader) override;

  // Scales the rotated axes of the current world matrix; the translation
  // stays, and the next SetTransform discards the scale.
  void Scale(float sx, float sy, float sz);

  const float* WorldMatrix() const { return world; }
  // The packed records of an indexed mesh; empty until every component its
  // format needs has been given.
  const std::vector<float>& Records() const { return records; }
  const VertexRecordFormat& RecordFormat() const { return format; }

  // Drawn from a stream of its vertices, leaving the last one's colour and
  // coordinates current: a mesh without indices.
  bool IsStream() const { return indexCount == 0; }
  // Draws `count` instances at detail `level`, their matrices in the
  // pipeline's instance buffer, of the level's indices from `from`, at most
  // `length` of them; uploads what changed first.
  void DrawInstances(GLsizei count, int level, size_t from, size_t length);

 private:
  // Before a change: draws gathered earlier must show the mesh as it was.
  void Changing();
  void Pack();
  void DrawIndexed(GLsizei count, int level, size_t from, size_t length);
  void DrawStream(GLsizei count);

  GLenum mode;
  std::vector<float> positions;
  std::vector<float> normals;
  std::vector<float> colours;  // red, green, blue
  std::vector<float> texCoords[kTextureStages];
  std::vector<GLuint> indices;
  // Drawing the indices is safe only once they have been checked.
  bool indicesSet;
  VertexRecordFormat format;
  std::vector<float> records;
  float world[16];  // column-major; 12 to 14 the translation
  GLuint vertexBuffer;
  GLuint indexBuffer;
  GLuint vertexArray;
  bool verticesChanged;  // since the last upload
  bool indicesChanged;
  MeshDetail detail;
  uint32_t levelGeneration = 0;  // the detail's generation the buffer holds
};
