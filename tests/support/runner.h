// Runs the built kalvert binary in a scratch folder and captures what it did:
// standard output, standard error, exit status, and any file it wrote.
#pragma once

#include <string>
#include <vector>

namespace fixture {

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;
};

// A fresh scratch folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::vector<unsigned char>& bytes) const;
  void Write(const std::string& name, const std::string& text) const;
  std::vector<unsigned char> Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  // Names of the entries in the folder, sorted.
  std::vector<std::string> List() const;

 private:
  std::string path_;
};

// Runs the binary with the given arguments (each passed as one word) inside
// dir, with standard input from /dev/null.
RunResult RunKalvert(const ScratchDir& dir, const std::vector<std::string>& args);

}  // namespace fixture
