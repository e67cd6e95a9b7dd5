#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/engineObject.h"
#include "core/log.h"
#include "core/vec3.h"
#include "support/tempDir.h"

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

namespace {
const char kBegin[] = "----------------LOG BEGIN------------------\n";
const char kEnd[] = "----------------LOG END------------------\n";

class LogTest : public ::testing::Test {
 protected:
  LogTest() : dir_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
  ~LogTest() override {
    Log::Close();
  }
  std::string LogText() const { return ReadFileText(dir_.path() / "Log.txt"); }
  // Text after the BEGIN line.
  std::string Entries() const { return LogText().substr(sizeof kBegin - 1); }

  ScopedWorkDir dir_;
};

std::string Hex(const void* p) {
  char text[32];
  std::snprintf(text, sizeof text, "%llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  return text;
}
}  // namespace

TEST_F(LogTest, FirstUseAppendsBeginAfterEarlierRunsAndCloseWritesEnd) {
  {
    FILE* earlier = std::fopen("Log.txt", "w");
    ASSERT_NE(earlier, nullptr);
    std::fputs("earlier run\n", earlier);
    std::fclose(earlier);
  }
  Log::Get()->Write("plain %d", 42);
  Log::Close();
  EXPECT_EQ(LogText(), std::string("earlier run\n") + kBegin + "plain 42\n" + kEnd);
  // A second Get after Close starts a new block.
  Log::Get();
  EXPECT_EQ(LogText(), std::string("earlier run\n") + kBegin + "plain 42\n" + kEnd + kBegin);
}

TEST_F(LogTest, WarningAndErrorCarrySourceAndCallPath) {
  Log* log = Log::Get();
  log->line = 12;
  log->SetFile("x.cpp");
  log->Warning("no stack %s", "here");
  {
    LogScope outer("DXMesh::Init");
    LogScope inner("DXMesh::Fill");
    log->line = 99;
    log->SetFile("mesh.cpp");
    log->Error("bad %d%%", 5);
  }
  EXPECT_EQ(Entries(),
            "WARNING [x.cpp:12] no stack here\n"
            "ERROR [mesh.cpp:99] DXMesh::Init->DXMesh::Fill->bad 5%\n");
  EXPECT_STREQ(log->CallPath(), "");
}

TEST_F(LogTest, MacrosRecordTheCallSite) {
  const int line = __LINE__ + 1;
  LOG_WARNING("from %s", "here");
  EXPECT_EQ(Entries(), "WARNING [tests/core/log_test.cpp:" + std::to_string(line) + "] from here\n");
}

TEST_F(LogTest, ReportWritesResultLineAndSetsStatus) {
  EngineObject object;
  EngineObject parent;
  object.parent = &parent;
  {
    LogScope scope("DXEngine::WinInit");
    Log* log = Log::Get();
    log->SetSource(7, "dxEngine.cpp", &object);
    log->result = E_ERROR;
    log->Report("Could not create window");
  }
  EXPECT_EQ(Entries(), "E:ERROR  [dxEngine.cpp:7] (0x" + Hex(&object) +
                           ":Unkown)DXEngine::WinInit-> Could not create window\n");
  EXPECT_EQ(object.status, E_ERROR);
  EXPECT_EQ(object.message, "Could not create window");
  EXPECT_EQ(parent.status, E_ERROR);
  EXPECT_EQ(parent.message, "Could not create window");
}

TEST_F(LogTest, ReportColumnTextsAndPercentInMessage) {
  EngineObject object;
  object.name = "";
  const EngineResult codes[] = {E_OK, E_ERROR, E_UNINIT, E_NOMEM, E_NOSUP, 7, -1};
  for (EngineResult code : codes) LOG_REPORT(&object, code, "%s", "100% sure");
  const std::string text = Entries();
  for (const char* column : {"E:OK     [", "E:ERROR  [", "E:UNINIT [", "E:NOMEM  [", "E:NOSUP  ["})
    EXPECT_THAT(text, HasSubstr(column));
  size_t unknown = 0;
  for (size_t at = text.find("E:UNKOWN ["); at != std::string::npos; at = text.find("E:UNKOWN [", at + 1))
    ++unknown;
  EXPECT_EQ(unknown, 2u);  // 7 and -1
  EXPECT_THAT(text, HasSubstr(":) 100% sure\n"));  // empty name
  EXPECT_EQ(object.status, -1);
  EXPECT_EQ(object.message, "100% sure");
}

TEST_F(LogTest, ReportCutsLongMessagesAndKeepsStatusWhenFileCannotOpen) {
  EngineObject object;
  const std::string longText(5000, 'x');
  LOG_REPORT(&object, E_NOMEM, "%s", longText.c_str());
  EXPECT_EQ(object.message, std::string(4095, 'x'));
  EXPECT_EQ(object.status, E_NOMEM);

  // A folder where the log file should be: the entry is dropped, the status kept.
  Log::Get();
  std::filesystem::remove(dir_.path() / "Log.txt");
  std::filesystem::create_directory(dir_.path() / "Log.txt");
  LOG_REPORT(&object, E_ERROR, "lost");
  EXPECT_EQ(object.status, E_NOMEM);
  Log::Close();
  std::filesystem::remove(dir_.path() / "Log.txt");
}

TEST_F(LogTest, CallPathHoldsSevenNamesAndLeaveStopsAtZero) {
  Log* log = Log::Get();
  std::vector<LogScope*> scopes;
  for (int i = 1; i <= 8; ++i) scopes.push_back(new LogScope(("S" + std::to_string(i)).c_str()));
  EXPECT_EQ(log->Depth(), 7);
  EXPECT_STREQ(log->CallPath(), "S1->S2->S3->S4->S5->S6->S7->");
  EXPECT_EQ(Entries(), "ERROR: SubLevel Limit (7) Reached\n");
  // The eighth scope's Leave still pops a name: the path is one short.
  delete scopes.back();
  scopes.pop_back();
  EXPECT_STREQ(log->CallPath(), "S1->S2->S3->S4->S5->S6->");
  while (!scopes.empty()) {
    delete scopes.back();
    scopes.pop_back();
  }
  log->Leave();
  EXPECT_EQ(log->Depth(), 0);
  EXPECT_STREQ(log->CallPath(), "");
}

TEST_F(LogTest, LongScopeNamesAreCutAt255) {
  const std::string name(300, 'n');
  LogScope scope(name.c_str());
  EXPECT_EQ(std::string(Log::Get()->CallPath()), std::string(255, 'n') + "->");
}

TEST_F(LogTest, TraceWritesNothingAndVectorsArePlainLines) {
  Log::Get();
  const std::string before = LogText();
  LOG_TRACE("0x%x is eating(tru).", 5u);
  EXPECT_EQ(LogText(), before);
  LogVector(Vec3(1.5f, -0.25f, 1e-7f));
  EXPECT_EQ(Entries(), "1.5 -0.25 1e-07\n");
}

TEST(EngineObjectTest, StatusChangesReachTheParentOnly) {
  EngineObject grandparent, parent, child;
  parent.parent = &grandparent;
  child.parent = &parent;
  EXPECT_EQ(child.name, "Unkown");
  EXPECT_EQ(child.status, E_UNINIT);
  EXPECT_EQ(child.message, "");

  child.SetStatus(E_ERROR, "failed %d", 3);
  EXPECT_EQ(parent.status, E_ERROR);
  EXPECT_EQ(parent.message, "failed 3");
  EXPECT_EQ(grandparent.status, E_UNINIT);  // TakeStatus does not pass it on

  child.SetStatus(E_OK);
  EXPECT_EQ(child.message, "failed 3");
  EXPECT_EQ(parent.status, E_OK);

  child.SetStatus(E_OK, "%s", std::string(5000, 'y').c_str());
  EXPECT_EQ(child.message.size(), 4095u);
}
