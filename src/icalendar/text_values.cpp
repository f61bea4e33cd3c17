// text_values: an organiser text as an iCalendar TEXT value (UTF-8, with
// backslash, semicolon and comma escaped and each line break written as \n),
// and content lines folded at 75 octets without a break inside a UTF-8
// character.

#include <algorithm>

#include "calendar_parts.h"

namespace ical {

TextContext::TextContext(const std::string& szEncoding) : codec(szEncoding) {}

void RequireAscii(const BookItem& csvd, const std::string& bytes) {
  if (!IsAscii(bytes)) RefuseNonAscii(ItemLabel(csvd));
}

std::string TextValue(TextContext& ctx, const BookItem& csvd, const std::string& bytes) {
  if (ctx.codec.PassThrough()) RequireAscii(csvd, bytes);
  const std::string utf8 = ctx.codec.ToUtf8(bytes);
  const auto special = [](char c) {
    return c == '\\' || c == ';' || c == ',' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  };
  if (std::none_of(utf8.begin(), utf8.end(), special)) return utf8;
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

void AppendFolded(std::string* pOut, const std::string& line) {
  std::size_t i = 0;
  std::size_t iRoom = 75;  // a continuation line's space takes one octet
  while (line.size() - i > iRoom) {
    std::size_t iCut = i + iRoom;
    while (iCut > i + 1 && (static_cast<unsigned char>(line[iCut]) & 0xC0) == 0x80) --iCut;
    pOut->append(line, i, iCut - i).append("\r\n ");
    i = iCut;
    iRoom = 74;
  }
  pOut->append(line, i, std::string::npos).append("\r\n");
}

void Component::Add(std::initializer_list<std::string_view> parts) {
  std::size_t n = 0;
  for (const std::string_view part : parts) n += part.size();
  // Most lines need no folding and are put together in place.
  if (n <= 75) {
    for (const std::string_view part : parts) text.append(part);
    text.append("\r\n");
    return;
  }
  std::string line;
  for (const std::string_view part : parts) line.append(part);
  AppendFolded(&text, line);
}

}  // namespace ical
