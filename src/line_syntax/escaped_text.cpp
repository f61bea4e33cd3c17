// escaped_text: the lines of a file, TEXT values and folded content lines.

#include <cstdio>

#include "line_syntax.h"

bool ReadWhole(std::FILE* f, std::string* pBytes) {
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) pBytes->append(buf, n);
  return !std::ferror(f);
}

std::vector<TextLine> PhysicalLines(const std::string& bytes) {
  std::vector<TextLine> lines;
  std::size_t at = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  for (long lLine = 1; at < bytes.size(); ++lLine) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    std::size_t n = end - at;
    if (n > 0 && bytes[at + n - 1] == '\r') --n;
    lines.push_back(TextLine{bytes.substr(at, n), lLine});
    at = end + 1;
  }
  return lines;
}

std::string EscapedText(const std::string& utf8, long* pControls) {
  std::string s;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (c == '\\' || c == ';' || c == ',') {
      s += '\\';
      s += c;
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && utf8.compare(i + 1, 1, "\n") == 0) ++i;
      s += "\\n";
    } else if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) {
      // TEXT holds no control characters but the tab.
      s += "\xEF\xBF\xBD";
      ++*pControls;
    } else {
      s += c;
    }
  }
  return s;
}

std::string UnescapedText(const std::string& value) {
  std::string s;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      s += value[i];
      continue;
    }
    const char c = value[++i];
    s += c == 'n' || c == 'N' ? '\n' : c;
  }
  return s;
}

void ReportControls(long lControls) {
  if (lControls == 0) return;
  std::fprintf(stderr, "Warning: %ld control character(s) in texts were written as U+FFFD.\n", lControls);
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
