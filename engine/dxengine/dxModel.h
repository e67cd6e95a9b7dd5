#pragma once

#include <memory>
#include <vector>

#include "core/baseModel.h"
#include "dxengine/dxMesh.h"
#include "dxengine/dxTexture.h"
#include "md2/md2Animation.h"

// The Direct3D 8 model: the meshes made from a 3DS, MD2, MilkShape ASCII or
// Quake 3 BSP file or a grid, drawn, placed and scaled together. The model
// owns its meshes, the textures it loads, an MD2 model's key frames and a
// MilkShape model's skeleton. A 3DS object gets the normals of a sphere
// about the origin, and texture coordinates from them when the file has none
// for each vertex.
//
// A MilkShape model keeps one mesh entry per mesh of the file so that
// animation finds each again; a mesh without triangles leaves its entry
// empty (null), and every operation over the meshes passes such entries by.
struct meshrec3ds;
struct Md2ModelData;
struct Q3Face;
class Model;
class Quake3Bsp;

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
  // Null for an empty entry.
  DXMesh* GetMesh(int index) const { return meshes[index].get(); }
  int AnimationCount() const { return md2.AnimationCount(); }
  // A BSP level's textures, one per texture name, and its light maps.
  int SurfaceTextureCount() const { return static_cast<int>(surfaceTextures.size()); }
  DXTexture* SurfaceTexture(int index) const { return surfaceTextures[index].get(); }
  int LightmapCount() const { return static_cast<int>(lightmaps.size()); }
  DXTexture* Lightmap(int index) const { return lightmaps[index].get(); }
  // A MilkShape model's textures, one per material.
  int MaterialTextureCount() const { return static_cast<int>(materialTextures.size()); }
  DXTexture* MaterialTexture(int index) const { return materialTextures[index].get(); }

 private:
  // Makes a mesh of one 3DS object, unless none of its faces can be drawn.
  void AddMesh3ds(const meshrec3ds& record, const char* name);
  // The first frame's mesh of a loaded MD2 model; false when it could not be
  // made.
  bool AddMd2Mesh(const Md2ModelData& data);
  void LoadBspTextures(const Quake3Bsp& level);
  void LoadLightmaps(Quake3Bsp& level);
  // The face's texture when it loaded, else null: the face is lit instead.
  DXTexture* DrawnTexture(const Q3Face& face) const;
  // Makes one mesh a face with vertices, in file order; false when they
  // could not be made.
  bool AddBspFaces(const Quake3Bsp& level, const char* path);
  void LoadMaterialTextures();
  // Makes the mesh of MilkShape mesh `index` at the current pose, or leaves
  // its entry empty when it has no triangles; false when it could not be
  // made.
  bool AddMs3dMesh(int index);
  // Moves mesh `index` to the skeleton's current pose.
  void PoseMs3dMesh(int index);
  // Writes one position a vertex from an array of the mesh's vertex count,
  // and as many normals when given them.
  static void SetPositions(DXMesh& mesh, const Vec3* positions, const Vec3* normals = nullptr);

  std::vector<std::unique_ptr<DXMesh>> meshes;
  std::vector<DXMesh*> drawn;  // Render's list, kept so a draw allocates nothing
  Md2Animations md2;
  std::vector<Vec3> md2Pose;  // the blended frame Animate draws
  std::vector<Vec3> md2PoseNormals;  // and its normals
  std::unique_ptr<Model> ms3d;
  std::vector<std::unique_ptr<DXTexture>> materialTextures;
  float lastAnimateTime;
  std::vector<std::unique_ptr<DXTexture>> surfaceTextures;
  std::vector<std::unique_ptr<DXTexture>> lightmaps;
};
