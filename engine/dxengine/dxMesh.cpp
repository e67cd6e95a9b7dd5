#include "dxengine/dxMesh.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/log.h"
#include "core/texture.h"
#include "dxengine/dxEngine.h"
#include "dxengine/dxUtil.h"
#include "dxengine/dxVertexShader.h"

namespace {

DWORD FloatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

D3DPRIMITIVETYPE PrimitiveFor(int32_t kind) {
  switch (kind) {
    case PRIM_LINELIST: return D3DPT_LINELIST;
    case PRIM_LINESTRIP: return D3DPT_LINESTRIP;
    case PRIM_TRIANGLESTRIP: return D3DPT_TRIANGLESTRIP;
    case PRIM_TRIANGLEFAN: return D3DPT_TRIANGLEFAN;
    case PRIM_TRIANGLELIST: return D3DPT_TRIANGLELIST;
    default: return D3DPT_POINTLIST;  // points and point sprites
  }
}

void SetPointSprites(IDirect3DDevice8* device, bool on) {
  device->SetRenderState(D3DRS_POINTSPRITEENABLE, on);
  device->SetRenderState(D3DRS_POINTSCALEENABLE, on);
}

}  // namespace

DXMesh::DXMesh()
    : engine(DXEngine::Current()),
      device(engine ? engine->Device() : nullptr),
      primitiveType(D3DPT_POINTLIST),
      format(0),
      stride(0),
      vertexBuffer(nullptr),
      firstVertex(0),
      indexBuffer(nullptr),
      levelBuffer(nullptr),
      levelGeneration(0),
      indexFormat(D3DFMT_INDEX16),
      indicesValid(false),
      hasWorld(false),
      world(),
      shader(nullptr) {}

DXMesh::~DXMesh() {
  ReleaseBuffers();
  for (Texture*& texture : textures) texture = nullptr;
}

void DXMesh::ReleaseBuffers() {
  if (vertexBuffer) vertexBuffer->Release();
  if (indexBuffer) indexBuffer->Release();
  if (levelBuffer) levelBuffer->Release();
  vertexBuffer = nullptr;
  indexBuffer = nullptr;
  levelBuffer = nullptr;
  firstVertex = 0;
  indicesValid = false;
}

int DXMesh::TexCoordSets() const {
  if (texChannels[2]) return 3;
  if (texChannels[1]) return 2;
  if (texChannels[0]) return 1;
  return 0;
}

int DXMesh::ColourOffset() const { return hasNormals ? 6 : 3; }

int DXMesh::TexCoordOffset() const {
  return ColourOffset() + (hasDiffuse ? 1 : 0) + (hasSpecular ? 1 : 0);
}

void DXMesh::RecordLayout(const MeshDesc& desc) {
  ReleaseBuffers();
  primitive = desc.primitive;
  hasNormals = desc.hasNormals;
  hasDiffuse = desc.hasDiffuse;
  hasSpecular = desc.hasSpecular;
  for (int i = 0; i < kTextureStages; ++i) texChannels[i] = desc.texChannels[i];
  vertexCount = desc.vertexCount;
  indexCount = desc.indexCount;
  detail.Init(primitive == PRIM_TRIANGLELIST && indexCount > 0, vertexCount, indexCount);

  static const DWORD kTexSets[] = {D3DFVF_TEX0, D3DFVF_TEX1, D3DFVF_TEX2, D3DFVF_TEX3};
  format = D3DFVF_XYZ | kTexSets[TexCoordSets()];
  stride = 12 + 8 * TexCoordSets();
  if (hasNormals) format |= D3DFVF_NORMAL, stride += 12;
  if (hasDiffuse) format |= D3DFVF_DIFFUSE, stride += 4;
  if (hasSpecular) format |= D3DFVF_SPECULAR, stride += 4;
}

void DXMesh::Ready() {
  primitiveType = PrimitiveFor(primitive);
  world = D3DMATRIX();
  world._11 = world._22 = world._33 = world._44 = 1.0f;
  hasWorld = true;
  SetStatus(E_OK);
}

