#include "shoalsim/chart.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

extern char** environ;

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

// Runs gnuplot on the script with its output read back through a pipe;
// gives its exit status, or -1 when it could not be started.
int RunGnuplot(FILE* script, FILE* messages, OutputFile& out, std::string& writeError) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fileno(script), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fileno(messages), STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  char name[] = "gnuplot";
  char* argv[] = {name, nullptr};
  pid_t pid;
  const int started = posix_spawnp(&pid, name, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (started != 0) {
    close(pipeFds[0]);
    errno = started;
    return -1;
  }
  // Read to the end even after a failed write, so gnuplot is never left
  // blocked on a full pipe.
  char buffer[65536];
  for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
    if (got < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (writeError.empty()) out.Write(buffer, static_cast<size_t>(got), writeError);
  }
  close(pipeFds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
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
