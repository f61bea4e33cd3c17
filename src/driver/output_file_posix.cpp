// output_file_posix: how the output database reaches its destination without losing or
// leaking anything.
//
// The database is written to a new temporary file, mode 0600, in the folder
// of the file it replaces. Only a successful run gives that file the
// destination's permission bits, owner, group and extended attributes, syncs
// it, renames it over the destination and syncs the folder, so a crash or a
// power loss leaves the old file or the new one. A destination that is a
// symbolic link is followed: the link stays and its target is replaced. An
// existing destination is locked from before the input is opened until the
// run ends, so a second run on the same file waits and then reads what the
// first one wrote; a destination that changed all the same (a program that
// takes no lock) is not replaced.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>
#if __has_include(<sys/xattr.h>)
#include <sys/xattr.h>
#define KALVERT_HAVE_XATTR 1
#endif

#include "driver.h"
#include "output_file_parts.h"

namespace {

constexpr int kMaxLinks = 40;  // as many as the system follows in a path

// The temporary file's name for the signal handler, which may use only
// async-signal-safe calls: set before the file exists, cleared once it is
// removed or renamed.
char gTempPath[PATH_MAX];
volatile sig_atomic_t gTempArmed{};

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTempAndDie(int sig) {
  if (gTempArmed) unlink(gTempPath);
  signal(sig, SIG_DFL);
  raise(sig);
}

// Holds the clean-up signals back while the temporary file and its name in
// gTempPath change together. With bDropPending, the signals that came
// meanwhile are dropped: the run has done what it was asked.
class SignalsHeld {
 public:
  explicit SignalsHeld(bool bDropPending = false) : bDrop_(bDropPending) {
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : kCleanupSignals) sigaddset(&set, sig);
    sigprocmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() {
    if (bDrop_) DropPending();
    sigprocmask(SIG_SETMASK, &old_, nullptr);
  }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  // A pending signal whose action becomes SIG_IGN is discarded.
  static void DropPending() {
    sigset_t pending;
    if (sigpending(&pending) != 0) return;
    for (const int sig : kCleanupSignals) {
      if (sigismember(&pending, sig) != 1) continue;
      struct sigaction ignore {};
      struct sigaction kept {};
      ignore.sa_handler = SIG_IGN;
      sigaction(sig, &ignore, &kept);
      sigaction(sig, &kept, nullptr);
    }
  }

