// The OpenGL model's loaders for MD2, Quake 3 BSP and MilkShape 3D ASCII
// files, and the drawing of MD2 key frames and animated models.
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/log.h"
#include "md2/Md2.h"
#include "md2/md2Animation.h"
#include "ms3dtest/ms3dCorners.h"
#include "oglengine/oglModel.h"

namespace {

static_assert(sizeof(Vec3) == 3 * sizeof(float), "Vec3 arrays are float triples");
static_assert(sizeof(TexCoord) == 2 * sizeof(float), "TexCoord arrays are float pairs");

const float* Floats(const Vec3* values) { return reinterpret_cast<const float*>(values); }
const float* Floats(const TexCoord* values) { return reinterpret_cast<const float*>(values); }

// Triangles or a fan with normals, without colours or indices: drawn in
// immediate mode.
MeshDesc ImmediateDesc(PrimitiveType primitive, int32_t vertexCount, int textureChannels) {
  MeshDesc desc = {};
  desc.primitive = primitive;
  desc.hasNormals = true;
  for (int channel = 0; channel < textureChannels; ++channel) desc.texChannels[channel] = true;
  desc.vertexCount = vertexCount;
  return desc;
}

}  // namespace

void OpenGLModel::LoadMD2(const char* path) {
  Md2Loader loader;
  if (!loader.Load(md2, path, "rhino.bmp")) return;  // the data stays empty
  std::vector<Vec3> positions;
  std::vector<TexCoord> texCoords;
  Md2FirstFrameCorners(md2, positions, texCoords);
  std::vector<Vec3> normals(positions.size());
  if (!md2.objects.empty()) Md2ExpandFrameNormals(normals.data(), md2.objects[0], md2.objects[0]);
  LOG_TRACE("Loaded: %d vert, and %d texture crds", static_cast<int>(positions.size()),
            static_cast<int>(texCoords.size()));

  OpenGLMesh* mesh = new OpenGLMesh();
  meshes.push_back(mesh);
  mesh->Init(ImmediateDesc(PRIM_TRIANGLELIST, static_cast<int32_t>(positions.size()), 1));
  // A file without triangles has no corners to give.
  if (!positions.empty()) {
    mesh->SetVertices(Floats(positions.data()));
    mesh->SetNormals(Floats(normals.data()));
  }
  if (!texCoords.empty()) mesh->SetTextureCoords(Floats(texCoords.data()), 0);

  md2Frames.Build(md2);
  md2Blend.resize(static_cast<size_t>(md2Frames.CornerCount()));
  md2BlendNormals.resize(md2Blend.size());
}

void OpenGLModel::LoadBSP(const char* path) {
  if (!level.Load(path)) return;  // the level stays empty
  for (int i = 0; i < level.textureCount; ++i) {
    const std::string file = std::string(level.textureNames[i]) + ".bmp";
    LOG_TRACE("tname:%s", file.c_str());
    surfaceTextures.push_back(std::make_unique<OpenGLTexture>());
    surfaceTextures.back()->Init(file.c_str(), false);
  }
  for (int i = 0; i < level.lightmapCount; ++i)
    AddLightmap(&level.lightmaps[static_cast<size_t>(i) * Quake3Bsp::kLightmapBytes]);

  // Every face is staged in the same arrays; the reader refuses faces
  // larger than they are.
  const size_t staged = Quake3Bsp::kMaxFaceVertices;
  std::vector<float> positions(3 * staged), normals(3 * staged), uv(2 * staged),
      lightmapUv(2 * staged);
  for (const Q3Face& face : level.faces)
    meshes.push_back(AddBspFace(face, path, {positions.data(), normals.data(), uv.data(),
                                             lightmapUv.data()}));
}

// Brightens the level's light map in place and uploads it transposed.
void OpenGLModel::AddLightmap(std::uint8_t* lightmap) {
  const int size = Quake3Bsp::kLightmapSize;
  lightmapTextures.push_back(std::make_unique<OpenGLTexture>());
  OpenGLTexture& texture = *lightmapTextures.back();
  texture.Init(size, size, 32, false);
  uint32_t* pixels = static_cast<uint32_t*>(texture.Lock());
  if (!pixels) return;  // Init failed and said why
  AdjustLightmapGamma(lightmap, Quake3Bsp::kLightmapBytes, 10.0f);
  LightmapToPixels(lightmap, pixels, texture.Pitch(), true);
  texture.Unlock();
}

OpenGLMesh* OpenGLModel::AddBspFace(const Q3Face& face, const char* path,
                                    const FaceStaging& staging) {
  OpenGLMesh* mesh = new OpenGLMesh();
  mesh->name = std::string(path) + "-fan";
  mesh->Init(ImmediateDesc(PRIM_TRIANGLEFAN, face.vertexCount, 2));
  StageFaceVertices(level, face, staging.positions, staging.uv, staging.lightmapUv);
  StageFaceNormals(level, face, staging.normals);
  mesh->SetVertices(staging.positions);
  mesh->SetNormals(staging.normals);
  mesh->SetTextureCoords(staging.uv, 0);
  mesh->SetTextureCoords(staging.lightmapUv, 1);
  // The reader does not check the index: one outside the table gets nothing.
  if (face.textureIndex >= 0 && face.textureIndex < static_cast<int>(surfaceTextures.size()))
    mesh->SetTexture(surfaceTextures[static_cast<size_t>(face.textureIndex)].get(), 0);
  return mesh;
}

