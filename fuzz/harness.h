// Shared plumbing of the fuzz targets: a private scratch folder, quiet
// standard streams, whole runs of the program in-process, and the checks that
// every run must pass whatever its input (exit status 0 or 1, no temporary
// output file left behind, no output database after a failure).
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "driver.h"

namespace fuzz {

inline std::filesystem::path DirPath() {
  namespace fs = std::filesystem;
  const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  return base / ("kalvert-fuzz-" + std::to_string(::getpid()));
}

inline void RemoveDir() {
  std::error_code ec;
  std::filesystem::remove_all(DirPath(), ec);
}

// Folder of this fuzzer process: input, CSV and output files live here. It
// goes at a normal exit; after a crash it stays for a look.
inline const std::string& Dir() {
  static const std::string dir = [] {
    std::filesystem::create_directories(DirPath());
    std::atexit(RemoveDir);
    return DirPath().string();
  }();
  return dir;
}

inline std::string PathOf(const char* name) { return Dir() + "/" + name; }

inline void WriteFile(const std::string& path, const uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

inline void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  WriteFile(path, bytes.data(), bytes.size());
}

inline void WriteFile(const std::string& path, const std::string& text) {
  WriteFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

inline std::string ReadFile(const std::string& path) {
  std::string text;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return text;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  return text;
}

// The fuzzer's own reports must survive while the program's output is
// thrown away: libFuzzer's -close_fd_mask=3 points fds 1 and 2 at /dev/null
// after keeping a copy of stderr for itself and the sanitizers. Set
// KALVERT_FUZZ_VERBOSE=1 to see the program's output (when replaying one input).
// Descriptor for the harness's own messages: a copy of stderr taken before
// libFuzzer closes it.
inline int& ReportFd() {
  static int fd = 2;
  return fd;
}

inline void Initialize(int* argc, char*** argv) {
  const int copy = ::dup(2);
  if (copy >= 0) ReportFd() = copy;
  if (std::getenv("KALVERT_FUZZ_VERBOSE")) return;
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp((*argv)[i], "-close_fd_mask=", 15) == 0) return;
  }
  static std::vector<char*> args;
  static char quiet[] = "-close_fd_mask=3";
  args.assign(*argv, *argv + *argc);
  args.insert(args.begin() + 1, quiet);
  args.push_back(nullptr);
  *argc += 1;
  *argv = args.data();
}

// Crashes (so that the fuzzer records the input) when a run broke a rule.
inline void Require(bool ok, const char* what) {
  if (ok) return;
  const std::string line = std::string("kalvert fuzz check failed: ") + what + "\n";
  if (::write(ReportFd(), line.data(), line.size()) < 0) {
    // nothing more to do: the abort below still records the input
  }
  std::abort();
}

inline bool LeftoverTemporary() {
  for (const auto& e : std::filesystem::directory_iterator(Dir())) {
    if (e.path().filename().string().rfind(".kalvert-", 0) == 0) return true;
  }
  return false;
}

// One whole run with the given arguments (after the program name). A run
// with -o writes PathOf("out.dat"), which is removed first.
inline int Run(const std::vector<std::string>& args) {
  const std::string out = PathOf("out.dat");
  std::remove(out.c_str());
  std::vector<std::string> words{"kalvert"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const int status = KalvertMain(static_cast<int>(words.size()), argv.data());

  Require(status == 0 || status == 1, "exit status other than 0 or 1");
  Require(files.fp == nullptr && files.fpin == nullptr && files.fpout == nullptr, "a stream left open");
  Require(!LeftoverTemporary(), "temporary output file left behind");
  bool wantsOutput = false;
  for (const auto& a : args) wantsOutput = wantsOutput || a.rfind("-o", 0) == 0;
  if (wantsOutput) {
    struct stat st {};
    const bool exists = ::stat(out.c_str(), &st) == 0;
    Require(status == 0 ? exists : !exists,
            status == 0 ? "no output database after success" : "output database left after a failure");
  }
  return status;
}

// Run, with what the program writes to standard output and standard error
// kept in *pOut and *pErr (descriptors 1 and 2 point at files for the run).
inline int RunCaptured(const std::vector<std::string>& args, std::string* pOut, std::string* pErr) {
  const std::string outPath = PathOf("stdout.txt");
  const std::string errPath = PathOf("stderr.txt");
  std::fflush(stdout);
  std::fflush(stderr);
  const int saved[2] = {::dup(1), ::dup(2)};
  const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (saved[0] < 0 || saved[1] < 0 || out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) std::abort();
  ::close(out);
  ::close(err);
  const int status = Run(args);
  std::fflush(stdout);
  std::fflush(stderr);
  if (::dup2(saved[0], 1) < 0 || ::dup2(saved[1], 2) < 0) std::abort();
  ::close(saved[0]);
  ::close(saved[1]);
  *pOut = ReadFile(outPath);
  *pErr = ReadFile(errPath);
  if (std::getenv("KALVERT_FUZZ_VERBOSE")) {
    std::fwrite(pOut->data(), 1, pOut->size(), stdout);
    std::fwrite(pErr->data(), 1, pErr->size(), stderr);
  }
  return status;
}

// A database the program wrote must read back: a run over it succeeds.
inline void RequireReadsBack() {
  const std::string out = PathOf("out.dat");
  const std::string copy = PathOf("written.dat");
  std::filesystem::copy_file(out, copy, std::filesystem::copy_options::overwrite_existing);
  Require(Run({"-s2", "-x" + copy}) == 0, "a written database does not read back");
}

}  // namespace fuzz
