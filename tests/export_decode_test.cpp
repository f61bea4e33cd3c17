// ReadAppt and ReadTodo on hand-built record bodies: field decoding, debug
// lines, and bodies whose offsets or counts point outside them.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dbbuilder.h"
#include "kalvert.h"

namespace {

class ExportDecode : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    bInterceptExit = true;
  }

  // The body as the data pass holds it: one NUL appended.
  static RecordBody Body(const fixture::Appt& a, int16_t iRecord = 7) {
    RecordBody b;
    b.bytes = a.Encode().v;
    b.bytes.push_back(0);
    b.iRecord = iRecord;
    return b;
  }

  std::unique_ptr<CSVData> Decode(const fixture::Appt& a) {
    auto p = std::make_unique<CSVData>();
    p->pnra = std::make_unique<NonRepeaAppt>();
    if (a.cRepeatType != 1) p->pria = std::make_unique<RepeatInformationAppt>();
    const RecordBody b = Body(a);
    if (a.cFlags >= 0x20) ReadAppt(nullptr, p.get(), b, static_cast<uint8_t>(a.cFlags));
    else ReadTodo(nullptr, p.get(), b, static_cast<uint8_t>(a.cFlags));
    return p;
  }

  // Runs the decoder expecting the broken-record exit; returns stderr.
  std::string Broken(const fixture::Appt& a) {
    testing::internal::CaptureStderr();
    EXPECT_THROW(
        try { Decode(a); } catch (const KalvertExit& e) {
          EXPECT_EQ(e.status, 1);
          throw;
        },
        KalvertExit);
    return testing::internal::GetCapturedStderr();
  }
};

fixture::Appt Repeating(unsigned cFlags, std::initializer_list<unsigned> deleted) {
  fixture::Appt a;
  a.cFlags = cFlags;
  a.description = "R";
  a.cRepeatType = 2;
  a.repeats = true;
  const unsigned char ria[12] = {0xFF, 0x95, 0x02, 0x01, 0x0C, 100, 0, 0, 100, 11, 30,
                                 static_cast<unsigned char>(deleted.size() / 4)};
  std::copy(ria, ria + 12, a.ria);
  for (unsigned d : deleted) a.deleted.u8(d);
  return a;
}

TEST_F(ExportDecode, AppointmentFields) {
  fixture::Appt a;
  a.cFlags = 0x85;
  a.cYear = 100, a.cMonth = 5, a.cDay = 14;
  a.start(570).end(600);
  a.iEndDate = 0xFFFE;
  a.lead = 5, a.leadTime = 0xAB;
  a.prev = 3, a.next = 4;
  a.description = "Meeting", a.category = "Work", a.location = "Room 2";
  a.osRepeat = 27;  // points at data, but the item does not repeat
  iDebugG = 1;
  iCSV = 1;
  testing::internal::CaptureStdout();
  const auto p = Decode(a);
  WriteCSV(p.get());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            " Item Length : 47\n Offset to Category : 35\n Offset to Location : 40\n Offset to Repeat : 27\n"
            " Note record# : -1\n Prev record# : -1\n Next record# : -1\n Repeat Status : 1\n"
            "Meeting,2000/06/15,09:30,10:00,Room 2,65534,\n");
  EXPECT_EQ(p->cKind, KIND_APPT);
  EXPECT_EQ(p->pnra->cFlags, 0x85);
  EXPECT_EQ(p->pnra->cLeadTimeDay, 5);
  EXPECT_EQ(p->pnra->cLeadTime, 0xAB);
  EXPECT_EQ(p->pszCategory, "");
  EXPECT_EQ(p->pria, nullptr);

  a.cFlags = 0x7F;
  EXPECT_EQ(Decode(a)->cKind, KIND_EVENT);
  a.cFlags = 0x20;
  EXPECT_EQ(Decode(a)->cKind, KIND_EVENT);
  // Repeat type 0 counts as not repeating: the block stays as made.
  a.cRepeatType = 0;
  const auto z = Decode(a);
  ASSERT_NE(z->pria, nullptr);
  EXPECT_EQ(z->pria->Days, 0);
}

