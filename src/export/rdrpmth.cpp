// rdrpmth: ReadRepeatMonth, the text of a repeat block's month rule: "0", or
// the names of the months whose bits are set, joined by ":".
#include <string>

#include "kalvert.h"

namespace {

void AppendSetBits(int iPart, const char* const* names, unsigned count, std::string* psz) {
  // The parts of a negative rule are negative; their bits are those of the
  // two's-complement form.
  const unsigned bits = static_cast<unsigned>(iPart);
  for (unsigned i = 0; i < count; ++i) {
    if (!(bits & (1u << i))) continue;
    if (!psz->empty()) *psz += ':';
    *psz += names[i];
  }
}

}  // namespace

std::string ReadRepeatMonth(int16_t iMonth) {
  if (iMonth == 0) return "0";
  const int iWide = iMonth;
  std::string szText;
  AppendSetBits(iWide % 256, kMonthRuleNames, 8, &szText);
  AppendSetBits(iWide / 256, kMonthRuleNames + 8, 4, &szText);
  return szText;
}
