#include "makeassets/writer3ds.h"

#include <cstring>
#include <string>

namespace {
enum : uint16_t {
  kMain = 0x4D4D,
  kVersion = 0x0002,
  kColour24 = 0x0011,
  kPercent = 0x0030,
  kMasterScale = 0x0100,
  kEditor = 0x3D3D,
  kMeshVersion = 0x3D3E,
  kObject = 0x4000,
  kTriangleMesh = 0x4100,
  kVertexList = 0x4110,
  kFaceList = 0x4120,
  kFaceMaterial = 0x4130,
  kMappingCoords = 0x4140,
  kSmoothing = 0x4150,
  kLocalAxes = 0x4160,
  kMaterialName = 0xA000,
  kDiffuse = 0xA020,
  kTextureMap = 0xA200,
  kMapFileName = 0xA300,
  kMaterial = 0xAFFF,
};

// Builds nested chunks: Begin writes a header whose size End fills in once
// the chunk's data and sub-chunks are written.
class ChunkWriter {
 public:
  void Begin(uint16_t tag) {
    open_.push_back(bytes_.size());
    U16(tag);
    U32(0);
  }
  void End() {
    const size_t start = open_.back();
    open_.pop_back();
    const uint32_t size = static_cast<uint32_t>(bytes_.size() - start);
    for (int i = 0; i < 4; ++i) bytes_[start + 2 + i] = static_cast<uint8_t>(size >> (8 * i));
  }
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  void F32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    U32(bits);
  }
  void String(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    U8(0);
  }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<size_t> open_;
};

void WriteMaterial(ChunkWriter& w, const Model& model) {
  w.Begin(kMaterial);
  w.Begin(kMaterialName);
  w.String(model.materialName);
  w.End();
  w.Begin(kDiffuse);  // white, so the texture shows as painted
  w.Begin(kColour24);
  w.U8(255);
  w.U8(255);
  w.U8(255);
  w.End();
  w.End();
  w.Begin(kTextureMap);
  w.Begin(kPercent);
  w.U16(100);
  w.End();
  w.Begin(kMapFileName);
  w.String(model.textureFile);
  w.End();
  w.End();
  w.End();
}

void WriteObject(ChunkWriter& w, const MeshObject& mesh, const std::string& material) {
  w.Begin(kObject);
  w.String(mesh.name);
  w.Begin(kTriangleMesh);

  w.Begin(kVertexList);
  w.U16(static_cast<uint16_t>(mesh.positions.size()));
  for (const Vec3& p : mesh.positions) {
    w.F32(p.x);
    w.F32(p.y);
    w.F32(p.z);
  }
  w.End();

  w.Begin(kMappingCoords);
  w.U16(static_cast<uint16_t>(mesh.uvs.size()));
  for (const TexCoord& t : mesh.uvs) {
    w.F32(t.u);
    w.F32(t.v);
  }
  w.End();

  // The vertices are stored in the object's own frame: identity axes at the
  // origin.
  w.Begin(kLocalAxes);
  const float axes[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  for (float f : axes) w.F32(f);
  w.End();

  w.Begin(kFaceList);
  const uint16_t faceCount = static_cast<uint16_t>(mesh.faces.size());
  w.U16(faceCount);
  for (const MeshObject::Face& f : mesh.faces) {
    w.U16(f.a);
    w.U16(f.b);
    w.U16(f.c);
    w.U16(0x0007);  // edges a-b, b-c, c-a visible
  }
  w.Begin(kFaceMaterial);
  w.String(material);
  w.U16(faceCount);
  for (uint16_t i = 0; i < faceCount; ++i) w.U16(i);
  w.End();
  w.Begin(kSmoothing);  // one smooth surface per object
  for (uint16_t i = 0; i < faceCount; ++i) w.U32(1);
  w.End();
  w.End();

  w.End();
  w.End();
}
}  // namespace

std::vector<uint8_t> Encode3ds(const Model& model) {
  ChunkWriter w;
  w.Begin(kMain);
  w.Begin(kVersion);
  w.U32(3);
  w.End();
  w.Begin(kEditor);
  w.Begin(kMeshVersion);
  w.U32(3);
  w.End();
  WriteMaterial(w, model);
  w.Begin(kMasterScale);
  w.F32(1.0f);
  w.End();
  for (const MeshObject& mesh : model.objects) WriteObject(w, mesh, model.materialName);
  w.End();
  w.End();
  return w.Take();
}
