// item_choice: which items an export takes: the date key of the -g/-f range,
// the class of a kind option, and the kinds a modern format exports.

#include "book_items.h"

// The text "%4d%02d%02d" of year, month and day read as a number: month or
// day bytes of 99 or more give three-digit parts, and a text above the
// 32-bit range is the lowest 32-bit value.
int32_t DateKey(const NonRepeaAppt& nra) {
  auto shift = [](int v) { return v >= 100 ? 1000LL : 100LL; };
  const int month = nra.cMonth + 1;
  const int day = nra.cDay + 1;
  const long long llKey = ((nra.cYear + 1900LL) * shift(month) + month) * shift(day) + day;
  if (llKey > 2147483647LL) return INT32_MIN;
  return static_cast<int32_t>(llKey);
}

namespace {

int16_t WantedClass(uint8_t cKind) {
  switch (cKind) {
    case KIND_APPT:
      return opt.iWantAppt;
    case KIND_EVENT:
      return opt.iWantEvent;
    case KIND_TODO:
      return opt.iWantToDo;
    default:
      return 0;
  }
}

}  // namespace

bool InDateRange(const NonRepeaAppt& nra) {
  const int32_t lKey = DateKey(nra);
  return opt.lCutStart <= lKey && lKey <= opt.lCutEnd;
}

bool ClassTakes(int16_t iClass, bool bOnce, bool bRepeats) {
  switch (iClass) {
    case 1:
      return true;
    case 2:
      return bOnce;
    case 3:
      return bRepeats;
    default:
      return false;
  }
}

// A repeat type of 0 (no rule fits) counts as happening once here.
bool WantsItem(const BookItem& item) {
  const bool bRepeats = Repeats(item.pnra->cRepeatType);
  return InDateRange(*item.pnra) && ClassTakes(WantedClass(item.cKind), !bRepeats, bRepeats);
}
