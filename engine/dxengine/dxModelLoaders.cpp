// DXModel's loaders for MD2, Quake 3 BSP and MilkShape 3D ASCII files, and
// the posing that the animated forms of Animate share with them.

#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "core/log.h"
#include "dxengine/dxAllocate.h"
#include "dxengine/dxModel.h"
#include "md2/Md2.h"
#include "ms3dtest/ms3d.h"
#include "ms3dtest/ms3dCorners.h"
#include "q3bsp/Quake3Bsp.h"

namespace {

// Light maps are stored dark; this brings them up to a visible level.
const float kLightmapGamma = 10.0f;

// The floats of an array of packed float records (Vec3, TexCoord).
template <typename T>
const float* Floats(const T* records) {
  static_assert(sizeof(T) % sizeof(float) == 0, "packed floats");
  return reinterpret_cast<const float*>(records);
}

MeshDesc Description(PrimitiveType primitive, int vertices, int indices) {
  MeshDesc desc = {};
  desc.primitive = primitive;
  desc.vertexCount = vertices;
  desc.indexCount = indices;
  return desc;
}

// Initialises a new mesh; one that could not be made passes its message on
// to the model.
bool InitMesh(DXMesh& mesh, const MeshDesc& desc, EngineObject* model) {
  mesh.Init(desc);
  if (mesh.status == E_OK) return true;
  LOG_REPORT(model, E_ERROR, "%s", mesh.message.c_str());
  return false;
}

const char* PathText(const char* path) { return path ? path : "(null)"; }

}  // namespace

void DXModel::SetPositions(DXMesh& mesh, const Vec3* positions, const Vec3* normals) {
  mesh.SetVertexData(Floats(positions), normals ? Floats(normals) : nullptr, nullptr, nullptr);
}

void DXModel::LoadMD2(const char* path) {
  LogScope scope("DXModel::LoadMD2");
  Md2ModelData data;
  Md2Loader loader;
  if (!path || !loader.Load(data, path, "rhino.bmp")) {
    LOG_REPORT(this, E_ERROR, "Could not read MD2 model %s: %s", PathText(path),
               Log::Get()->LastError());
    return;
  }
  if (!AddMd2Mesh(data)) return;
  md2.Build(data);
  md2Pose.resize(static_cast<size_t>(md2.CornerCount()));
  md2PoseNormals.resize(md2Pose.size());
  SetStatus(E_OK, "Succesfully Loaded %s", path);
}

bool DXModel::AddMd2Mesh(const Md2ModelData& data) {
  std::vector<Vec3> positions;
  std::vector<TexCoord> texCoords;
  Md2FirstFrameCorners(data, positions, texCoords);
  const int corners = static_cast<int>(positions.size());
  if (corners == 0) {
    LOG_REPORT(this, E_ERROR, "The MD2 model has no triangles to draw");
    return false;
  }
  std::vector<Vec3> normals(positions.size());
  Md2ExpandFrameNormals(normals.data(), data.objects[0], data.objects[0]);
  auto indices = DXAllocate<int>(corners);
  if (!indices) {
    LOG_REPORT(this, E_NOMEM, "could not allocate memory for index list");
    return false;
  }
  std::iota(indices.get(), indices.get() + corners, 0);
  // Direct3D counts texture rows from the top, as the file does: the
  // reader's 1 - t goes back to t. Without coordinates in the file every
  // corner gets (0, 0).
  std::vector<float> coords(2 * static_cast<size_t>(corners), 0.0f);
  for (size_t i = 0; i < texCoords.size(); ++i) {
    coords[2 * i] = texCoords[i].u;
    coords[2 * i + 1] = 1.0f - texCoords[i].v;
  }

  auto mesh = std::make_unique<DXMesh>();
  MeshDesc desc = Description(PRIM_TRIANGLELIST, corners, corners);
  desc.hasNormals = true;
  desc.texChannels[0] = desc.texChannels[1] = true;
  if (!InitMesh(*mesh, desc, this)) return false;
  mesh->SetVertexData(Floats(positions.data()), Floats(normals.data()), coords.data(),
                      coords.data());
  mesh->SetIndices(indices.get());
  meshes.push_back(std::move(mesh));
  return true;
}

