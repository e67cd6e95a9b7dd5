// Runs the modelinfo binary on good and bad files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "chunkBuilder.h"

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
Outcome Modelinfo(const std::string& arguments) {
  const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const std::string out = name + ".out", err = name + ".err";
  const std::string command = std::string("'") + MODELINFO_PATH + "' " + arguments + " >" + out + " 2>" + err;
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
}

int Lines(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}
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

TEST(Modelinfo, BadFilesAreNamedOnOneLineAndExitWith1) {
  const std::string truncated = MeshFile(MeshObject("Tri", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 0}}));
  WriteFile("truncated.3ds", truncated.substr(0, truncated.size() - 10));
  WriteFile("empty.3ds", "");
  WriteFile("text.3ds", "this is not a model\n");
  WriteFile("badindex.3ds", MeshFile(MeshObject("Tri", {{0, 0, 0}}, {{0, 1, 2, 0}})));
  WriteFile("zerosize.3ds", MeshFile(ChunkWithSize(0x4000, 0, "")));
  const std::pair<const char*, const char*> cases[] = {
      {"missing.3ds", "cannot open"},         {"empty.3ds", "empty file"},
      {"text.3ds", "not a 3DS mesh file"},     {"truncated.3ds", "ERR_READING_FILE"},
      {"badindex.3ds", "ERR_INVALID_CHUNK"},  {"zerosize.3ds", "ERR_INVALID_CHUNK"},
      {".", "ERR_READING_FILE"},
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
