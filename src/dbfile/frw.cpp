// frw: the ten record readers and writers. Each structure is moved one field
// at a time, in file order, with explicit little-endian byte arithmetic, so
// the bytes on disk are the same whatever the host's byte order or padding.
#include <cstdio>
#include <type_traits>

#include "kalvert.h"

namespace {

// One item of 1, 2 or 4 bytes, as an unsigned number. False when it did not
// arrive whole.
bool GetItem(std::FILE* f, int width, uint32_t* value) {
  unsigned char b[4];
  if (std::fread(b, 1, static_cast<std::size_t>(width), f) != static_cast<std::size_t>(width)) return false;
  uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | b[i];
  *value = v;
  return true;
}

bool PutItem(std::FILE* f, int width, uint32_t value) {
  unsigned char b[4];
  for (int i = 0; i < width; ++i) b[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
  return std::fwrite(b, 1, static_cast<std::size_t>(width), f) == static_cast<std::size_t>(width);
}

// Field-by-field transfer. Each step moves one field; the transfer stops at
// the first field that does not move whole. Returns the bytes counted.
class Reader {
 public:
  explicit Reader(std::FILE* f) : f_(f) {}
  template <typename T>
  Reader& operator()(T& field) {
    if (!ok_) return *this;
    uint32_t v;
    if (!GetItem(f_, sizeof(T), &v)) {
      ok_ = false;
      return *this;
    }
    field = static_cast<T>(v);
    count_ += static_cast<int>(sizeof(T));
    return *this;
  }
  bool ok() const { return ok_; }
  int count() const { return count_; }

 private:
  std::FILE* f_;
  bool ok_ = true;
  int count_ = 0;
};

class Writer {
 public:
  explicit Writer(std::FILE* f) : f_(f) {}
  template <typename T>
  Writer& operator()(const T& field) {
    if (!ok_) return *this;
    // Signed fields are written in their two's-complement form.
    const uint32_t v = static_cast<uint32_t>(static_cast<std::make_unsigned_t<T>>(field));
    if (!PutItem(f_, sizeof(T), v)) {
      ok_ = false;
      return *this;
    }
    count_ += static_cast<int>(sizeof(T));
    return *this;
  }
  bool ok() const { return ok_; }
  int count() const { return count_; }

 private:
  std::FILE* f_;
  bool ok_ = true;
  int count_ = 0;
};

int FinishRead(const Reader& r, const char* name, int n, int m) {
  if (!r.ok()) return -1;
  if (n * m != r.count()) frerr(name, r.count(), n * m);
  return m;
}

int FinishWrite(const Writer& w, const char* name, int n, int m) {
  if (!w.ok()) return -1;
  if (n * m != w.count()) fwerr(name, w.count(), n * m);
  return m;
}

}  // namespace

[[noreturn]] void fwerr(const char* s, int r, int e) {
  Fatal("fwrite_%s: %d bytes written (%d bytes expected)\n", s, r, e);
}

[[noreturn]] void frerr(const char* s, int r, int e) {
  Fatal("fread_%s: %d bytes read (%d bytes expected)\n", s, r, e);
}

int fread_RHDR(RecordHeader* p, int n, int m, std::FILE* f) {
  Reader r(f);
  r(p->cType)(p->cStatus)(p->iLength)(p->iRecord);
  return FinishRead(r, "RHDR", n, m);
}

int fwrite_RHDR(const RecordHeader* p, int n, int m, std::FILE* f) {
  Writer w(f);
  w(p->cType)(p->cStatus)(p->iLength)(p->iRecord);
  return FinishWrite(w, "RHDR", n, m);
}

int fread_DBHDR(DBHeader* p, int n, int m, std::FILE* f) {
  Reader r(f);
  r(p->cType)(p->cStatus)(p->iLength)(p->iRecord)(p->iReleaseNum)(p->cFileType)(p->cFileStatus)(p->iCurrViewPt)(
      p->iNumRecords)(p->iLookUpSeek)(p->cYear)(p->cMonth)(p->cDay)(p->iMinute)(p->iViewPtHash1)(p->iViewPtHash2);
  return FinishRead(r, "DBHDR", n, m);
}

int fwrite_DBHDR(const DBHeader* p, int n, int m, std::FILE* f) {
  Writer w(f);
  w(p->cType)(p->cStatus)(p->iLength)(p->iRecord)(p->iReleaseNum)(p->cFileType)(p->cFileStatus)(p->iCurrViewPt)(
      p->iNumRecords)(p->iLookUpSeek)(p->cYear)(p->cMonth)(p->cDay)(p->iMinute)(p->iViewPtHash1)(p->iViewPtHash2);
  return FinishWrite(w, "DBHDR", n, m);
}

int fread_FDEF(FieldDefine* p, int n, int m, std::FILE* f) {
  Reader r(f);
  r(p->cFieldType)(p->cFieldID)(p->iDataOffset)(p->cFlags)(p->cReserved1)(p->cReserved2);
  return FinishRead(r, "FDEF", n, m);
}

int fwrite_FDEF(const FieldDefine* p, int n, int m, std::FILE* f) {
  Writer w(f);
  w(p->cFieldType)(p->cFieldID)(p->iDataOffset)(p->cFlags)(p->cReserved1)(p->cReserved2);
  return FinishWrite(w, "FDEF", n, m);
}

int fread_NRA(NonRepeaAppt* p, int n, int m, std::FILE* f) {
  Reader r(f);
  r(p->iLength)(p->iOsCategory)(p->iOsLocation)(p->iOsRepeat)(p->iNoteRecNum)(p->iPrevRecNum)(p->iNextRecNum)(
      p->cFlags)(p->cYear)(p->cMonth)(p->cDay)(p->cStartTimePri1)(p->cStartTimePri2)(p->iEndDate)(p->cEndTimeYear)(
      p->cEndTimeMonth)(p->cLeadTimeDay)(p->cLeadTime)(p->cRepeatType);
  return FinishRead(r, "NRA", n, m);
}

int fwrite_NRA(const NonRepeaAppt* p, int n, int m, std::FILE* f) {
  Writer w(f);
  w(p->iLength)(p->iOsCategory)(p->iOsLocation)(p->iOsRepeat)(p->iNoteRecNum)(p->iPrevRecNum)(p->iNextRecNum)(
      p->cFlags)(p->cYear)(p->cMonth)(p->cDay)(p->cStartTimePri1)(p->cStartTimePri2)(p->iEndDate)(p->cEndTimeYear)(
      p->cEndTimeMonth)(p->cLeadTimeDay)(p->cLeadTime)(p->cRepeatType);
  return FinishWrite(w, "NRA", n, m);
}

int fread_RIA(RepeatInformationAppt* p, int n, int m, std::FILE* f) {
  Reader r(f);
  r(p->cFreq)(p->Days)(p->Weeks)(p->Month1)(p->Month2)(p->cStartYear)(p->cStartMonth)(p->cStartDay)(p->cEndYear)(
      p->cEndMonth)(p->cEndDay)(p->cDelete);
  return FinishRead(r, "RIA", n, m);
}

int fwrite_RIA(const RepeatInformationAppt* p, int n, int m, std::FILE* f) {
  Writer w(f);
  w(p->cFreq)(p->Days)(p->Weeks)(p->Month1)(p->Month2)(p->cStartYear)(p->cStartMonth)(p->cStartDay)(p->cEndYear)(
      p->cEndMonth)(p->cEndDay)(p->cDelete);
  return FinishWrite(w, "RIA", n, m);
}
