#pragma once

#include <memory>
#include <vector>

#include "core/baseModel.h"
#include "dxengine/dxMesh.h"

// The Direct3D 8 model: the meshes made from a 3DS file or a grid, drawn,
// placed and scaled together. The model owns its meshes. A 3DS object gets
// the normals of a sphere about the origin, and texture coordinates from
// them when the file has none for each vertex.
struct meshrec3ds;

class DXModel : public BaseModel {
 public:
  DXModel();
  ~DXModel() override;

  void CreatePlane(int columns, int rows, float width, float depth, int channels,
                   const float* heights) override;
  void Load3DS(const char* path) override;
  void LoadMD2(const char* path) override;
  void LoadBSP(const char* path) override;
  void LoadMS3D(const char* path) override;
  void Render() override;
  void RenderFrame(int animation, int frame) override;
  void Animate(int animation, float time) override;
  void SetTransform(float x, float y, float z, float a, float b, float c) override;
  void SetScale(float sx, float sy, float sz) override;

  int MeshCount() const { return static_cast<int>(meshes.size()); }
  DXMesh* GetMesh(int index) const { return meshes[index].get(); }

 private:
  // Makes a mesh of one 3DS object, unless none of its faces can be drawn.
  void AddMesh3ds(const meshrec3ds& record, const char* name);

  std::vector<std::unique_ptr<DXMesh>> meshes;
};
