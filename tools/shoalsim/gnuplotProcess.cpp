#include "shoalsim/gnuplotProcess.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

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