void DXMesh::Init(MeshDesc desc) {
  LogScope scope("DXMesh::Init");
  RecordLayout(desc);

  if (!device) {
    LOG_REPORT(this, E_ERROR, "No Direct3D device");
    return;
  }
  if (vertexCount < 0 || indexCount < 0 ||
      static_cast<unsigned>(vertexCount) > UINT_MAX / stride ||
      static_cast<unsigned>(indexCount) > UINT_MAX / 4) {
    LOG_REPORT(this, E_ERROR, "Invalid mesh size: %d vertices, %d indices", vertexCount, indexCount);
    return;
  }

  // 16-bit indices reach 65536 vertices; beyond that only 32-bit ones can
  // address them, where the device has them.
  indexFormat = D3DFMT_INDEX16;
  if (indexCount > 0 && vertexCount > 0x10000) {
    D3DCAPS8 caps;
    if (FAILED(device->GetDeviceCaps(&caps)) ||
        caps.MaxVertexIndex < static_cast<DWORD>(vertexCount - 1)) {
      LOG_REPORT(this, E_ERROR, "Too many vertices (%d) for the device's indices", vertexCount);
      return;
    }
    indexFormat = D3DFMT_INDEX32;
  }

  DWORD usage = D3DUSAGE_WRITEONLY;
  if (primitive == PRIM_POINTSPRITE) usage |= D3DUSAGE_POINTS;
  HRESULT hr = device->CreateVertexBuffer(vertexCount * stride, usage, format, D3DPOOL_MANAGED,
                                          &vertexBuffer);
  if (FAILED(hr)) {
    vertexBuffer = nullptr;
    LOG_REPORT(this, E_ERROR, "Could not construct custom vertex buffer hr:0x%lx",
               static_cast<unsigned long>(hr));
    return;
  }

  if (indexCount != 0) {
    const UINT indexSize = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
    hr = device->CreateIndexBuffer(indexCount * indexSize, D3DUSAGE_WRITEONLY, indexFormat,
                                   D3DPOOL_MANAGED, &indexBuffer);
    if (FAILED(hr)) {
      indexBuffer = nullptr;
      LOG_REPORT(this, E_ERROR, "Could not construct index array hr:0x%lx",
                 static_cast<unsigned long>(hr));
      return;
    }
    BYTE* data = nullptr;
    if (FAILED(indexBuffer->Lock(0, 0, &data, 0))) {
      LOG_REPORT(this, E_ERROR, "Could not lock newly created indicies");
      return;
    }
    indexBuffer->Unlock();
  }
  Ready();
}

void DXMesh::InitRange(const DXMesh& whole, int first, int count, int32_t kind) {
  LogScope scope("DXMesh::InitRange");
  MeshDesc desc = {};
  desc.primitive = kind;
  desc.hasNormals = whole.hasNormals;
  desc.hasDiffuse = whole.hasDiffuse;
  desc.hasSpecular = whole.hasSpecular;
  for (int i = 0; i < kTextureStages; ++i) desc.texChannels[i] = whole.texChannels[i];
  desc.vertexCount = count;
  RecordLayout(desc);
  if (!whole.vertexBuffer || first < 0 || count < 0 || first > whole.vertexCount - count) {
    LOG_REPORT(this, E_ERROR, "No vertices %d to %d in the shared buffer", first, first + count);
    return;
  }
  vertexBuffer = whole.vertexBuffer;
  vertexBuffer->AddRef();
  firstVertex = static_cast<UINT>(first);
  Ready();
}

BYTE* DXMesh::LockVertices(bool asResult) {
  if (!vertexBuffer) return nullptr;
  BYTE* data = nullptr;
  const HRESULT hr = vertexBuffer->Lock(firstVertex * stride, vertexCount * stride, &data, 0);
  if (FAILED(hr)) {
    if (asResult)
      LOG_REPORT(this, E_ERROR, "Could not lock custom vertex buffer hr:0x%lx",
                 static_cast<unsigned long>(hr));
    else
      LOG_ERROR("Could not lock custom vertex buffer hr:0x%lx", static_cast<unsigned long>(hr));
    return nullptr;
  }
  return data;
}

void DXMesh::CopyVertexWords(BYTE* data, const float* values, int offset, int words) const {
  for (int i = 0; i < vertexCount; ++i)
    std::memcpy(data + static_cast<size_t>(i) * stride + offset * 4, values + i * words, words * 4);
}

