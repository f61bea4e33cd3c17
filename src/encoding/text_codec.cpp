// text_codec: TextCodec, a pair of iconv descriptors kept for the whole run.
#include "text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

#include "kalvert.h"

namespace {

constexpr char kUtf8[] = "UTF-8";
constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

iconv_t Open(const char* to, const char* from, const std::string& szName) {
  const iconv_t cd = iconv_open(to, from);
  if (cd == kNoDescriptor) Fatal("Unknown encoding %s.\n", szName.c_str());
  return cd;
}

// Runs one conversion step over [*in, *in + *inLeft), appending to out.
// Returns iconv's result and leaves errno as iconv set it.
std::size_t Step(iconv_t cd, char** in, std::size_t* inLeft, std::string* out) {
  char buf[4096];
  char* dst = buf;
  std::size_t dstLeft = sizeof buf;
  const std::size_t r = iconv(cd, in, inLeft, &dst, &dstLeft);
  const int saved = errno;
  out->append(buf, static_cast<std::size_t>(dst - buf));
  errno = saved;
  return r;
}

}  // namespace

TextCodec::TextCodec(const std::string& szEncoding) : szEncoding_(szEncoding) {
  if (PassThrough()) return;
  toUtf8_ = Open(kUtf8, szEncoding.c_str(), szEncoding);
  fromUtf8_ = Open(szEncoding.c_str(), kUtf8, szEncoding);
  std::string ascii;
  for (char c = 1; c < 0x7F; ++c) ascii += c;
  bAsciiSame_ = ToUtf8(ascii) == ascii && lReplaced_ == 0;
  lReplaced_ = 0;
}

namespace {

bool IsAscii(const std::string& s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

TextCodec::~TextCodec() {
  if (toUtf8_) iconv_close(static_cast<iconv_t>(toUtf8_));
  if (fromUtf8_) iconv_close(static_cast<iconv_t>(fromUtf8_));
}

std::string TextCodec::ToUtf8(const std::string& bytes) {
  // Most texts are plain ASCII: they need no conversion.
  if (PassThrough() || (bAsciiSame_ && IsAscii(bytes))) return bytes;
  const iconv_t cd = static_cast<iconv_t>(toUtf8_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  std::string in(bytes);
  char* p = in.data();
  std::size_t left = in.size();
  while (left > 0) {
    if (Step(cd, &p, &left, &out) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: one byte that starts no character of the code page.
    out += kReplacement;
    ++lReplaced_;
    ++p;
    --left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  std::size_t none = 0;
  Step(cd, nullptr, &none, &out);  // the shift back to the initial state
  return out;
}

bool TextCodec::FromUtf8(const std::string& utf8, std::string* pOut, std::size_t* pBadAt) const {
  pOut->clear();
  if (PassThrough()) {
    *pOut = utf8;
    return true;
  }
  const iconv_t cd = static_cast<iconv_t>(fromUtf8_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string in(utf8);
  char* p = in.data();
  std::size_t left = in.size();
  while (left > 0) {
    if (Step(cd, &p, &left, pOut) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    *pBadAt = static_cast<std::size_t>(p - in.data());
    return false;
  }
  std::size_t none = 0;
  Step(cd, nullptr, &none, pOut);
  return true;
}

void TextCodec::ReportReplacements() const {
  if (lReplaced_ == 0) return;
  std::fprintf(stderr, "Warning: %ld byte sequence(s) not valid in %s were written as U+FFFD.\n", lReplaced_,
               szEncoding_.c_str());
}
