// ictext: TextValue, an organiser text as an iCalendar TEXT value: UTF-8,
// with backslash, semicolon and comma escaped and each line break (CR LF, CR
// or LF) written as \n.
#include "icalendar.h"

namespace ical {

std::string TextValue(TextContext& ctx, const CSVData& csvd, const std::string& bytes) {
  if (ctx.codec.PassThrough()) {
    for (const char c : bytes) {
      if (static_cast<unsigned char>(c) < 0x80) continue;
      Fatal(
          "%s: a text holds non-ASCII bytes, and iCalendar is UTF-8. Name the organiser's encoding with "
          "--encoding=NAME (for example --encoding=CP932 or --encoding=CP437).\n",
          ItemLabel(csvd).c_str());
    }
  }
  const std::string utf8 = ctx.codec.ToUtf8(bytes);
  std::string s;
  s.reserve(utf8.size() + 8);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (c == '\\' || c == ';' || c == ',') {
      s += '\\';
      s += c;
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
      s += "\\n";
    } else if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) {
      // TEXT holds no control characters but the tab.
      s += "\xEF\xBF\xBD";
      ++ctx.lControls;
    } else {
      s += c;
    }
  }
  return s;
}

}  // namespace ical
