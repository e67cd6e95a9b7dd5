#pragma once

#include <vector>

#include "core/baseModel.h"
#include "oglengine/oglMesh.h"

struct meshrec3ds;

// The OpenGL model: the meshes built from a model file or a plane, moved,
// scaled and drawn together. It owns its meshes.
class OpenGLModel : public BaseModel {
 public:
  OpenGLModel();
  ~OpenGLModel() override;

  // A flat grid in the x-y plane facing +z, texture coordinates 0..1 on
  // channel 0 and 0..8 on channel 1; `channels` is not used. Height maps are
  // not supported: a plane given one is still built, flat.
  void CreatePlane(int columns, int rows, float width, float depth, int channels,
                   const float* heights) override;
  // One mesh per mesh object of the file, with vertex normals and the file's
  // texture coordinates (or ones derived from the normals when the file's
  // count differs). Faces that name a vertex outside the object are left out.
  void Load3DS(const char* path) override;
  // Builds one mesh from a 3DS mesh record and adds it to the model.
  void AddMesh3ds(const meshrec3ds& record);
  void LoadMD2(const char* path) override;
  void LoadBSP(const char* path) override;
  void LoadMS3D(const char* path) override;
  void Render() override;
  // Without animations: draws mesh 0 as it is.
  void RenderFrame(int animation, int frame) override;
  // Without animations: draws the model and remembers the time.
  void Animate(int animation, float time) override;
  void SetTransform(float x, float y, float z, float a, float b, float c) override;
  void SetScale(float sx, float sy, float sz) override;

  int MeshCount() const { return static_cast<int>(meshes.size()); }
  OpenGLMesh* MeshAt(int index) const { return meshes[static_cast<size_t>(index)]; }

 private:
  std::vector<OpenGLMesh*> meshes;  // an entry may be empty
  float lastTime;
};
