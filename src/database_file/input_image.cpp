// input_image: LoadInputImage, the input database read whole, once. Every later
// read of the run is a copy from memory, so a read error can only happen here.

#include <sys/stat.h>

#include "database_file.h"

namespace {

// The lookup table keeps three offset bytes: no record of a valid database
// starts beyond them, and a larger file is no database this program can use.
constexpr long kMaxInputSize = kMaxLookUpOffset + 65536L;

}  // namespace

void LoadInputImage(std::FILE* f, InputImage* pImage) {
  struct stat st {};
  if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > kMaxInputSize) {
    Fatal("Database file too large (more than 16 MiB).\n");
  }
  std::vector<unsigned char>& v = pImage->bytes;
  // A regular file is read straight into a buffer of its size; what follows
  // (a file that grew, or any other kind of input) is read in pieces.
  const std::size_t expected = S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
  v.resize(expected);
  if (expected > 0) v.resize(std::fread(v.data(), 1, expected, f));
  if (v.size() == expected) {
    unsigned char chunk[4096];
    for (;;) {
      const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
      v.insert(v.end(), chunk, chunk + n);
      if (v.size() > static_cast<std::size_t>(kMaxInputSize)) Fatal("Database file too large (more than 16 MiB).\n");
      if (n < sizeof chunk) break;
    }
  }
  // A read error is never taken for the end of the file.
  if (std::ferror(f)) Fatal("Failed read file.\n");
  pImage->lPos = 0;
}