void DXModel::LoadBSP(const char* path) {
  LogScope scope("DXModel::LoadBSP");
  // The texture name table is large: kept off the stack.
  auto level = std::make_unique<Quake3Bsp>();
  if (!path || !level->Load(path)) {
    LOG_REPORT(this, E_ERROR, "Could not read BSP level %s: %s", PathText(path),
               Log::Get()->LastError());
    return;
  }
  LoadBspTextures(*level);
  LoadLightmaps(*level);
  if (!AddBspFaces(*level, path)) return;
  LOG_TRACE("%d trifan faces, %d tex, %d lightmaps", MeshCount(), level->textureCount,
            level->lightmapCount);
  SetStatus(E_OK, "Succesfully Loaded %s", path);
}

void DXModel::LoadBspTextures(const Quake3Bsp& level) {
  for (int t = 0; t < level.textureCount; ++t) {
    const std::string file = std::string(level.textureNames[t]) + ".bmp";
    auto texture = std::make_unique<DXTexture>();
    texture->Init(file.c_str(), true);
    texture->name = file + " : " + std::to_string(t);
    surfaceTextures.push_back(std::move(texture));
  }
}

void DXModel::LoadLightmaps(Quake3Bsp& level) {
  const int size = Quake3Bsp::kLightmapSize;
  for (int m = 0; m < level.lightmapCount; ++m) {
    std::uint8_t* texels =
        level.lightmaps.data() + static_cast<size_t>(m) * Quake3Bsp::kLightmapBytes;
    AdjustLightmapGamma(texels, Quake3Bsp::kLightmapBytes, kLightmapGamma);
    auto texture = std::make_unique<DXTexture>();
    texture->Init(size, size, 32, false);
    if (texture->status == E_OK) {
      if (auto* pixels = static_cast<std::uint32_t*>(texture->Lock())) {
        LightmapToPixels(texels, pixels, texture->Pitch(), false);
        texture->Unlock();
      }
    }
    lightmaps.push_back(std::move(texture));
  }
}

DXTexture* DXModel::DrawnTexture(const Q3Face& face) const {
  // The reader leaves the texture index unchecked.
  if (face.textureIndex < 0 || face.textureIndex >= SurfaceTextureCount()) return nullptr;
  DXTexture* texture = surfaceTextures[face.textureIndex].get();
  return texture->status == E_OK ? texture : nullptr;
}

bool DXModel::AddBspFaces(const Quake3Bsp& level, const char* path) {
  // Two layouts: coordinates only where there is a texture to look up;
  // normals, for lighting, only where there is none to show the surface.
  struct Staged {
    int vertices = 0;
    std::vector<float> positions, normals, coords, lightmapCoords;
    DXMesh whole;
  } staged[2];  // untextured, textured
  for (const Q3Face& face : level.faces)
    if (face.vertexCount > 0) staged[DrawnTexture(face) ? 1 : 0].vertices += face.vertexCount;
  for (Staged& layout : staged) {
    const size_t n = static_cast<size_t>(layout.vertices);
    layout.positions.resize(3 * n);
    if (&layout == &staged[0]) layout.normals.resize(3 * n);
    layout.coords.resize(2 * n);
    layout.lightmapCoords.resize(2 * n);
    layout.vertices = 0;  // counted again as the faces are staged
  }
  std::vector<int> firsts;
  for (const Q3Face& face : level.faces) {
    if (face.vertexCount <= 0) continue;
    const bool textured = DrawnTexture(face) != nullptr;
    Staged& layout = staged[textured ? 1 : 0];
    const size_t at = static_cast<size_t>(layout.vertices);
    StageFaceVertices(level, face, &layout.positions[3 * at], &layout.coords[2 * at],
                      &layout.lightmapCoords[2 * at]);
    if (!textured) StageFaceNormals(level, face, &layout.normals[3 * at]);
    firsts.push_back(layout.vertices);
    layout.vertices += face.vertexCount;
  }

  // The faces share one vertex buffer a layout, written in one lock each:
  // every lock waits until the device has caught up.
  for (int textured = 0; textured < 2; ++textured) {
    Staged& layout = staged[textured];
    if (layout.vertices == 0) continue;
    MeshDesc desc = Description(PRIM_TRIANGLEFAN, layout.vertices, 0);
    desc.texChannels[0] = desc.texChannels[1] = textured;
    desc.hasNormals = !textured;
    if (!InitMesh(layout.whole, desc, this)) return false;
    if (textured)
      layout.whole.SetVertexData(layout.positions.data(), nullptr, layout.coords.data(),
                                 layout.lightmapCoords.data());
    else
      layout.whole.SetVertexData(layout.positions.data(), layout.normals.data(), nullptr, nullptr);
  }

  size_t next = 0;
  for (const Q3Face& face : level.faces) {
    if (face.vertexCount <= 0) continue;
    DXTexture* texture = DrawnTexture(face);
    auto mesh = std::make_unique<DXMesh>();
    mesh->name = std::string(path) + "-fan";
    mesh->InitRange(staged[texture ? 1 : 0].whole, firsts[next++], face.vertexCount,
                    PRIM_TRIANGLEFAN);
    if (mesh->status != E_OK) {
      LOG_REPORT(this, E_ERROR, "%s", mesh->message.c_str());
      return false;
    }
    if (texture) mesh->SetTexture(texture, 0);
    meshes.push_back(std::move(mesh));
  }
  return true;
}

