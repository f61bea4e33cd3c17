// database_file: the organiser's database file as records. The input is read
// whole into memory and read back record by record; the output database is
// written record by record, each registered for the lookup table that closes
// the file; note records are found by number in the input. The byte layout
// of every structure is layout.h.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "kalvert.h"

// ---------------------------------------------------------------------------
// Reading the input (input_image, records, record_body)
// ---------------------------------------------------------------------------

// Reads the whole input database into memory. A file larger than the lookup
// table can describe, or one that cannot be read, ends the run.
void LoadInputImage(std::FILE* f, InputImage* pImage);

// Readers and writers of whole structures. n * m must equal the size on
// disk; the result is m, or -1 when a field was not transferred in full. The
// writers write the output database.
int fread_RHDR(RecordHeader* p, int n, int m, InputImage& f);
int fwrite_RHDR(const RecordHeader* p, int n, int m);
int fread_DBHDR(DBHeader* p, int n, int m, InputImage& f);
int fwrite_DBHDR(const DBHeader* p, int n, int m);
int fread_FDEF(FieldDefine* p, int n, int m, InputImage& f);
int fwrite_NRA(const NonRepeaAppt* p, int n, int m);
int fwrite_RIA(const RepeatInformationAppt* p, int n, int m);
[[noreturn]] void fwerr(const char* s, int r, int e);
[[noreturn]] void frerr(const char* s, int r, int e);

// Reads the next record header; false at end of file or on a short header.
// A header whose iLength is below 6 ends the run:
// "Broken record at offset %ld.\n".
bool ReadRecordHeader(RecordHeader* prh, InputImage& f);

// The body size of a record whose header has been read (iLength is at least
// 6: ReadRecordHeader refuses anything shorter).
inline long BodySize(const RecordHeader& rh) { return static_cast<long>(rh.iLength) - kSizeRHDR; }
// Reads lSize bytes of the input; false when they do not arrive whole.
bool ReadBytes(std::vector<unsigned char>* pBuf, long lSize);
// Passes over a body. A body that runs past the end of the file is no
// failure here: the position goes where the body would end, and the next
// header read finds the end.
inline void SkipBody(const RecordHeader& rh) { files.in.Seek(files.in.Tell() + BodySize(rh)); }

// The input's position, put back when the scope ends.
class KeepInputPosition {
 public:
  KeepInputPosition() : lAt_(files.in.Tell()) {}
  ~KeepInputPosition() { files.in.Seek(lAt_); }
  KeepInputPosition(const KeepInputPosition&) = delete;
  KeepInputPosition& operator=(const KeepInputPosition&) = delete;

 private:
  long lAt_;
};

// The next data record from the input's position up to the lookup table or
// the end; other records are passed over. beforeHeader runs before each
// record header is read. A body cut short ends the run.
template <typename F>
bool NextDataRecord(RecordHeader* prh, RecordBody* pBody, F&& beforeHeader) {
  for (;;) {
    beforeHeader();
    if (!ReadRecordHeader(prh, files.in) || prh->cType == TYPE_LOOKUPTABLE) return false;
    if (prh->cType != TYPE_DATA) {
      SkipBody(*prh);
      continue;
    }
    pBody->iRecord = prh->iRecord;
    if (!ReadBytes(&pBody->bytes, BodySize(*prh))) {
      Fatal("%ld\n2. Failed read TYPE_DATA in file.\n", static_cast<long>(prh->iLength));
    }
    pBody->bytes.push_back(0);
    return true;
  }
}

// Bounds-checked access to a data record body. A value that does not lie
// wholly inside the body ends the run: "Broken TYPE_DATA record %d.\n".
void CheckBody(const RecordBody& body, long lOffset, long lWidth);
uint16_t BodyU16(const RecordBody& body, long lOffset);
uint8_t BodyU8(const RecordBody& body, long lOffset);
// The text that starts at lOffset (0 up to the body length): up to its NUL or
// the end of the body.
std::string BodyText(const RecordBody& body, long lOffset);

// The -d dump's lines naming a record type or status.
int16_t CheckRecordType(char iFlag);
void CheckRecordStatus(char iFlag);

