#pragma once

#include <string>

#include "behave/behave.h"
#include "behave/settings.h"

// What one shoalsim run does.
struct SimOptions {
  bool help = false;  // print the usage and do nothing else
  RuleSet rules = RuleSet::Shoalgen;
  ScanMode scan = ScanMode::Index;
  int minFood = 80;
  int minFish1 = 50;
  int minFish2 = 8;
  int minFish3 = 3;
  int mutationPercent = 10;
  // The generator's starting state; 1 is the program's own.
  long long seed = 1;
  // Every fish steers with its species' mean initial weights (a control).
  bool neutral = false;
  long long frames = 1000;
  long long frameMs = 16;
  std::string tracePath;
  long long traceEvery = 1;
  std::string statsPath;
  std::string plotPath;
};

// The one-line usage text.
const char* SimUsage();

// Parses the command line; on failure `error` says what is wrong.
bool ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error);
