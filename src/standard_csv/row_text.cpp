// row_text: RowText, a field's text in the organiser's code page, cut at a
// character boundary.

#include <algorithm>

#include "csv_parts.h"

namespace stdcsv {

namespace {

// The line of byte `at` of a field that starts on lLine.
long LineOf(const Field& f, std::size_t at) {
  long lLine = f.lLine;
  for (std::size_t i = 0; i < at; ++i) {  // at lies inside the text
    const char c = f.text[i];
    // A CR LF is one line end; the character after the text's last is a NUL.
    if (c == '\n' || (c == '\r' && f.text[i + 1] != '\n')) ++lLine;
  }
  return lLine;
}

bool ValidUtf8At(const std::string& s, std::size_t at) {
  const std::size_t n = Utf8SequenceLength(static_cast<unsigned char>(s[at]));
  if (n == 1) return static_cast<unsigned char>(s[at]) < 0x80;
  if (at + n > s.size()) return false;
  for (std::size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(s[at + i]) & 0xC0) != 0x80) return false;
  }
  return true;
}

std::string Convert(const Field& f, int iColumn, const std::string& szColumn, const std::string& text,
                    TextCodec& codec) {
  if (codec.PassThrough() && !IsAscii(text)) {
    const std::size_t at = static_cast<std::size_t>(
        std::find_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
        text.begin());
    RowError(LineOf(f, at), iColumn, szColumn,
             "the text holds non-ASCII characters, and the organiser's code page is not known. " +
                 std::string(kNameTheEncoding));
  }
  std::string out;
  std::size_t bad = 0;
  if (codec.FromUtf8(text, &out, &bad)) return out;
  const std::string why =
      ValidUtf8At(text, bad) ? "a character that " + codec.Name() + " cannot hold" : "bytes that are not UTF-8";
  RowError(LineOf(f, bad), iColumn, szColumn, "the text holds " + why);
}

// The longest start of the UTF-8 text whose bytes in the code page fit nMax.
std::string CutUtf8(const Field& f, int iColumn, const std::string& szColumn, std::size_t nMax, TextCodec& codec) {
  std::size_t used = 0;
  std::size_t at = 0;
  while (at < f.text.size()) {
    const std::size_t n = std::min(Utf8SequenceLength(static_cast<unsigned char>(f.text[at])), f.text.size() - at);
    used += Convert(f, iColumn, szColumn, f.text.substr(at, n), codec).size();
    if (used > nMax) break;
    at += n;
  }
  return Convert(f, iColumn, szColumn, f.text.substr(0, at), codec);
}

// The field with its line breaks stored as `breaks` says.
Field WithBreaks(const Field& f, int iColumn, const std::string& szColumn, Breaks breaks) {
  if (breaks == Breaks::kKept || f.text.find_first_of("\r\n") == std::string::npos) return f;
  Field g{std::string(), f.lLine};
  for (std::size_t i = 0; i < f.text.size(); ++i) {
    const char c = f.text[i];
    if (c != '\r' && c != '\n') {
      g.text += c;
      continue;
    }
    if (c == '\r' && f.text.compare(i + 1, 1, "\n") == 0) ++i;
    g.text += breaks == Breaks::kCrLf ? "\r\n" : " ";
  }
  if (breaks == Breaks::kSpace) {
    RowWarning(f.lLine, iColumn, szColumn, "line breaks written as spaces: the organiser keeps this text on one line");
  }
  return g;
}

}  // namespace

std::string RowText(const Field& field, int iColumn, const std::string& szColumn, std::size_t nMax, TextCodec& codec,
                    Breaks breaks) {
  const Field f = WithBreaks(field, iColumn, szColumn, breaks);
  std::string out = Convert(f, iColumn, szColumn, f.text, codec);
  if (nMax == 0 || out.size() <= nMax) return out;
  out = CutUtf8(f, iColumn, szColumn, nMax, codec);
  RowWarning(f.lLine, iColumn, szColumn,
             "text cut to " + std::to_string(out.size()) + " bytes, as much as the organiser's field holds");
  return out;
}

}  // namespace stdcsv