TEST_F(ExportDecode, TodoFields) {
  fixture::Appt a;
  a.cFlags = 0x16;
  a.t1 = '2', a.t2 = 0;
  a.e1 = 100, a.e2 = 2, a.lead = 9, a.leadTime = 0xFF;
  a.description = "Buy", a.category = "Home", a.location = "Shop";
  const auto p = Decode(a);
  EXPECT_EQ(p->cKind, KIND_TODO);
  EXPECT_EQ(p->pnra->cFlags, 0x16);
  EXPECT_EQ(p->pnra->cStartTimePri1, '2');
  EXPECT_EQ(p->pnra->cEndTimeYear, 100);
  EXPECT_EQ(p->pnra->cEndTimeMonth, 2);
  EXPECT_EQ(p->pnra->cLeadTimeDay, 9);
  EXPECT_EQ(p->pnra->cLeadTime, 0);
  EXPECT_EQ(p->pnra->iOsLocation, 27 + 4 + 5);
  EXPECT_EQ(p->pszDescription, "Buy");
  EXPECT_EQ(p->pszLocation, "");
  EXPECT_EQ(p->pszCategory, "");
  // A ToDo item never reads its location, so a wild offset does no harm.
  a.osLocation = 5000;
  EXPECT_EQ(Decode(a)->pszLocation, "");
}

// The repeat lines show every decoded byte of the block and the deleted list.
TEST_F(ExportDecode, RepeatBlockDebugLines) {
  iDebugG = 1;
  const std::string head =
      " Item Length : 59\n Offset to Category : 29\n Offset to Location : 30\n Offset to Repeat : 31\n"
      " Note record# : -1\n Prev record# : -1\n Next record# : -1\n Repeat Status : 2\n"
      "cFreq  : -1\niDays  : 2th/MON:WED:FRI\niMonth : 3073, 12:1\nStart  : 2000/01/01\n"
      "End    : 2000/12/31\ncDelete: 4\n";
  const std::initializer_list<unsigned> del = {0xC8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x7F};
  const std::string tail = "0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n127\n";
  testing::internal::CaptureStdout();
  Decode(Repeating(0x87, del));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), head + "200\n" + tail);
  testing::internal::CaptureStdout();
  Decode(Repeating(0x10, del));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), head + "-56\n" + tail);
}

TEST_F(ExportDecode, OffsetsOutsideTheBody) {
  const std::string kMsg = "Broken TYPE_DATA record 7.\n";
  fixture::Appt a;
  a.location = "L";
  a.osLocation = 27 + 1 + 1 + 2;  // the body length: the appended NUL, an empty text
  EXPECT_EQ(Decode(a)->pszLocation, "");
  a.osLocation = 32;
  EXPECT_EQ(Broken(a), kMsg);
  a.osLocation = 0xFFFF;  // -1
  EXPECT_EQ(Broken(a), kMsg);

  fixture::Appt r = Repeating(0x87, {1, 2, 3, 4});
  r.osRepeat = 36;  // the 12-byte block runs one byte past the 47-byte body
  EXPECT_EQ(Broken(r), kMsg);
  r = Repeating(0x87, {1, 2, 3, 4});
  r.ria[11] = 2;  // a second deleted entry that is not there
  EXPECT_EQ(Broken(r), kMsg);
  r.ria[11] = 0xFF;
  EXPECT_EQ(Broken(r), kMsg);
  r = Repeating(0x16, {});
  r.osRepeat = 0xFFF4;  // -12
  EXPECT_EQ(Broken(r), kMsg);

  // Lines printed before the bad value stay printed.
  iDebugG = 1;
  a.osLocation = 500;
  testing::internal::CaptureStdout();
  Broken(a);
  EXPECT_NE(testing::internal::GetCapturedStdout().find(" Repeat Status : 1\n"), std::string::npos);
}

}  // namespace