void DXModel::LoadMS3D(const char* path) {
  LogScope scope("DXModel::LoadMS3D");
  LOG_TRACE("trying..%s", PathText(path));
  auto model = std::make_unique<Model>();
  if (!path || !model->loadFromMs3dAsciiFile(path)) {
    LOG_REPORT(this, E_ERROR, "Could not open %s", PathText(path));
    return;
  }
  LOG_TRACE("Loaded ms3d file");
  ms3d = std::move(model);
  LoadMaterialTextures();
  LOG_TRACE("Loaded textures");
  for (int k = 0; k < ms3d->meshCount; ++k)
    if (!AddMs3dMesh(k)) return;
  SetStatus(E_OK, "Succesfully Loaded %s", path);
}

void DXModel::LoadMaterialTextures() {
  for (Ms3dMaterial& material : ms3d->materials) {
    // An empty colour map means the material has no texture.
    if (material.colourMap[0] == '\0') continue;
    auto texture = std::make_unique<DXTexture>();
    texture->Init(material.colourMap, false);
    material.texture = texture.get();
    materialTextures.push_back(std::move(texture));
  }
}

bool DXModel::AddMs3dMesh(int index) {
  const Ms3dMesh& source = ms3d->meshes[index];
  const int corners = 3 * source.triangleCount;
  LOG_TRACE("shape:%d tris:%d", index, source.triangleCount);
  if (corners == 0) {
    meshes.emplace_back();
    return true;
  }
  std::vector<Vec3> positions(static_cast<size_t>(corners));
  std::vector<Vec3> normals(static_cast<size_t>(corners));
  std::vector<TexCoord> coords(static_cast<size_t>(corners));
  std::vector<int> indices(static_cast<size_t>(corners));
  Ms3dCornerPositions(*ms3d, source, positions.data());
  Ms3dCornerNormals(source, normals.data());
  // The file's v already counts from the top, as Direct3D does.
  Ms3dCornerTexCoords(source, true, coords.data());
  std::iota(indices.begin(), indices.end(), 0);

  auto mesh = std::make_unique<DXMesh>();
  MeshDesc desc = Description(PRIM_TRIANGLELIST, corners, corners);
  desc.hasNormals = true;
  desc.texChannels[0] = true;
  if (!InitMesh(*mesh, desc, this)) return false;
  mesh->SetVertexData(Floats(positions.data()), Floats(normals.data()), Floats(coords.data()),
                      nullptr);
  mesh->SetIndices(indices.data());
  // A texture that failed to load would leave whatever the stage last held.
  const int material = ms3d->materialIndices[index];
  Texture* texture = material >= 0 ? ms3d->materials[material].texture : nullptr;
  if (texture && texture->status == E_OK) mesh->SetTexture(texture, 0);
  meshes.push_back(std::move(mesh));
  return true;
}

void DXModel::PoseMs3dMesh(int index) {
  const Ms3dMesh& source = ms3d->meshes[index];
  auto positions = DXAllocate<Vec3>(3 * static_cast<size_t>(source.triangleCount));
  if (!positions) {
    LOG_REPORT(this, E_NOMEM, "Not enough memory to animate ms3d : vertex (nt:%d) k:%d",
               source.triangleCount, index);
    return;
  }
  Ms3dCornerPositions(*ms3d, source, positions.get());
  SetPositions(*meshes[index], positions.get());
}
