#pragma once

#include <cstdio>
#include <string>

#include "common/outputFile.h"

// Runs gnuplot on the script with its output read back through a pipe into
// `out` and its messages into `messages`; gives its exit status, or -1 with
// errno set when it could not be started.
int RunGnuplot(FILE* script, FILE* messages, OutputFile& out, std::string& writeError);
