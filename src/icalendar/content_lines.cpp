// content_lines: the file's content lines (continuation lines joined) and
// the nesting of its BEGIN and END lines, checked before libical sees the
// file: libical takes an unterminated component without a word, and its own
// messages name no line.

#include <algorithm>
#include <cctype>
#include <cstring>

#include "import_parts.h"

namespace ical {

void LineError(long lLine, const std::string& why) {
  Fatal("%s line %ld: %s.\n", files.szFilenameIN.c_str(), lLine, why.c_str());
}

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The name of a content line: letters, digits and '-' up to ';' or ':'.
std::string NameOf(const ContentLine& line) {
  const std::size_t n = line.text.find_first_of(";:");
  const bool bNamed = n != std::string::npos && n > 0 &&
                      std::all_of(line.text.begin(), line.text.begin() + static_cast<long>(n),
                                  [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; });
  if (!bNamed) LineError(line.lLine, "not a content line (a name, then a colon and the value)");
  return Upper(line.text.substr(0, n));
}

std::vector<ContentLine> SplitLines(const std::string& bytes) {
  std::vector<ContentLine> lines;
  for (TextLine& line : PhysicalLines(bytes)) {
    if (line.text.find('\0') != std::string::npos) LineError(line.lLine, "the line holds a NUL byte");
    if (!line.text.empty() && (line.text[0] == ' ' || line.text[0] == '\t') && !lines.empty()) {
      lines.back().text.append(line.text, 1, std::string::npos);
    } else if (!line.text.empty()) {
      lines.push_back(std::move(line));
    }
  }
  return lines;
}

}  // namespace

CalendarFile ReadContentLines(std::FILE* f) {
  std::string bytes;
  if (!ReadWhole(f, &bytes)) Fatal("Failed read file.\n");
  CalendarFile file;
  file.lines = SplitLines(bytes);
  if (file.lines.empty() || Upper(file.lines[0].text) != "BEGIN:VCALENDAR") {
    LineError(file.lines.empty() ? 1 : file.lines[0].lLine,
              "not an iCalendar file: it does not begin with BEGIN:VCALENDAR");
  }
  std::vector<std::pair<std::string, std::size_t>> open;  // kind and line index of each BEGIN not yet ended
  for (std::size_t i = 0; i < file.lines.size(); ++i) {
    const ContentLine& line = file.lines[i];
    const std::string name = NameOf(line);
    const bool bBegin = name == "BEGIN", bEnd = name == "END";
    const std::string kind = bBegin || bEnd ? Upper(line.text.substr(name.size() + 1)) : std::string();
    if (open.empty() && !(bBegin && kind == "VCALENDAR")) {
      LineError(line.lLine, "a line outside BEGIN:VCALENDAR and END:VCALENDAR");
    }
    if (bBegin) {  // a range ends where it begins until its END is read
      if (open.size() == 1) file.components.back().push_back(LineRange{i, i, line.lLine});
      if (open.empty()) {
        file.calendars.push_back(LineRange{i, i, line.lLine});
        file.components.emplace_back();
      }
      open.emplace_back(kind, i);
    } else if (bEnd) {
      if (kind != open.back().first) {
        LineError(line.lLine, "END:" + kind + " where END:" + open.back().first + " of line " +
                                  std::to_string(file.lines[open.back().second].lLine) + " belongs");
      }
      open.pop_back();
      if (open.size() == 1) file.components.back().back().end = i + 1;
      if (open.empty()) file.calendars.back().end = i + 1;
    }
  }
  if (!open.empty()) {
    const ContentLine& begin = file.lines[open.back().second];
    LineError(begin.lLine, "BEGIN:" + open.back().first + " has no END:" + open.back().first);
  }
  return file;
}

const ContentLine& PropertyLine(const CalendarFile& file, const LineRange& range, const char* szName) {
  const std::size_t n = std::strlen(szName);
  int iDepth = 0;
  for (std::size_t i = range.first + 1; i + 1 < range.end; ++i) {
    const std::string& text = file.lines[i].text;
    const std::string head = Upper(text.substr(0, std::max<std::size_t>(n + 1, 6)));
    if (head.compare(0, 6, "BEGIN:") == 0) ++iDepth;
    if (head.compare(0, 4, "END:") == 0) --iDepth;
    if (iDepth == 0 && head.compare(0, n, szName) == 0 && text.size() > n && (text[n] == ':' || text[n] == ';')) {
      return file.lines[i];
    }
  }
  return file.lines[range.first];
}

std::string RawValue(const std::string& line) {
  bool bQuoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') bQuoted = !bQuoted;
    if (line[i] == ':' && !bQuoted) return line.substr(i + 1);
  }
  return std::string();
}

}  // namespace ical