  bool bDrop_;
  sigset_t old_;
};

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

namespace {

FileStamp StampOf(const struct stat& st) {
  FileStamp s;
  s.bExists = true;
  s.dev = st.st_dev;
  s.ino = st.st_ino;
  s.size = st.st_size;
  s.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.ctimeNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return s;
}

// The path's last component with its symbolic links followed, also to a file
// that does not exist yet. 0 or an errno.
int FollowLinks(std::string* path) {
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat st {};
    if (lstat(path->c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISLNK(st.st_mode)) return 0;
    std::vector<char> buf(PATH_MAX);
    const ssize_t n = readlink(path->c_str(), buf.data(), buf.size());
    if (n < 0) return errno;
    const std::string target(buf.data(), static_cast<std::size_t>(n));
    *path = !target.empty() && target[0] == '/' ? target : FolderOf(*path) + "/" + target;
  }
  return ELOOP;
}

// Opens and locks the existing regular file at files.szTarget. 0, an errno or
// kNotRegular; 0 with no lock when there is no file.
int LockTarget() {
  for (;;) {
    struct stat st {};
    if (stat(files.szTarget.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return kNotRegular;
    // Read and write, as writing the file in place would need.
    const int fd = open(files.szTarget.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return errno;
    // flock, not fcntl: closing the input, the same file in an update in
    // place, would drop an fcntl lock. Where the file system has no locks, the
    // check before the rename still keeps a changed destination.
    if (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
      close(fd);
      continue;
    }
    struct stat locked {};
    struct stat now {};
    if (fstat(fd, &locked) == 0 && stat(files.szTarget.c_str(), &now) == 0 && StampOf(locked) == StampOf(now)) {
      files.iLockFd = fd;
      files.stamp = StampOf(locked);
      return 0;
    }
    // Replaced while this run waited: lock the file that is there now.
    close(fd);
  }
}

FileStamp CurrentStamp(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? StampOf(st) : FileStamp{};
}

void CopyExtendedAttributes(int from, int to) {
#ifdef KALVERT_HAVE_XATTR
  const ssize_t size = flistxattr(from, nullptr, 0);
  if (size <= 0) return;
  std::vector<char> names(static_cast<std::size_t>(size));
  const ssize_t got = flistxattr(from, names.data(), names.size());
  for (ssize_t at = 0; got > 0 && at < got; at += static_cast<ssize_t>(std::strlen(names.data() + at)) + 1) {
    const char* name = names.data() + at;
    const ssize_t len = fgetxattr(from, name, nullptr, 0);
    if (len < 0) continue;
    std::vector<char> value(static_cast<std::size_t>(len));
    const ssize_t have = fgetxattr(from, name, value.data(), value.size());
    // An attribute this process may not set (a user and a security label) stays behind.
    if (have >= 0) (void)fsetxattr(to, name, value.data(), static_cast<std::size_t>(have), 0);
  }
#else
  (void)from;
  (void)to;
#endif
}

// The destination's owner, group, extended attributes and permission bits;
// a new destination gets what a new file gets (0666 less the umask).
bool GiveAttributes(int fd) {
  if (files.iLockFd < 0) {
    const mode_t mask = umask(0);
    umask(mask);
    return fchmod(fd, 0666 & ~mask) == 0;
  }
  // Only a privileged process may give a file away; others keep their own.
  struct stat st {};
  if (fstat(files.iLockFd, &st) != 0 || (fchown(fd, st.st_uid, st.st_gid) != 0 && errno != EPERM)) return false;
  CopyExtendedAttributes(files.iLockFd, fd);
  return fchmod(fd, st.st_mode & 07777) == 0;
}

// The rename lives in the folder: without this a power loss may undo it.
void SyncFolder() {
  const int fd = open(FolderOf(files.szTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // Some file systems cannot sync a folder (EINVAL): there is nothing to wait for.
  const bool synced = fd >= 0 && (fsync(fd) == 0 || errno == EINVAL);
  const int err = errno;
  if (fd >= 0) close(fd);
  if (!synced)
    Fatal("%s is written, but its folder can't be synced: %s.\n", files.szFilenameOUT.c_str(), std::strerror(err));
}

}  // namespace

// A new file in `folder`, readable by its owner only. Its name is in
// files.szTempOUT and gTempPath.
std::FILE* CreateTemporary(const std::string& folder) {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = folder + "/.kalvert-" + std::to_string(rd()) + ".tmp";
    if (name.size() >= sizeof gTempPath) {
      errno = ENAMETOOLONG;
      return nullptr;
    }
    SignalsHeld held;
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    std::memcpy(gTempPath, name.c_str(), name.size() + 1);
    gTempArmed = 1;
    files.szTempOUT = name;
    std::FILE* f = fdopen(fd, "wb");
    if (!f) {
      close(fd);
      return nullptr;
    }
    // A whole book goes out in a few large writes.
    std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
    return f;
  }
  errno = EEXIST;
  return nullptr;
}

std::FILE* OpenNamed(const std::string& szName, const char* mode) { return std::fopen(szName.c_str(), mode); }

void PrepareOutput() {
  files.szTarget = files.szFilenameOUT;
  files.iOutErr = files.szTarget.empty() ? ENOENT : FollowLinks(&files.szTarget);
  if (files.iOutErr == 0) files.iOutErr = LockTarget();
}

bool OutputIsFile(int fd) {
  struct stat st {};
  return files.stamp.bExists && fstat(fd, &st) == 0 && static_cast<uint64_t>(st.st_dev) == files.stamp.dev &&
         static_cast<uint64_t>(st.st_ino) == files.stamp.ino;
}

void CommitOutput() {
  if (!files.fpout) return;
  const int fd = fileno(files.fpout);
  const bool written =
      std::fflush(files.fpout) == 0 && !std::ferror(files.fpout) && GiveAttributes(fd) && fsync(fd) == 0;
  const bool closed = std::fclose(files.fpout) == 0;
  files.fpout = nullptr;
  if (!written || !closed) Fatal("Failed write file.\n");
  if (CurrentStamp(files.szTarget) != files.stamp) {
    Fatal("%s changed during the run; not replaced.\n", files.szFilenameOUT.c_str());
  }
  struct stat st {};
  if (files.iLockFd >= 0 && fstat(files.iLockFd, &st) == 0 && st.st_nlink > 1) {
    std::fprintf(stderr, "%s has other hard links; they keep the old content.\n", files.szFilenameOUT.c_str());
  }
  SignalsHeld held;
  if (std::rename(files.szTempOUT.c_str(), files.szTarget.c_str()) != 0) Fatal("Failed write file.\n");
  gTempArmed = 0;
  files.szTempOUT.clear();
  // The new file is in place: the run has succeeded, whatever signal comes
  // while its folder is synced.
  SignalsHeld done(true);
  SyncFolder();
}

void DiscardOutput() {
  if (files.fpout) std::fclose(files.fpout);
  files.fpout = nullptr;
  if (!files.szTempOUT.empty()) {
    SignalsHeld held;
    std::remove(files.szTempOUT.c_str());
    gTempArmed = 0;
    files.szTempOUT.clear();
  }
  if (files.iLockFd >= 0) close(files.iLockFd);
  files.iLockFd = -1;
}

void InstallSignalCleanup() {
  for (const int sig : kCleanupSignals) {
    struct sigaction sa {};
    // A signal ignored by whoever started the run (nohup) stays ignored.
    if (sigaction(sig, nullptr, &sa) == 0 && sa.sa_handler == SIG_IGN) continue;
    sa = {};
    sa.sa_handler = RemoveTempAndDie;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
  }
}
