// Real 3DS files of the assimp-testmodels package. Their counts were worked
// out by walking the files' chunks by hand; a small walk here checks them
// again independently of the toolkit. Skipped where the files are absent.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "toolkitTest.h"

namespace {
struct MeshCounts {
  std::string name;
  int vertices;
  int texcoords;
  int faces;
  bool operator==(const MeshCounts& o) const {
    return name == o.name && vertices == o.vertices && texcoords == o.texcoords && faces == o.faces;
  }
};

std::ostream& operator<<(std::ostream& out, const MeshCounts& m) {
  return out << m.name << " " << m.vertices << "/" << m.texcoords << "/" << m.faces;
}

struct RealFile {
  const char* path;  // below the models folder
  std::vector<MeshCounts> meshes;
};

std::vector<MeshCounts> Boxes(std::initializer_list<const char*> names, int vertices, int texcoords) {
  std::vector<MeshCounts> meshes;
  for (const char* name : names) meshes.push_back({name, vertices, texcoords, 12});
  return meshes;
}

const std::vector<RealFile>& RealFiles() {
  static const std::vector<RealFile> files = {
      {"3DS/CameraRollAnim.3ds", Boxes({"Box01"}, 26, 26)},
      {"3DS/CameraRollAnimWithChildObject.3ds", Boxes({"Box01", "Box02"}, 26, 26)},
      {"3DS/TargetCameraAnim.3ds", Boxes({"Box01"}, 26, 26)},
      {"3DS/RotatingCube.3DS", Boxes({"Box01"}, 26, 26)},
      {"3DS/cube_with_diffuse_texture.3DS", Boxes({"Quader01"}, 32, 32)},
      {"3DS/cube_with_specular_texture.3DS", Boxes({"Quader01"}, 32, 32)},
      {"3DS/cubes_with_alpha.3DS", Boxes({"Quader01", "Quader02", "Quader03", "Quader04", "Quader05"}, 26, 26)},
      {"3DS/test1.3ds",
       Boxes({"Box01", "Box02", "Box04", "Box05", "Box06", "Box07", "Box08", "Box09", "Box10"}, 32, 32)},
      {"3DS/fels.3ds", {{"Default", 386, 0, 768}}},
      {"3DS/testFormatDetection", {{"NoName1", 762, 0, 1368}}},
  };
  return files;
}

uint32_t Le(const std::string& d, size_t at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; i--) value = value << 8 | static_cast<uint8_t>(d[at + i]);
  return value;
}

// Objects are direct children of the scene; a mesh's counts are the first
// 16 bits of its vertex, texture coordinate and face chunks.
std::vector<MeshCounts> WalkMeshes(const std::string& d) {
  std::vector<MeshCounts> meshes;
  auto children = [&](size_t start, size_t end, auto&& visit) {
    for (size_t at = start; at + 6 <= end;) {
      const uint32_t size = Le(d, at + 2, 4);
      if (size < 6 || at + size > end) break;
      visit(Le(d, at, 2), at, at + size);
      at += size;
    }
  };
  children(6, d.size(), [&](uint32_t tag, size_t at, size_t end) {
    if (tag != 0x3D3D) return;
    children(at + 6, end, [&](uint32_t tag, size_t at, size_t end) {
      if (tag != 0x4000) return;
      const size_t nameStart = at + 6;
      const size_t nameEnd = d.find('\0', nameStart);
      MeshCounts mesh{d.substr(nameStart, nameEnd - nameStart), 0, 0, 0};
      bool isMesh = false;
      children(nameEnd + 1, end, [&](uint32_t tag, size_t at, size_t end) {
        if (tag != 0x4100) return;
        isMesh = true;
        children(at + 6, end, [&](uint32_t tag, size_t at, size_t) {
          const int count = static_cast<int>(Le(d, at + 6, 2));
          if (tag == 0x4110) mesh.vertices = count;
          if (tag == 0x4140) mesh.texcoords = count;
          if (tag == 0x4120) mesh.faces = count;
        });
      });
      if (isMesh) meshes.push_back(mesh);
    });
  });
  return meshes;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

class RealFiles3ds : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    folder = ModelsFolder();
    if (folder.empty()) GTEST_SKIP() << "assimp-testmodels is not reachable";
  }
  std::string folder;
};

TEST_F(RealFiles3ds, EveryMeshLoadsWithItsCounts) {
  for (const RealFile& real : RealFiles()) {
    SCOPED_TRACE(real.path);
    const std::string path = folder + real.path;
    EXPECT_EQ(WalkMeshes(ReadAll(path)), real.meshes);

    ErrorClear3ds();
    DatabaseRelease3ds(&db);
    FileClose3ds(file);
    LoadPath(path);
    EXPECT_EQ(DatabaseKind3ds(db), DB_MESH_FILE);
    namelist3ds* names = nullptr;
    MeshNames3ds(db, &names);
    ASSERT_NE(names, nullptr);
    std::vector<MeshCounts> loaded;
    for (uint32_t i = 0; i < names->count; i++) {
      meshrec3ds* mesh = nullptr;
      MeshRecordInit3ds(&mesh, 0, 0, 0);
      MeshByIndex3ds(db, static_cast<int>(i), &mesh);
      EXPECT_STREQ(mesh->name, names->names[i]);
      loaded.push_back({mesh->name, mesh->vertexCount, mesh->texCoordCount, mesh->faceCount});
      MeshRecordRelease3ds(&mesh);
    }
    NameListRelease3ds(&names);
    EXPECT_EQ(loaded, real.meshes);
    EXPECT_FALSE(ErrorRaised3ds()) << ErrorList3ds().entries[0].message;
  }
}

TEST_F(RealFiles3ds, ChildObjectNamesItsParentNode) {
  LoadPath(folder + "3DS/CameraRollAnimWithChildObject.3ds");
  ASSERT_FALSE(ErrorRaised3ds());
  // Box02 is the camera's child; no other node has a parent.
  std::vector<std::string> parents;
  for (chunknode3ds* node = SearchSubtree3ds(db->topchunk, 0xB000)->children; node != nullptr;
       node = node->sibling) {
    chunknode3ds* header = SearchSubtree3ds(node, TAG_NODE_HEADER);
    chunknode3ds* parent = header != nullptr ? SearchSubtree3ds(header, TAG_NODE_PARENT) : nullptr;
    if (parent != nullptr) parents.emplace_back(static_cast<const char*>(parent->data));
  }
  EXPECT_EQ(parents, std::vector<std::string>{"Camera01"});
}

TEST_F(RealFiles3ds, EmptyFileIsRefused) {
  LoadPath(folder + "invalid/empty.3ds");
  EXPECT_EQ(Errors(), (std::vector<int32_t>{ERR_READING_FILE, ERR_CREATING_DATABASE}));
}
