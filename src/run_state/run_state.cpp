// run_state: the run's three structs and its one way out.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "kalvert.h"

namespace {
Options gOptions;
}  // namespace

const Options& opt = gOptions;
RunFiles files;
PassState state;

Options& MutableOptions() { return gOptions; }

[[noreturn]] void Exit(int status) {
  if (StdoutLost() && status == 0) {
    std::fputs(kStdoutLost, stderr);
    status = 1;
  }
  throw KalvertExit{status};
}

bool StdoutLost() { return std::fflush(stdout) != 0 || std::ferror(stdout); }

[[noreturn]] void Fatal(const char* fmt, ...) {
  std::fflush(stdout);
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(stderr, fmt, ap);
  va_end(ap);
  Exit(1);
}

void ReportCantOpen(const std::string& szName, int iErr) {
  std::fprintf(stderr, "File can't open.\n  %s: %s\n", szName.empty() ? "(no name)" : szName.c_str(),
               std::strerror(iErr));
}
