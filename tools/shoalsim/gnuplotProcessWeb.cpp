#include "shoalsim/gnuplotProcess.h"

#include <cerrno>

// Under node there are no processes to start: a chart is refused.
int RunGnuplot(FILE*, FILE*, OutputFile&, std::string&) {
  errno = ENOSYS;
  return -1;
}

bool CanRunGnuplot() {
  errno = ENOSYS;
  return false;
}
