// Fuzz target: the text helpers of the import and export on their own:
// GetCSV, CutString, GetRepeatDay/GetRepeatMonth and their export
// counterparts ReadRepeatDay/ReadRepeatMonth, whose texts must read back. Bytes 0-1 give a column number
// (or a rule value), byte 2 the quote mode, byte 3 a cut length; the rest
// is the text.
#include <string>

#include "harness.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz::Initialize(argc, argv);
  ResetGlobals();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int16_t iNum = DecodeI16(data);
  const char cST = data[2] % 3 == 0 ? '0' : data[2] % 3 == 1 ? '"' : static_cast<char>(data[2]);
  const int iCut = data[3];
  const std::string text(reinterpret_cast<const char*>(data + 4), size - 4);

  const std::string field = GetCSV(text, iNum, cST);
  fuzz::Require(field.size() <= text.size(), "GetCSV field longer than its line");

  std::string cut = text;
  CutString(cut, 0, iCut);
  fuzz::Require(text.compare(0, cut.size(), cut) == 0, "CutString result is not a start of its text");
  if (text.size() >= static_cast<std::size_t>(iCut)) {
    fuzz::Require(cut.size() <= static_cast<std::size_t>(iCut), "CutString kept more than the limit");
    fuzz::Require(cut.size() + 1 >= static_cast<std::size_t>(iCut), "CutString cut more than one character");
  }
  std::string fromMiddle = text;
  CutString(fromMiddle, static_cast<int>(static_cast<uint8_t>(iNum)), iCut);

  GetRepeatDay(text);
  GetRepeatMonth(text);
  GetRepeatDay(field);
  GetRepeatMonth(field);
  // The repeat texts are the exchange format of repeat rules: a month rule
  // with named bits only, and a weekday rule (bit 7 set, at least one day or
  // a week), read back as they were written.
  const int16_t back = GetRepeatMonth(ReadRepeatMonth(iNum));
  if (iNum >= 0 && iNum <= 0x0FFF) fuzz::Require(back == iNum, "month rule does not survive export and import");
  const int16_t day = GetRepeatDay(ReadRepeatDay(iNum));
  const bool weekdays = iNum > 128 && (iNum & 0x80) != 0 && ((iNum & 0x7F) != 0 || (iNum >> 8) != 0);
  if (weekdays || (iNum >= 0 && iNum <= 99)) fuzz::Require(day == iNum, "day rule does not survive export and import");
  return 0;
}
