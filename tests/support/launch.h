// A book for the safety tests, and the built program run as a child process with what the safety tests vary:
// a fault for the preloaded injector (tests/faultinject), closed standard
// input and output, standard output on a given descriptor.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "runner.h"

namespace fixture {

struct Launch {
  std::vector<std::string> args;
  std::string fault;        // FAULT for the injector; empty: none
  bool closeStdio = false;  // standard input and output closed
  int out = -1;             // standard output; -1: a file, read back into RunResult::out
};

// A book of n appointments (n up to 336), one a day from 2000/01/01, days 1
// to 28, with or without its lookup table; *at: where the header of each
// record begins.
inline std::vector<unsigned char> Book(int n, std::vector<long>* at = nullptr, bool lookup = true) {
  DbFile db('2');
  for (int i = 0; i < n; ++i) {
    Appt a;
    a.description = "Item " + std::to_string(i);
    a.cMonth = static_cast<unsigned>(i / 28);
    a.cDay = static_cast<unsigned>(i % 28);
    const long where = db.Add(11, 0, i, a.Encode());
    if (at) at->push_back(where);
  }
  return db.Finish(lookup);
}

inline pid_t Start(const ScratchDir& dir, const Launch& l) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (chdir(dir.path().c_str()) != 0) _exit(127);
  dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), 0);
  dup2(l.out >= 0 ? l.out : open(".out", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600), 1);
  dup2(open(".err", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600), 2);
  if (l.closeStdio) {
    close(0);
    close(1);
  }
  std::signal(SIGPIPE, SIG_DFL);
  if (!l.fault.empty()) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
    setenv("LD_PRELOAD", FAULTINJECT_LIB, 1);
    setenv("FAULT", l.fault.c_str(), 1);
  }
  std::vector<char*> argv{const_cast<char*>(KALVERT_BIN)};
  for (const std::string& a : l.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(KALVERT_BIN, argv.data());
  _exit(127);
}

// Waits for the child. The status is its exit status, or 128 + the signal
// that ended it (as a shell shows it).
inline RunResult Finish(const ScratchDir& dir, pid_t pid) {
  int st = 0;
  waitpid(pid, &st, 0);
  const std::vector<unsigned char> out = dir.Read(".out"), err = dir.Read(".err");
  std::remove(dir.Path(".out").c_str());
  std::remove(dir.Path(".err").c_str());
  return {{out.begin(), out.end()}, {err.begin(), err.end()}, WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st)};
}

inline RunResult Run(const ScratchDir& dir, const Launch& l) { return Finish(dir, Start(dir, l)); }

}  // namespace fixture
