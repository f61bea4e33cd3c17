// layout: the byte layout of every structure of a database file, in one
// place. Each structure has named field offsets, its size on disk, and one
// Decode/Encode pair that moves it field by field with the little-endian
// helpers, so the bytes are the same whatever the host's byte order or padding.
#pragma once

#include <cstdint>

#include "lecoding.h"

// Record type codes (the cType byte of a RecordHeader).
constexpr uint8_t TYPE_DBHEADER = 0;
constexpr uint8_t TYPE_CARDDEF = 4;
constexpr uint8_t TYPE_CATEGORY = 5;
constexpr uint8_t TYPE_FIELDDEF = 6;
constexpr uint8_t TYPE_VIEWPTDEF = 7;
constexpr uint8_t TYPE_NOTE = 9;
constexpr uint8_t TYPE_VIEWPTTABLE = 10;
constexpr uint8_t TYPE_DATA = 11;
constexpr uint8_t TYPE_LINKDEF = 12;
constexpr uint8_t TYPE_CARDPAGEDEF = 13;
constexpr uint8_t TYPE_USER14 = 14;  // holds the appointment chain
constexpr uint8_t TYPE_USER15 = 15;
constexpr uint8_t TYPE_LOOKUPTABLE = 31;

// Field types of a general database (cFieldType of a field definition).
// 0 and 1: a 16-bit word shown as 0 or 1.
constexpr uint8_t kFieldTime = 7;         // signed minutes; 0x00 0x80 is no time
constexpr uint16_t kNoTime = 0x8000;      // the organiser's "no time" as a word
constexpr uint8_t kFieldDate = 8;         // three date bytes; 0xFF 0xFF 0xFF is no date
constexpr uint8_t kFieldRadio = 9;        // a radio button; its group has one 2-byte slot
constexpr uint8_t kFieldNote = 10;        // the record number of a note; 0xFFFF is none
constexpr uint8_t kFieldGroupStart = 11;  // starts a radio-button group
constexpr uint8_t kFieldHeading = 23;     // a name in the heading, no column
// Types 12 and 14 close a radio-button group; every type from 2 to 6, 13
// and 15 is a text.
constexpr bool EndsRadioGroup(uint8_t cFieldType) { return cFieldType == 12 || cFieldType == 14; }
// The field types that make a column of a line (and a slot of its record);
// 11 to 14 and 16 and above make none.
constexpr bool FieldMakesColumn(uint8_t cFieldType) { return cFieldType <= 10 || cFieldType == 13 || cFieldType == 15; }
// A text field's slot holds the offset of the text, not the text.
constexpr uint8_t kFlagIndirect = 0x20;
constexpr uint16_t kNoNote = 0xFFFF;

// Record status codes.
constexpr uint8_t STATUS_GARBAGE = 1;
constexpr uint8_t STATUS_MODIFIED = 2;

constexpr unsigned char kSignature[4] = {0x68, 0x63, 0x44, 0x00};  // "hcD" and NUL
constexpr int32_t kFirstRecordOffset = 29;                         // signature + header

struct DBHeader {
  uint8_t cType;
  uint8_t cStatus;
  int16_t iLength;
  int16_t iRecord;
  int16_t iReleaseNum;
  uint8_t cFileType;
  uint8_t cFileStatus;
  int16_t iCurrViewPt;
  int16_t iNumRecords;
  int32_t iLookUpSeek;
  uint8_t cYear;
  uint8_t cMonth;
  uint8_t cDay;
  int16_t iMinute;
  uint8_t iViewPtHash1;
  uint8_t iViewPtHash2;
};
using DBHDR = DBHeader;
using PDBHDR = DBHeader*;

struct RecordHeader {
  uint8_t cType;
  uint8_t cStatus;
  int16_t iLength;  // whole record, these 6 header bytes included
  int16_t iRecord;
};
using RHDR = RecordHeader;
using PRHDR = RecordHeader*;

struct FieldDefine {
  uint8_t cFieldType;
  uint8_t cFieldID;
  int16_t iDataOffset;
  uint8_t cFlags;
  uint8_t cReserved1;
  uint8_t cReserved2;
};
using FDEF = FieldDefine;
using PFDEF = FieldDefine*;

// Fixed part of an appointment-book data record (27 bytes on disk).
struct NonRepeaAppt {
  int16_t iLength;
  int16_t iOsCategory;
  int16_t iOsLocation;
  int16_t iOsRepeat;
  int16_t iNoteRecNum;
  int16_t iPrevRecNum;
  int16_t iNextRecNum;
  uint8_t cFlags;
  uint8_t cYear;
  uint8_t cMonth;
  uint8_t cDay;
  uint8_t cStartTimePri1;
  uint8_t cStartTimePri2;
  uint16_t iEndDate;
  uint8_t cEndTimeYear;
  uint8_t cEndTimeMonth;
  uint8_t cLeadTimeDay;
  uint8_t cLeadTime;
  int8_t cRepeatType;
};
using NRA = NonRepeaAppt;
using PNRA = NonRepeaAppt*;

