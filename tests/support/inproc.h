// In-process test support: a clean run state with exits thrown as
// KalvertExit, input and output files held in temporary files, and capture of
// what a call printed and how it ended.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "kalvert.h"

namespace inproc {

struct Outcome {
  int status = 0;  // 0 when the call returned
  std::string out, err;
};

template <typename F>
Outcome Capture(F&& f) {
  Outcome o;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  try {
    f();
  } catch (const KalvertExit& e) {
    o.status = e.status;
  }
  std::fflush(stdout);
  o.out = testing::internal::GetCapturedStdout();
  o.err = testing::internal::GetCapturedStderr();
  return o;
}

inline InputImage Image(const std::vector<unsigned char>& bytes, long lAt = 0) { return InputImage{bytes, lAt}; }

inline std::FILE* TempFile(const std::vector<unsigned char>& bytes, long lAt = 0) {
  std::FILE* f = std::tmpfile();
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fseek(f, lAt, SEEK_SET);
  return f;
}

// A record header followed by its body.
inline fixture::Bytes Record(unsigned type, unsigned status, int recnum, const fixture::Bytes& body) {
  return fixture::Bytes().u8(type).u8(status).le16(static_cast<int>(body.size()) + 6).le16(recnum).bytes(body);
}

inline fixture::Bytes Text(const std::string& s) { return fixture::Bytes().str(s); }

class Test : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { ResetGlobals(); }
  static void Reset() { ResetGlobals(); }
  // A whole database as input, on its first record, lFirst and lFileLast set.
  static void OpenDatabase(const std::vector<unsigned char>& file) {
    files.in = Image(file, fixture::DbFile::kFirst);
    state.lFirst = fixture::DbFile::kFirst;
    state.lFileLast = DecodeI32(file.data() + 18);
  }
  static void OpenOutput() {
    files.fpout = std::tmpfile();
    MutableOptions().iOutAppt = 1;
  }
  static void OpenCSV(const std::string& text) { files.fpin = TempFile({text.begin(), text.end()}); }
  static std::vector<unsigned char> OutputBytes() {
    std::fflush(files.fpout);
    const long lEnd = std::ftell(files.fpout);
    std::vector<unsigned char> v(static_cast<std::size_t>(lEnd));
    std::rewind(files.fpout);
    if (lEnd > 0) {
      EXPECT_EQ(std::fread(v.data(), 1, v.size(), files.fpout), v.size());
    }
    std::fseek(files.fpout, lEnd, SEEK_SET);
    return v;
  }
};

}  // namespace inproc
