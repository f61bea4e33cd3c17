// Checks shared by the fuzz targets: the shape of a fuzzed database, and the
// rules that every CSV and iCalendar text the program writes keeps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "harness.h"

namespace fuzz {

inline uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// A copied general database has each note link renumbered in place. When a
// direct link's two bytes overlap the two-byte pointer of an indirect field,
// or a link is itself reached through a pointer (so it may land anywhere),
// the renumbering can move another field's text out of the record: such
// definitions contradict each other and the copy is not required to read
// back. Definitions are the type-6 records before the lookup table.
inline bool LinksMayHitPointers(const uint8_t* file, std::size_t size) {
  struct Def {
    uint8_t type;
    int32_t offset;
    bool indirect;
  };
  std::vector<Def> defs;
  for (std::size_t pos = 29; pos + 6 <= size;) {
    const uint8_t type = file[pos];
    const int16_t length = static_cast<int16_t>(U16(file + pos + 2));
    if (type == 31 || length < 6) break;
    if (type == 6 && pos + 6 + 5 <= size) {
      const uint8_t* body = file + pos + 6;
      defs.push_back({body[0], static_cast<int16_t>(U16(body + 2)), (body[4] & 0x20) != 0});
    }
    pos += static_cast<std::size_t>(length);
  }
  for (const Def& link : defs) {
    if (link.type != 10) continue;
    if (link.indirect) return true;
    for (const Def& other : defs) {
      if (other.indirect && other.offset < link.offset + 2 && link.offset < other.offset + 2) return true;
    }
  }
  return false;
}

// The length of the valid UTF-8 sequence at s[at], 0 when there is none
// (overlong forms, surrogates and code points above U+10FFFF are not valid).
inline std::size_t Utf8At(const std::string& s, std::size_t at) {
  const auto b = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char c = b(at);
  if (c < 0x80) return 1;
  const std::size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || at + n > s.size()) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((b(at + i) & 0xC0) != 0x80) return 0;
  }
  if ((c == 0xE0 && b(at + 1) < 0xA0) || (c == 0xED && b(at + 1) >= 0xA0)) return 0;
  if ((c == 0xF0 && b(at + 1) < 0x90) || (c == 0xF4 && b(at + 1) >= 0x90)) return 0;
  return n;
}

inline bool ValidUtf8(const std::string& s) {
  for (std::size_t at = 0; at < s.size();) {
    const std::size_t n = Utf8At(s, at);
    if (n == 0) return false;
    at += n;
  }
  return true;
}

// An iCalendar text the export wrote: UTF-8, one calendar, every line ending
// in CR LF and at most 75 octets long, no fold inside a character.
// Content lines as iCalendar and vCard write them: CR LF, no bare CR, at
// most 75 octets, UTF-8 with no character split by a fold.
inline void CheckContentLines(const std::string& text, const char* szFormat) {
  const std::string what = szFormat;
  const std::string noCrLf = what + " line without CR LF", bareCr = what + " line holds a bare CR",
                    tooLong = what + " line longer than 75 octets",
                    notUtf8 = what + " line is not UTF-8 (or a fold splits a character)";
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t lf = text.find('\n', at);
    Require(lf != std::string::npos && lf > at && text[lf - 1] == '\r', noCrLf.c_str());
    const std::string line = text.substr(at, lf - 1 - at);
    Require(line.find('\r') == std::string::npos, bareCr.c_str());
    Require(line.size() <= 75, tooLong.c_str());
    Require(ValidUtf8(line), notUtf8.c_str());
    at = lf + 1;
  }
}

inline void CheckIcs(const std::string& text) {
  Require(text.rfind("BEGIN:VCALENDAR\r\n", 0) == 0, "iCalendar text does not begin with BEGIN:VCALENDAR");
  const std::string end = "END:VCALENDAR\r\n";
  Require(text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0,
          "iCalendar text does not end with END:VCALENDAR and CR LF");
  CheckContentLines(text, "iCalendar");
}

// A vCard text: cards one after the other, each with its version and FN.
inline void CheckVcf(const std::string& text) {
  CheckContentLines(text, "vCard");
  // Lines that begin or end a card (a value may hold the same words).
  const std::string lines = "\r\n" + text;
  std::size_t begins = 0;
  std::size_t ends = 0;
  for (std::size_t at = 0; (at = lines.find("\r\nBEGIN:VCARD\r\n", at)) != std::string::npos; ++at) ++begins;
  for (std::size_t at = 0; (at = lines.find("\r\nEND:VCARD\r\n", at)) != std::string::npos; ++at) ++ends;
  Require(begins == ends, "vCard text with a card not ended");
  Require(text.empty() || text.rfind("BEGIN:VCARD\r\nVERSION:", 0) == 0, "vCard text does not begin with a card");
}

// A CSV text the export wrote: a byte order mark exactly when asked for,
// rows ending in CR LF, quotes only around fields that hold a comma, a double
// quote, CR or LF, every row as wide as the header; UTF-8 when utf8.
// Returns the number of rows.
inline std::size_t CheckCsv(const std::string& text, bool bom, bool utf8) {
  const std::string mark = "\xEF\xBB\xBF";
  Require((text.compare(0, 3, mark) == 0) == bom, "byte order mark present without --bom or missing with it");
  if (utf8) Require(ValidUtf8(text), "CSV text is not UTF-8");
  std::size_t at = bom ? 3 : 0;
  std::size_t rows = 0;
  std::size_t width = 0;
  while (at < text.size()) {
    std::size_t fields = 0;
    for (bool more = true; more; ++fields) {
      std::string field;
      if (text[at] == '"') {
        for (++at;; ++at) {
          Require(at < text.size(), "CSV text ends inside a quoted field");
          if (text[at] != '"') {
            field += text[at];
          } else if (at + 1 < text.size() && text[at + 1] == '"') {
            field += text[at++];
          } else {
            break;
          }
        }
        ++at;
        Require(field.find_first_of(",\"\r\n") != std::string::npos, "CSV field quoted without need");
      } else {
        const std::size_t stop = text.find_first_of(",\r\n\"", at);
        Require(stop != std::string::npos && text[stop] != '"' && text[stop] != '\n',
                "CSV field unquoted holds a quote or a bare line end");
        at = stop;
      }
      Require(at < text.size() && (text[at] == ',' || text.compare(at, 2, "\r\n") == 0),
              "CSV field not followed by a comma or CR LF");
      more = text[at] == ',';
      at += more ? 1 : 2;
    }
    if (rows++ == 0) width = fields;
    Require(fields == width, "CSV row not as wide as the header");
  }
  return rows;
}

}  // namespace fuzz
