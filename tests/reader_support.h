// Helpers for the in-process tests of the database reader: a clean run state
// with intercepted exits, input and output databases held in temporary
// files, and capture of what a call printed and how it ended.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "kalvert.h"

namespace readertest {

// Every global at its initial value, exits thrown as KalvertExit; the files
// of the run are closed again at the end of the test.
class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    bInterceptExit = true;
  }
  void TearDown() override {
    ResetGlobals();
    bInterceptExit = false;
  }


 public:
  // Makes fp a temporary file holding the bytes, positioned at offset lAt.
  static void OpenInput(const std::vector<unsigned char>& bytes, long lAt) {
    fp = std::tmpfile();
    ASSERT_NE(fp, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), fp), bytes.size());
    ASSERT_EQ(std::fseek(fp, lAt, SEEK_SET), 0);
  }

  // A whole database file as input, positioned on its first record, with
  // lFirst and lFileLast set as the driver sets them.
  static void OpenDatabase(const std::vector<unsigned char>& file) {
    OpenInput(file, fixture::DbFile::kFirst);
    lFirst = static_cast<int32_t>(fixture::DbFile::kFirst);
    lFileLast = DecodeI32(file.data() + 18);
    iAllRecNum = DecodeI16(file.data() + 16);
  }

  // An empty output database (-o).
  static void OpenOutput() {
    fpout = std::tmpfile();
    ASSERT_NE(fpout, nullptr);
    iOutAppt = 1;
  }

  static std::vector<unsigned char> OutputBytes() {
    std::vector<unsigned char> v;
    if (!fpout) return v;
    std::fflush(fpout);
    const long lEnd = std::ftell(fpout);
    std::rewind(fpout);
    v.resize(static_cast<std::size_t>(lEnd));
    if (lEnd > 0) {
      EXPECT_EQ(std::fread(v.data(), 1, v.size(), fpout), v.size());
    }
    std::fseek(fpout, lEnd, SEEK_SET);
    return v;
  }
};

struct Outcome {
  int status = 0;  // 0 when the call returned
  std::string out;
  std::string err;
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
  std::fflush(stderr);
  o.out = testing::internal::GetCapturedStdout();
  o.err = testing::internal::GetCapturedStderr();
  return o;
}

inline std::string Marks(int n) { return std::string(static_cast<std::size_t>(n), 'o'); }

inline const std::string kRuler =
    "       0%|----+----+----+----+----|----+----+----+----+----|100%\n";

// A record header followed by its body, as raw bytes.
inline fixture::Bytes Record(unsigned type, unsigned status, int recnum, const fixture::Bytes& body) {
  fixture::Bytes b;
  b.u8(type).u8(status).le16(static_cast<int>(body.size()) + 6).le16(recnum).bytes(body);
  return b;
}

}  // namespace readertest
