// text_values: an organiser text as an iCalendar TEXT value in UTF-8, and
// the lines of a component.

#include "calendar_parts.h"

namespace ical {

TextContext::TextContext(const std::string& szEncoding) : codec(szEncoding) {}

void RequireAscii(const BookItem& csvd, const std::string& bytes) {
  if (!IsAscii(bytes)) RefuseNonAscii(ItemLabel(csvd));
}

std::string TextValue(TextContext& ctx, const BookItem& csvd, const std::string& bytes) {
  if (ctx.codec.PassThrough()) RequireAscii(csvd, bytes);
  return EscapedText(ctx.codec.ToUtf8(bytes), &ctx.lControls);
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
