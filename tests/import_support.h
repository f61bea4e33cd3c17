// Helpers for the in-process tests of the CSV import and the database
// writers: a clean run state with intercepted exits, a temporary output
// database, and capture of what a call printed and how it ended.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kalvert.h"

namespace importtest {

class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    bInterceptExit = true;
  }
  void TearDown() override {
    ResetGlobals();
    bInterceptExit = false;
  }

  static void OpenOutput() {
    fpout = std::tmpfile();
    ASSERT_NE(fpout, nullptr);
    iOutAppt = 1;
  }

  // The CSV input (-i) holding the text.
  static void OpenCSV(const std::string& text) {
    fpin = std::tmpfile();
    ASSERT_NE(fpin, nullptr);
    ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), fpin), text.size());
    std::rewind(fpin);
  }

  static std::vector<unsigned char> OutputBytes() {
    std::vector<unsigned char> v;
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

}  // namespace importtest