void DXMesh::WriteVertexWords(const float* values, int offset, int words,
                              bool lockFailureAsResult) {
  BYTE* data = LockVertices(lockFailureAsResult);
  if (!data) return;
  CopyVertexWords(data, values, offset, words);
  vertexBuffer->Unlock();
}

void DXMesh::SetVertexData(const float* xyz, const float* normals, const float* uv0,
                           const float* uv1) {
  if (normals && !NormalsFit()) normals = nullptr;
  if (uv0 && !TexCoordsFit(0)) uv0 = nullptr;
  if (uv1 && !TexCoordsFit(1)) uv1 = nullptr;
  BYTE* data = LockVertices(true);
  if (!data) return;
  CopyVertexWords(data, xyz, 0, 3);
  detail.SetPositions(xyz);
  if (normals) CopyVertexWords(data, normals, 3, 3);
  if (uv0) CopyVertexWords(data, uv0, TexCoordWord(0), 2);
  if (uv1) CopyVertexWords(data, uv1, TexCoordWord(1), 2);
  vertexBuffer->Unlock();
}

bool DXMesh::NormalsFit() {
  if (hasNormals) return true;
  LOG_REPORT(this, E_ERROR, "No normals set in the vertex type!");
  return false;
}

bool DXMesh::TexCoordsFit(int channel) {
  // Only the first three channels have a place in the vertex.
  if (channel >= 0 && channel < TexCoordSets() && texChannels[channel]) return true;
  LOG_REPORT(this, E_ERROR, "No texture coordinates set in the vertex type!");
  return false;
}

void DXMesh::WriteColours(const Colour* colours, int offset) {
  BYTE* data = LockVertices(true);
  if (!data) return;
  for (int i = 0; i < vertexCount; ++i) {
    Colour colour = colours[i];
    colour.Pack();
    std::memcpy(data + static_cast<size_t>(i) * stride + offset * 4, &colour.argb, 4);
  }
  vertexBuffer->Unlock();
}

std::vector<float> DXMesh::ReadVertexWords(int offset, int words) const {
  std::vector<float> values;
  BYTE* data = nullptr;
  if (!vertexBuffer || FAILED(vertexBuffer->Lock(firstVertex * stride, vertexCount * stride,
                                                 &data, D3DLOCK_READONLY)))
    return values;
  values.resize(static_cast<size_t>(vertexCount) * words);
  for (int i = 0; i < vertexCount; ++i)
    std::memcpy(&values[static_cast<size_t>(i) * words],
                data + static_cast<size_t>(i) * stride + offset * 4, words * 4);
  vertexBuffer->Unlock();
  return values;
}

void DXMesh::SetVertices(const float* xyz) {
  WriteVertexWords(xyz, 0, 3, false);
  detail.SetPositions(xyz);
}

void DXMesh::SetNormals(const float* xyz) {
  if (NormalsFit()) WriteVertexWords(xyz, 3, 3, false);
}

void DXMesh::SetDiffuse(const Colour* colours) {
  if (!hasDiffuse) {
    LOG_REPORT(this, E_ERROR, "No diffuse colours set in the vertex type!");
    return;
  }
  WriteColours(colours, ColourOffset());
}

void DXMesh::SetSpecular(const Colour* colours) {
  if (!hasSpecular) {
    LOG_REPORT(this, E_ERROR, "No specular colours set in the vertex type!");
    return;
  }
  WriteColours(colours, ColourOffset() + (hasDiffuse ? 1 : 0));
}

void DXMesh::SetTextureCoords(const float* uv, int channel) {
  if (TexCoordsFit(channel)) WriteVertexWords(uv, TexCoordWord(channel), 2, true);
}

void DXMesh::SetIndices(const int* indices) {
  if (!indexBuffer) return;
  BYTE* data = nullptr;
  if (FAILED(indexBuffer->Lock(0, 0, &data, 0))) {
    LOG_REPORT(this, E_ERROR, "Could not lock newly created indicies");
    return;
  }
  int outside = 0;
  std::vector<uint32_t> kept(static_cast<size_t>(indexCount));
  for (int i = 0; i < indexCount; ++i) {
    DWORD stored;
    if (indexFormat == D3DFMT_INDEX32) {
      stored = static_cast<DWORD>(indices[i]);
      std::memcpy(data + 4 * i, &stored, 4);
    } else {
      const WORD low = static_cast<WORD>(indices[i]);
      std::memcpy(data + 2 * i, &low, 2);
      stored = low;
    }
    if (stored >= static_cast<DWORD>(vertexCount)) ++outside;
    kept[i] = stored;
  }
  indexBuffer->Unlock();
  indicesValid = outside == 0;
  if (indicesValid) detail.SetIndices(kept.data());
  if (outside)
    LOG_REPORT(this, E_ERROR, "%d indices point past the %d vertices; the mesh is not drawn",
               outside, vertexCount);
}

