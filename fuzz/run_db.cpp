// Fuzz target: a whole run over a database file. The first input byte picks
// one of the option sets of fuzzsets::RunDb(), the other bytes are the
// database file.
#include <algorithm>
#include <vector>

#include "harness.h"
#include "optionsets.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz::Initialize(argc, argv);
  fuzz::WriteFile(fuzz::PathOf("in.csv"), reinterpret_cast<const uint8_t*>(fuzzsets::kRunDbCsv),
                  sizeof fuzzsets::kRunDbCsv - 1);
  return 0;
}

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// A copied general database has each note link renumbered in place. When a
// direct link's two bytes overlap the two-byte pointer of an indirect field,
// or a link is itself reached through a pointer (so it may land anywhere),
// the renumbering can move another field's text out of the record: such
// definitions contradict each other and the copy is not required to read
// back. Definitions are the type-6 records before the lookup table.
bool LinksMayHitPointers(const uint8_t* file, std::size_t size) {
  struct Def {
    uint8_t type;
    int32_t offset;
    bool indirect;
  };
  std::vector<Def> defs;
  for (std::size_t pos = 29; pos + 6 <= size;) {
    const uint8_t type = file[pos];
    const int16_t length = static_cast<int16_t>(U16(file + pos + 2));
    if (type == 31 || length < 6) break;
    if (type == 6 && pos + 6 + 5 <= size) {
      const uint8_t* body = file + pos + 6;
      defs.push_back({body[0], static_cast<int16_t>(U16(body + 2)), (body[4] & 0x20) != 0});
    }
    pos += static_cast<std::size_t>(length);
  }
  for (const Def& link : defs) {
    if (link.type != 10) continue;
    if (link.indirect) return true;
    for (const Def& other : defs) {
      if (other.indirect && other.offset < link.offset + 2 && link.offset < other.offset + 2) return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto& sets = fuzzsets::RunDb();
  const fuzzsets::Set& set = sets[data[0] % sets.size()];
  const std::string db = fuzz::PathOf("in.dat");
  fuzz::WriteFile(db, data + 1, size - 1);

  const auto has = [&set](const char* w) { return std::find(set.begin(), set.end(), w) != set.end(); };
  const int status = fuzz::Run(fuzzsets::Arguments(set, db, fuzz::PathOf("in.csv"), fuzz::PathOf("out.dat")));
  // An imported record of a general database is laid out in definition
  // order, which reads back only under definitions that say the same; an
  // appointment record has one fixed layout, and a copy is a copy (with its
  // note links renumbered).
  const bool book = size > 13 && data[13] == '2';
  const bool readBack = book || (!has("-i") && !LinksMayHitPointers(data + 1, size - 1));
  if (status == 0 && has("-o") && readBack) fuzz::RequireReadsBack();
  return 0;
}
