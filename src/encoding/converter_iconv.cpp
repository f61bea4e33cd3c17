// converter_iconv: the converter of the C library, iconv.
#include <iconv.h>

#include <cerrno>

#include "converter.h"

struct Converter {
  iconv_t cd;
};

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

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

Converter* OpenConverter(const char* to, const char* from, int* pErr) {
  const iconv_t cd = iconv_open(to, from);
  if (cd != kNoDescriptor) return new Converter{cd};
  *pErr = errno;
  return nullptr;
}

void CloseConverter(Converter* cv) {
  if (!cv) return;
  iconv_close(cv->cd);
  delete cv;
}

std::size_t ConvertAll(Converter* cv, std::string_view text, std::string* pOut) {
  iconv(cv->cd, nullptr, nullptr, nullptr, nullptr);
  // iconv only reads its input; the pointer is not const for old reasons.
  char* const start = const_cast<char*>(text.data());
  char* p = start;
  std::size_t left = text.size();
  while (left > 0) {
    if (Step(cv->cd, &p, &left, pOut) != static_cast<std::size_t>(-1)) break;
    if (errno != E2BIG) return static_cast<std::size_t>(p - start);
  }
  return kWhole;
}

std::size_t Unshift(Converter* cv, std::string* pOut) {
  const std::size_t n = pOut->size();
  std::size_t none = 0;
  Step(cv->cd, nullptr, &none, pOut);
  return pOut->size() - n;
}
