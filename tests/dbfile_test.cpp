// The file layer: field-by-field readers and writers, the seek-information
// lists and the closing lookup table, the debug names of types and statuses,
// and the bounds checks of record bodies.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dbbuilder.h"
#include "kalvert.h"

namespace {

using fixture::Bytes;

// A temporary binary stream holding the given bytes, positioned at its start.
struct TempStream {
  std::FILE* f = std::tmpfile();
  explicit TempStream(const std::vector<unsigned char>& bytes = {}) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
  }
  ~TempStream() { std::fclose(f); }
  std::vector<unsigned char> All() {
    std::fflush(f);
    std::rewind(f);
    std::vector<unsigned char> v;
    for (int c; (c = std::fgetc(f)) != EOF;) v.push_back(static_cast<unsigned char>(c));
    return v;
  }
};

class FileLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    bInterceptExit = true;
  }
  void TearDown() override {
    fpout = nullptr;  // the streams belong to the tests
    ResetGlobals();
  }
};

TEST_F(FileLayer, WritersPutLittleEndianFieldsInFileOrder) {
  TempStream s;
  const RecordHeader rh{11, 2, 0x1234, -2};
  EXPECT_EQ(fwrite_RHDR(&rh, 6, 1, s.f), 1);
  DBHeader dh{0, 1, 25, 3, -2, '2', 4, 5, 6, 0x00012345, 99, 11, 30, 1439, 7, 8};
  EXPECT_EQ(fwrite_DBHDR(&dh, 25, 1, s.f), 1);
  const FieldDefine fd{8, 3, 0x0102, 0x20, 0xAB, 0xCD};
  EXPECT_EQ(fwrite_FDEF(&fd, 7, 1, s.f), 1);
  Bytes expect;
  expect.u8(11).u8(2).u8(0x34).u8(0x12).u8(0xFE).u8(0xFF);
  expect.u8(0).u8(1).u8(25).u8(0).u8(3).u8(0).u8(0xFE).u8(0xFF).u8('2').u8(4).u8(5).u8(0).u8(6).u8(0)
      .u8(0x45).u8(0x23).u8(0x01).u8(0x00).u8(99).u8(11).u8(30).u8(0x9F).u8(0x05).u8(7).u8(8);
  expect.u8(8).u8(3).u8(0x02).u8(0x01).u8(0x20).u8(0xAB).u8(0xCD);
  EXPECT_EQ(s.All(), expect.v);
}

TEST_F(FileLayer, AppointmentBlocksRoundTrip) {
  const NonRepeaAppt nra{41, 33, 34, 41, -1, 7, -1, 0x87, 100, 0, 4, 0xEE, 0x02, 40000, 0x0C, 0x03, 5, 0, -3};
  const RepeatInformationAppt ria{-1, 0x85, 2, 0x41, 0x0C, 94, 0, 0, 99, 11, 30, -128};
  TempStream s;
  EXPECT_EQ(fwrite_NRA(&nra, 27, 1, s.f), 1);
  EXPECT_EQ(fwrite_RIA(&ria, 12, 1, s.f), 1);
  Bytes expect;
  expect.le16(41).le16(33).le16(34).le16(41).le16(-1).le16(7).le16(-1).u8(0x87).u8(100).u8(0).u8(4).u8(0xEE)
      .u8(0x02).le16(40000).u8(0x0C).u8(0x03).u8(5).u8(0).u8(0xFD);
  expect.u8(0xFF).u8(0x85).u8(2).u8(0x41).u8(0x0C).u8(94).u8(0).u8(0).u8(99).u8(11).u8(30).u8(0x80);
  ASSERT_EQ(s.All(), expect.v);

  std::rewind(s.f);
  NonRepeaAppt back{};
  RepeatInformationAppt riaBack{};
  EXPECT_EQ(fread_NRA(&back, 1, 27, s.f), 27);
  EXPECT_EQ(fread_RIA(&riaBack, 1, 12, s.f), 12);
  EXPECT_EQ(back.iEndDate, 40000);
  EXPECT_EQ(back.iNoteRecNum, -1);
  EXPECT_EQ(back.cRepeatType, -3);
  EXPECT_EQ(back.cStartTimePri2, 0x02);
  EXPECT_EQ(riaBack.cFreq, -1);
  EXPECT_EQ(riaBack.cDelete, -128);
  EXPECT_EQ(riaBack.Month2, 0x0C);
}

