#include "makeassets/assetReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16;
}
float F32(const std::vector<uint8_t>& b, size_t at) {
  const uint32_t bits = U32(b, at);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

class Reader3ds {
 public:
  explicit Reader3ds(const std::vector<uint8_t>& bytes) : b_(bytes) {}

  // Reads the chunk at `at`, which must end by `limit`, and its sub-chunks.
  bool ReadChunk(uint32_t at, uint32_t limit, Chunk& chunk) {
    if (at + 6 > limit) return Fail("chunk header past its parent's end");
    chunk.tag = U16(b_, at);
    chunk.offset = at;
    chunk.size = U32(b_, at + 2);
    if (chunk.size < 6 || chunk.size > limit - at) return Fail("chunk " + Hex(chunk.tag) + " has a bad size");
    uint32_t data = at + 6;
    const uint32_t end = at + chunk.size;
    switch (chunk.tag) {
      case 0x4D4D: case 0x3D3D: case 0x4100: case 0xAFFF: case 0xA020: case 0xA200:
        break;  // containers
      case 0x0002:
        data += 4;
        break;
      case 0x4000: {  // a name, then sub-chunks
        const auto* zero = std::find(&b_[data], &b_[0] + end, 0);
        if (zero == &b_[0] + end) return Fail("object name without terminator");
        data = static_cast<uint32_t>(zero - &b_[0]) + 1;
        break;
      }
      case 0x4120:
        if (end - data < 2) return Fail("short face list");
        data += 2 + 8 * U16(b_, data);
        if (data > end) return Fail("face list longer than its chunk");
        break;
      default:
        return true;  // a leaf
    }
    while (data < end) {
      chunk.children.emplace_back();
      if (!ReadChunk(data, end, chunk.children.back())) return false;
      data += chunk.children.back().size;
    }
    return true;
  }

  bool ReadMesh(const Chunk& object, Mesh3ds& mesh) {
    mesh.name = reinterpret_cast<const char*>(&b_[object.offset + 6]);
    const Chunk* trimesh = object.Find(0x4100);
    if (!trimesh) return Fail("object " + mesh.name + " has no triangle mesh");
    const Chunk* vertices = trimesh->Find(0x4110);
    const Chunk* uvs = trimesh->Find(0x4140);
    const Chunk* faces = trimesh->Find(0x4120);
    if (!vertices || !uvs || !faces) return Fail("mesh " + mesh.name + " lacks vertices, mapping or faces");
    const uint32_t nv = U16(b_, vertices->offset + 6);
    if (vertices->size != 8 + 12 * nv) return Fail("vertex count does not match the chunk size");
    for (uint32_t i = 0; i < nv; ++i) {
      const size_t at = vertices->offset + 8 + 12 * i;
      mesh.positions.push_back({F32(b_, at), F32(b_, at + 4), F32(b_, at + 8)});
    }
    const uint32_t nt = U16(b_, uvs->offset + 6);
    if (uvs->size != 8 + 8 * nt) return Fail("mapping count does not match the chunk size");
    for (uint32_t i = 0; i < nt; ++i) {
      const size_t at = uvs->offset + 8 + 8 * i;
      mesh.uvs.push_back({F32(b_, at), F32(b_, at + 4)});
    }
    const uint32_t nf = U16(b_, faces->offset + 6);
    for (uint32_t i = 0; i < nf; ++i) {
      const size_t at = faces->offset + 8 + 8 * i;
      mesh.faces.push_back({U16(b_, at), U16(b_, at + 2), U16(b_, at + 4)});
    }
    return true;
  }

  std::string TextureName(const Chunk& editor) {
    const Chunk* material = editor.Find(0xAFFF);
    const Chunk* map = material ? material->Find(0xA200) : nullptr;
    const Chunk* name = map ? map->Find(0xA300) : nullptr;
    return name ? std::string(reinterpret_cast<const char*>(&b_[name->offset + 6])) : "";
  }

  uint32_t U32At(uint32_t at) const { return U32(b_, at); }
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& why) {
    error_ = why;
    return false;
  }
  static std::string Hex(uint16_t tag) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", tag);
    return text;
  }

  const std::vector<uint8_t>& b_;
  std::string error_;
};
}  // namespace

const Chunk* Chunk::Find(uint16_t childTag) const {
  for (const Chunk& c : children)
    if (c.tag == childTag) return &c;
  return nullptr;
}

std::vector<const Chunk*> Chunk::All(uint16_t childTag) const {
  std::vector<const Chunk*> found;
  for (const Chunk& c : children)
    if (c.tag == childTag) found.push_back(&c);
  return found;
}

std::string Read3ds(const std::vector<uint8_t>& bytes, File3ds& out) {
  Reader3ds reader(bytes);
  if (bytes.size() < 6) return "file too short";
  if (!reader.ReadChunk(0, static_cast<uint32_t>(bytes.size()), out.root)) return reader.Error();
  if (out.root.tag != 0x4D4D) return "root is not a main chunk";
  if (out.root.size != bytes.size()) return "main chunk does not span the file";
  const Chunk* version = out.root.Find(0x0002);
  const Chunk* editor = out.root.Find(0x3D3D);
  if (!version || !editor) return "no version or no editor chunk";
  out.version = reader.U32At(version->offset + 6);
  out.textureFile = reader.TextureName(*editor);
  for (const Chunk* object : editor->All(0x4000)) {
    out.meshes.emplace_back();
    if (!reader.ReadMesh(*object, out.meshes.back())) return reader.Error();
  }
  return "";
}

const uint8_t* Bitmap::AtUv(float u, float v) const {
  const int x = std::clamp(static_cast<int>(u * width), 0, width - 1);
  const int row = std::clamp(static_cast<int>(v * height), 0, height - 1);
  return At(x, row);
}

std::array<double, 3> Bitmap::Average() const {
  std::array<double, 3> sum{0, 0, 0};
  for (size_t i = 0; i < rgb.size(); ++i) sum[i % 3] += rgb[i];
  for (double& s : sum) s /= static_cast<double>(width) * height;
  return sum;
}

std::string ReadBmp(const std::vector<uint8_t>& b, Bitmap& out) {
  if (b.size() < 54) return "shorter than its headers";
  if (U16(b, 0) != 0x4D42) return "no BM signature";
  if (U32(b, 2) != b.size()) return "file header's size is not the file's";
  const uint32_t offset = U32(b, 10);
  if (U32(b, 14) != 40) return "not a 40-byte info header";
  out.width = static_cast<int32_t>(U32(b, 18));
  out.height = static_cast<int32_t>(U32(b, 22));
  if (out.width <= 0 || out.height <= 0) return "not a bottom-up bitmap of positive size";
  if (U16(b, 26) != 1 || U16(b, 28) != 24 || U32(b, 30) != 0) return "not uncompressed 24-bit";
  const uint32_t stride = (3 * out.width + 3) / 4 * 4;
  if (U32(b, 34) != stride * out.height) return "image size field disagrees with the rows";
  if (offset + static_cast<size_t>(stride) * out.height != b.size()) return "pixel data does not end the file";
  for (int row = 0; row < out.height; ++row)
    for (int x = 0; x < out.width; ++x)
      for (int c = 2; c >= 0; --c) out.rgb.push_back(b[offset + row * stride + 3 * x + c]);
  return "";
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
