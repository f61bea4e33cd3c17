// kalvert_runplan: runs the plan of tools/compare-outputs.sh with one binary,
// one process per run and nothing more (a shell loop costs about as much as
// the runs themselves):
//
//   kalvert_runplan BIN PLAN DIR
//
// A plan line is "ID<TAB>SETUP<TAB>ARGS", the arguments separated by 0x1F;
// SETUP is a file copied to ID.db before the run, or "-". Each run happens in
// DIR with standard input from /dev/null and leaves ID.out, ID.err and ID.rc
// (the exit status; 128 + N after signal N). A runaway run is stopped after
// 20 s of CPU time or 1 GiB of output instead of being waited for.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = s.find(sep, start);
    parts.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// In the child: the three streams, the limits, then the binary.
[[noreturn]] void Exec(const std::string& out, const std::string& err, std::vector<char*>& argv) {
  const int fds[3] = {open("/dev/null", O_RDONLY), open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
                      open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)};
  for (int i = 0; i < 3; ++i) {
    if (fds[i] < 0 || dup2(fds[i], i) < 0) _exit(126);
    close(fds[i]);
  }
  const rlimit cpu{20, 21};
  const rlimit size{1L << 30, 1L << 30};
  if (setrlimit(RLIMIT_CPU, &cpu) != 0 || setrlimit(RLIMIT_FSIZE, &size) != 0) _exit(126);
  execv(argv[0], argv.data());
  _exit(127);
}

// Exit status of one run as a shell reports it, or -1 when it could not start.
int Run(const std::string& id, std::string bin, std::vector<std::string> args) {
  std::vector<char*> argv{bin.data()};
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string out = id + ".out", err = id + ".err";
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) Exec(out, err, argv);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

bool WriteStatus(const std::string& id, int rc) {
  std::FILE* f = std::fopen((id + ".rc").c_str(), "w");
  if (!f) return false;
  const bool ok = std::fprintf(f, "%d\n", rc) > 0;
  return std::fclose(f) == 0 && ok;
}

int Fail(const std::string& what) {
  std::fprintf(stderr, "kalvert_runplan: %s\n", what.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Fail("usage: kalvert_runplan BIN PLAN DIR");
  const std::string bin = argv[1];
  std::ifstream plan(argv[2]);
  if (!plan) return Fail(std::string("cannot read ") + argv[2]);
  if (chdir(argv[3]) != 0) return Fail(std::string("cannot enter ") + argv[3]);
  std::string line;
  while (std::getline(plan, line)) {
    const std::vector<std::string> f = Split(line, '\t');
    if (f.size() != 3) return Fail("bad plan line: " + line);
    const std::string& id = f[0];
    if (f[1] != "-") {
      std::error_code ec;
      std::filesystem::copy_file(f[1], id + ".db", std::filesystem::copy_options::overwrite_existing, ec);
      if (ec) return Fail("cannot copy " + f[1]);
    }
    const int rc = Run(id, bin, f[2].empty() ? std::vector<std::string>{} : Split(f[2], '\x1f'));
    if (rc < 0) return Fail("cannot run " + bin);
    if (!WriteStatus(id, rc)) return Fail("cannot write " + id + ".rc");
  }
  return 0;
}
