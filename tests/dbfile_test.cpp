// The file layer: what the lookup table cannot hold, and the bounds checks of
// records and bodies.
#include "inproc.h"

namespace {

using fixture::Bytes;
using inproc::Capture;

class FileLayer : public inproc::Test {};

TEST_F(FileLayer, RegistrationsTheTableCannotHoldAreRefused) {
  const std::tuple<uint8_t, int, int32_t, std::string> cases[] = {
      {32, 0, 100, "Record type 32 can't be listed in the lookup table.\n"},
      {9, 0, 16777216, "Output file too large for the lookup table.\n"},
      {40, 4095, 16777216, "Record type 40 can't be listed in the lookup table.\n"},  // type first
      {9, 4095, 16777216, "Too many records for the lookup table.\n"},                // then count
      {31, 4094, 16777215, ""},  // the last entry and offset the table holds
  };
  for (const auto& [type, existing, offset, message] : cases) {
    SeekInfoLists lists;
    const RecordHeader filler{11, 2, 6, 0}, rh{type, 2, 6, 0};
    for (int i = 0; i < existing; ++i) AddSeekInfo(&lists, &filler, 29 + 6 * i);
    const inproc::Outcome o = Capture([&] { AddSeekInfo(&lists, &rh, offset); });
    EXPECT_EQ(std::make_pair(o.status, o.err), std::make_pair(message.empty() ? 0 : 1, message));
  }
}

TEST_F(FileLayer, ReadsStayInsideRecordsAndBodies) {
  RecordBody body{{'a', 'b', 0, 'c', 'd', 0x34, 0x12, 0}, 42};  // 7 body bytes + appended NUL
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
