#include "shoalsim/chart.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "shoalsim/gnuplotProcess.h"

namespace {
const char* const kWeightNames[5] = {"cohesion", "alignment", "flee", "prey", "mate"};

void WriteBlock(FILE* gp, int species, const std::vector<SpeciesStats>& rows) {
  std::fprintf(gp, "$s%d << EOD\n", species);
  for (const SpeciesStats& row : rows) {
    if (row.species != species) continue;
    std::fprintf(gp, "%.9g %d", row.simTime, row.count);
    for (double mean : row.meanWeight) std::fprintf(gp, " %.9g", mean);
    std::fputc('\n', gp);
  }
  std::fputs("EOD\n", gp);
}

// The script draws to gnuplot's standard output: no file name ever reaches
// gnuplot, so none can end a string in the script and run a command.
void WriteScript(FILE* gp, bool svg, const std::vector<SpeciesStats>& rows) {
  if (svg)
    std::fputs("set terminal svg size 1200,900 dynamic background rgb 'white'\n", gp);
  else
    std::fputs("set terminal pngcairo size 1200,900\n", gp);
  for (int species = 1; species <= 3; ++species) WriteBlock(gp, species, rows);
  std::fputs(
      "set datafile missing 'nan'\n"
      "set multiplot layout 2,2 title 'shoalsim: population and mean genome weights'\n"
      "set key outside right top\nset grid\nset xlabel 'simTime'\n"
      "set title 'population'\nset ylabel 'fish'\n"
      "plot $s1 using 1:2 with lines lw 2 title 'species 1', "
      "$s2 using 1:2 with lines lw 2 title 'species 2', "
      "$s3 using 1:2 with lines lw 2 title 'species 3'\n"
      "set ylabel 'mean weight'\n",
      gp);
  for (int species = 1; species <= 3; ++species) {
    std::fprintf(gp, "set title 'species %d genome'\nplot ", species);
    for (int g = 0; g < 5; ++g)
      std::fprintf(gp, "%s$s%d using 1:%d with lines lw 2 title '%s'", g ? ", " : "", species, g + 3,
                   kWeightNames[g]);
    std::fputc('\n', gp);
  }
  std::fputs("unset multiplot\nset output\n", gp);
}

// The last line gnuplot wrote to its standard error: the reason it stopped.
std::string LastLine(FILE* messages) {
  std::rewind(messages);
  std::string last;
  char line[512];
  while (std::fgets(line, sizeof line, messages)) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    const auto start = text.find_first_not_of(' ');
    if (start != std::string::npos) last = text.substr(start);
  }
  return last;
}

}  // namespace

bool DrawChart(const std::vector<SpeciesStats>& rows, bool svg, OutputFile& out, std::string& error) {
  FILE* script = std::tmpfile();
  FILE* messages = std::tmpfile();
  bool drawn = false;
  if (!script || !messages) {
    error = std::string("cannot make gnuplot's script: ") + std::strerror(errno);
  } else {
    WriteScript(script, svg, rows);
    if (std::fflush(script) != 0 || std::ferror(script)) {
      error = std::string("cannot make gnuplot's script: ") + std::strerror(errno);
    } else {
      std::rewind(script);
      std::string writeError;
      const int status = RunGnuplot(script, messages, out, writeError);
      if (status < 0) {
        error = std::string("cannot start gnuplot: ") + std::strerror(errno);
      } else if (!writeError.empty()) {
        error = writeError;
      } else if (status != 0) {
        const std::string reason = LastLine(messages);
        error = "gnuplot failed to draw the chart" + (reason.empty() ? "" : ": " + reason);
      } else {
        drawn = true;
      }
    }
  }
  if (script) std::fclose(script);
  if (messages) std::fclose(messages);
  return drawn;
}