void OpenGLModel::LoadMS3D(const char* path) {
  ms3d = std::make_unique<Model>();
  ms3d->loadFromMs3dAsciiFile(path);  // a file it cannot read leaves it empty
  for (Ms3dMaterial& material : ms3d->materials) {
    // An empty colour map means the material has no texture.
    if (material.colourMap[0] == '\0') continue;
    materialTextures.push_back(std::make_unique<OpenGLTexture>());
    materialTextures.back()->Init(material.colourMap, false);
    material.texture = materialTextures.back().get();
  }
  meshes.assign(static_cast<size_t>(ms3d->meshCount), nullptr);
  for (int k = 0; k < ms3d->meshCount; ++k) {
    const int triangles = ms3d->meshes[static_cast<size_t>(k)].triangleCount;
    LOG_TRACE("shape:%d tris:%d", k, triangles);
    if (triangles > 0 && !AddMs3dMesh(k)) return;
  }
}

// Fills table entry `index` from MilkShape mesh `index`; false when out of
// memory, which ends the load.
bool OpenGLModel::AddMs3dMesh(int index) {
  const Ms3dMesh& shape = ms3d->meshes[static_cast<size_t>(index)];
  const size_t corners = 3 * static_cast<size_t>(shape.triangleCount);
  std::unique_ptr<Vec3[]> normals(new (std::nothrow) Vec3[corners]);
  if (!normals) {
    LOG_REPORT(this, E_NOMEM, "could not create normals");
    return false;
  }
  std::unique_ptr<Vec3[]> positions(new (std::nothrow) Vec3[corners]);
  if (!positions) {
    LOG_REPORT(this, E_NOMEM, "could not create vertexs");
    return false;
  }
  std::unique_ptr<TexCoord[]> uv(new (std::nothrow) TexCoord[corners]);
  if (!uv) {
    LOG_REPORT(this, E_NOMEM, "could not create texcoords");
    return false;
  }
  Ms3dCornerNormals(shape, normals.get());
  Ms3dCornerPositions(*ms3d, shape, positions.get());
  Ms3dCornerTexCoords(shape, false, uv.get());

  OpenGLMesh* mesh = new OpenGLMesh();
  meshes[static_cast<size_t>(index)] = mesh;
  mesh->Init(ImmediateDesc(PRIM_TRIANGLELIST, static_cast<int32_t>(corners), 1));
  LOG_TRACE("Setting values");
  mesh->SetVertices(Floats(positions.get()));
  mesh->SetTextureCoords(Floats(uv.get()), 0);
  mesh->SetNormals(Floats(normals.get()));
  const int material = ms3d->materialIndices[static_cast<size_t>(index)];
  if (material >= 0 && ms3d->materials[static_cast<size_t>(material)].texture)
    mesh->SetTexture(ms3d->materials[static_cast<size_t>(material)].texture, 0);
  LOG_TRACE("deleteing vectors (%u %u %u)", static_cast<unsigned>(corners * sizeof(Vec3)),
            static_cast<unsigned>(corners * sizeof(Vec3)),
            static_cast<unsigned>(corners * sizeof(TexCoord)));
  return true;
}

void OpenGLModel::RenderFrame(int animation, int frame) {
  if (meshes.empty() || !meshes[0]) return;
  if (const Vec3* corners = md2Frames.Frame(animation, frame)) {
    meshes[0]->SetVertices(Floats(corners));
    meshes[0]->SetNormals(Floats(md2Frames.FrameNormals(animation, frame)));
  }
  meshes[0]->Render();
}

void OpenGLModel::Animate(int animation, float time) {
  if (md2Frames.AnimationCount() > 0) {
    AnimateMd2(animation, time);
  } else if (ms3d) {
    AnimateMs3d(time);
  } else {
    Render();
    lastTime = time;
  }
}

void OpenGLModel::AnimateMd2(int animation, float time) {
  float cycleTime = 0.0f;
  md2Frames.Blend(animation, time, md2Blend.data(), &cycleTime, md2BlendNormals.data());
  meshes[0]->SetVertices(Floats(md2Blend.data()));
  meshes[0]->SetNormals(Floats(md2BlendNormals.data()));
  meshes[0]->Render();
  lastTime = cycleTime;
}

void OpenGLModel::AnimateMs3d(float time) {
  ms3d->advance(time - lastTime);
  for (size_t k = 0; k < meshes.size(); ++k) {
    if (!meshes[k]) continue;  // no triangles
    const Ms3dMesh& shape = ms3d->meshes[k];
    std::unique_ptr<Vec3[]> positions(new (std::nothrow)
                                          Vec3[3 * static_cast<size_t>(shape.triangleCount)]);
    if (!positions) {
      LOG_REPORT(this, E_NOMEM, "cant animate. vertex.");
      break;
    }
    Ms3dCornerPositions(*ms3d, shape, positions.get());
    meshes[k]->SetVertices(Floats(positions.get()));
  }
  Render();
  lastTime = time;
}
