#pragma once

#include <vector>

#include "core/baseModel.h"
#include "webglengine/webglMesh.h"

struct meshrec3ds;

// The WebGL model: the meshes built from a 3DS file or a plane, moved,
// scaled and drawn together, as the OpenGL model builds them. It owns its
// meshes. MD2, BSP and MilkShape files are not read on the web.
class WebGLModel : public BaseModel {
 public:
  WebGLModel() = default;
  ~WebGLModel() override;

  // A flat grid in the x-y plane facing +z, texture coordinates 0..1 on
  // channel 0 and 0..8 on channel 1; `channels` is not used. Height maps are
  // not supported: a plane given one is still built, flat.
  void CreatePlane(int columns, int rows, float width, float depth, int channels,
                   const float* heights) override;
  // One mesh per mesh object of the file; an object the toolkit refuses is
  // left out, the others load, and the status is an error.
  void Load3DS(const char* path) override;
  void AddMesh3ds(const meshrec3ds& record);
  // Report E_NOSUP.
  void LoadMD2(const char* path) override;
  void LoadBSP(const char* path) override;
  void LoadMS3D(const char* path) override;
  void Render() override;
  // Without animations: mesh 0 as it is.
  void RenderFrame(int animation, int frame) override;
  // Without animations: the model as it is.
  void Animate(int animation, float time) override;
  void SetTransform(float x, float y, float z, float a, float b, float c) override;
  void SetScale(float sx, float sy, float sz) override;

  int MeshCount() const { return static_cast<int>(meshes.size()); }
  WebGLMesh* MeshAt(int index) const { return meshes[static_cast<size_t>(index)]; }

 private:
  std::vector<WebGLMesh*> meshes;
  // Placing a model without meshes is warned about once: it happens every
  // frame, and the log would grow without end.
  bool warnedEmpty = false;
};
