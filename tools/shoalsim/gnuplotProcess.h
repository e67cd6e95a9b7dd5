#pragma once

#include <cstdio>
#include <string>

#include "common/outputFile.h"

// Runs gnuplot on the script with its output read back through a pipe into
// `out` and its messages into `messages`; gives its exit status, or -1 with
// errno set when it could not be started.
int RunGnuplot(FILE* script, FILE* messages, OutputFile& out, std::string& writeError);

// Whether RunGnuplot could start gnuplot: a program file of that name in a
// folder of PATH. Asked before a run, so that a long simulation is not
// thrown away for want of it at the end; false with errno set if not.
bool CanRunGnuplot();
