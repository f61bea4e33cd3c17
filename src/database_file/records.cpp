// records: reading and writing whole structures, record headers and bodies.
// Each structure moves through a buffer of its size on disk, decoded and
// encoded by layout.h; the readers read the input database's image, the
// writers write the output database, whose position WriteOut alone counts.

#include <climits>
#include <cstdio>

#include "database_file.h"

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
int WriteStruct(const T& v, void (*encode)(const T&, unsigned char*), const char* name, int n, int m) {
  unsigned char b[kSize] = {};
  encode(v, b);
  WriteOut(b, kSize);
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

int fwrite_RHDR(const RecordHeader* p, int n, int m) { return WriteStruct<kSizeRHDR>(*p, EncodeRHDR, "RHDR", n, m); }

int fread_DBHDR(DBHeader* p, int n, int m, InputImage& f) {
  return ReadStruct<kSizeDBHDR>(p, DecodeDBHDR, "DBHDR", n, m, f);
}

int fwrite_DBHDR(const DBHeader* p, int n, int m) { return WriteStruct<kSizeDBHDR>(*p, EncodeDBHDR, "DBHDR", n, m); }

int fread_FDEF(FieldDefine* p, int n, int m, InputImage& f) {
  return ReadStruct<kSizeFDEF>(p, DecodeFDEF, "FDEF", n, m, f);
}

int fwrite_NRA(const NonRepeaAppt* p, int n, int m) { return WriteStruct<kSizeNRA>(*p, EncodeNRA, "NRA", n, m); }

int fwrite_RIA(const RepeatInformationAppt* p, int n, int m) {
  return WriteStruct<kSizeRIA>(*p, EncodeRIA, "RIA", n, m);
}

bool ReadRecordHeader(RecordHeader* prh, InputImage& f) {
  if (fread_RHDR(prh, 1, kSizeRHDR, f) != kSizeRHDR) return false;
  // The header's offset is asked only when it is needed for the message.
  if (prh->iLength < kSizeRHDR) Fatal("Broken record at offset %ld.\n", f.Tell() - kSizeRHDR);
  return true;
}

void WriteRecordHeader(SeekInfoLists* pSeekInfo, const RecordHeader& rh) {
  if (pSeekInfo) AddSeekInfo(pSeekInfo, &rh, OutPos());
  fwrite_RHDR(&rh, kSizeRHDR, 1);
}

bool ReadBytes(std::vector<unsigned char>* pBuf, long lSize) {
  pBuf->resize(static_cast<std::size_t>(lSize));  // every byte is read into
  if (lSize == 0) return true;
  return files.in.Read(pBuf->data(), pBuf->size()) == pBuf->size();
}

void WriteOut(const void* data, std::size_t size) {
  if (size == 0) return;
  if (std::fwrite(data, 1, size, files.fpout) != size) Fatal("Failed write file.\n");
  files.lOutPos += static_cast<int64_t>(size);
}

int32_t OutPos() {
  // Offsets past the lookup table's reach are refused when a record is
  // registered; keep the value meaningful for that test.
  return files.lOutPos > INT32_MAX ? INT32_MAX : static_cast<int32_t>(files.lOutPos);
}

void SeekOutput(long lAt) {
  if (std::fseek(files.fpout, lAt, SEEK_SET) != 0) Fatal("Failed write file.\n");
  files.lOutPos = lAt;
}

void CopyRecordOut(SeekInfoLists* pSeekInfo, const RecordHeader& rh, const unsigned char* pBody, std::size_t nBody) {
  WriteRecordHeader(pSeekInfo, rh);
  WriteOut(pBody, nBody);
}

void WriteNoteRecord(SeekInfoLists* pSeekInfo, uint8_t cStatus, int16_t iRecord, const std::string& note) {
  recwrite::PutHeader(pSeekInfo, TYPE_NOTE, cStatus, static_cast<long>(note.size()) + kSizeRHDR, iRecord);
  recwrite::PutText(note);
}
