// The file layer: the seek-information lists and the closing lookup table,
// and the bounds checks of records and bodies.
#include "inproc.h"

namespace {

using fixture::Bytes;
using inproc::Capture;

class FileLayer : public inproc::Test {};

TEST_F(FileLayer, SeekListsKeepRecordNumberOrderAndTheTableFollowsThem) {
  OpenOutput();
  SeekInfoLists lists;
  const RecordHeader header{0, 0, 25, 0};
  AddSeekInfo(&lists, &header, 4);
  for (const int n : {3, 1, 2, 1}) {  // records of type 9 at 29, 37, 45, 53
    const RecordHeader rh{9, 2, 8, static_cast<int16_t>(n)};
    AddSeekInfo(&lists, &rh, static_cast<int32_t>(29 + 8 * lists.counts[9]));
  }
  std::fseek(files.fpout, 61, SEEK_SET);
  EXPECT_EQ(WriteLookUpSeek(&lists), 6);
  Bytes want = Bytes().zeros(61);
  want.u8(10).u8(2).le16(6).le16(0);          // the empty view point table
  want.u8(31).u8(2).le16(8 * 6 + 6).le16(0);  // the lookup table
  // Entries by record number, equal numbers in registration order: 1 (37), 1 (53), 2, 3.
  for (const auto& [size, off] :
       std::vector<std::pair<int, unsigned>>{{25, 4}, {8, 37}, {8, 53}, {8, 45}, {8, 29}, {6, 61}}) {
    want.le16(size).u8(0xFF).u8(0xFF).u8(0).u8(off).u8(0).u8(0);
  }
  // Type index: types 1..9 start after the header, 10 after the notes, 11.. after the view table.
  for (int t = 0; t < 32; ++t) want.le16(t == 0 ? 0 : t <= 9 ? 1 : t == 10 ? 5 : 6);
  EXPECT_EQ(OutputBytes(), want.v);
}

TEST_F(FileLayer, RegistrationsTheTableCannotHoldAreRefused) {
  const struct {
    int type, existing;
    int32_t offset;
    std::string message;
  } cases[] = {
      {32, 0, 100, "Record type 32 can't be listed in the lookup table.\n"},
      {9, 4095, 100, "Too many records for the lookup table.\n"},
      {9, 0, 16777216, "Output file too large for the lookup table.\n"},
      {40, 4095, 16777216, "Record type 40 can't be listed in the lookup table.\n"},  // type first
      {9, 4095, 16777216, "Too many records for the lookup table.\n"},                // then count
      {31, 4094, 16777215, ""},  // the last entry and offset the table holds
  };
  for (const auto& c : cases) {
    SeekInfoLists lists;
    const RecordHeader filler{11, 2, 6, 0}, rh{static_cast<uint8_t>(c.type), 2, 6, 0};
    for (int i = 0; i < c.existing; ++i) AddSeekInfo(&lists, &filler, 29 + 6 * i);
    const inproc::Outcome o = Capture([&] { AddSeekInfo(&lists, &rh, c.offset); });
    EXPECT_EQ(o.status, c.message.empty() ? 0 : 1);
    EXPECT_EQ(o.err, c.message);
  }
}

TEST_F(FileLayer, ReadsStayInsideRecordsAndBodies) {
  RecordBody body;
  body.bytes = {'a', 'b', 0, 'c', 'd', 0x34, 0x12, 0};  // 7 body bytes + appended NUL
  body.iRecord = 42;
  EXPECT_EQ(BodyText(body, 3), std::string("cd\x34\x12", 4));
  EXPECT_EQ(BodyText(body, 7), "");  // at the end: the appended NUL
  EXPECT_EQ(BodyU16(body, 5), 0x1234);
  for (const auto& b : {std::pair<long, long>{8, 0}, {-1, 0}, {6, 2}, {-2, 2}, {0, 8}}) {
    EXPECT_EQ(Capture([&] { CheckBody(body, b.first, b.second); }).err, "Broken TYPE_DATA record 42.\n");
  }
  files.in = inproc::Image(Bytes().zeros(10).u8(11).u8(2).le16(5).le16(0).v, 10);
  RecordHeader rh{};
  EXPECT_EQ(Capture([&] { ReadRecordHeader(&rh, files.in); }).err, "Broken record at offset 10.\n");
  files.in.Seek(12);
  EXPECT_FALSE(ReadRecordHeader(&rh, files.in));  // a short header is the end, not a failure
}

}  // namespace
