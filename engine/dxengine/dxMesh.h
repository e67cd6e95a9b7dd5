#pragma once

#include <windows.h>
#include <d3d8.h>

#include <vector>

#include "core/mesh.h"
#include "core/meshDetail.h"

class DXEngine;

// The Direct3D 8 mesh: one managed vertex buffer in a flexible vertex format
// built from the MeshDesc (position, then normal, diffuse, specular and up to
// three texture-coordinate sets), an optional index buffer, a world matrix
// and the textures attached to stages 0 to 7. It draws on the device of the
// engine that was current when it was made.
//
// Indices are 16-bit, stored modulo 65536. A mesh of more than 65536
// vertices gets 32-bit indices where the device can draw them and is refused
// otherwise. Indices that point past the vertices are reported and the mesh
// is not drawn until they are replaced.
//
// Where an indexed triangle mesh looks small it draws a coarser level of its
// triangles (MeshDetail) over the same vertices, from a second index buffer
// that holds every level.
class DXMesh : public Mesh {
 public:
  DXMesh();
  ~DXMesh() override;

  void Init(MeshDesc desc) override;
  void SetVertices(const float* xyz) override;
  void SetDiffuse(const Colour* colours) override;
  void SetSpecular(const Colour* colours) override;
  void SetNormals(const float* xyz) override;
  void SetIndices(const int* indices) override;
  void Render() override;
  void SetTextureCoords(const float* uv, int channel) override;
  void SetTransform(float x, float y, float z, float a, float b, float c) override;
  void SetVertexShader(VertexShader* shader) override;

  // Makes this a mesh of `count` vertices that draws, as `kind`, vertices
  // [first, first + count) of `whole`'s vertex buffer, sharing it and its
  // layout; it has no indices, and its setters write its own range only.
  // Many small meshes filled through one such buffer cost one lock instead
  // of one each. `whole` may be destroyed afterwards.
  void InitRange(const DXMesh& whole, int first, int count, int32_t kind);

  // Draws the meshes (null entries passed by) in order, as Render on each
  // would, but binds the vertex buffer, format and world matrix again only
  // where they differ from the mesh before, and the textures only where any
  // stage's differs: a run of meshes over one shared buffer (InitRange) then
  // costs little more than its draws.
  static void RenderAll(const std::vector<DXMesh*>& meshes);

  // Writes the positions and, where given, normals and texture sets 0 and 1
  // (each as its own setter takes them) in one lock of the vertex buffer:
  // every lock waits until the device has caught up. A component given that
  // the layout lacks is reported, as by its setter, and left out.
  void SetVertexData(const float* xyz, const float* normals, const float* uv0, const float* uv1);

  // Scales the world matrix's output axes: column 0 by sx, 1 by sy, 2 by sz
  // (rotation rows only; the translation stays).
  void Scale(float sx, float sy, float sz);

  DWORD VertexFormat() const { return format; }
  UINT Stride() const { return stride; }
  bool HasIndexBuffer() const { return indexBuffer != nullptr; }
  // D3DFMT_INDEX16 or D3DFMT_INDEX32 (meaningful with an index buffer).
  D3DFORMAT IndexFormat() const { return indexFormat; }
  // Reads back `words` floats of every vertex from word `offset` of it
  // (position at 0, normal at 3, texture set k at TexCoordWord(k)); empty
  // when the buffer cannot be locked.
  std::vector<float> ReadVertexWords(int offset, int words) const;
  int TexCoordWord(int channel) const { return TexCoordOffset() + 2 * channel; }

 private:
  void ReleaseBuffers();
  // Render's steps: whether there is anything to draw (reporting an empty
  // mesh); binding the buffer, format or shader and world matrix; binding
  // the textures; the draw call.
  bool Drawable();
  void BindStream();
  void ApplyTextures();
  void Draw();
  // Brings the level buffer up to the levels made; false when it has none.
  bool UploadLevels();
  // Without a vertex shader or point sprites, which set more around a draw.
  bool Plain() const;
  // Whether this mesh draws with the stream bindings `previous` left.
  bool Continues(const DXMesh& previous) const;
  // Takes the flags and counts of `desc` and the vertex format and stride
  // they give, after releasing any buffers.
  void RecordLayout(const MeshDesc& desc);
  // The primitive type and an identity world matrix of a mesh made; E_OK.
  void Ready();
  // Locks the mesh's vertices in its buffer; null (after the entry the
  // caller names) when it cannot.
  BYTE* LockVertices(bool asResult);
  // Writes `words` floats a vertex from `values` at word `offset` of each.
  void WriteVertexWords(const float* values, int offset, int words, bool lockFailureAsResult);
  void CopyVertexWords(BYTE* data, const float* values, int offset, int words) const;
  // False, after the entry the setters write, when the layout has no place
  // for normals or for texture set `channel`.
  bool NormalsFit();
  bool TexCoordsFit(int channel);
  void WriteColours(const Colour* colours, int offset);
  int ColourOffset() const;      // word of the diffuse colour
  int TexCoordOffset() const;    // word of texture set 0
  int TexCoordSets() const;

  DXEngine* engine;
  IDirect3DDevice8* device;
  D3DPRIMITIVETYPE primitiveType;
  DWORD format;
  UINT stride;
  IDirect3DVertexBuffer8* vertexBuffer;
  UINT firstVertex;  // of the mesh in a shared buffer
  IDirect3DIndexBuffer8* indexBuffer;
  MeshDetail detail;
  IDirect3DIndexBuffer8* levelBuffer;
  uint32_t levelGeneration;  // the detail's generation the buffer holds
  D3DFORMAT indexFormat;
  bool indicesValid;
  bool hasWorld;
  D3DMATRIX world;
  VertexShader* shader;
};
