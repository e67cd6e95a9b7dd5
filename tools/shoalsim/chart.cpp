#include "shoalsim/chart.h"

#include <cstdio>

namespace {
const char* const kWeightNames[5] = {"cohesion", "alignment", "flee", "prey", "mate"};

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// gnuplot strings are single-quoted; a quote inside is doubled.
std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

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
}  // namespace

bool DrawChart(const std::string& path, const std::vector<SpeciesStats>& rows, std::string& error) {
  FILE* gp = popen("gnuplot 2>&1", "w");
  if (!gp) {
    error = "cannot start gnuplot";
    return false;
  }
  if (EndsWith(path, ".svg"))
    std::fputs("set terminal svg size 1200,900 dynamic background rgb 'white'\n", gp);
  else
    std::fputs("set terminal pngcairo size 1200,900\n", gp);
  std::fprintf(gp, "set output %s\n", Quoted(path).c_str());
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
  if (pclose(gp) != 0) {
    error = "gnuplot failed to draw " + path;
    return false;
  }
  return true;
}
