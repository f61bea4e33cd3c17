// mkexamples: writes the bundled example databases from their byte-level
// recipes (--write DIR), or checks that the committed ones are exactly what
// the recipes build (--check DIR; exit 1 on any difference).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "examples.h"

namespace {

bool Check(const std::string& path, const std::vector<unsigned char>& expected) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> committed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (committed == expected) return true;
  std::fprintf(stderr, "%s differs from its recipe; run mkexamples --write\n", path.c_str());
  return false;
}

bool Write(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return out.good();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc == 3 ? argv[1] : "";
  if (mode != "--check" && mode != "--write") {
    std::fputs("usage: mkexamples --check|--write DIR\n", stderr);
    return 2;
  }
  const std::string dir = argv[2];
  const auto action = mode == "--check" ? Check : Write;
  // Both files are checked (or written), whatever the first one gives.
  const bool bBook = action(dir + "/book.dat", fixture::BuildExampleBook());
  const bool bCards = action(dir + "/cards.dat", fixture::BuildExampleCards());
  return bBook && bCards ? 0 : 1;
}
