// columns: the column names of the appointment book, and the words and flag
// bits of its kinds.

#include "csv_parts.h"

namespace stdcsv {

const char* const kColumnNames[kColumns] = {
    "kind",         "description", "date",        "start",        "end",       "days",     "location",
    "category",     "alarm",       "lead",        "month_view",   "week_view", "priority", "completed",
    "completed_on", "carry",       "other_flags", "repeat",       "every",     "weekdays", "weeks",
    "day_of_month", "months",      "repeat_from", "repeat_until", "deleted",   "note"};

const char* KindWord(uint8_t cKind) {
  switch (cKind) {
    case KIND_APPT:
      return "appointment";
    case KIND_EVENT:
      return "event";
    default:
      return "todo";
  }
}

// Appointments: 0x80 to 0xFF; events: 0x20 to 0x7F (0x20 kept, 0x80 never);
// ToDo items: 0x10 to 0x1F. The named flags are the low three bits, but for
// a ToDo item whose bit value 1 has no meaning.
uint8_t OtherFlagMask(uint8_t cKind) {
  switch (cKind) {
    case KIND_APPT:
      return 0x78;
    case KIND_EVENT:
      return 0x58;
    default:
      return 0x09;
  }
}

}  // namespace stdcsv
