// import_texts: a calendar's UTF-8 texts in the organiser's code page, and
// the warnings that name an item of the calendar.

#include "import_parts.h"

namespace ical {

void ItemWarning(ImportRun& run, const Source& src, const std::string& szWhat) {
  ++run.lWarnings;
  std::fprintf(stderr, "Warning: %s line %ld (UID %s, \"%s\"): %s.\n", files.szFilenameIN.c_str(), src.range.lLine,
               src.szUid.c_str(), src.szSummary.c_str(), szWhat.c_str());
}

namespace {

std::string Shaped(ImportRun& run, const Source& src, const char* szProperty, const std::string& utf8,
                   TextShape shape) {
  if (shape == TextShape::kAsIs || utf8.find_first_of("\r\n") == std::string::npos) return utf8;
  std::string s;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (c != '\r' && c != '\n') {
      s += c;
      continue;
    }
    if (c == '\r' && utf8.compare(i + 1, 1, "\n") == 0) ++i;
    s += shape == TextShape::kNote ? "\r\n" : " ";
  }
  if (shape == TextShape::kOneLine) {
    ItemWarning(run, src,
                std::string(szProperty) +
                    ": line breaks written as spaces: the organiser keeps this text "
                    "on one line");
  }
  return s;
}

// One UTF-8 character (or a byte that starts none) in the code page; '?'
// when it can't hold it.
std::string Character(ImportRun& run, const std::string& utf8, std::size_t at, std::size_t n) {
  std::string out;
  std::size_t bad = 0;
  if (run.codec.FromUtf8(utf8.substr(at, n), &out, &bad)) return out;
  ++run.lReplaced;
  return "?";
}

}  // namespace

std::string OrganiserText(ImportRun& run, const Source& src, const char* szProperty, const std::string& value,
                          std::size_t nMax, TextShape shape) {
  const std::string utf8 = Shaped(run, src, szProperty, value, shape);
  if (run.codec.PassThrough() && !IsAscii(utf8)) {
    LineError(PropertyLine(*run.file, src.range, szProperty).lLine,
              std::string(szProperty) +
                  ": the text holds non-ASCII characters, and the organiser's code page is "
                  "not known. " +
                  kNameTheEncoding);
  }
  std::string out;
  std::size_t bad = 0;
  const bool bWhole = run.codec.FromUtf8(utf8, &out, &bad);
  if (bWhole && (nMax == 0 || out.size() <= nMax)) return out;
  // Character by character: each that the code page can't hold becomes '?',
  // and the text stops before the first that would pass nMax.
  out.clear();
  bool bCut = false;
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t n = std::min(Utf8SequenceLength(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
    const long lBefore = run.lReplaced;
    const std::string c = Character(run, utf8, at, n);
    if (nMax != 0 && out.size() + c.size() > nMax) {
      run.lReplaced = lBefore;
      bCut = true;
      break;
    }
    out += c;
    at += n;
  }
  if (bCut) {
    ItemWarning(run, src,
                std::string(szProperty) + ": text cut to " + std::to_string(out.size()) +
                    " bytes, as much as the organiser's field holds");
  }
  return out;
}

}  // namespace ical
