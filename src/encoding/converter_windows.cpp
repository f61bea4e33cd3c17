// converter_windows: the converter of Windows, its code-page functions. A
// text goes through UTF-16: MultiByteToWideChar from the code page,
// WideCharToMultiByte into it, each refusing what it can't convert instead of
// guessing (no best fit, no default character).
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "converter.h"
#include "text_codec.h"

struct Converter {
  UINT from;
  UINT to;
};

namespace {

// Code pages whose characters depend on a shift or escape before them, and
// the wide ones: a name that gives one of these is not known here.
bool Refused(UINT cp) {
  return cp == 1200 || cp == 1201 || cp == 12000 || cp == 12001 || cp == CP_UTF7 || (cp >= 50220 && cp <= 50229) ||
         (cp >= 50930 && cp <= 50939) || cp == 52936 || (cp >= 57002 && cp <= 57011);
}

std::string Upper(const char* s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

// The code page of an encoding name as iconv spells it; 0 for none.
UINT CodePageOf(const char* szName) {
  static const std::pair<const char*, UINT> kNamed[] = {
      {"UTF-8", CP_UTF8},  {"UTF8", CP_UTF8}, {"EUC-JP", 20932},  {"EUCJP", 20932},  {"ASCII", 20127},
      {"US-ASCII", 20127}, {"LATIN1", 28591}, {"KOI8-R", 20866},  {"KOI8-U", 21866}, {"EUC-KR", 51949},
      {"GBK", 936},        {"GB2312", 936},   {"GB18030", 54936}, {"BIG5", 950},     {"ISO-8859-15", 28605}};
  const std::string name = Upper(szName);
  for (const auto& [n, cp] : kNamed) {
    if (name == n) return cp;
  }
  // CP437, IBM850, WINDOWS-1252, ISO-8859-2 (ISO-8859-N is 28590 + N).
  static const std::pair<const char*, UINT> kNumbered[] = {
      {"CP", 0}, {"IBM", 0}, {"WINDOWS-", 0}, {"ISO-8859-", 28590}, {"ISO8859-", 28590}};
  for (const auto& [prefix, base] : kNumbered) {
    const std::size_t len = std::char_traits<char>::length(prefix);
    if (name.compare(0, len, prefix) != 0 || name.size() == len || name.size() > len + 5) continue;
    if (!std::all_of(name.begin() + static_cast<std::ptrdiff_t>(len), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    const UINT cp = base + static_cast<UINT>(std::strtoul(name.c_str() + len, nullptr, 10));
    return base != 0 && cp > base + 16 ? 0 : cp;
  }
  return 0;
}

// The bytes of the character that starts at text[at] in code page cp.
std::size_t CharLength(UINT cp, std::string_view text, std::size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  std::size_t n = 1;
  if (cp == CP_UTF8) {
    n = Utf8SequenceLength(c);
  } else if (cp == 20932 && c == 0x8F) {
    n = 3;  // JIS X 0212 in EUC-JP
  } else if (IsDBCSLeadByteEx(cp, c)) {
    n = 2;
  }
  return std::min(n, text.size() - at);
}

// Code page -> UTF-16; false for bytes that are not characters of it.
bool Decode(UINT cp, const char* p, std::size_t n, std::wstring* pWide) {
  pWide->clear();
  if (n == 0) return true;
  const int len = static_cast<int>(n);
  const int need = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, p, len, nullptr, 0);
  if (need <= 0) return false;
  pWide->resize(static_cast<std::size_t>(need));
  return MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, p, len, pWide->data(), need) == need;
}

// UTF-16 -> code page, appended; false for a character it can't hold.
bool Encode(UINT cp, const std::wstring& wide, std::string* pOut) {
  if (wide.empty()) return true;
  const bool bUtf8 = cp == CP_UTF8;
  const DWORD flags = bUtf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL bDefaulted = FALSE;
  BOOL* pDefaulted = bUtf8 ? nullptr : &bDefaulted;
  const int len = static_cast<int>(wide.size());
  const int need = WideCharToMultiByte(cp, flags, wide.data(), len, nullptr, 0, nullptr, pDefaulted);
  if (need <= 0 || bDefaulted) return false;
  std::vector<char> buf(static_cast<std::size_t>(need));
  if (WideCharToMultiByte(cp, flags, wide.data(), len, buf.data(), need, nullptr, pDefaulted) != need || bDefaulted) {
    return false;
  }
  pOut->append(buf.data(), buf.size());
  return true;
}

bool Convert(const Converter& cv, const char* p, std::size_t n, std::string* pOut) {
  std::wstring wide;
  return Decode(cv.from, p, n, &wide) && Encode(cv.to, wide, pOut);
}

}  // namespace

Converter* OpenConverter(const char* to, const char* from, int* pErr) {
  const UINT cpTo = CodePageOf(to);
  const UINT cpFrom = CodePageOf(from);
  for (const UINT cp : {cpTo, cpFrom}) {
    if (cp == 0 || Refused(cp) || !IsValidCodePage(cp)) {
      *pErr = EINVAL;
      return nullptr;
    }
  }
  return new Converter{cpFrom, cpTo};
}

void CloseConverter(Converter* cv) { delete cv; }

std::size_t ConvertAll(Converter* cv, std::string_view text, std::string* pOut) {
  if (Convert(*cv, text.data(), text.size(), pOut)) return kWhole;
  // Character by character, to find the first one that does not convert.
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t n = CharLength(cv->from, text, at);
    if (!Convert(*cv, text.data() + at, n, pOut)) return at;
    at += n;
  }
  return kWhole;
}

std::size_t Unshift(Converter* /*cv*/, std::string* /*pOut*/) { return 0; }
