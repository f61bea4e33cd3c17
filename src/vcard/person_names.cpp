// person_names: a name written in one field split into the parts of N.

#include <cctype>

#include "text_codec.h"
#include "vcard_parts.h"

namespace vcard {

namespace {

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t b = s.find_first_not_of(' ', i);
    if (b == std::string::npos) break;
    std::size_t e = s.find(' ', b);
    if (e == std::string::npos) e = s.size();
    words.push_back(s.substr(b, e - b));
    i = e;
  }
  return words;
}

std::string Joined(const std::vector<std::string>& words, std::size_t b, std::size_t e) {
  std::string s;
  for (std::size_t i = b; i < e; ++i) s += (s.empty() ? "" : " ") + words[i];
  return s;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

template <std::size_t N>
bool OneOf(const std::string& word, const char* const (&list)[N]) {
  const std::string w = Lower(word);
  for (const char* p : list) {
    if (w == p) return true;
  }
  return false;
}

constexpr const char* kPrefixes[] = {"mr", "mr.", "mrs", "mrs.", "ms", "ms.", "miss", "dr", "dr.", "prof", "prof."};
constexpr const char* kSuffixes[] = {"jr", "jr.", "sr", "sr.", "ii", "iii", "iv"};
constexpr const char* kParticles[] = {"van", "von", "de", "der", "den", "da", "del", "della", "di", "du", "la", "le"};

// The scripts that write the family name first.
bool IsFamilyFirstScript(uint32_t cp) {
  return (cp >= 0x3040 && cp <= 0x30FF) || (cp >= 0x3400 && cp <= 0x9FFF) || (cp >= 0xAC00 && cp <= 0xD7AF) ||
         (cp >= 0xF900 && cp <= 0xFAFF);
}

bool FamilyFirst(const std::string& utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const std::size_t n = Utf8SequenceLength(c);
    if (n == 3 && i + 2 < utf8.size()) {
      const uint32_t cp = (c & 0x0Fu) << 12 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6 |
                          (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
      if (IsFamilyFirstScript(cp)) return true;
    }
    i += n;
  }
  return false;
}

}  // namespace

PersonName SplitName(const std::string& text) {
  PersonName n;
  // The ideographic space parts names as a blank does.
  std::string utf8 = text;
  for (std::size_t at = utf8.find("\xE3\x80\x80"); at != std::string::npos; at = utf8.find("\xE3\x80\x80", at)) {
    utf8.replace(at, 3, " ");
  }
  const std::size_t comma = utf8.find(',');
  if (comma != std::string::npos) {
    n.family = Trimmed(utf8.substr(0, comma));
    n.given = Trimmed(utf8.substr(comma + 1));
    return n;
  }
  const std::vector<std::string> w = Words(utf8);
  std::size_t b = 0;
  std::size_t e = w.size();
  if (FamilyFirst(utf8)) {
    if (!w.empty()) {
      n.family = w[0];
      n.given = Joined(w, 1, e);
    }
    return n;
  }
  while (e - b > 1 && OneOf(w[b], kPrefixes)) ++b;
  while (e - b > 1 && OneOf(w[e - 1], kSuffixes)) --e;
  n.prefix = Joined(w, 0, b);
  n.suffix = Joined(w, e, w.size());
  // One word: a given name, but after a title a family name (Dr. Smith).
  if (e - b == 1) {
    (b > 0 ? n.family : n.given) = w[b];
    return n;
  }
  if (e == b) return n;
  std::size_t f = e - 1;  // the family name's first word
  while (f > b + 1 && w[f - 1] == Lower(w[f - 1]) && OneOf(w[f - 1], kParticles)) --f;
  n.family = Joined(w, f, e);
  n.given = Joined(w, b, f);
  return n;
}

std::string JoinName(const std::string& given, const std::string& family) {
  if (given.empty()) return family;
  if (family.empty()) return given;
  return FamilyFirst(family + given) ? family + " " + given : given + " " + family;
}

}  // namespace vcard
