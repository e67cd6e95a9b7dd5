#include "shoalsim/gnuplotProcess.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

extern char** environ;

bool CanRunGnuplot() {
  // As posix_spawnp looks: PATH's folders, an empty one the current folder.
  const char* path = std::getenv("PATH");
  std::string folders;
  if (path) {
    folders = path;
  } else {
    folders.resize(confstr(_CS_PATH, nullptr, 0));
    confstr(_CS_PATH, folders.data(), folders.size());
    folders.resize(folders.empty() ? 0 : folders.size() - 1);
  }
  for (size_t start = 0;;) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    const std::string folder = folders.substr(start, end - start);
    const std::string file = (folder.empty() ? "." : folder) + "/gnuplot";
    struct stat info;
    if (stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(file.c_str(), X_OK) == 0)
      return true;
    if (end == folders.size()) break;
    start = end + 1;
  }
  errno = ENOENT;
  return false;
}

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
