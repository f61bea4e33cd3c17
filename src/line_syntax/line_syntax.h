// line_syntax: what iCalendar and vCard write alike: TEXT values escaped,
// content lines folded at 75 octets without a break inside a UTF-8
// character, and name-based UUIDs, so that the same name always gives the
// same UID.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A line of a file, without its end, and its number from 1.
struct TextLine {
  std::string text;
  long lLine = 0;
};
// The file read whole; false on a read error.
bool ReadWhole(std::FILE* f, std::string* pBytes);
// The lines of a file's bytes (ended by LF or CR LF), a UTF-8 byte order
// mark before the first left out. Unfolding is the reader's own.
std::vector<TextLine> PhysicalLines(const std::string& bytes);

// A UTF-8 text as an escaped TEXT value: backslash, semicolon and comma after
// a backslash, each line break (CR LF, CR or LF) as \n, and every other
// control character but the tab as U+FFFD, counted in *pControls.
std::string EscapedText(const std::string& utf8, long* pControls);
// A TEXT value with its escapes undone: \n and \N a line break, a backslash
// before any other character that character, a lone backslash at the end kept.
std::string UnescapedText(const std::string& value);
// The one warning at the end of an export that replaced control characters.
void ReportControls(long lControls);
// Appends one content line, folded at 75 octets, with CRLF.
void AppendFolded(std::string* pOut, const std::string& line);

std::array<uint8_t, 20> Sha1(const std::string& data);
// A name-based UUID (version 5) in kalvert's own namespace.
std::string NameUuid(const std::string& name);