// ---------------------------------------------------------------------------
// Notes (notes)
// ---------------------------------------------------------------------------

std::string ReadNote(int16_t word, int8_t cRepeatType);
// The whole body of the note record `word`, every byte as stored; empty (after
// the not-found message) when no such note exists. ReadNote is its shaped form.
std::string ReadStoredNote(int16_t word);
// The text up to its first NUL, with CR and LF converted as -n asks.
std::string ShapeNote(const std::string& raw);
// Each backslash followed by the letter n turned back into CR LF.
std::string ChangeString(std::string szText);

// ---------------------------------------------------------------------------
// Writing the output (records, lookup_table)
// ---------------------------------------------------------------------------

struct SeekInfomation {
  int32_t lSeekPt;  // output offset of the record's header
  int16_t iSize;    // the record's iLength
  int16_t iRecordNum;
  SeekInfomation* pnext_sinf;
};
using SINF = SeekInfomation;
using PSINF = SeekInfomation*;

constexpr int kSeekInfoTypes = 32;              // one list per record type 0..31
constexpr int kMaxLookUpEntries = 4095;         // 8 * N + 6 must fit a signed 16-bit length
constexpr int32_t kMaxLookUpOffset = 16777216;  // an entry keeps three offset bytes

// pSeekInfo: the 32 list heads, and the nodes they link (owned here).
struct SeekInfoLists {
  std::array<PSINF, kSeekInfoTypes> heads{};
  std::deque<SeekInfomation> nodes;
  // Kept by AddSeekInfo beside the lists, so that registering and counting
  // do not walk them: each list's last node of every record number, and its
  // length.
  std::array<std::map<int16_t, PSINF>, kSeekInfoTypes> lastOfNumber{};
  std::array<int, kSeekInfoTypes> counts{};
};

// Registers a record about to be written at lSeek. Refuses a type of 32 or
// more, a 4096th record and an offset the lookup table cannot hold.
void AddSeekInfo(SeekInfoLists* pSeekInfo, const RecordHeader* prhdr, int32_t lSeek);
// Registers a record header at the output's current position (unless
// pSeekInfo is null: the lookup table itself is not listed) and writes it.
void WriteRecordHeader(SeekInfoLists* pSeekInfo, const RecordHeader& rh);
// Writes the empty view point table, the lookup table and the type index;
// sets lLast and returns the number of entries.
int WriteLookUpSeek(SeekInfoLists* pSeekInfo);

// Writes bytes to the output database; a short write ends the run with
// "Failed write file.\n".
void WriteOut(const void* data, std::size_t size);
// The output database's current position.
int32_t OutPos();
// Moves the output back to lAt (the header is rewritten at the end).
void SeekOutput(long lAt);

namespace recwrite {

constexpr long kMaxRecordLength = 32767;  // iLength is a signed 16-bit number

inline void CheckLength(long lLength) {
  if (lLength > kMaxRecordLength) Fatal("Record too long to write.\n");
}

inline void PutHeader(SeekInfoLists* pSeekInfo, uint8_t cType, uint8_t cStatus, long lLength, int16_t iRecord) {
  CheckLength(lLength);
  WriteRecordHeader(pSeekInfo, RecordHeader{cType, cStatus, static_cast<int16_t>(lLength), iRecord});
}

inline void PutText(const std::string& s) { WriteOut(s.data(), s.size()); }

// A text with its NUL.
inline void PutCText(const std::string& s) {
  PutText(s);
  WriteOut("", 1);
}

inline void PutBytes(const std::vector<unsigned char>& v) { WriteOut(v.data(), v.size()); }

}  // namespace recwrite

// Records of a general database are written with status 1.
constexpr uint8_t kCardRecordStatus = 1;

// A note record: its header (registered) and its text, every byte as given.
void WriteNoteRecord(SeekInfoLists* pSeekInfo, uint8_t cStatus, int16_t iRecord, const std::string& note);
// Registers a record at the output's current position, then writes it.
void CopyRecordOut(SeekInfoLists* pSeekInfo, const RecordHeader& rh, const unsigned char* pBody, std::size_t nBody);
