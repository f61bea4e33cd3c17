// text_codec: texts between the organiser's code page and UTF-8, through the C
// library's iconv. The legacy formats never convert; the modern ones convert
// only when --encoding names the code page.
#pragma once

#include <cstddef>
#include <string>

class TextCodec {
 public:
  // An empty name: texts pass as bytes. A name iconv does not know ends the
  // run: "Unknown encoding NAME.\n".
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

 private:
  std::string szEncoding_;
  void* toUtf8_ = nullptr;    // iconv_t, code page -> UTF-8
  void* fromUtf8_ = nullptr;  // iconv_t, UTF-8 -> code page
  long lReplaced_ = 0;
  bool bAsciiSame_ = false;  // the code page writes ASCII as ASCII
};

// The length of the UTF-8 sequence that starts with byte c (1 for a byte that
// starts none).
inline std::size_t Utf8SequenceLength(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return 4;
  if (c >= 0xE0) return c <= 0xEF ? 3 : 1;
  if (c >= 0xC2) return 2;
  return 1;
}
