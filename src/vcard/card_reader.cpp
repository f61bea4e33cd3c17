// card_reader: the cards of a vCard file as their properties. Content lines
// are unfolded (a line that begins with a blank or a tab goes on the one
// before), a 2.1 quoted-printable value goes on after a line that ends in '='
// and a 2.1 BASE64 value until a blank line; values in another CHARSET are
// brought to UTF-8.

#include <algorithm>
#include <cctype>

#include "line_syntax.h"
#include "text_codec.h"
#include "vcard_parts.h"

namespace vcard {

namespace {

using Line = TextLine;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Where the value begins: after the first colon outside double quotes.
std::size_t ValueColon(const std::string& line) {
  bool bQuoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') bQuoted = !bQuoted;
    if (line[i] == ':' && !bQuoted) return i;
  }
  return std::string::npos;
}

bool NamesEncoding(const std::string& line, const char* szUpper) {
  return Upper(line.substr(0, ValueColon(line))).find(szUpper) != std::string::npos;
}

// Content lines, each with the line it begins on.
std::vector<Line> ContentLines(const std::vector<Line>& physical) {
  for (const Line& p : physical) {
    if (p.text.find('\0') != std::string::npos) CardLineError(p.lLine, "the line holds a NUL byte");
  }
  std::vector<Line> lines;
  for (std::size_t i = 0; i < physical.size(); ++i) {
    const Line& p = physical[i];
    if (!p.text.empty() && (p.text[0] == ' ' || p.text[0] == '\t') && !lines.empty()) {
      lines.back().text.append(p.text, 1, std::string::npos);
      continue;
    }
    if (p.text.empty()) continue;
    Line line = p;
    if (NamesEncoding(line.text, "QUOTED-PRINTABLE")) {
      while (!line.text.empty() && line.text.back() == '=' && i + 1 < physical.size()) {
        line.text.pop_back();
        line.text += physical[++i].text;
      }
    } else if (NamesEncoding(line.text, "BASE64")) {
      while (i + 1 < physical.size() && !physical[i + 1].text.empty() &&
             physical[i + 1].text.find(':') == std::string::npos) {
        line.text += physical[++i].text;
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string QuotedPrintable(const std::string& s, long lLine) {
  const auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '=') {
      out += s[i];
      continue;
    }
    const std::string hex = s.substr(i + 1, 2);
    if (hex.size() != 2 || !isHex(hex[0]) || !isHex(hex[1])) {
      CardLineError(lLine, "a quoted-printable value with '=' before no two hex digits");
    }
    out += static_cast<char>(std::stoi(hex, nullptr, 16));
    i += 2;
  }
  return out;
}

// A parameter value without its double quotes, RFC 6868's ^n ^^ ^' undone.
std::string ParamText(std::string v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  std::string out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '^' && i + 1 < v.size() && (v[i + 1] == 'n' || v[i + 1] == '^' || v[i + 1] == '\'')) {
      const char c = v[++i];
      out += c == 'n' ? '\n' : c == '\'' ? '"' : '^';
    } else {
      out += v[i];
    }
  }
  return out;
}

// The parts of "NAME;P=V;P:" split at semicolons outside double quotes.
std::vector<std::string> HeadParts(const std::string& head) {
  std::vector<std::string> parts(1);
  bool bQuoted = false;
  for (const char c : head) {
    if (c == '"') bQuoted = !bQuoted;
    if (c == ';' && !bQuoted) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

Property ParseLine(const Line& line) {
  const std::size_t colon = ValueColon(line.text);
  if (colon == std::string::npos) CardLineError(line.lLine, "not a content line (a name, then a colon and the value)");
  const std::vector<std::string> head = HeadParts(line.text.substr(0, colon));
  Property p;
  p.lLine = line.lLine;
  p.name = Upper(head[0].substr(head[0].find('.') == std::string::npos ? 0 : head[0].rfind('.') + 1));
  const bool bNamed = !p.name.empty() && std::all_of(p.name.begin(), p.name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
  });
  if (!bNamed) CardLineError(line.lLine, "not a content line (a name, then a colon and the value)");
  for (std::size_t i = 1; i < head.size(); ++i) {
    const std::size_t eq = head[i].find('=');
    const std::string name = eq == std::string::npos ? "TYPE" : Upper(head[i].substr(0, eq));
    const std::string value = ParamText(eq == std::string::npos ? head[i] : head[i].substr(eq + 1));
    p.params.emplace_back(name, value);
    if (name != "TYPE") continue;
    for (std::size_t at = 0; at <= value.size();) {
      std::size_t end = value.find(',', at);
      if (end == std::string::npos) end = value.size();
      if (end > at) p.types.push_back(Lower(value.substr(at, end - at)));
      at = end + 1;
    }
  }
  p.value = line.text.substr(colon + 1);
  const std::string encoding = Upper(p.Param("ENCODING"));
  const bool bQp = encoding == "QUOTED-PRINTABLE" || p.HasType("quoted-printable");
  if (bQp) p.value = QuotedPrintable(p.value, p.lLine);
  const std::string charset = p.Param("CHARSET");
  if (!charset.empty() && Upper(charset) != "UTF-8") {
    std::string utf8;
    if (!CharsetToUtf8(charset, p.value, &utf8)) {
      CardLineError(p.lLine, "the value is not " + charset + " text (or iconv does not know " + charset + ")");
    }
    p.value = utf8;
  }
  return p;
}

bool IsUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = Utf8SequenceLength(c);
    if (n == 1 && c >= 0x80) return false;
    if (i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

}  // namespace

bool Property::HasType(const char* szType) const {
  return std::find(types.begin(), types.end(), szType) != types.end();
}

std::string Property::Param(const char* szName) const {
  for (const auto& param : params) {
    if (param.first == szName) return param.second;
  }
  return std::string();
}

void CardLineError(long lLine, const std::string& why) {
  Fatal("%s line %ld: %s.\n", files.szFilenameIN.c_str(), lLine, why.c_str());
}

std::vector<Card> ReadCards(std::FILE* f) {
  std::string bytes;
  if (!ReadWhole(f, &bytes)) Fatal("Failed read file.\n  %s\n", files.szFilenameIN.c_str());
  const std::vector<Line> lines = ContentLines(PhysicalLines(bytes));
  std::vector<Card> cards;
  bool bInCard = false;
  for (const Line& line : lines) {
    const std::string upper = Upper(line.text);
    if (!bInCard) {
      if (upper != "BEGIN:VCARD") {
        CardLineError(line.lLine, cards.empty() ? "not a vCard file: it does not begin with BEGIN:VCARD"
                                                : "a line between cards: " + line.text.substr(0, 40));
      }
      cards.emplace_back();
      cards.back().lLine = line.lLine;
      bInCard = true;
      continue;
    }
    if (upper == "END:VCARD") {
      bInCard = false;
      continue;
    }
    if (upper == "BEGIN:VCARD")
      CardLineError(line.lLine, "BEGIN:VCARD inside the card of line " + std::to_string(cards.back().lLine));
    Property p = ParseLine(line);
    if (Upper(p.Param("ENCODING")) != "B" && Upper(p.Param("ENCODING")) != "BASE64" && !IsUtf8(p.value)) {
      CardLineError(line.lLine, "the value is not UTF-8 and names no CHARSET");
    }
    cards.back().properties.push_back(std::move(p));
  }
  if (cards.empty()) CardLineError(1, "not a vCard file: it holds no BEGIN:VCARD");
  if (bInCard) CardLineError(cards.back().lLine, "BEGIN:VCARD has no END:VCARD");
  return cards;
}

std::vector<std::string> SplitValue(const std::string& value, char cSep) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\') {  // with the character it escapes, if any
      parts.back() += value.substr(i, 2);
      ++i;
    } else if (value[i] == cSep) {
      parts.emplace_back();
    } else {
      parts.back() += value[i];
    }
  }
  for (std::string& part : parts) part = UnescapedText(part);
  return parts;
}

}  // namespace vcard
