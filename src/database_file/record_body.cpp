// record_body: bounds-checked reads of a data record body held in memory.
// Offsets and counts inside a record come from the file and are never trusted:
// a value that does not lie wholly inside the body means a broken record.

#include <cstring>

#include "database_file.h"

void CheckBody(const RecordBody& body, long lOffset, long lWidth) {
  if (lOffset < 0 || lWidth < 0 || lOffset > body.Length() || lWidth > body.Length() - lOffset) {
    Fatal("Broken TYPE_DATA record %d.\n", body.iRecord);
  }
}

uint16_t BodyU16(const RecordBody& body, long lOffset) {
  CheckBody(body, lOffset, 2);
  return DecodeU16(body.bytes.data() + lOffset);
}

uint8_t BodyU8(const RecordBody& body, long lOffset) {
  CheckBody(body, lOffset, 1);
  return body.bytes[static_cast<std::size_t>(lOffset)];
}

std::string BodyText(const RecordBody& body, long lOffset) {
  CheckBody(body, lOffset, 0);
  // The appended NUL after the last body byte ends a text that runs to the end.
  return std::string(reinterpret_cast<const char*>(body.bytes.data()) + lOffset);
}