// Repeat block of an appointment-book data record (12 bytes on disk).
struct RepeatInformationAppt {
  int8_t cFreq;
  uint8_t Days;
  uint8_t Weeks;
  uint8_t Month1;
  uint8_t Month2;
  uint8_t cStartYear;
  uint8_t cStartMonth;
  uint8_t cStartDay;
  uint8_t cEndYear;
  uint8_t cEndMonth;
  uint8_t cEndDay;
  int8_t cDelete;
};
using RIA = RepeatInformationAppt;
using PRIA = RepeatInformationAppt*;

namespace layout {

// Record header: every record starts with it.
namespace rhdr {
constexpr int kType = 0, kStatus = 1, kLength = 2, kRecord = 4;
constexpr int kSize = 6;
}  // namespace rhdr

// Database header, after the 4-byte signature.
namespace dbhdr {
constexpr int kType = 0, kStatus = 1, kLength = 2, kRecord = 4, kReleaseNum = 6, kFileType = 8, kFileStatus = 9,
              kCurrViewPt = 10, kNumRecords = 12, kLookUpSeek = 14, kYear = 18, kMonth = 19, kDay = 20, kMinute = 21,
              kViewPtHash1 = 23, kViewPtHash2 = 24;
constexpr int kSize = 25;
}  // namespace dbhdr

// Field definition: the body of a TYPE_FIELDDEF record, followed by the name.
namespace fdef {
constexpr int kFieldType = 0, kFieldID = 1, kDataOffset = 2, kFlags = 4, kReserved1 = 5, kReserved2 = 6;
constexpr int kSize = 7;
}  // namespace fdef

// Appointment-book data record: the fixed part, then the description.
namespace nra {
constexpr int kLength = 0, kOsCategory = 2, kOsLocation = 4, kOsRepeat = 6, kNoteRecNum = 8, kPrevRecNum = 10,
              kNextRecNum = 12, kFlags = 14, kYear = 15, kMonth = 16, kDay = 17, kStartTimePri1 = 18,
              kStartTimePri2 = 19, kEndDate = 20, kEndTimeYear = 22, kEndTimeMonth = 23, kLeadTimeDay = 24,
              kLeadTime = 25, kRepeatType = 26;
constexpr int kSize = 27;
constexpr int kDescription = kSize;  // the description text follows the fixed part
}  // namespace nra

// Repeat block at iOsRepeat, followed by cDelete deleted-occurrence entries.
namespace ria {
constexpr int kFreq = 0, kDays = 1, kWeeks = 2, kMonth1 = 3, kMonth2 = 4, kStartYear = 5, kStartMonth = 6,
              kStartDay = 7, kEndYear = 8, kEndMonth = 9, kEndDay = 10, kDelete = 11;
constexpr int kSize = 12;
constexpr int kDeletedEntrySize = 4;  // a date (3 bytes) and a status byte
}  // namespace ria

// Lookup table entry (one per record, by type and record number), and the
// type index of 32 two-byte counts that follows the entries.
namespace lookup {
constexpr int kSize = 0, kUnused = 2, kFlags = 4, kOffset = 5;  // kOffset: three bytes
constexpr int kEntrySize = 8;
constexpr int kIndexEntrySize = 2;
}  // namespace lookup

// Type-14 records of the appointment book: record 0 names the first item of
// the flat chain and the number of dates; record 1 has one entry per date and
// an end entry.
namespace user14 {
constexpr int kRecord0Size = 23;
constexpr int kRecord0FirstItem = 17, kRecord0Dates = 19;
constexpr int kYear = 0, kMonth = 1, kDay = 2, kFirstRecord = 3;
constexpr int kEntrySize = 5;
constexpr unsigned char kEndEntry[kEntrySize] = {0x5A, 0x00, 0x00, 0xFF, 0xFF};
}  // namespace user14

}  // namespace layout

constexpr int kSizeRHDR = layout::rhdr::kSize;
constexpr int kSizeDBHDR = layout::dbhdr::kSize;
constexpr int kSizeFDEF = layout::fdef::kSize;
constexpr int kSizeNRA = layout::nra::kSize;
constexpr int kSizeRIA = layout::ria::kSize;

inline void DecodeRHDR(const unsigned char* p, RecordHeader* r) {
  using namespace layout::rhdr;
  r->cType = p[kType];
  r->cStatus = p[kStatus];
  r->iLength = DecodeI16(p + kLength);
  r->iRecord = DecodeI16(p + kRecord);
}

inline void EncodeRHDR(const RecordHeader& r, unsigned char* p) {
  using namespace layout::rhdr;
  p[kType] = r.cType;
  p[kStatus] = r.cStatus;
  EncodeI16(p + kLength, r.iLength);
  EncodeI16(p + kRecord, r.iRecord);
}

