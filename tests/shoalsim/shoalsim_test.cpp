// Runs the shoalsim binary as a user would and checks what it writes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/tempDir.h"

using ::testing::HasSubstr;

namespace {
struct SimResult {
  int status;
  std::string err;
  std::string out;
};

class ShoalsimTest : public ::testing::Test {
 protected:
  ShoalsimTest() : dir_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

  SimResult Sim(const std::string& args) {
    const std::string command = std::string(SHOALSIM_PATH) + " " + args + " >stdout.txt 2>stderr.txt";
    const int raw = std::system(command.c_str());
    return {WEXITSTATUS(raw), ReadFileText("stderr.txt"), ReadFileText("stdout.txt")};
  }

  ScopedWorkDir dir_;
};
}  // namespace

TEST_F(ShoalsimTest, TraceLinesHaveTheDocumentedShape) {
  const SimResult run = Sim("--min-food 3 --min-fish1 2 --min-fish2 1 --min-fish3 1 --frames 4 "
                      "--trace-every 2 --trace t.jsonl");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = ReadFileLines("t.jsonl");
  ASSERT_EQ(lines.size(), 3u);  // frames 0, 2, 4
  const std::string number = R"(-?[0-9.]+(e[-+][0-9]+)?)";
  const std::string fish = "\\[(" + number + ",){5}[01],[01],[01](,[0-9]{1,3}){5}\\]";
  const std::string food = "\\[" + number + "," + number + "," + number + "\\]";
  const std::regex shape("\\{\"frame\":[0-9]+,\"simTime\":" + number + ",\"food\":\\[(" + food +
                         "(," + food + ")*)?\\],\"fish1\":\\[(" + fish + "(," + fish +
                         ")*)?\\],\"fish2\":\\[(" + fish + "(," + fish + ")*)?\\],\"fish3\":\\[(" +
                         fish + "(," + fish + ")*)?\\]\\}");
  for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, shape)) << line;
  EXPECT_EQ(lines[0].rfind("{\"frame\":0,\"simTime\":0,\"food\":[[", 0), 0u);
  EXPECT_EQ(lines[1].rfind("{\"frame\":2,\"simTime\":0.0160000008,", 0), 0u);
  // Five food items (1.5 x 3 rounded up), fish 2, 1, 1 at the start.
  EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), '['), 1 + 5 + 3 + 2 + 1 + 1);
}

TEST_F(ShoalsimTest, RunsAreRepeatableAndStatsCountEveryTracedFrame) {
  ASSERT_EQ(Sim("--rules shoalgen2 --frames 300 --trace a.jsonl --stats a.csv").status, 0);
  ASSERT_EQ(Sim("--rules shoalgen2 --frames 300 --trace b.jsonl").status, 0);
  EXPECT_EQ(ReadFileText("a.jsonl"), ReadFileText("b.jsonl"));
  const auto rows = ReadFileLines("a.csv");
  ASSERT_EQ(rows.size(), 1u + 301u * 3u);
  EXPECT_EQ(rows[0],
            "frame,simTime,species,count,infants,ready,dead,births,meanCohesion,meanAlignment,"
            "meanFlee,meanPrey,meanMate");
  EXPECT_EQ(rows[1].rfind("0,0,1,50,17,0,0,0,", 0), 0u);
}

TEST_F(ShoalsimTest, BothScanModesWriteTheSameTrace) {
  const std::string run = "--rules shoalgen2 --min-food 200 --min-fish1 120 --min-fish2 50 --frames 200 ";
  ASSERT_EQ(Sim(run + "--scan linear --trace linear.jsonl").status, 0);
  ASSERT_EQ(Sim(run + "--scan index --trace index.jsonl").status, 0);
  EXPECT_EQ(ReadFileLines("linear.jsonl").size(), 201u);
  EXPECT_EQ(ReadFileText("linear.jsonl"), ReadFileText("index.jsonl"));
}

TEST_F(ShoalsimTest, ChartIsDrawn) {
  ASSERT_EQ(Sim("--frames 50 --plot chart.svg").status, 0);
  EXPECT_THAT(ReadFileText("chart.svg"), HasSubstr("<svg"));
}

TEST_F(ShoalsimTest, BadArgumentsGiveUsageAndWriteNothing) {
  const char* bad[] = {"--rules shoalgen3", "--scan grid", "--scan", "--frames -1", "--trace-every 0", "--min-food x",
                       "--mutation-percent 101", "--plot chart.gif", "--bogus", "stray", "--seed -1",
                       "--seed 2147483648", "--seed x", "--seed 0x10", "--frames 1 --frames 2", "--frames=0x10",
                       "--trace-every 0x2", "--plot .png", "--plot out/.svg", "--plot ''"};
  for (const char* args : bad) {
    const SimResult run = Sim(std::string(args) + " --trace t.jsonl --stats s.csv");
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_THAT(run.err, HasSubstr("usage: shoalsim")) << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args;
    EXPECT_FALSE(std::filesystem::exists("t.jsonl")) << args;
    EXPECT_FALSE(std::filesystem::exists("s.csv")) << args;
  }
  const SimResult unwritable = Sim("--frames 1 --trace no/such/folder/t.jsonl");
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_THAT(unwritable.err, HasSubstr("no/such/folder/t.jsonl"));
}

