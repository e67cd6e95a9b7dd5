#include "chunkBuilder.h"

#include <cstdio>
#include <cstring>

namespace build3ds {

std::string U8(uint8_t value) { return std::string(1, static_cast<char>(value)); }

std::string U16(uint16_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string U32(uint32_t value) {
  return U16(static_cast<uint16_t>(value & 0xFFFF)) + U16(static_cast<uint16_t>(value >> 16));
}

std::string F32(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return U32(bits);
}

std::string Str(const std::string& text) { return text + std::string(1, '\0'); }

std::string ChunkWithSize(uint16_t tag, uint32_t size, const std::string& payload) {
  return U16(tag) + U32(size) + payload;
}

std::string Chunk(uint16_t tag, const std::string& payload) {
  return ChunkWithSize(tag, static_cast<uint32_t>(payload.size() + 6), payload);
}

std::string Vertices(const std::vector<Point>& points) {
  std::string payload = U16(static_cast<uint16_t>(points.size()));
  for (const Point& p : points) payload += F32(p.x) + F32(p.y) + F32(p.z);
  return Chunk(0x4110, payload);
}

std::string TexCoords(const std::vector<std::pair<float, float>>& coords) {
  std::string payload = U16(static_cast<uint16_t>(coords.size()));
  for (const auto& uv : coords) payload += F32(uv.first) + F32(uv.second);
  return Chunk(0x4140, payload);
}

std::string Faces(const std::vector<Face>& faces, const std::string& children) {
  std::string payload = U16(static_cast<uint16_t>(faces.size()));
  for (const Face& f : faces) payload += U16(f.a) + U16(f.b) + U16(f.c) + U16(f.flags);
  return Chunk(0x4120, payload + children);
}

std::string FaceMaterial(const std::string& name, const std::vector<uint16_t>& faces) {
  std::string payload = Str(name) + U16(static_cast<uint16_t>(faces.size()));
  for (uint16_t f : faces) payload += U16(f);
  return Chunk(0x4130, payload);
}

std::string Object(const std::string& name, const std::string& children) {
  return Chunk(0x4000, Str(name) + children);
}

std::string TriMesh(const std::string& children) { return Chunk(0x4100, children); }

std::string MeshFile(const std::string& scene, const std::string& rest) {
  return Chunk(0x4D4D, Chunk(0x0002, U32(3)) + Chunk(0x3D3D, scene) + rest);
}

std::string MeshObject(const std::string& name, const std::vector<Point>& points,
                       const std::vector<Face>& faces) {
  return Object(name, TriMesh(Vertices(points) + Faces(faces)));
}

void WriteFile(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

}  // namespace build3ds
