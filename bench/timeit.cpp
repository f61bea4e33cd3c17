// kalvert_timeit: runs a command several times, standard output and standard
// error to /dev/null, and prints the best and the median wall time in
// microseconds (process start included) and the largest peak resident size
// in KiB of the runs:
//
//   kalvert_timeit RUNS command [args...]   ->   "BEST_US MEDIAN_US MAXRSS_KIB"
//
// A run that does not end with status 0 makes the whole measurement fail.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// One run: wall time in microseconds and peak resident size, or -1 on failure.
long RunOnce(char** argv, long* maxrss) {
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    if (null < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0) _exit(127);
    execv(argv[0], argv);
    _exit(127);
  }
  int status = 0;
  rusage ru{};
  if (wait4(pid, &status, 0, &ru) != pid) return -1;
  const auto t1 = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  *maxrss = std::max(*maxrss, static_cast<long>(ru.ru_maxrss));
  return static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(t1 - t0).count());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: kalvert_timeit RUNS /path/to/command [args...]\n", stderr);
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  std::vector<long> times;
  long maxrss = 0;
  for (int i = 0; i < runs; ++i) {
    const long us = RunOnce(argv + 2, &maxrss);
    if (us < 0) {
      std::fprintf(stderr, "kalvert_timeit: %s failed\n", argv[2]);
      return 1;
    }
    times.push_back(us);
  }
  std::sort(times.begin(), times.end());
  std::printf("%ld %ld %ld\n", times.front(), times[times.size() / 2], maxrss);
  return 0;
}
