// Fault injection for the tests, preloaded (LD_PRELOAD) into the built
// program, as the environment variable FAULT says:
//   fread@<byte>: a read that reaches that byte of its stream fails with
//     EIO, as on a bad spot of a disk;
//   fwrite:<n>:fail, fsync:<n>:fail, iconv_open:<n>:fail: the n-th call
//     fails (ENOSPC, EIO, ENOMEM);
//   flock:<n>:nolock: the n-th call and every later one fail (ENOLCK), as on
//     a file system without locks;
//   <function>:<n>:<ms>: the n-th call waits that many milliseconds first.
// A failed stream gets its error flag, as on a real failure.
#include <dlfcn.h>
#include <iconv.h>
#include <stdio.h>
#include <sys/file.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

struct Rule {
  char func[16] = "";
  char kind = 0;  // '@' a byte of the stream, ':' a call
  long n = 0;
  char action[16] = "";
};

const Rule& TheRule() {
  static const Rule rule = [] {
    Rule r;
    if (const char* s = std::getenv("FAULT")) std::sscanf(s, "%15[^:@]%c%ld:%15s", r.func, &r.kind, &r.n, r.action);
    return r;
  }();
  return rule;
}

// True when this call of `func`, reading `size` bytes of f, is to fail.
bool Strike(const char* func, FILE* f = nullptr, long size = 0) {
  const Rule& rule = TheRule();
  if (std::strcmp(rule.func, func) != 0) return false;
  if (rule.kind == '@') {
    const long at = std::ftell(f);
    return at <= rule.n && rule.n < at + size;
  }
  static long calls = 0;
  ++calls;
  if (std::strcmp(rule.action, "nolock") == 0) return calls >= rule.n;
  if (calls != rule.n) return false;
  if (std::strcmp(rule.action, "fail") == 0) return true;
  const long ms = std::atol(rule.action);
  const timespec pause{ms / 1000, (ms % 1000) * 1000000};
  nanosleep(&pause, nullptr);
  return false;
}

int Failed(FILE* f, int err) {
  if (f) f->_flags |= _IO_ERR_SEEN;
  errno = err;
  return 0;
}

}  // namespace

extern "C" {

size_t fread(void* p, size_t size, size_t n, FILE* f) {
  static const auto real = reinterpret_cast<decltype(&fread)>(dlsym(RTLD_NEXT, "fread"));
  return Strike("fread", f, static_cast<long>(size * n)) ? static_cast<size_t>(Failed(f, EIO)) : real(p, size, n, f);
}

size_t fwrite(const void* p, size_t size, size_t n, FILE* f) {
  static const auto real = reinterpret_cast<decltype(&fwrite)>(dlsym(RTLD_NEXT, "fwrite"));
  return Strike("fwrite") ? static_cast<size_t>(Failed(f, ENOSPC)) : real(p, size, n, f);
}

int fsync(int fd) {
  static const auto real = reinterpret_cast<decltype(&fsync)>(dlsym(RTLD_NEXT, "fsync"));
  return Strike("fsync") ? Failed(nullptr, EIO) - 1 : real(fd);
}

int flock(int fd, int op) {
  static const auto real = reinterpret_cast<decltype(&flock)>(dlsym(RTLD_NEXT, "flock"));
  return Strike("flock") ? Failed(nullptr, ENOLCK) - 1 : real(fd, op);
}

iconv_t iconv_open(const char* to, const char* from) {
  static const auto real = reinterpret_cast<decltype(&iconv_open)>(dlsym(RTLD_NEXT, "iconv_open"));
  return Strike("iconv_open") ? (Failed(nullptr, ENOMEM), reinterpret_cast<iconv_t>(-1)) : real(to, from);
}
}
