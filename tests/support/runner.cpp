#include "runner.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace fixture {

namespace {

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

ScratchDir::ScratchDir() {
  std::string tmpl = (fs::temp_directory_path() / "kalvert-test-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

void ScratchDir::Write(const std::string& name, const std::vector<unsigned char>& bytes) const {
  std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void ScratchDir::Write(const std::string& name, const std::string& text) const {
  Write(name, std::vector<unsigned char>(text.begin(), text.end()));
}

std::vector<unsigned char> ScratchDir::Read(const std::string& name) const {
  const std::string s = Slurp(Path(name));
  return std::vector<unsigned char>(s.begin(), s.end());
}

bool ScratchDir::Exists(const std::string& name) const { return fs::exists(Path(name)); }

std::vector<std::string> ScratchDir::List() const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

RunResult RunKalvert(const ScratchDir& dir, const std::vector<std::string>& args) {
  const std::string out = dir.Path(".stdout");
  const std::string err = dir.Path(".stderr");
  std::string cmd = "cd " + Quote(dir.path()) + " && " + Quote(KALVERT_BIN);
  for (const auto& a : args) cmd += " " + Quote(a);
  cmd += " </dev/null >" + Quote(out) + " 2>" + Quote(err);
  const int rc = std::system(cmd.c_str());
  RunResult r;
  r.out = Slurp(out);
  r.err = Slurp(err);
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  fs::remove(out);
  fs::remove(err);
  return r;
}

}  // namespace fixture
