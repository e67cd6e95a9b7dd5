// Runs the modelinfo binary on good and bad files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bspBuilder.h"
#include "chunkBuilder.h"
#include "md2Builder.h"

using namespace build3ds;

namespace {
struct Outcome {
  int status;
  std::string out;
  std::string err;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Test cases may run side by side in one folder: outputs carry the case's name.
// `before` is shell text put before the command, such as a pipe into it.
Outcome Modelinfo(const std::string& arguments, const std::string& before = "") {
  const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::string out = name + ".out", err = name + ".err";
  const std::string command =
      before + "'" + MODELINFO_PATH + "' " + arguments + " >" + out + " 2>" + err;
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
}

int Lines(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  WriteAll(path, bytes.data(), bytes.size());
}

// Walks, then runs; the first frame's vertices decode to (x, z, -y) of the
// file's, moved by the translation.
TestMd2 WalkRunMd2() {
  TestMd2 md2({"walk01", "walk02", "run01", "run02", "run03"});
  md2.frames[0].translate[0] = 0.5f;
  md2.frames[0].translate[1] = 1.0f;
  md2.frames[0].vertices = {{1, 2, 3}, {4, 0, 6}, {0, 5, 1}};
  return md2;
}
const char kWalkRunJson[] =
    "{\"format\":\"md2\",\"frames\":5,\"vertices\":3,\"triangles\":2,\"texcoords\":3,"
    "\"animations\":[{\"name\":\"walk\",\"first\":0,\"last\":1},{\"name\":\"run\",\"first\":2,\"last\":3}],"
    "\"bbox\":[0.5,1,-6,4.5,6,-1]}\n";

// A skinned model whose names need escaping; no header comment, so the
// "Frames:" line after a comment marks it.
const char kMilkShape[] =
    "// exported\r\n"
    "\r\n"
    "Frames: 30\r\n"
    "Frame: 1\r\n"
    "Meshes: 2\r\n"
    "\"body \\1\" 0 0\r\n"
    "2\r\n"
    "0 1.0 2.0 3.0 0.25 0.75 -1\r\n"
    "0 5.0 1.0 0.0 0.0 0.0 1\r\n"
    "1\r\n"
    "0.0 1.0 0.0\r\n"
    "1\r\n"
    "0 0 1 1 0 0 0 1\r\n"
    "\"empty\" 0 -1\r\n"
    "0\r\n"
    "0\r\n"
    "0\r\n"
    "Materials: 1\r\n"
    "\"skin\"\r\n"
    "0.2 0.2 0.2 1.0\r\n"
    "0.8 0.7 0.6 1.0\r\n"
    "0.0 0.0 0.0 1.0\r\n"
    "0.0 0.0 0.0 1.0\r\n"
    "12.5\r\n"
    "1.0\r\n"
    "\"skin.bmp\"\r\n"
    "\"\"\r\n"
    "Bones: 2\r\n"
    "\"root\"\r\n"
    "\"\"\r\n"
    "8 10.0 0.0 0.0 0.0 0.0 1.5707963\r\n"
    "2\r\n"
    "1 0 0 0\r\n"
    "30 1 0 0\r\n"
    "0\r\n"
    "\"arm\"\r\n"
    "\"ROOT\"\r\n"
    "8 0.0 5.0 0.0 0.0 0.0 0.0\r\n"
    "0\r\n"
    "1\r\n"
    "1 0 0 0.5\r\n";
const char kMilkShapeJson[] =
    "{\"format\":\"ms3d\",\"frames\":30,\"meshes\":["
    "{\"name\":\"body \\\\1\",\"vertices\":2,\"normals\":1,\"triangles\":1,\"material\":0},"
    "{\"name\":\"empty\",\"vertices\":0,\"normals\":0,\"triangles\":0,\"material\":-1}],"
    "\"materials\":[{\"name\":\"skin\",\"colourMap\":\"skin.bmp\"}],"
    "\"bones\":[{\"name\":\"root\",\"parent\":\"\",\"positionKeys\":2,\"rotationKeys\":0},"
    "{\"name\":\"arm\",\"parent\":\"ROOT\",\"positionKeys\":0,\"rotationKeys\":1}]}\n";

// Vertices (1, 2, 3), (4, 5, 6), (7, 8, 9) are held y-up as (x, z, -y); the
// 100000-byte light map lump holds two whole maps.
const char kBspJson[] =
    "{\"format\":\"bsp\",\"vertices\":3,\"faces\":2,"
    "\"textures\":[\"textures/base/wall\",\"textures/base/floor\"],\"lightmaps\":2,"
    "\"bbox\":[1,3,-8,7,9,-2]}\n";
}  // namespace

TEST(Modelinfo, PrintsEveryMeshAsOneLineOfJson) {
  const std::string tri = Object("Tri", TriMesh(Vertices({{0.1f, 0, 0}, {1, 0, 0}, {0, 1.5f, -2}}) +
                                                TexCoords({{0, 0}, {1, 0}, {0, 1}}) + Faces({{0, 1, 2, 0}})));
  const std::string odd = MeshObject(std::string("q\"\\") + static_cast<char>(0xE9), {}, {});
  WriteFile("good.3ds", MeshFile(tri + Object("Lamp", Chunk(0x4600, std::string(12, '\0'))) + odd));
  const Outcome run = Modelinfo("good.3ds");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "{\"format\":\"3ds\",\"meshes\":["
            "{\"name\":\"Tri\",\"vertices\":3,\"texcoords\":3,\"faces\":1,\"bbox\":[0,0,-2,1,1.5,0]},"
            "{\"name\":\"q\\\"\\\\\\u00e9\",\"vertices\":0,\"texcoords\":0,\"faces\":0,\"bbox\":null}]}\n");
}