inline void DecodeDBHDR(const unsigned char* p, DBHeader* h) {
  using namespace layout::dbhdr;
  h->cType = p[kType];
  h->cStatus = p[kStatus];
  h->iLength = DecodeI16(p + kLength);
  h->iRecord = DecodeI16(p + kRecord);
  h->iReleaseNum = DecodeI16(p + kReleaseNum);
  h->cFileType = p[kFileType];
  h->cFileStatus = p[kFileStatus];
  h->iCurrViewPt = DecodeI16(p + kCurrViewPt);
  h->iNumRecords = DecodeI16(p + kNumRecords);
  h->iLookUpSeek = DecodeI32(p + kLookUpSeek);
  h->cYear = p[kYear];
  h->cMonth = p[kMonth];
  h->cDay = p[kDay];
  h->iMinute = DecodeI16(p + kMinute);
  h->iViewPtHash1 = p[kViewPtHash1];
  h->iViewPtHash2 = p[kViewPtHash2];
}

inline void EncodeDBHDR(const DBHeader& h, unsigned char* p) {
  using namespace layout::dbhdr;
  p[kType] = h.cType;
  p[kStatus] = h.cStatus;
  EncodeI16(p + kLength, h.iLength);
  EncodeI16(p + kRecord, h.iRecord);
  EncodeI16(p + kReleaseNum, h.iReleaseNum);
  p[kFileType] = h.cFileType;
  p[kFileStatus] = h.cFileStatus;
  EncodeI16(p + kCurrViewPt, h.iCurrViewPt);
  EncodeI16(p + kNumRecords, h.iNumRecords);
  EncodeI32(p + kLookUpSeek, h.iLookUpSeek);
  p[kYear] = h.cYear;
  p[kMonth] = h.cMonth;
  p[kDay] = h.cDay;
  EncodeI16(p + kMinute, h.iMinute);
  p[kViewPtHash1] = h.iViewPtHash1;
  p[kViewPtHash2] = h.iViewPtHash2;
}

inline void DecodeFDEF(const unsigned char* p, FieldDefine* d) {
  using namespace layout::fdef;
  d->cFieldType = p[kFieldType];
  d->cFieldID = p[kFieldID];
  d->iDataOffset = DecodeI16(p + kDataOffset);
  d->cFlags = p[kFlags];
  d->cReserved1 = p[kReserved1];
  d->cReserved2 = p[kReserved2];
}

inline void EncodeFDEF(const FieldDefine& d, unsigned char* p) {
  using namespace layout::fdef;
  p[kFieldType] = d.cFieldType;
  p[kFieldID] = d.cFieldID;
  EncodeI16(p + kDataOffset, d.iDataOffset);
  p[kFlags] = d.cFlags;
  p[kReserved1] = d.cReserved1;
  p[kReserved2] = d.cReserved2;
}

inline void EncodeNRA(const NonRepeaAppt& a, unsigned char* p) {
  using namespace layout::nra;
  EncodeI16(p + kLength, a.iLength);
  EncodeI16(p + kOsCategory, a.iOsCategory);
  EncodeI16(p + kOsLocation, a.iOsLocation);
  EncodeI16(p + kOsRepeat, a.iOsRepeat);
  EncodeI16(p + kNoteRecNum, a.iNoteRecNum);
  EncodeI16(p + kPrevRecNum, a.iPrevRecNum);
  EncodeI16(p + kNextRecNum, a.iNextRecNum);
  p[kFlags] = a.cFlags;
  p[kYear] = a.cYear;
  p[kMonth] = a.cMonth;
  p[kDay] = a.cDay;
  p[kStartTimePri1] = a.cStartTimePri1;
  p[kStartTimePri2] = a.cStartTimePri2;
  EncodeU16(p + kEndDate, a.iEndDate);
  p[kEndTimeYear] = a.cEndTimeYear;
  p[kEndTimeMonth] = a.cEndTimeMonth;
  p[kLeadTimeDay] = a.cLeadTimeDay;
  p[kLeadTime] = a.cLeadTime;
  p[kRepeatType] = static_cast<unsigned char>(a.cRepeatType);
}

inline void DecodeRIA(const unsigned char* p, RepeatInformationAppt* r) {
  using namespace layout::ria;
  r->cFreq = static_cast<int8_t>(p[kFreq]);
  r->Days = p[kDays];
  r->Weeks = p[kWeeks];
  r->Month1 = p[kMonth1];
  r->Month2 = p[kMonth2];
  r->cStartYear = p[kStartYear];
  r->cStartMonth = p[kStartMonth];
  r->cStartDay = p[kStartDay];
  r->cEndYear = p[kEndYear];
  r->cEndMonth = p[kEndMonth];
  r->cEndDay = p[kEndDay];
  r->cDelete = static_cast<int8_t>(p[kDelete]);
}

inline void EncodeRIA(const RepeatInformationAppt& r, unsigned char* p) {
  using namespace layout::ria;
  p[kFreq] = static_cast<unsigned char>(r.cFreq);
  p[kDays] = r.Days;
  p[kWeeks] = r.Weeks;
  p[kMonth1] = r.Month1;
  p[kMonth2] = r.Month2;
  p[kStartYear] = r.cStartYear;
  p[kStartMonth] = r.cStartMonth;
  p[kStartDay] = r.cStartDay;
  p[kEndYear] = r.cEndYear;
  p[kEndMonth] = r.cEndMonth;
  p[kEndDay] = r.cEndDay;
  p[kDelete] = static_cast<unsigned char>(r.cDelete);
}
