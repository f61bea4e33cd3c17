// Byte-level builder for test fixtures: database files written straight from
// the byte layouts, never through the program's own writers (a writer bug
// would otherwise be mirrored into its own fixtures).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

// A growing byte string with little-endian appenders.
struct Bytes {
  std::vector<unsigned char> v;

  Bytes& u8(unsigned x) {
    v.push_back(static_cast<unsigned char>(x & 0xFF));
    return *this;
  }
  Bytes& le16(int x) {
    u8(static_cast<unsigned>(x));
    u8(static_cast<unsigned>(x) >> 8);
    return *this;
  }
  Bytes& le32(long x) {
    const unsigned long u = static_cast<unsigned long>(x);
    for (int i = 0; i < 4; ++i) u8(static_cast<unsigned>(u >> (8 * i)));
    return *this;
  }
  Bytes& str(const std::string& s) {
    v.insert(v.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& cstr(const std::string& s) {
    str(s);
    return u8(0);
  }  // text and its NUL
  Bytes& zeros(std::size_t n) {
    v.insert(v.end(), n, 0);
    return *this;
  }
  Bytes& bytes(const Bytes& b) {
    v.insert(v.end(), b.v.begin(), b.v.end());
    return *this;
  }
  std::size_t size() const { return v.size(); }
  std::string text() const { return std::string(v.begin(), v.end()); }
};

// The 25 header bytes at offset 4.
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
    Bytes b;
    b.u8(cType)
        .u8(cStatus)
        .le16(iLength)
        .le16(iRecord)
        .le16(iReleaseNum)
        .u8(cFileType)
        .u8(cFileStatus)
        .le16(iCurrViewPt)
        .le16(iNumRecords)
        .le32(iLookUpSeek)
        .u8(cYear)
        .u8(cMonth)
        .u8(cDay)
        .le16(iMinute)
        .u8(iViewPtHash1)
        .u8(iViewPtHash2);
    return b;
  }
};

// A whole database file: signature, header, records, and (on Finish) a
// lookup table record whose offset and entry count go into the header.
class DbFile {
 public:
  explicit DbFile(unsigned char fileType = '2') { header.cFileType = fileType; }

  Header header;

  // Appends a record; returns the offset of its header. iLength is the body
  // size + 6 unless given.
  long Add(unsigned type, unsigned status, int recnum, const Bytes& body, int iLength = -1) {
    const long at = static_cast<long>(kFirst + records_.size());
    records_.u8(type).u8(status).le16(iLength < 0 ? static_cast<int>(body.size()) + 6 : iLength).le16(recnum);
    records_.bytes(body);
    entries_.push_back({type, static_cast<int>(body.size()) + 6, recnum, at});
    return at;
  }

  // Raw bytes after the records so far (for broken files).
  void AddRaw(const Bytes& raw) { records_.bytes(raw); }

  // Appends a lookup table listing the records added so far (in file order),
  // sets iLookUpSeek and iNumRecords unless told to keep the header as set,
  // and returns the whole file.
  std::vector<unsigned char> Finish(bool withLookup = true, bool setHeader = true) {
    Bytes table;
    const long at = static_cast<long>(kFirst + records_.size());
    if (withLookup) {
      table.u8(31).u8(2).le16(static_cast<int>(entries_.size()) * 8 + 6).le16(0);
      for (const auto& e : entries_) {
        table.le16(e.size).u8(0xFF).u8(0xFF).u8(0);
        table.u8(static_cast<unsigned>(e.offset))
            .u8(static_cast<unsigned>(e.offset >> 8))
            .u8(static_cast<unsigned>(e.offset >> 16));
      }
      table.zeros(64);
    }
    if (setHeader) {
      header.iLookUpSeek = withLookup ? at : 0;
      header.iNumRecords = static_cast<int>(entries_.size());
    }
    Bytes file;
    file.u8(0x68).u8(0x63).u8(0x44).u8(0x00);
    file.bytes(header.Encode());
    file.bytes(records_);
    file.bytes(table);
    return file.v;
  }

  static constexpr long kFirst = 29;

 private:
  struct Entry {
    unsigned type;
    int size;
    int recnum;
    long offset;
  };
  Bytes records_;
  std::vector<Entry> entries_;
};

// Body of a TYPE_FIELDDEF record: the 7-byte field definition and the name.
inline Bytes FieldDefBody(unsigned type, unsigned id, int dataOffset, unsigned flags, unsigned res1, unsigned res2,
                          const std::string& name) {
  Bytes b;
  b.u8(type).u8(id).le16(dataOffset).u8(flags).u8(res1).u8(res2).str(name);
  return b;
}

// Fields of an appointment-book data record, laid out as the writer packs
// them unless offsets are forced.
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
  // Forced offsets (-1: packed).
  int osCategory = -1, osLocation = -1, osRepeat = -1, length = -1;

  static unsigned Time(int minutes) { return static_cast<unsigned>(minutes) & 0xFFFF; }
  Appt& start(int minutes) {
    t1 = Time(minutes) & 0xFF;
    t2 = Time(minutes) >> 8;
    return *this;
  }
  Appt& end(int minutes) {
    e1 = Time(minutes) & 0xFF;
    e2 = Time(minutes) >> 8;
    return *this;
  }

  Bytes Encode() const {
    const int dl = static_cast<int>(description.size()) + 1;
    const int cl = static_cast<int>(category.size()) + 1;
    const int ll = static_cast<int>(location.size()) + 1;
    const int oc = osCategory >= 0 ? osCategory : 27 + dl;
    const int ol = osLocation >= 0 ? osLocation : 27 + dl + cl;
    const int orp = osRepeat >= 0 ? osRepeat : 27 + dl + cl + ll;
    const int rl = repeats ? 12 + static_cast<int>(deleted.size()) : 0;
    const int len = length >= 0 ? length : 27 + dl + cl + ll + rl;
    Bytes b;
    b.le16(len).le16(oc).le16(ol).le16(orp).le16(note).le16(prev).le16(next);
    b.u8(cFlags).u8(cYear).u8(cMonth).u8(cDay).u8(t1).u8(t2).le16(iEndDate).u8(e1).u8(e2).u8(lead).u8(leadTime).u8(
        static_cast<unsigned>(cRepeatType));
    b.cstr(description).cstr(category).cstr(location);
    if (repeats) {
      for (unsigned char c : ria) b.u8(c);
      b.bytes(deleted);
    }
    return b;
  }
};

}  // namespace fixture
