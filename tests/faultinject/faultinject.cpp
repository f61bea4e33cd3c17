// Fault injection for the tests, preloaded (LD_PRELOAD) into the built
// program. FAULT=<function>:<n>:<action> acts on the n-th call of fread,
// getc, fwrite, fsync or rename: "fail" makes it fail (EIO; ENOSPC for
// fwrite, with the stream's error flag set as a real failure sets it), a
// number of milliseconds makes it wait that long first.
#include <dlfcn.h>
#include <stdio.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

struct Rule {
  char func[16] = "";
  long n = 0;
  bool fail = false;
  long pauseMs = 0;
};

Rule ReadRule() {
  Rule r;
  char action[16] = "";
  const char* s = std::getenv("FAULT");
  if (!s || std::sscanf(s, "%15[^:]:%ld:%15s", r.func, &r.n, action) != 3) return Rule{};
  r.fail = std::strcmp(action, "fail") == 0;
  r.pauseMs = r.fail ? 0 : std::atol(action);
  return r;
}

// True when this call is to fail.
bool Strike(const char* func) {
  static const Rule rule = ReadRule();
  static long calls = 0;
  if (std::strcmp(rule.func, func) != 0 || ++calls != rule.n) return false;
  const timespec pause{rule.pauseMs / 1000, (rule.pauseMs % 1000) * 1000000};
  nanosleep(&pause, nullptr);
  return rule.fail;
}

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int Failed(FILE* f, int err) {
  if (f) f->_flags |= _IO_ERR_SEEN;
  errno = err;
  return 0;
}

}  // namespace

extern "C" {

size_t fread(void* p, size_t size, size_t n, FILE* f) {
  if (Strike("fread")) return static_cast<size_t>(Failed(f, EIO));
  static const auto real = Next<size_t (*)(void*, size_t, size_t, FILE*)>("fread");
  return real(p, size, n, f);
}

int getc(FILE* f) {
  if (Strike("getc")) return Failed(f, EIO) + EOF;
  static const auto real = Next<int (*)(FILE*)>("getc");
  return real(f);
}

size_t fwrite(const void* p, size_t size, size_t n, FILE* f) {
  if (Strike("fwrite")) return static_cast<size_t>(Failed(f, ENOSPC));
  static const auto real = Next<size_t (*)(const void*, size_t, size_t, FILE*)>("fwrite");
  return real(p, size, n, f);
}

int fsync(int fd) {
  if (Strike("fsync")) return Failed(nullptr, EIO) - 1;
  static const auto real = Next<int (*)(int)>("fsync");
  return real(fd);
}

int rename(const char* from, const char* to) {
  if (Strike("rename")) return Failed(nullptr, EIO) - 1;
  static const auto real = Next<int (*)(const char*, const char*)>("rename");
  return real(from, to);
}
}
