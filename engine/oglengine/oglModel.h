#pragma once

#include <memory>
#include <vector>

#include "core/baseModel.h"
#include "md2/Md2.h"
#include "md2/md2Animation.h"
#include "ms3dtest/ms3d.h"
#include "oglengine/oglMesh.h"
#include "oglengine/oglTexture.h"
#include "q3bsp/Quake3Bsp.h"

struct meshrec3ds;

// The OpenGL model: the meshes built from a model file or a plane, moved,
// scaled and drawn together. It owns its meshes, the textures it creates and
// the reader data it keeps. Every model holds a whole level by value, so it
// is large: allocate it on the heap.
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
  // count differs). The toolkit drops faces that name a vertex outside their
  // object; an object it refuses is left out, the others load, and the
  // status is an error.
  void Load3DS(const char* path) override;
  // Builds one mesh from a 3DS mesh record and adds it to the model.
  void AddMesh3ds(const meshrec3ds& record);
  // One mesh of the first frame's triangle corners with their normals,
  // drawn in immediate mode, and every animation's key frames expanded for
  // RenderFrame and Animate. A file the reader refuses makes nothing. No
  // texture is attached.
  void LoadMD2(const char* path) override;
  // One triangle-fan mesh per face with the file's vertex normals and its
  // surface texture attached (none when the face names no texture of the
  // level), one texture per texture name ("name.bmp") and one per light map,
  // brightened and transposed.
  void LoadBSP(const char* path) override;
  // One mesh per MilkShape mesh that has triangles (an empty entry for the
  // others), posed by its bones, with its material's texture attached.
  void LoadMS3D(const char* path) override;
  void Render() override;
  // Mesh 0 at a key frame of an MD2 animation; without animations, mesh 0
  // as it is.
  void RenderFrame(int animation, int frame) override;
  // MD2 models blend between key frames, one time unit per animation cycle;
  // MilkShape models move their skeleton on by the time since the last call.
  // Other models are drawn as they are. The time is remembered.
  void Animate(int animation, float time) override;
  void SetTransform(float x, float y, float z, float a, float b, float c) override;
  void SetScale(float sx, float sy, float sz) override;

  int MeshCount() const { return static_cast<int>(meshes.size()); }
  OpenGLMesh* MeshAt(int index) const { return meshes[static_cast<size_t>(index)]; }
  using Textures = std::vector<std::unique_ptr<OpenGLTexture>>;
  // Per texture name of a level, per light map, per MilkShape material.
  const Textures& SurfaceTextures() const { return surfaceTextures; }
  const Textures& LightmapTextures() const { return lightmapTextures; }
  const Textures& MaterialTextures() const { return materialTextures; }

 private:
  // Arrays a face's vertices are copied into before they go to its mesh.
  struct FaceStaging {
    float* positions;
    float* normals;
    float* uv;
    float* lightmapUv;
  };
  OpenGLMesh* AddBspFace(const Q3Face& face, const char* path, const FaceStaging& staging);
  void AddLightmap(std::uint8_t* lightmap);
  bool AddMs3dMesh(int index);
  void AnimateMd2(int animation, float time);
  void AnimateMs3d(float time);

  std::vector<OpenGLMesh*> meshes;  // an entry may be empty
  float lastTime;
  // Placing a model without meshes is warned about once: it happens every
  // frame, and the log would grow without end.
  bool warnedEmpty = false;

  Md2ModelData md2;
  Md2Animations md2Frames;
  std::vector<Vec3> md2Blend;  // mesh 0's positions between two key frames
  std::vector<Vec3> md2BlendNormals;  // and their normals

  Quake3Bsp level;
  Textures surfaceTextures;
  Textures lightmapTextures;

  std::unique_ptr<Model> ms3d;
  Textures materialTextures;
};