TEST_F(FileLayer, ShortReadsFailWithoutMessage) {
  TempStream s(std::vector<unsigned char>(24, 0));
  DBHeader dh{};
  testing::internal::CaptureStderr();
  EXPECT_EQ(fread_DBHDR(&dh, 1, 25, s.f), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  TempStream t({11, 2, 9});
  RecordHeader rh{};
  EXPECT_EQ(fread_RHDR(&rh, 1, 6, t.f), -1);
  EXPECT_EQ(rh.cType, 11);  // fields before the short one were read
}

TEST_F(FileLayer, SizeMismatchTransfersThenFails) {
  TempStream s;
  const RecordHeader rh{9, 2, 6, 0};
  testing::internal::CaptureStderr();
  EXPECT_THROW(fwrite_RHDR(&rh, 6, 2, s.f), KalvertExit);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "fwrite_RHDR: 6 bytes written (12 bytes expected)\n");
  EXPECT_EQ(s.All().size(), 6u);
  TempStream r(std::vector<unsigned char>(10, 1));
  FieldDefine fd{};
  testing::internal::CaptureStderr();
  EXPECT_THROW(fread_FDEF(&fd, 1, 8, r.f), KalvertExit);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "fread_FDEF: 7 bytes read (8 bytes expected)\n");
}

