#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds 3DS files byte by byte for the tests, the benchmark and the seed
// corpus. A chunk is its 6-byte header followed by its payload; the size in
// the header can be given explicitly to make malformed files.
namespace build3ds {

std::string U8(uint8_t value);
std::string U16(uint16_t value);
std::string U32(uint32_t value);
std::string F32(float value);
// The text with its zero terminator.
std::string Str(const std::string& text);

std::string Chunk(uint16_t tag, const std::string& payload);
std::string ChunkWithSize(uint16_t tag, uint32_t size, const std::string& payload);

struct Point {
  float x, y, z;
};
struct Face {
  uint16_t a, b, c, flags;
};

std::string Vertices(const std::vector<Point>& points);
std::string TexCoords(const std::vector<std::pair<float, float>>& coords);
// The face list followed by its sub-chunks (material groups, smoothing, box map).
std::string Faces(const std::vector<Face>& faces, const std::string& children = "");
std::string FaceMaterial(const std::string& name, const std::vector<uint16_t>& faces);
std::string Object(const std::string& name, const std::string& children);
std::string TriMesh(const std::string& children);
// A mesh file: version chunk, then the scene holding `scene`, then `rest`.
std::string MeshFile(const std::string& scene, const std::string& rest = "");
// A mesh object of the given vertices and faces.
std::string MeshObject(const std::string& name, const std::vector<Point>& points,
                       const std::vector<Face>& faces);

void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace build3ds
