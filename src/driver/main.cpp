// Process entry point: the run itself is KalvertMain (run.cpp), so that
// tests and fuzzers can call it in-process; every run unwinds and releases what
// it owns before the process ends.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "driver.h"

namespace {

// A standard descriptor left closed would be taken by the first file opened,
// and the export text could go into the output database: open a device
// there. Standard output gets /dev/full, so that text written to it fails
// as on a broken pipe instead of vanishing.
bool OpenStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == 1 && open("/dev/full", O_WRONLY) == fd) continue;
    if (open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!OpenStandardDescriptors()) return 1;
#ifdef SIGXFSZ
  // A write past the file size limit must fail as a write error, not kill the
  // process before the temporary output file can be removed.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  // A closed pipe on standard output is a failed write, reported as such.
  std::signal(SIGPIPE, SIG_IGN);
  InstallSignalCleanup();
  return KalvertMain(argc, argv);
}
