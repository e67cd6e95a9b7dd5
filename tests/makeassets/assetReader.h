#pragma once

// Reads the files makeassets writes, on its own terms: walks the 3DS chunk
// tree checking every size, and checks a bitmap's headers against its bytes.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Chunk {
  uint16_t tag = 0;
  uint32_t offset = 0, size = 0;
  std::vector<Chunk> children;
  const Chunk* Find(uint16_t childTag) const;
  std::vector<const Chunk*> All(uint16_t childTag) const;
};

struct Mesh3ds {
  std::string name;
  std::vector<std::array<float, 3>> positions;
  std::vector<std::array<float, 2>> uvs;
  std::vector<std::array<uint16_t, 3>> faces;
};

struct File3ds {
  Chunk root;
  uint32_t version = 0;
  std::string textureFile;  // of the material's texture map
  std::vector<Mesh3ds> meshes;
};

// Empty error on success; otherwise what is wrong with the file.
std::string Read3ds(const std::vector<uint8_t>& bytes, File3ds& out);

struct Bitmap {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // bottom row first, as stored
  const uint8_t* At(int x, int row) const { return &rgb[3 * (row * width + x)]; }
  // Nearest texel at texture coordinate (u, v), v = 0 the first stored row.
  const uint8_t* AtUv(float u, float v) const;
  std::array<double, 3> Average() const;
};

std::string ReadBmp(const std::vector<uint8_t>& bytes, Bitmap& out);

std::vector<uint8_t> ReadBytes(const std::string& path);
