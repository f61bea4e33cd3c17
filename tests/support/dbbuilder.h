// Byte-level builder for test fixtures: database files written straight from
// the byte layouts, never through the program's own writers (a writer bug
// would otherwise be mirrored into its own fixtures).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

// A growing byte string with little-endian appenders.
struct Bytes {
  std::vector<unsigned char> v;

  Bytes& u8(unsigned long x) {
    v.push_back(static_cast<unsigned char>(x & 0xFF));
    return *this;
  }
  Bytes& le16(long x) { return u8(static_cast<unsigned long>(x)).u8(static_cast<unsigned long>(x) >> 8); }
  Bytes& le24(long x) { return le16(x).u8(static_cast<unsigned long>(x) >> 16); }
  Bytes& le32(long x) { return le24(x).u8(static_cast<unsigned long>(x) >> 24); }
  Bytes& str(const std::string& s) {
    v.insert(v.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& cstr(const std::string& s) { return str(s).u8(0); }  // text and its NUL
  Bytes& zeros(std::size_t n) { return str(std::string(n, '\0')); }
  Bytes& bytes(const Bytes& b) { return str(b.text()); }
  std::size_t size() const { return v.size(); }
  std::string text() const { return std::string(v.begin(), v.end()); }
};

// A record header followed by its body.
inline Bytes Record(unsigned type, unsigned status, int recnum, const Bytes& body) {
  return Bytes().u8(type).u8(status).le16(static_cast<long>(body.size()) + 6).le16(recnum).bytes(body);
}

// The signature and the 25 header bytes at offset 4.
struct Header {
  unsigned cType = 0, cStatus = 0;
  int iLength = 25, iRecord = 0, iReleaseNum = 0x0102;
  unsigned char cFileType = '2';
  unsigned cFileStatus = 0;
  int iCurrViewPt = 0, iNumRecords = 0;
  long iLookUpSeek = 0;
  unsigned cYear = 99, cMonth = 11, cDay = 30;
  int iMinute = 1439;
  unsigned iViewPtHash1 = 7, iViewPtHash2 = 9;

  Bytes Encode() const {
    Bytes b = Bytes().str("hcD").u8(0).u8(cType).u8(cStatus).le16(iLength).le16(iRecord).le16(iReleaseNum);
    b.u8(cFileType).u8(cFileStatus).le16(iCurrViewPt).le16(iNumRecords).le32(iLookUpSeek);
    return b.u8(cYear).u8(cMonth).u8(cDay).le16(iMinute).u8(iViewPtHash1).u8(iViewPtHash2);
  }
};

// A whole database file: signature, header, records, and (on Finish) a
// lookup table record whose offset and entry count go into the header.
class DbFile {
 public:
  explicit DbFile(unsigned char fileType = '2') { header.cFileType = fileType; }

  Header header;
  static constexpr long kFirst = 29;

  // Appends a record; returns the offset of its header.
  long Add(unsigned type, unsigned status, int recnum, const Bytes& body) {
    const long at = kFirst + static_cast<long>(records_.size());
    records_.bytes(Record(type, status, recnum, body));
    entries_.le16(static_cast<long>(body.size()) + 6).u8(0xFF).u8(0xFF).u8(0).le24(at);
    return at;
  }

  // Raw bytes after the records so far (for broken files).
  void AddRaw(const Bytes& raw) { records_.bytes(raw); }

  // Appends a lookup table listing the records added so far (in file order),
  // sets iLookUpSeek and iNumRecords, and returns the whole file.
  std::vector<unsigned char> Finish(bool withLookup = true) {
    header.iLookUpSeek = withLookup ? kFirst + static_cast<long>(records_.size()) : 0;
    header.iNumRecords = static_cast<int>(entries_.size() / 8);
    Bytes file = header.Encode().bytes(records_);
    if (withLookup) file.bytes(Record(31, 2, 0, entries_)).zeros(64);
    return file.v;
  }

 private:
  Bytes records_, entries_;  // the records, and their lookup table entries
};

// Body of a TYPE_FIELDDEF record: the 7-byte field definition and the name.
inline Bytes FieldDefBody(unsigned type, unsigned id, int dataOffset, unsigned flags, unsigned res1, unsigned res2,
                          const std::string& name) {
  return Bytes().u8(type).u8(id).le16(dataOffset).u8(flags).u8(res1).u8(res2).str(name);
}

// Fields of an appointment-book data record, laid out as the writer packs them.
struct Appt {
  unsigned cFlags = 0x87;
  unsigned cYear = 100, cMonth = 0, cDay = 0;  // 2000/01/01
  unsigned t1 = 0xFF, t2 = 0xFF;               // start time bytes (or ToDo priority)
  unsigned e1 = 0xFF, e2 = 0xFF;               // end time bytes (or ToDo completion year, month)
  unsigned lead = 5, leadTime = 0;             // cLeadTimeDay, cLeadTime
  int iEndDate = 0;
  int note = -1, prev = -1, next = -1;
  int cRepeatType = 1;
  std::string description, category, location;
  bool repeats = false;
  unsigned char ria[12] = {0};  // cFreq .. cDelete
  Bytes deleted;                // cDelete * 4 raw bytes

  Appt() = default;
  Appt(std::string desc, unsigned y, unsigned m, unsigned d, std::string loc = "")
      : cYear(y), cMonth(m), cDay(d), description(std::move(desc)), location(std::move(loc)) {}
  Appt& start(int minutes) { return Time(minutes, &t1, &t2); }
  Appt& end(int minutes) { return Time(minutes, &e1, &e2); }
  Appt& Time(int minutes, unsigned* low, unsigned* high) {
    *low = static_cast<unsigned>(minutes) & 0xFF;
    *high = static_cast<unsigned>(minutes) >> 8 & 0xFF;
    return *this;
  }
  // A repeat block: cFreq .. cDelete.
  Appt& repeat(int type, const std::vector<unsigned char>& block) {
    cRepeatType = type;
    repeats = true;
    std::copy(block.begin(), block.end(), ria);
    return *this;
  }

  Bytes Encode() const {
    const int dl = static_cast<int>(description.size()) + 1;
    const int cl = static_cast<int>(category.size()) + 1;
    const int ll = static_cast<int>(location.size()) + 1;
    const int rl = repeats ? 12 + static_cast<int>(deleted.size()) : 0;
    Bytes b = Bytes().le16(27 + dl + cl + ll + rl).le16(27 + dl).le16(27 + dl + cl).le16(27 + dl + cl + ll);
    b.le16(note).le16(prev).le16(next).u8(cFlags).u8(cYear).u8(cMonth).u8(cDay).u8(t1).u8(t2).le16(iEndDate);
    b.u8(e1).u8(e2).u8(lead).u8(leadTime).u8(static_cast<unsigned>(cRepeatType));
    b.cstr(description).cstr(category).cstr(location);
    if (repeats) b.bytes(Bytes{{ria, ria + 12}}).bytes(deleted);
    return b;
  }
};

// A record of a written database file: its type, number and body.
struct Rec {
  unsigned type;
  int number;
  std::vector<unsigned char> body;
};

// The records of a database file, after its 29 bytes of signature and
// header, up to its lookup table (type 31). A record's header: type, status,
// length (with the 6 bytes of the header) and number.
inline std::vector<Rec> Records(const std::vector<unsigned char>& f) {
  std::vector<Rec> v;
  for (std::size_t at = 29; at + 6 <= f.size() && f[at] != 31;) {
    const std::size_t len = f[at + 2] | f[at + 3] << 8;
    if (len < 6 || at + len > f.size()) break;
    v.push_back(
        {f[at], f[at + 4] | f[at + 5] << 8,
         std::vector<unsigned char>(f.begin() + static_cast<long>(at) + 6, f.begin() + static_cast<long>(at + len))});
    at += len;
  }
  return v;
}

}  // namespace fixture
