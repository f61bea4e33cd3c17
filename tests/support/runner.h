// Runs the built kalvert binary in a scratch folder and captures what it did:
// standard output, standard error, exit status, and any file it wrote.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace fixture {

namespace fs = std::filesystem;

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;
};

// Whether text holds part; a failure shows both.
inline ::testing::AssertionResult Holds(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << part << "\" in:\n" << text;
}

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh scratch folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (fs::temp_directory_path() / "kalvert-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary | std::ios::trunc) << text;
  }
  void Write(const std::string& name, const std::vector<unsigned char>& bytes) const {
    Write(name, std::string(bytes.begin(), bytes.end()));
  }
  std::vector<unsigned char> Read(const std::string& name) const {
    const std::string s = Slurp(Path(name));
    return std::vector<unsigned char>(s.begin(), s.end());
  }
  bool Exists(const std::string& name) const { return fs::exists(Path(name)); }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> List() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string path_;
};

// A legacy CSV line of an appointment of 2000/01/03, 12:00 to 13:00; with an
// empty note also the export line of the item imported from it.
inline std::string Line(const std::string& description, const std::string& location = "",
                        const std::string& note = "") {
  return "\"" + description + "\",\"2000/01/03\",\"12:00\",\"13:00\",\"" + location + "\",\"0\",\"" + note + "\"\n";
}

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs the binary with the given arguments (each passed as one word) inside
// dir, with standard input from /dev/null; `before` goes first in the shell
// (a limit set, a file made). A run that spins is stopped after 10 s of CPU.
inline RunResult RunKalvert(const ScratchDir& dir, const std::vector<std::string>& args,
                            const std::string& before = "") {
  std::string cmd = "cd " + Quote(dir.path()) + " && (ulimit -t 10 && " + before + "exec " + Quote(KALVERT_BIN);
  for (const auto& a : args) cmd += " " + Quote(a);
  cmd += ") </dev/null >.stdout 2>.stderr";
  const int rc = std::system(cmd.c_str());
  RunResult r{Slurp(dir.Path(".stdout")), Slurp(dir.Path(".stderr")), WIFEXITED(rc) ? WEXITSTATUS(rc) : -1};
  for (const char* name : {".stdout", ".stderr"}) fs::remove(dir.Path(name));
  return r;
}

// What the run said on standard error after its banner (two lines and an
// empty one).
inline std::string Said(const RunResult& r) { return r.err.substr(r.err.find("\n\n") + 2); }

// The run ended with `status`, with `message` at the end of standard error
// (it may follow progress marks on the same line) when the status is 1 or
// somewhere in it when 0, and left no temporary output file behind.
inline void ExpectEnded(const ScratchDir& dir, const RunResult& r, int status, const std::string& message) {
  EXPECT_EQ(r.status, status) << r.err;
  const std::size_t at = r.err.rfind(message);
  EXPECT_TRUE(at != std::string::npos && (status == 0 || at + message.size() == r.err.size())) << r.err;
  for (const std::string& name : dir.List()) EXPECT_NE(name.rfind(".kalvert-", 0), 0u) << name;
}

}  // namespace fixture
