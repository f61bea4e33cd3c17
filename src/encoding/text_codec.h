// text_codec: texts between the organiser's code page and UTF-8, through the
// system's converter (iconv, or the Windows code-page functions). The legacy formats never convert; the modern ones
// convert only when --encoding names the code page, and take ASCII texts alone without it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct Converter;

class TextCodec {
 public:
  // An empty name: texts pass as bytes. A name the system does not know ends the
  // run ("Unknown encoding NAME.\n"), and so does a code page that can't
  // hold the organiser's NUL-ended texts of independent characters: ASCII
  // must stay ASCII both ways, no character may take a NUL byte and no shift
  // state may exist.
  explicit TextCodec(const std::string& szEncoding);
  ~TextCodec();
  TextCodec(const TextCodec&) = delete;
  TextCodec& operator=(const TextCodec&) = delete;

  bool PassThrough() const { return szEncoding_.empty(); }
  const std::string& Name() const { return szEncoding_; }

  // The organiser's bytes as UTF-8. A sequence that is not valid in the code
  // page becomes U+FFFD and is counted in Replacements().
  std::string ToUtf8(const std::string& bytes);
  long Replacements() const { return lReplaced_; }
  // The one warning at the end of an export that replaced anything.
  void ReportReplacements() const;

  // UTF-8 in the organiser's code page. False when the text is not valid
  // UTF-8 or holds a character the code page cannot hold; *pBadAt is then
  // the byte offset of that character in utf8.
  bool FromUtf8(const std::string& utf8, std::string* pOut, std::size_t* pBadAt) const;
  // UTF-8 with each character the code page can't hold (and each byte that
  // starts no UTF-8 character) as '?', counted in *pReplaced.
  std::string HeldUtf8(const std::string& utf8, long* pReplaced) const;

 private:
  void Close();

  std::string szEncoding_;
  Converter* toUtf8_ = nullptr;    // code page -> UTF-8
  Converter* fromUtf8_ = nullptr;  // UTF-8 -> code page
  long lReplaced_ = 0;
};

// Bytes in a character set a file names (a vCard's CHARSET=) as UTF-8; false
// for a name the system does not know or bytes not valid in it.
bool CharsetToUtf8(const std::string& szCharset, const std::string& bytes, std::string* pOut);
// Bytes in one character set in another; false for a name the system does
// not know or a character the second can't hold.
bool ConvertCharset(const std::string& szFrom, const std::string& szTo, const std::string& bytes, std::string* pOut);

// Without --encoding the code page is unknown, so only ASCII texts can be
// written as UTF-8 or stored from it.
bool IsAscii(std::string_view s);
// The export's end for a text that is not ASCII without --encoding; szWhere
// names the item or record ("The appointment of 1999/04/05 (data record 3)").
[[noreturn]] void RefuseNonAscii(const std::string& szWhere);
// How every such message asks for the code page.
extern const char kNameTheEncoding[];

// The length of the UTF-8 sequence that starts with byte c (1 for a byte that
// starts none).
inline std::size_t Utf8SequenceLength(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return 4;
  if (c >= 0xE0) return c <= 0xEF ? 3 : 1;
  if (c >= 0xC2) return 2;
  return 1;
}
