// Process entry point: the run itself is KalvertMain (module kalvert), so that
// tests and fuzzers can call it in-process; every run unwinds and releases what
// it owns before the process ends.
#include <csignal>

#include "kalvert.h"

int main(int argc, char** argv) {
#ifdef SIGXFSZ
  // A write past the file size limit must fail as a write error, not kill the
  // process before the temporary output file can be removed.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  return KalvertMain(argc, argv);
}
