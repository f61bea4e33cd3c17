// frw: the record readers and writers. Each moves one structure through a
// buffer of its size on disk, decoded and encoded by layout.h; the readers
// read the input database's image.
#include <cstdio>

#include "kalvert.h"

namespace {

// n * m is the size the caller expects; a structure of another size is a
// program error, reported as the transfer of the wrong number of bytes.
template <int kSize, typename T>
int ReadStruct(T* p, void (*decode)(const unsigned char*, T*), const char* name, int n, int m, InputImage& f) {
  unsigned char b[kSize];
  if (f.Read(b, kSize) != static_cast<std::size_t>(kSize)) return -1;
  decode(b, p);
  if (n * m != kSize) frerr(name, kSize, n * m);
  return m;
}

template <int kSize, typename T>
int WriteStruct(const T& v, void (*encode)(const T&, unsigned char*), const char* name, int n, int m, std::FILE* f) {
  unsigned char b[kSize];
  encode(v, b);
  if (std::fwrite(b, 1, kSize, f) != static_cast<std::size_t>(kSize)) return -1;
  if (f == files.fpout) files.lOutPos += kSize;  // the output position is counted, never asked
  if (n * m != kSize) fwerr(name, kSize, n * m);
  return m;
}

}  // namespace

[[noreturn]] void fwerr(const char* s, int r, int e) {
  Fatal("fwrite_%s: %d bytes written (%d bytes expected)\n", s, r, e);
}

[[noreturn]] void frerr(const char* s, int r, int e) {
  Fatal("fread_%s: %d bytes read (%d bytes expected)\n", s, r, e);
}

int fread_RHDR(RecordHeader* p, int n, int m, InputImage& f) {
  return ReadStruct<kSizeRHDR>(p, DecodeRHDR, "RHDR", n, m, f);
}

int fwrite_RHDR(const RecordHeader* p, int n, int m, std::FILE* f) {
  return WriteStruct<kSizeRHDR>(*p, EncodeRHDR, "RHDR", n, m, f);
}

int fread_DBHDR(DBHeader* p, int n, int m, InputImage& f) {
  return ReadStruct<kSizeDBHDR>(p, DecodeDBHDR, "DBHDR", n, m, f);
}

int fwrite_DBHDR(const DBHeader* p, int n, int m, std::FILE* f) {
  return WriteStruct<kSizeDBHDR>(*p, EncodeDBHDR, "DBHDR", n, m, f);
}

int fread_FDEF(FieldDefine* p, int n, int m, InputImage& f) {
  return ReadStruct<kSizeFDEF>(p, DecodeFDEF, "FDEF", n, m, f);
}

int fwrite_NRA(const NonRepeaAppt* p, int n, int m, std::FILE* f) {
  return WriteStruct<kSizeNRA>(*p, EncodeNRA, "NRA", n, m, f);
}

int fwrite_RIA(const RepeatInformationAppt* p, int n, int m, std::FILE* f) {
  return WriteStruct<kSizeRIA>(*p, EncodeRIA, "RIA", n, m, f);
}
