// Writes a small Quake 3 level for the model viewer's end-to-end test: a
// floor and two walls meeting in a corner, each with a texture of one
// colour and facing into the corner, and a face without vertices. Given a number of faces and of
// textures, writes instead a large level for timing the viewer's load: a
// floor of that many squares using 256 x 256 textures in turn, and eight
// light maps. Usage: writeTestLevel FOLDER [FACES TEXTURES]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bmpBuilder.h"
#include "bspBuilder.h"

namespace {
// An 8 x 8 bitmap of one colour.
std::vector<uint8_t> SolidBitmap(uint8_t red, uint8_t green, uint8_t blue) {
  BmpSpec spec;
  spec.width = spec.height = 8;
  for (int i = 0; i < 64; ++i) spec.pixels.insert(spec.pixels.end(), {blue, green, red});
  return BuildBmp(spec);
}

// A `size` x `size` bitmap of stripes in two colours, so that every mip
// level differs from the one above it.
std::vector<uint8_t> StripedBitmap(int size, int seed) {
  BmpSpec spec;
  spec.width = spec.height = size;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const uint8_t on = ((x + y + seed) / 4) % 2 ? 220 : 40;
      spec.pixels.insert(spec.pixels.end(), {on, static_cast<uint8_t>(seed * 37), on});
    }
  return BuildBmp(spec);
}

const float kUp[3] = {0, 0, 1};

// A square fan of four vertices from `corner` along the axes `a` and `b`,
// facing `normal` (file space, z up).
void AddSquare(TestBsp& level, const float corner[3], int a, int b, int texture,
               const float normal[3] = kUp, float side = 64.0f) {
  const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const int first = static_cast<int>(level.vertices.size());
  for (const auto& st : uv) {
    TestVertex vertex = {{corner[0], corner[1], corner[2], st[0], st[1], st[0], st[1], normal[0],
                          normal[1], normal[2]},
                         {255, 255, 255, 255}};
    vertex.values[a] += side * st[0];
    vertex.values[b] += side * st[1];
    level.vertices.push_back(vertex);
  }
  level.faces.push_back({texture, first, 4});
}

void WriteLargeLevel(const std::filesystem::path& folder, int faces, int textures) {
  TestBsp level;
  level.textures.clear();
  level.vertices.clear();
  level.faces.clear();
  level.lightmapLength = 8 * kLightmapBytes;
  for (int t = 0; t < textures; ++t) {
    const std::string name = "textures/test/large" + std::to_string(t);
    level.textures.push_back(name);
    const std::vector<uint8_t> bitmap = StripedBitmap(256, t);
    WriteAll((folder / (name + ".bmp")).string(), bitmap.data(), bitmap.size());
  }
  int row = 1;
  while (row * row < faces) ++row;
  for (int f = 0; f < faces; ++f) {
    const float corner[3] = {4.0f * (f % row), 4.0f * (f / row), 0.0f};
    AddSquare(level, corner, 0, 1, f % textures, kUp, 4.0f);
  }
  const Bytes bytes = level.Build();
  WriteAll((folder / "level.bsp").string(), bytes.data(), bytes.size());
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: writeTestLevel FOLDER [FACES TEXTURES]\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder / "textures" / "test");
  if (argc == 4) {
    const int faces = std::atoi(argv[2]), textures = std::atoi(argv[3]);
    if (faces < 1 || textures < 1) {
      std::fprintf(stderr, "writeTestLevel: FACES and TEXTURES must be positive\n");
      return 2;
    }
    WriteLargeLevel(folder, faces, textures);
    return 0;
  }
  TestBsp level;
  level.textures = {"textures/test/floor", "textures/test/wall", "textures/test/side"};
  level.vertices.clear();
  level.faces.clear();
  level.lightmapLength = kLightmapBytes;
  const float origin[3] = {0, 0, 0}, back[3] = {0, 64, 0};
  const float towardsFront[3] = {0, -1, 0}, towardsSide[3] = {1, 0, 0};
  AddSquare(level, origin, 0, 1, 0);                // floor, z = 0
  AddSquare(level, back, 0, 2, 1, towardsFront);    // wall, y = 64
  AddSquare(level, origin, 1, 2, 2, towardsSide);   // side, x = 0
  level.faces.push_back({0, 0, 0});
  const Bytes bytes = level.Build();
  WriteAll((folder / "level.bsp").string(), bytes.data(), bytes.size());
  const std::vector<uint8_t> colours[3] = {SolidBitmap(230, 30, 30), SolidBitmap(30, 200, 30),
                                           SolidBitmap(240, 220, 40)};
  const char* names[3] = {"floor", "wall", "side"};
  for (int i = 0; i < 3; ++i) {
    const std::string path = (folder / "textures" / "test" / (std::string(names[i]) + ".bmp")).string();
    WriteAll(path, colours[i].data(), colours[i].size());
  }
  return 0;
}
