// The file layer: little-endian field writers, the seek-information lists and
// the closing lookup table, and the bounds checks of records and bodies.
#include <string>
#include <vector>

#include "inproc.h"

namespace {

using fixture::Bytes;
using inproc::Capture;

class FileLayer : public inproc::Test {};

TEST_F(FileLayer, WritersPutLittleEndianFieldsInFileOrder) {
  OpenOutput();
  const RecordHeader rh{11, 2, 0x1234, -2};
  EXPECT_EQ(fwrite_RHDR(&rh, 6, 1, fpout), 1);
  const DBHeader dh{0, 1, 25, 3, -2, '2', 4, 5, 6, 0x00012345, 99, 11, 30, 1439, 7, 8};
  EXPECT_EQ(fwrite_DBHDR(&dh, 25, 1, fpout), 1);
  const NonRepeaAppt nra{41, 33, 34, 41, -1, 7, -1, 0x87, 100, 0, 4, 0xEE, 0x02, 40000, 0x0C, 0x03, 5, 0, -3};
  EXPECT_EQ(fwrite_NRA(&nra, 27, 1, fpout), 1);
  Bytes want;
  want.u8(11).u8(2).u8(0x34).u8(0x12).u8(0xFE).u8(0xFF);
  want.u8(0).u8(1).u8(25).u8(0).u8(3).u8(0).u8(0xFE).u8(0xFF).u8('2').u8(4).u8(5).u8(0).u8(6).u8(0)
      .u8(0x45).u8(0x23).u8(0x01).u8(0x00).u8(99).u8(11).u8(30).u8(0x9F).u8(0x05).u8(7).u8(8);
  want.le16(41).le16(33).le16(34).le16(41).le16(-1).le16(7).le16(-1).u8(0x87).u8(100).u8(0).u8(4).u8(0xEE)
      .u8(0x02).le16(40000).u8(0x0C).u8(0x03).u8(5).u8(0).u8(0xFD);
  EXPECT_EQ(OutputBytes(), want.v);
}

TEST_F(FileLayer, SeekListsKeepRecordNumberOrderAndTheTableFollowsThem) {
  OpenOutput();
  SeekInfoLists lists;
  const RecordHeader header{0, 0, 25, 0};
  AddSeekInfo(&lists, &header, 4);
  int32_t at = 29;
  for (int n : {3, 1, 2, 1}) {  // records of type 9
    const RecordHeader rh{9, 2, 8, static_cast<int16_t>(n)};
    AddSeekInfo(&lists, &rh, at);
    at += 8;
  }
  std::fseek(fpout, at, SEEK_SET);
  EXPECT_EQ(WriteLookUpSeek(&lists), 6);
  EXPECT_EQ(lLast, at + 6);
  Bytes want;
  want.u8(10).u8(2).le16(6).le16(0);          // the empty view point table
  want.u8(31).u8(2).le16(8 * 6 + 6).le16(0);  // the lookup table
  // Entries by record number, equal numbers in registration order: 1 (37), 1 (53), 2, 3.
  for (const auto& [size, off] : std::vector<std::pair<int, long>>{{25, 4}, {8, 37}, {8, 53}, {8, 45}, {8, 29}, {6, at}}) {
    want.le16(size).u8(0xFF).u8(0xFF).u8(0).u8(off & 0xFF).u8(off >> 8 & 0xFF).u8(off >> 16 & 0xFF);
  }
  // Type index: types 1..9 start after the header, 10 after the notes, 11.. after the view table.
  for (int t = 0; t < 32; ++t) want.le16(t == 0 ? 0 : t <= 9 ? 1 : t == 10 ? 5 : 6);
  const std::vector<unsigned char> all = OutputBytes();
  ASSERT_EQ(all.size(), static_cast<std::size_t>(at) + want.size());
  EXPECT_EQ(std::vector<unsigned char>(all.begin() + at, all.end()), want.v);
}

TEST_F(FileLayer, RegistrationsTheTableCannotHoldAreRefused) {
  const struct { int type, existing; int32_t offset; std::string message; } cases[] = {
      {32, 0, 100, "Record type 32 can't be listed in the lookup table.\n"},
      {9, 4095, 100, "Too many records for the lookup table.\n"},
      {9, 0, 16777216, "Output file too large for the lookup table.\n"},
      {40, 4095, 16777216, "Record type 40 can't be listed in the lookup table.\n"},  // type first
      {9, 4095, 16777216, "Too many records for the lookup table.\n"},             // then count
  };
  for (const auto& c : cases) {
    SeekInfoLists lists;
    const RecordHeader filler{11, 2, 6, 0};
    for (int i = 0; i < c.existing; ++i) AddSeekInfo(&lists, &filler, 29 + 6 * i);
    const RecordHeader rh{static_cast<uint8_t>(c.type), 2, 6, 0};
    const inproc::Outcome o = Capture([&] { AddSeekInfo(&lists, &rh, c.offset); });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, c.message);
    EXPECT_EQ(lists.nodes.size(), static_cast<std::size_t>(c.existing));
  }
  SeekInfoLists lists;
  const RecordHeader last{11, 2, 6, 0};
  EXPECT_NO_THROW(AddSeekInfo(&lists, &last, 16777215));
}

TEST_F(FileLayer, ReadsStayInsideRecordsAndBodies) {
  RecordBody body;
  body.bytes = {'a', 'b', 0, 'c', 'd', 0x34, 0x12, 0};  // 7 body bytes + appended NUL
  body.iRecord = 42;
  EXPECT_EQ(BodyText(body, 3), std::string("cd\x34\x12", 4));
  EXPECT_EQ(BodyText(body, 7), "");  // at the end: the appended NUL
  EXPECT_EQ(BodyU16(body, 5), 0x1234);
  for (const auto& b : {std::pair<long, long>{8, 0}, {-1, 0}, {6, 2}, {-2, 2}, {0, 8}}) {
    const inproc::Outcome o = Capture([&] { CheckBody(body, b.first, b.second); });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "Broken TYPE_DATA record 42.\n");
  }
  fp = inproc::TempFile(Bytes().zeros(10).u8(11).u8(2).le16(5).le16(0).v, 10);
  RecordHeader rh{};
  EXPECT_EQ(Capture([&] { ReadRecordHeader(&rh, fp); }).err, "Broken record at offset 10.\n");
  std::fseek(fp, 12, SEEK_SET);
  EXPECT_FALSE(ReadRecordHeader(&rh, fp));  // a short header is the end, not a failure
}

}  // namespace
