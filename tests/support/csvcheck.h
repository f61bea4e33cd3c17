// Support for the standard-CSV tests: an appointment book from items, the
// records of a written file, and a CSV file read by Python's csv module.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "runner.h"

namespace csvcheck {

struct Rec {
  unsigned type;
  std::vector<unsigned char> body;
};

// The records of a database file, up to its lookup table.
inline std::vector<Rec> Records(const std::vector<unsigned char>& f) {
  std::vector<Rec> v;
  for (std::size_t at = 29; at + 6 <= f.size() && f[at] != 31;) {
    const std::size_t len = f[at + 2] | f[at + 3] << 8;
    v.push_back({f[at], std::vector<unsigned char>(f.begin() + static_cast<long>(at) + 6,
                                                   f.begin() + static_cast<long>(at + len))});
    at += len;
  }
  return v;
}

// The data record bodies (note, previous and next links cleared), each
// followed by its note's text, sorted.
inline std::vector<std::vector<unsigned char>> Items(const std::vector<unsigned char>& file) {
  const std::vector<Rec> recs = Records(file);
  std::vector<std::vector<unsigned char>> notes, items;
  for (const Rec& r : recs) {
    if (r.type == 9) notes.push_back(r.body);
  }
  for (const Rec& r : recs) {
    if (r.type != 11) continue;
    std::vector<unsigned char> b = r.body;
    const int note = static_cast<int16_t>(b[8] | b[9] << 8);
    std::fill(b.begin() + 8, b.begin() + 14, 0);
    if (note >= 0)
      b.insert(b.end(), notes.at(static_cast<std::size_t>(note)).begin(),
               notes.at(static_cast<std::size_t>(note)).end());
    items.push_back(b);
  }
  std::sort(items.begin(), items.end());
  return items;
}

// An appointment book holding its chain record 0 and the given items, each
// note as a note record.
inline std::vector<unsigned char> Book(std::vector<fixture::Appt> items, const std::vector<std::string>& notes = {}) {
  fixture::DbFile db('2');
  db.Add(14, 0, 0, fixture::Bytes().zeros(23));
  for (std::size_t i = 0; i < notes.size(); ++i) db.Add(9, 0, static_cast<int>(i), fixture::Bytes().str(notes[i]));
  for (std::size_t i = 0; i < items.size(); ++i) db.Add(11, 0, static_cast<int>(i), items[i].Encode());
  return db.Finish();
}

// What the run said after the banner.
inline std::string Said(const fixture::RunResult& r) { return r.err.substr(r.err.find("\n\n") + 2); }

// s cut at every sep ("" is one empty field).
inline std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> v;
  for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 1) {
    end = s.find(sep, at);
    v.push_back(s.substr(at, end == std::string::npos ? end : end - at));
  }
  return v;
}

// The rows of a CSV file as Python's csv module reads it with strict=True;
// a parse error fails the test.
inline std::vector<std::vector<std::string>> PythonRows(const std::string& path) {
  const std::string cmd =
      "/usr/bin/python3 -c \"import csv,sys\n"
      "for r in csv.reader(open(sys.argv[1], newline='', encoding='utf-8'), strict=True):\n"
      "  sys.stdout.buffer.write('\\x1f'.join(r).encode() + b'\\x1e')\" '" +
      path + "' 2>&1";
  std::FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  EXPECT_EQ(pclose(p), 0) << out;
  std::vector<std::vector<std::string>> rows;
  for (const std::string& row : Split(out, '\x1e')) rows.push_back(Split(row, '\x1f'));
  rows.pop_back();  // what follows the last row's mark
  return rows;
}

}  // namespace csvcheck
