// In-process test support: a clean run state with exits thrown as
// KalvertExit, input and output files held in temporary files, and capture of
// what a call printed and how it ended.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "driver.h"

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

using fixture::Record;

inline fixture::Bytes Text(const std::string& s) { return fixture::Bytes().str(s); }

class Test : public ::testing::Test {
 protected:
  void SetUp() override { ResetGlobals(); }
  void TearDown() override { ResetGlobals(); }
  // A whole database as input, on its first record, lFirst and lFileLast set.
  static void OpenDatabase(const std::vector<unsigned char>& file) {
    files.in = InputImage{file, fixture::DbFile::kFirst};
    state.lFirst = fixture::DbFile::kFirst;
    state.lFileLast = DecodeI32(file.data() + 18);
  }
  static void OpenOutput() {
    files.fpout = std::tmpfile();
    MutableOptions().iOutAppt = 1;
  }
  static std::vector<unsigned char> OutputBytes() {
    std::fflush(files.fpout);
    const long lEnd = std::ftell(files.fpout);
    std::vector<unsigned char> v(static_cast<std::size_t>(lEnd));
    std::rewind(files.fpout);
    v.resize(std::fread(v.data(), 1, v.size(), files.fpout));
    std::fseek(files.fpout, lEnd, SEEK_SET);
    return v;
  }
};

}  // namespace inproc