TEST_F(FileLayer, DebugNamesOfTypesAndStatuses) {
  iDebugG = 1;
  testing::internal::CaptureStdout();
  EXPECT_EQ(CheckRecordType(14), 14);
  EXPECT_EQ(CheckRecordType(static_cast<char>(200)), -56);
  CheckRecordType(31);
  CheckRecordType(0);
  CheckRecordStatus(0);
  CheckRecordStatus(static_cast<char>(0x81));
  CheckRecordStatus(1);
  CheckRecordStatus(2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "    Record Type : TYPE_USER(14).\n"
            "    Record Type : TYPE_USER(-56).\n"
            "    Record Type : TYPE_LOOKUPTABLE.\n"
            "    Record Type : TYPE_DBHEADER.\n"
            "  Record Status : 0. \n"
            "  Record Status : ffffff81. \n"
            "  Record Status : Garbage(1).\n"
            "  Record Status : Modified(2). \n");
  iDebugG = 0;
  testing::internal::CaptureStdout();
  EXPECT_EQ(CheckRecordType(11), 11);
  CheckRecordStatus(1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(FileLayer, SeekListsKeepRecordNumberOrderAndTheTableFollowsThem) {
  TempStream s;
  fpout = s.f;
  SeekInfoLists lists;
  // Records of type 9 numbered 3, 1, 2, 1 in that order, and the header.
  const RecordHeader header{0, 0, 25, 0};
  AddSeekInfo(&lists, &header, 4);
  const int numbers[] = {3, 1, 2, 1};
  int32_t at = 29;
  for (int n : numbers) {
    const RecordHeader rh{9, 2, 8, static_cast<int16_t>(n)};
    AddSeekInfo(&lists, &rh, at);
    at += 8;
  }
  std::fseek(s.f, at, SEEK_SET);
  iDebugG = 1;
  testing::internal::CaptureStdout();
  EXPECT_EQ(WriteLookUpSeek(&lists), 6);
  const std::string dump = testing::internal::GetCapturedStdout();
  EXPECT_EQ(lLast, at + 6);

  Bytes expect;
  expect.u8(10).u8(2).le16(6).le16(0);           // the empty view point table
  expect.u8(31).u8(2).le16(8 * 6 + 6).le16(0);   // the lookup table
  auto entry = [&](int size, long off) { expect.le16(size).u8(0xFF).u8(0xFF).u8(0).u8(off).u8(off >> 8).u8(off >> 16); };
  entry(25, 4);
  entry(8, 37);  // 1, registered first
  entry(8, 53);  // 1, registered second
  entry(8, 45);  // 2
  entry(8, 29);  // 3
  entry(6, at);  // view point table
  // Type index: types 1..9 start after the header, 10 after the notes, 11.. after the view table.
  expect.le16(0);
  for (int t = 1; t <= 9; ++t) expect.le16(1);
  expect.le16(5);
  for (int t = 11; t < 32; ++t) expect.le16(6);
  const std::vector<unsigned char> all = s.All();
  ASSERT_EQ(all.size(), static_cast<std::size_t>(at) + expect.size());
  EXPECT_EQ(std::vector<unsigned char>(all.begin() + at, all.end()), expect.v);

  std::string sums = "iSum = 0\n";
  for (int t = 1; t <= 9; ++t) sums += "iSum = 1\n";
  sums += "iSum = 5\n";
  for (int t = 11; t < 32; ++t) sums += "iSum = 6\n";
  EXPECT_EQ(dump, sums);
}

TEST_F(FileLayer, RegistrationsTheTableCannotHoldAreRefused) {
  struct Refusal {
    int type;
    int existing;
    int32_t offset;
    std::string message;
  };
  const std::vector<Refusal> cases = {
      {32, 0, 100, "Record type 32 can't be listed in the lookup table.\n"},
      {255, 0, 100, "Record type 255 can't be listed in the lookup table.\n"},
      {9, 4095, 100, "Too many records for the lookup table.\n"},
      {9, 0, 16777216, "Output file too large for the lookup table.\n"},
      {40, 4095, 16777216, "Record type 40 can't be listed in the lookup table.\n"},  // type first
      {9, 4095, 16777216, "Too many records for the lookup table.\n"},            // then count
  };
  for (const auto& c : cases) {
    SeekInfoLists lists;
    const RecordHeader filler{11, 2, 6, 0};
    for (int i = 0; i < c.existing; ++i) AddSeekInfo(&lists, &filler, 29 + 6 * i);
    const RecordHeader rh{static_cast<uint8_t>(c.type), 2, 6, 0};
    testing::internal::CaptureStderr();
    EXPECT_THROW(AddSeekInfo(&lists, &rh, c.offset), KalvertExit);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
    EXPECT_EQ(lists.nodes.size(), static_cast<std::size_t>(c.existing));
  }
  SeekInfoLists lists;
  const RecordHeader last{11, 2, 6, 0};
  EXPECT_NO_THROW(AddSeekInfo(&lists, &last, 16777215));
}

TEST_F(FileLayer, BodyReadsStayInsideTheBody) {
  RecordBody body;
  body.bytes = {'a', 'b', 0, 'c', 'd', 0x34, 0x12, 0};  // 7 body bytes + appended NUL
  body.iRecord = 42;
  EXPECT_EQ(BodyText(body, 0), "ab");
  EXPECT_EQ(BodyText(body, 3), std::string("cd\x34\x12", 4));
  EXPECT_EQ(BodyText(body, 7), "");  // at the end: the appended NUL
  EXPECT_EQ(BodyU16(body, 5), 0x1234);
  EXPECT_EQ(BodyU8(body, 6), 0x12);
  const long bad[][2] = {{8, 0}, {-1, 0}, {6, 2}, {7, 1}, {-2, 2}, {0, 8}};
  for (const auto& b : bad) {
    testing::internal::CaptureStderr();
    EXPECT_THROW(CheckBody(body, b[0], b[1]), KalvertExit);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Broken TYPE_DATA record 42.\n");
  }
}

TEST_F(FileLayer, ShortRecordHeadersAreBrokenRecords) {
  Bytes b;
  b.zeros(10).u8(11).u8(2).le16(5).le16(0);
  TempStream s(b.v);
  std::fseek(s.f, 10, SEEK_SET);
  RecordHeader rh{};
  testing::internal::CaptureStderr();
  EXPECT_THROW(ReadRecordHeader(&rh, s.f), KalvertExit);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Broken record at offset 10.\n");
  std::fseek(s.f, 12, SEEK_SET);
  EXPECT_FALSE(ReadRecordHeader(&rh, s.f));  // a short header is the end, not a failure
}

}  // namespace
