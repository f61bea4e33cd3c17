// text_codec: TextCodec, a pair of converters kept for the whole run, and
// the rule for texts without --encoding.
#include "text_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "converter.h"
#include "kalvert.h"

const char kNameTheEncoding[] =
    "Name the organiser's encoding with --encoding=NAME (for example --encoding=CP932 or --encoding=CP437)";

namespace {

constexpr char kUtf8[] = "UTF-8";
constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
// The code pages the README lists as tested.
constexpr char kTested[] = "CP437, CP850, CP852, CP932, EUC-JP, ISO-8859-1, UTF-8";
// Characters of many code pages (e, Cyrillic Zhe, alpha, a kanji, katakana
// A), to find the NUL bytes and shift states of those that hold them.
constexpr const char* kSamples[] = {"\xC3\xA9", "\xD0\x96", "\xCE\xB1", "\xE6\x97\xA5", "\xE3\x82\xA2"};

// The offset of the first character of utf8 that does not come back the same
// from the code page (0 when each does, but not the whole).
std::size_t FirstOneWay(Converter* fromUtf8, Converter* toUtf8, const std::string& utf8) {
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t n = std::min(Utf8SequenceLength(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
    const std::string ch = utf8.substr(at, n);
    std::string there, back;
    ConvertAll(fromUtf8, ch, &there);
    Unshift(fromUtf8, &there);
    if (ConvertAll(toUtf8, there, &back) != kWhole || back != ch) return at;
    at += n;
  }
  return 0;
}

// Why the code page can't hold the organiser's texts, or nullptr when it can.
const char* Unfit(Converter* toUtf8, Converter* fromUtf8) {
  std::string ascii, there, back;
  for (int c = 1; c <= 0x7F; ++c) ascii += static_cast<char>(c);
  ConvertAll(fromUtf8, ascii, &there);
  Unshift(fromUtf8, &there);
  ConvertAll(toUtf8, ascii, &back);
  Unshift(toUtf8, &back);
  constexpr const char* kNul = "a character takes a NUL byte, and a NUL byte ends an organiser's text";
  if (there.find('\0') != std::string::npos) return kNul;
  if (there != ascii || back != ascii) return "it does not keep ASCII characters as the same bytes both ways";
  for (const char* sample : kSamples) {
    std::string out;
    if (ConvertAll(fromUtf8, sample, &out) != kWhole) continue;  // not in this code page
    if (out.find('\0') != std::string::npos) return kNul;
    if (Unshift(fromUtf8, &out) != 0) {
      return "it shifts between character sets, and the organiser reads each character on its own";
    }
  }
  return nullptr;
}

}  // namespace

TextCodec::TextCodec(const std::string& szEncoding) : szEncoding_(szEncoding) {
  if (PassThrough()) return;
  const char* szName = szEncoding.c_str();
  int iErr = 0;
  toUtf8_ = OpenConverter(kUtf8, szName, &iErr);
  if (toUtf8_) fromUtf8_ = OpenConverter(szName, kUtf8, &iErr);
  const char* szWhy = iErr == 0 ? Unfit(toUtf8_, fromUtf8_) : nullptr;
  if (iErr == 0 && !szWhy) return;
  Close();  // the end of the run unwinds, and a half-made codec has no destructor
  if (iErr == EINVAL) Fatal("Unknown encoding %s.\n", szName);
  if (iErr != 0) Fatal("The converter for %s could not be loaded: %s.\n", szName, std::strerror(iErr));
  Fatal("Encoding %s can't hold the organiser's texts: %s. Tested encodings: %s.\n", szName, szWhy, kTested);
}

TextCodec::~TextCodec() { Close(); }

void TextCodec::Close() {
  CloseConverter(toUtf8_);
  CloseConverter(fromUtf8_);
  toUtf8_ = fromUtf8_ = nullptr;
}

std::string TextCodec::ToUtf8(const std::string& bytes) {
  // ASCII is the same in every code page accepted: most texts need no conversion.
  if (PassThrough() || IsAscii(bytes)) return bytes;
  std::string out;
  std::string_view rest(bytes);
  for (;;) {
    const std::size_t bad = ConvertAll(toUtf8_, rest, &out);
    if (bad == kWhole) break;
    // One byte that starts no character of the code page.
    out += kReplacement;
    ++lReplaced_;
    rest.remove_prefix(bad + 1);
  }
  Unshift(toUtf8_, &out);
  return out;
}

bool TextCodec::FromUtf8(const std::string& utf8, std::string* pOut, std::size_t* pBadAt) const {
  pOut->clear();
  if (PassThrough()) {
    *pOut = utf8;
    return true;
  }
  std::size_t bad = ConvertAll(fromUtf8_, utf8, pOut);
  Unshift(fromUtf8_, pOut);
  // A converter maps some characters one way only (CP932 takes U+00AC for its
  // U+FFE2): such a character would come back as another. The first of them
  // may come before a character the converter refuses.
  const std::string done = bad == kWhole ? utf8 : utf8.substr(0, bad);
  std::string back;
  if (ConvertAll(toUtf8_, *pOut, &back) != kWhole || back != done) bad = FirstOneWay(fromUtf8_, toUtf8_, done);
  if (bad == kWhole) return true;
  *pBadAt = bad;
  return false;
}

std::string TextCodec::HeldUtf8(const std::string& utf8, long* pReplaced) const {
  std::string out;
  std::size_t bad = 0;
  if (FromUtf8(utf8, &out, &bad)) return utf8;
  out.clear();
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t n = std::min(Utf8SequenceLength(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
    std::string c;
    if (FromUtf8(utf8.substr(at, n), &c, &bad)) {
      out.append(utf8, at, n);
    } else {
      out += '?';
      ++*pReplaced;
    }
    at += n;
  }
  return out;
}

bool ConvertCharset(const std::string& szFrom, const std::string& szTo, const std::string& bytes, std::string* pOut) {
  int err = 0;
  Converter* cv = OpenConverter(szTo.c_str(), szFrom.c_str(), &err);
  if (!cv) return false;
  pOut->clear();
  const bool bWhole = ConvertAll(cv, bytes, pOut) == kWhole;
  if (bWhole) Unshift(cv, pOut);
  CloseConverter(cv);
  return bWhole;
}

bool CharsetToUtf8(const std::string& szCharset, const std::string& bytes, std::string* pOut) {
  return ConvertCharset(szCharset, kUtf8, bytes, pOut);
}

void TextCodec::ReportReplacements() const {
  if (lReplaced_ == 0) return;
  std::fprintf(stderr, "Warning: %ld byte sequence(s) not valid in %s were written as U+FFFD.\n", lReplaced_,
               szEncoding_.c_str());
}

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void RefuseNonAscii(const std::string& szWhere) {
  Fatal("%s: a text holds non-ASCII bytes, and %s is UTF-8. %s.\n", szWhere.c_str(),
        opt.format == OutputFormat::kIcs   ? "iCalendar"
        : opt.format == OutputFormat::kVcf ? "vCard"
                                           : "standard CSV",
        kNameTheEncoding);
}