TEST(Modelinfo, RealFile) {
  const char* path = "/usr/share/assimp/models/3DS/fels.3ds";
  if (!std::ifstream(path).good()) GTEST_SKIP() << "assimp-testmodels is not installed";
  const Outcome run = Modelinfo(path);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("{\"format\":\"3ds\",\"meshes\":[{\"name\":\"Default\",\"vertices\":386,\"texcoords\":0,"
                          "\"faces\":768,\"bbox\":[",
                          0),
            0u)
      << run.out;
}

TEST(Modelinfo, RealMd2Files) {
  struct Expected {
    const char* path;
    const char* counts;
  } models[] = {
      {"/usr/share/assimp/models/MD2/faerie.md2",
       "\"frames\":198,\"vertices\":366,\"triangles\":654,\"texcoords\":487,"},
      {"/usr/share/assimp/models/MD2/sydney.md2",
       "\"frames\":198,\"vertices\":342,\"triangles\":679,\"texcoords\":456,"},
  };
  for (const Expected& model : models) {
    if (!std::ifstream(model.path).good()) GTEST_SKIP() << "assimp-testmodels is not installed";
    const Outcome run = Modelinfo(model.path);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind(std::string("{\"format\":\"md2\",") + model.counts +
                                "\"animations\":[{\"name\":\"stand\",\"first\":0,\"last\":39},"
                                "{\"name\":\"run",
                            0),
              0u)
        << run.out;
    EXPECT_NE(run.out.find("\"bbox\":[-"), std::string::npos) << run.out;
  }
}

TEST(Modelinfo, EachFormatIsToldByContentWhateverItsName) {
  WriteBytes("walkrun.bsp", WalkRunMd2().Build());
  WriteBytes("level.md2", TestBsp().Build());
  WriteFile("milkshape.3ds", kMilkShape);
  WriteFile("header.md2", "// MilkShape 3D ASCII\n\nMeshes: 0\n");
  WriteFile("tri.txt", MeshFile(MeshObject("Tri", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 0}})));
  // Damaged files show what their readers keep: the faces that name
  // vertices the object has, the records read before a broken one.
  WriteFile("badindex.3ds", MeshFile(MeshObject("Tri", {{0, 0, 0}}, {{0, 1, 2, 0}})));
  std::string shape = kMilkShape;
  WriteFile("shape.txt", shape.replace(shape.find("0.0 1.0 0.0"), 11, "0.0 1.0"));
  const std::pair<const char*, std::string> cases[] = {
      {"walkrun.bsp", kWalkRunJson},
      {"level.md2", kBspJson},
      {"milkshape.3ds", kMilkShapeJson},
      {"header.md2", "{\"format\":\"ms3d\",\"frames\":0,\"meshes\":[],\"materials\":[],\"bones\":[]}\n"},
      {"tri.txt",
       "{\"format\":\"3ds\",\"meshes\":[{\"name\":\"Tri\",\"vertices\":3,\"texcoords\":0,\"faces\":1,"
       "\"bbox\":[0,0,0,1,1,0]}]}\n"},
      {"badindex.3ds",
       "{\"format\":\"3ds\",\"meshes\":[{\"name\":\"Tri\",\"vertices\":1,\"texcoords\":0,\"faces\":0,"
       "\"bbox\":[0,0,0,0,0,0]}]}\n"},
      {"shape.txt",
       "{\"format\":\"ms3d\",\"frames\":30,\"meshes\":[{\"name\":\"body \\\\1\",\"vertices\":2,"
       "\"normals\":0,\"triangles\":0,\"material\":-1}],\"materials\":[],\"bones\":[]}\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = Modelinfo(c.first);
    EXPECT_EQ(run.status, 0) << c.first << ": " << run.err;
    EXPECT_EQ(run.out, c.second) << c.first;
  }
}

