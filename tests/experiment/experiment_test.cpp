// Runs the experiment runner on tiny runs, as a user would, and checks the
// folder it leaves.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/tempDir.h"

using ::testing::HasSubstr;

namespace {
using Row = std::vector<std::string>;

struct Result {
  int status;
  std::string err;
};

const std::string kTiny =
    "--out exp --frames 40 --stats-every 20 --min-food 10 --min-fish1 6 --min-fish2 3 --min-fish3 2 ";

class ExperimentTest : public ::testing::Test {
 protected:
  ExperimentTest() : dir_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

  Result Run(const std::string& args, const std::string& shoalsim = SHOALSIM_PATH) {
    const std::string command =
        std::string(EXPERIMENT_PATH) + " --shoalsim " + shoalsim + " " + args + " 2>stderr.txt";
    const int raw = std::system(command.c_str());
    return {WEXITSTATUS(raw), ReadFileText("stderr.txt")};
  }

  ScopedWorkDir dir_;
};

Row Cells(const std::string& line) {
  std::istringstream in(line);
  Row row;
  for (std::string cell; std::getline(in, cell, ',');) row.push_back(cell);
  return row;
}
}  // namespace

TEST_F(ExperimentTest, TinyRunsAndControlsGiveTheFourFilesAndTheFolderKeepsItsSettings) {
  const Result first = Run(kTiny + "--replicates 3 --with-neutral --jobs 2");
  ASSERT_EQ(first.status, 0) << first.err;

  const auto runs = ReadFileLines("exp/runs.csv");
  ASSERT_EQ(runs.size(), 1u + 6 * 3 * 3);  // six runs, frames 0, 20, 40, three species
  EXPECT_EQ(runs[0],
            "run,seed,neutral,frame,simTime,species,count,infants,ready,dead,births,meanCohesion,"
            "meanAlignment,meanFlee,meanPrey,meanMate");
  std::set<std::string> kinds;
  double flee2 = 0.0;  // species 2's mean flee weight at frame 40, summed over the real runs
  for (size_t i = 1; i < runs.size(); ++i) {
    const Row row = Cells(runs[i]);
    kinds.insert(row[0] + "/" + row[1] + "/" + row[2]);
    if (row[2] == "0" && row[3] == "40" && row[5] == "2") flee2 += std::stod(row[13]);
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"seed1/1/0", "seed2/2/0", "seed3/3/0", "seed1-neutral/1/1",
                                          "seed2-neutral/2/1", "seed3-neutral/3/1"}));

  const auto summary = ReadFileLines("exp/summary.csv");
  ASSERT_EQ(summary.size(), 1u + 3 * 6 * 2 * 3);  // species, quantities, real/neutral, frames
  EXPECT_EQ(summary[0], "species,quantity,neutral,frame,simTime,runs,mean,p10,p90");
  EXPECT_EQ(summary[1], "1,population,0,0,0,3,6,6,6");
  const auto flee = std::find_if(summary.begin(), summary.end(),
                                 [](const std::string& line) { return line.rfind("2,flee,0,40,", 0) == 0; });
  ASSERT_NE(flee, summary.end());
  const Row row = Cells(*flee);
  EXPECT_EQ(row[5], "3");
  EXPECT_NEAR(std::stod(row[6]), flee2 / 3.0, 1e-4);
  EXPECT_LE(std::stod(row[7]), std::stod(row[6]));
  EXPECT_GE(std::stod(row[8]), std::stod(row[6]));

  EXPECT_EQ(ReadFileText("exp/summary.png").substr(1, 3), "PNG");
  EXPECT_THAT(ReadFileText("exp/summary.svg"), HasSubstr("<svg"));
  const std::regex gene(
      " +[123]  (cohesion|alignment|flee|prey|mate) +([0-9]+\\.[0-9]{3} +){3}[-+][0-9]+\\.[0-9]{3} +"
      "[01]\\.[0-9]{4}( \\*)?");
  const auto final = ReadFileLines("exp/final.txt");
  EXPECT_EQ(std::count_if(final.begin(), final.end(),
                          [&](const std::string& line) { return std::regex_match(line, gene); }),
            15);

  // A run of the same settings joins the folder; other settings are refused.
  ASSERT_EQ(Run(kTiny + "--first-seed 9 --replicates 1").status, 0);
  EXPECT_EQ(ReadFileLines("exp/runs.csv").size(), 1u + 7 * 3 * 3);
  const Result other = Run(kTiny + "--mutation-percent 50");
  EXPECT_EQ(other.status, 2);
  EXPECT_THAT(other.err, HasSubstr("mutation-percent 10 there, 50 here"));
  EXPECT_EQ(ReadFileLines("exp/runs.csv").size(), 1u + 7 * 3 * 3);
}

TEST_F(ExperimentTest, AFailedRunIsNamedAndTheOthersKept) {
  {
    std::ofstream fake("fake-shoalsim");
    fake << "#!/bin/sh\ncase \" $* \" in *\" --seed 2 \"*) echo 'broken on purpose' >&2; exit 1;; esac\n"
         << "exec " << SHOALSIM_PATH << " \"$@\"\n";
  }
  std::filesystem::permissions("fake-shoalsim", std::filesystem::perms::owner_all);
  const Result run = Run(kTiny + "--replicates 3", "./fake-shoalsim");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("seed 2: broken on purpose"));
  EXPECT_TRUE(std::filesystem::exists("exp/runs/seed1/stats.csv"));
  EXPECT_TRUE(std::filesystem::exists("exp/runs/seed3/stats.csv"));
  EXPECT_FALSE(std::filesystem::exists("exp/runs/seed2/stats.csv"));
  EXPECT_FALSE(std::filesystem::exists("exp/summary.csv"));
}

TEST_F(ExperimentTest, BadArgumentsExitTwoWithTheUsageLine) {
  const char* bad[] = {"", "--out exp --replicates 0", "--out exp --rules shoalgen3",
                       "--out exp --frames -1", "--out exp --frames 1e3", "--out exp --jobs 0",
                       "--out exp --mutation-percent 101", "--out exp --bogus", "--out exp stray",
                       "--out exp --repl 3", "--out exp --sshlogin a --slf b",
                       "--out exp --first-seed 2147483647 --replicates 2",
                       "--out exp --frames 100000 --frame-ms 1000000"};
  for (const char* args : bad) {
    const Result run = Run(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_THAT(run.err, HasSubstr("usage: experiment --out DIR")) << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args;
    EXPECT_FALSE(std::filesystem::exists("exp")) << args;
  }
}
