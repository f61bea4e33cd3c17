// Process entry point: the run itself is KalvertMain (run.cpp), so that
// tests and fuzzers can call it in-process; every run unwinds and releases what
// it owns before the process ends.
#ifdef _WIN32
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "driver.h"

namespace {

#ifdef _WIN32
// Windows gives main its arguments in the system's ANSI code page, which may
// not hold a file's name: they are taken as UTF-16 and passed on in UTF-8,
// the encoding of every name inside the program.
std::vector<std::string> Utf8Arguments() {
  int argc = 0;
  LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 0; wargv && i < argc; ++i) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, arg.data(), n, nullptr, nullptr);
    arg.resize(arg.size() - 1);
    args.push_back(arg);
  }
  LocalFree(wargv);
  return args;
}

bool OpenStandardDescriptors() { return true; }  // the system gives every process all three
#else

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
#endif

}  // namespace

int main(int argc, char** argv) {
  if (!OpenStandardDescriptors()) return 1;
#ifdef SIGXFSZ
  // A write past the file size limit must fail as a write error, not kill the
  // process before the temporary output file can be removed.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
#ifdef SIGPIPE
  // A closed pipe on standard output is a failed write, reported as such.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  InstallSignalCleanup();
#ifdef _WIN32
  std::vector<std::string> args = Utf8Arguments();
  std::vector<char*> ptrs;
  for (std::string& a : args) ptrs.push_back(a.data());
  ptrs.push_back(nullptr);
  if (!args.empty()) return KalvertMain(static_cast<int>(args.size()), ptrs.data());
#endif
  return KalvertMain(argc, argv);
}