void DXMesh::SetTransform(float x, float y, float z, float a, float b, float c) {
  if (!hasWorld) {
    SetStatus(E_ERROR);
    return;
  }
  TransformMatrix(x, y, z, a, b, c, &world.m[0][0]);
}

void DXMesh::Scale(float sx, float sy, float sz) {
  ScaleMatrix(&world.m[0][0], sx, sy, sz);
  world._44 = 1.0f;
}

void DXMesh::SetVertexShader(VertexShader* vertexShader) { shader = vertexShader; }

bool DXMesh::Drawable() {
  if (vertexCount == 0) {
    LOG_REPORT(this, E_ERROR, "nVerts==0!");
    return false;
  }
  // A mesh whose Init or SetIndices failed has reported why and draws nothing.
  return vertexBuffer && !(primitiveType == D3DPT_TRIANGLELIST && indexBuffer && !indicesValid);
}

void DXMesh::BindStream() {
  HRESULT hr = device->SetStreamSource(0, vertexBuffer, stride);
  if (FAILED(hr))
    LOG_REPORT(this, E_ERROR, "SetStreamSource:0x%lx, %s", static_cast<unsigned long>(hr),
               DXErrorName(hr));

  if (shader && engine) {
    D3DMATRIX matrix;
    D3DXMatrixMultiply(&matrix, &world, &engine->View());
    D3DXMatrixMultiply(&matrix, &matrix, &engine->Projection());
    D3DXMatrixTranspose(&matrix, &matrix);
    device->SetVertexShaderConstant(0, &matrix, 4);
    if (D3DXMatrixInverse(&matrix, nullptr, &world)) device->SetVertexShaderConstant(4, &matrix, 4);
    shader->Apply();
  } else {
    hr = device->SetVertexShader(format);
    if (FAILED(hr))
      LOG_REPORT(this, E_ERROR, "SetVertexShader:0x%lx, %s", static_cast<unsigned long>(hr),
                 DXErrorName(hr));
  }

  hr = device->SetTransform(D3DTS_WORLD, &world);
  if (FAILED(hr))
    LOG_REPORT(this, E_ERROR, "SetTransform:0x%lx, %s", static_cast<unsigned long>(hr),
               DXErrorName(hr));
}

void DXMesh::ApplyTextures() {
  for (int stage = 0; stage < kTextureStages; ++stage)
    if (textures[stage]) textures[stage]->Apply(stage, TOP_MODULATE, ADDRESS_WRAP);
}

void DXMesh::Draw() {
  int count = 0;
  switch (primitiveType) {
    case D3DPT_LINELIST: count = vertexCount / 2; break;
    case D3DPT_LINESTRIP: count = vertexCount - 1; break;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: count = vertexCount - 2; break;
    case D3DPT_TRIANGLELIST: count = indexBuffer ? indexCount / 3 : vertexCount / 3; break;
    default: count = vertexCount; break;
  }
  // Too few vertices for one primitive: nothing to draw.
  if (count <= 0) return;
  const DetailChoice choice =
      primitiveType == D3DPT_TRIANGLELIST && indexBuffer ? detail.Choose(&world.m[0][0])
                                                         : DetailChoice();
  if (engine && engine == DXEngine::Current() && engine->Device() == device) {
    // A vertex shader places the vertices its own way. Faces are left out
    // only where the whole mesh closes: a mesh is one draw.
    const CullMode cull =
        engine->Culling().ForDraw(!shader && choice.whole ? choice.hidden : CULL_NONE);
    if (engine->Culling().Switch(cull)) engine->PutCullModeInForce(cull);
  }
  HRESULT hr;
  if (primitiveType == D3DPT_TRIANGLELIST && indexBuffer) {
    int level = choice.level;
    if (level && !UploadLevels()) level = 0;
    IDirect3DIndexBuffer8* const indices = level ? levelBuffer : indexBuffer;
    if (FAILED(device->SetIndices(indices, firstVertex)))
      LOG_REPORT(this, E_ERROR, "SetIndices failed");
    const UINT start = level ? static_cast<UINT>(detail.LevelStart(level)) : 0;
    if (level) count = static_cast<int>(detail.LevelCount(level) / 3);
    hr = device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount, start, count);
  } else {
    if (primitiveType == D3DPT_TRIANGLELIST) LOG_TRACE("No Index Buffer! (did you want this?)");
    hr = device->DrawPrimitive(primitiveType, firstVertex, count);
  }
  if (FAILED(hr))
    LOG_REPORT(this, E_ERROR, "DrawPrimitiveFailed hr=0x%lx [%d] (%s)",
               static_cast<unsigned long>(hr), static_cast<int>(hr & 0xFFFF), DXErrorName(hr));
}