TEST(Modelinfo, BadFilesAreNamedOnOneLineAndExitWith1) {
  const std::string truncated = MeshFile(MeshObject("Tri", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 0}}));
  WriteFile("truncated.3ds", truncated.substr(0, truncated.size() - 10));
  WriteFile("empty.3ds", "");
  WriteFile("text.3ds", "this is not a model\n");
  WriteFile("zerosize.3ds", MeshFile(ChunkWithSize(0x4000, 0, "")));
  Bytes md2 = WalkRunMd2().Build();
  WriteBytes("cut.md2", Bytes(md2.begin(), md2.begin() + 40));
  PutI32(md2, kVersion, 7);
  WriteBytes("version7", md2);
  Bytes bsp = TestBsp().Build();
  PutI32(bsp, LumpEntry(kFaceLump) + 4, 1 << 30);
  WriteBytes("outside", bsp);
  std::string bones = kMilkShape;
  WriteFile("bones.txt", bones.replace(bones.find("\"ROOT\""), 6, "\"hip\""));
  WriteFile("notes.txt", "Frame: 1\nMeshes: 0\n");
  WriteFile("junk.md2", "this is not a model\n");
  const std::pair<const char*, const char*> cases[] = {
      {"missing.3ds", "cannot open"},         {"empty.3ds", "empty file"},
      {"text.3ds", "not a 3DS mesh file"},     {"truncated.3ds", "ERR_READING_FILE"},
      {"zerosize.3ds", "ERR_INVALID_CHUNK"},
      {".", "cannot read"},
      {"cut.md2", "Header cut short"},          {"version7", "Version not 8"},
      {"outside", "lump 13 lies outside the file"}, {"bones.txt", "could not link bones"},
      {"notes.txt", "not a 3DS, MD2, MilkShape 3D ASCII or Quake 3 BSP file"},
      {"junk.md2", "Header cut short"},
  };
  for (const auto& c : cases) {
    const Outcome run = Modelinfo(c.first);
    EXPECT_EQ(run.status, 1) << c.first;
    EXPECT_EQ(run.out, "") << c.first;
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_EQ(run.err.rfind(std::string("modelinfo: ") + c.first + ": ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.second), std::string::npos) << run.err;
  }
}

TEST(Modelinfo, BadUsageExitsWith2) {
  for (const char* arguments : {"", "a.3ds b.3ds", "--frames 3 a.3ds"}) {
    const Outcome run = Modelinfo(arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_NE(run.err.find("usage: modelinfo FILE"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

// A pipe can be read only once; endless or huge input is refused by its size.
TEST(Modelinfo, ReadsPipesOnceAndRefusesEndlessInput) {
  WriteFile("piped.3ds", MeshFile(MeshObject("Tri", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 0}})));
  const std::string json =
      "{\"format\":\"3ds\",\"meshes\":[{\"name\":\"Tri\",\"vertices\":3,\"texcoords\":0,\"faces\":1,"
      "\"bbox\":[0,0,0,1,1,0]}]}\n";
  const Outcome piped = Modelinfo("/dev/stdin", "cat piped.3ds | ");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.out, json);
  std::remove("fifo.3ds");
  ASSERT_EQ(mkfifo("fifo.3ds", 0600), 0);
  const Outcome fifo = Modelinfo("fifo.3ds", "cat piped.3ds >fifo.3ds & ");
  EXPECT_EQ(fifo.out, json) << fifo.err;

  std::ofstream("huge.md2").close();
  std::filesystem::resize_file("huge.md2", 300u << 20);
  for (const char* path : {"/dev/zero", "huge.md2"}) {
    const Outcome run = Modelinfo(path);
    EXPECT_EQ(run.status, 1) << path;
    EXPECT_EQ(run.err, std::string("modelinfo: ") + path + ": larger than 256 MiB, more than any model\n");
  }
  std::remove("huge.md2");
}

// Control characters in a name are escaped; a reader that names the file in
// its reason does not make the line name it twice.
TEST(Modelinfo, EachErrorIsOneLine) {
  WriteFile("two\nlines.md2", "this is not a model\n");
  const Outcome refused = Modelinfo("'two\nlines.md2'");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "modelinfo: two\\nlines.md2: Invalid file format (Header cut short)!\n");
  const Outcome bad = Modelinfo("--bogus a.3ds");
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(Lines(bad.err), 1) << bad.err;
  EXPECT_NE(bad.err.find("usage: modelinfo FILE"), std::string::npos) << bad.err;
}