TEST_F(ShoalsimTest, SeedsGiveRepeatableWorldsOfTheirOwn) {
  const std::string run = "--frames 200 --trace-every 100 ";
  for (const char* seed : {"7 --trace a.jsonl", "7 --trace b.jsonl", "8 --trace c.jsonl", "1 --trace one.jsonl"})
    ASSERT_EQ(Sim(run + "--seed " + seed).status, 0) << seed;
  ASSERT_EQ(Sim(run + "--trace own.jsonl").status, 0);
  EXPECT_EQ(ReadFileText("a.jsonl"), ReadFileText("b.jsonl"));
  EXPECT_NE(ReadFileLines("a.jsonl")[0], ReadFileLines("c.jsonl")[0]);  // another starting world
  EXPECT_EQ(ReadFileText("own.jsonl"), ReadFileText("one.jsonl"));  // the program's own state is 1
  EXPECT_NE(ReadFileText("own.jsonl"), ReadFileText("a.jsonl"));
}

TEST_F(ShoalsimTest, NeutralRunStartsAlikeAndReportsEachFishsOwnGenome) {
  const std::string run = "--rules shoalgen2 --seed 3 --frames 2000 --trace-every 2000 ";
  ASSERT_EQ(Sim(run + "--trace real.jsonl").status, 0);
  ASSERT_EQ(Sim(run + "--neutral --trace neutral.jsonl").status, 0);
  const auto real = ReadFileLines("real.jsonl");
  const auto neutral = ReadFileLines("neutral.jsonl");
  ASSERT_EQ(neutral.size(), 2u);
  EXPECT_EQ(real[0], neutral[0]);
  EXPECT_NE(real[1], neutral[1]);
  // Own genomes, not the shared steering weights: the last five numbers of
  // each fish differ between fish.
  std::set<std::string> genomes;
  const std::regex genome(",([0-9]+,[0-9]+,[0-9]+,[0-9]+,[0-9]+)\\]");
  for (std::sregex_iterator it(neutral[1].begin(), neutral[1].end(), genome), end; it != end; ++it)
    genomes.insert((*it)[1]);
  EXPECT_GT(genomes.size(), 10u);
}

TEST_F(ShoalsimTest, HelpGoesToStandardOutput) {
  for (const char* args : {"--help", "-h"}) {
    const SimResult run = Sim(args);
    EXPECT_EQ(run.status, 0) << args;
    EXPECT_EQ(run.err, "") << args;
    EXPECT_EQ(run.out.rfind("usage: shoalsim", 0), 0u) << args;
    EXPECT_THAT(run.out, HasSubstr("[--seed N] [--neutral]")) << args;
  }
}

// An empty output name would write nothing and still succeed.
TEST_F(ShoalsimTest, EmptyOutputNamesAreRefused) {
  for (const char* option : {"--trace", "--stats", "--plot"}) {
    const SimResult run = Sim(std::string("--frames 1 ") + option + " ''");
    EXPECT_EQ(run.status, 2) << option;
    EXPECT_THAT(run.err, HasSubstr(std::string(option) + " needs a file name")) << option;
  }
}

// A full disk (/dev/full) or a missing folder, for each output: status 1, one
// line naming the file and why, nothing on stdout, and no output left behind.
TEST_F(ShoalsimTest, OutputsThatCannotBeWrittenFailTheRunAndLeaveNothing) {
  for (const char* full : {"full.jsonl", "full.csv", "full.png"})
    std::filesystem::create_symlink("/dev/full", full);
  const std::pair<const char*, const char*> cases[] = {
      {"--trace full.jsonl --stats s.csv", "cannot write full.jsonl: No space left on device"},
      {"--trace t.jsonl --stats full.csv", "cannot write full.csv: No space left on device"},
      {"--trace t.jsonl --stats s.csv --plot full.png", "cannot write full.png: No space left on device"},
      {"--trace t.jsonl --stats no/such/s.csv", "cannot write no/such/s.csv: No such file or directory"},
      {"--trace t.jsonl --plot no/such/c.png", "cannot write no/such/c.png: No such file or directory"},
  };
  for (const auto& c : cases) {
    const SimResult run = Sim(std::string("--frames 20 ") + c.first);
    EXPECT_EQ(run.status, 1) << c.first;
    EXPECT_EQ(run.err, std::string("shoalsim: ") + c.second + "\n") << c.first;
    EXPECT_EQ(run.out, "") << c.first;
    EXPECT_FALSE(std::filesystem::exists("t.jsonl")) << c.first;
    EXPECT_FALSE(std::filesystem::exists("s.csv")) << c.first;
  }
}

// Found missing before the run, not after it: a run of this length would
// outlast the test's time.
TEST_F(ShoalsimTest, AChartWithoutGnuplotIsRefusedBeforeTheRun) {
  const std::string path = std::getenv("PATH");
  setenv("PATH", "/nonexistent", 1);
  const SimResult run = Sim("--frames 100000000 --trace t.jsonl --plot c.svg");
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "shoalsim: cannot start gnuplot: No such file or directory\n");
  EXPECT_FALSE(std::filesystem::exists("t.jsonl"));
  EXPECT_FALSE(std::filesystem::exists("c.svg"));
}

// The name holds a newline and a gnuplot command after it.
TEST_F(ShoalsimTest, ChartNamesRunNoCommands) {
  const SimResult run = Sim("--frames 10 --plot \"$(printf 'c.png\\nsystem \"touch INJECTED\"\\n#.png')\"");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(std::filesystem::exists("INJECTED"));
  EXPECT_EQ(ReadFileText("c.png\nsystem \"touch INJECTED\"\n#.png").find("PNG"), 1u);
}

TEST_F(ShoalsimTest, ALogThatCannotBeWrittenIsWarnedOfOnce) {
  std::filesystem::create_directory("Log.txt");
  const SimResult run = Sim("--frames 400");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err,
              HasSubstr("shoalsim: warning: cannot write Log.txt (Is a directory); going on without it\n"));
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;  // and the summary
}