bool DXMesh::UploadLevels() {
  if (levelGeneration == detail.Generation()) return levelBuffer != nullptr;
  if (levelBuffer) levelBuffer->Release();
  levelBuffer = nullptr;
  levelGeneration = detail.Generation();
  // Every level after another in one buffer of the mesh's index format.
  const UINT total = static_cast<UINT>(detail.LevelIndices().size());
  const UINT indexSize = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
  BYTE* data = nullptr;
  if (total == 0 ||
      FAILED(device->CreateIndexBuffer(total * indexSize, D3DUSAGE_WRITEONLY, indexFormat,
                                       D3DPOOL_MANAGED, &levelBuffer)) ||
      FAILED(levelBuffer->Lock(0, 0, &data, 0))) {
    // The mesh goes on drawing whole, as it did before.
    if (levelBuffer) levelBuffer->Release();
    levelBuffer = nullptr;
    return false;
  }
  for (uint32_t index : detail.LevelIndices()) {
    if (indexSize == 4) {
      std::memcpy(data, &index, 4);
    } else {
      const WORD low = static_cast<WORD>(index);
      std::memcpy(data, &low, 2);
    }
    data += indexSize;
  }
  levelBuffer->Unlock();
  return true;
}

void DXMesh::Render() {
  if (!Drawable()) return;
  const bool sprites = primitive == PRIM_POINTSPRITE;
  if (sprites) {
    SetPointSprites(device, true);
    device->SetRenderState(D3DRS_POINTSIZE, FloatBits(0.05f));
    device->SetRenderState(D3DRS_POINTSIZE_MIN, FloatBits(0.0f));
    device->SetRenderState(D3DRS_POINTSIZE_MAX, FloatBits(64.0f));
    device->SetRenderState(D3DRS_POINTSCALE_A, FloatBits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_B, FloatBits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_C, FloatBits(1.0f));
  }
  BindStream();
  ApplyTextures();
  Draw();
  if (sprites) SetPointSprites(device, false);
  device->SetStreamSource(0, nullptr, 0);
}

bool DXMesh::Plain() const { return !shader && primitive != PRIM_POINTSPRITE; }

bool DXMesh::Continues(const DXMesh& previous) const {
  return Plain() && previous.Plain() && vertexBuffer == previous.vertexBuffer &&
         stride == previous.stride && format == previous.format &&
         std::memcmp(&world, &previous.world, sizeof world) == 0;
}

void DXMesh::RenderAll(const std::vector<DXMesh*>& meshes) {
  const DXMesh* previous = nullptr;  // drawn last, its stream still bound
  for (DXMesh* mesh : meshes) {
    if (!mesh || !mesh->Drawable()) continue;
    if (previous && mesh->Continues(*previous)) {
      if (!std::equal(mesh->textures, mesh->textures + kTextureStages, previous->textures))
        mesh->ApplyTextures();
      mesh->Draw();
      previous = mesh;
      continue;
    }
    if (previous) previous->device->SetStreamSource(0, nullptr, 0);
    previous = nullptr;
    if (!mesh->Plain()) {
      mesh->Render();  // shaders and point sprites set more around their draw
      continue;
    }
    mesh->BindStream();
    mesh->ApplyTextures();
    mesh->Draw();
    previous = mesh;
  }
  if (previous) previous->device->SetStreamSource(0, nullptr, 0);
}
