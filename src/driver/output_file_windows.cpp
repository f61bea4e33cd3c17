// output_file_windows: the output database's way to its destination on
// Windows, with the same promise as on POSIX systems: a new temporary file in
// the destination's folder, flushed to the disk and moved over the
// destination only by a run that succeeded, so that a crash leaves the old
// file or the new one. Windows has no permission bits, owners or extended
// attributes to carry over, and no symbolic links a user makes by hand. The
// destination is locked for the whole run with LockFileEx on a byte far past
// its end: Windows locks keep every other handle off the bytes they cover,
// and the input, the same file in an update in place, must stay readable.
// Windows replaces no file that is open, so the lock is released just before
// the move.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "driver.h"
#include "output_file_parts.h"

namespace {

constexpr DWORD kLockOffsetLow = 0xFFFFFFFEu;
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFFu;

// The temporary file's name for the console's Ctrl+C handler, which runs on
// a thread of its own.
std::wstring gTempPathW;
volatile LONG gTempArmed{};

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

int ErrnoOf(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

}  // namespace

// The folder of a path with either separator, a drive's root kept whole
// ("C:\book.dat" is in "C:\", "C:book.dat" in "C:").
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const bool bDrive = path.size() >= 2 && path[1] == ':';
  if (slash == std::string::npos) return bDrive ? path.substr(0, 2) : ".";
  if (slash == 0 || (bDrive && slash == 2)) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

namespace {

std::string InFolder(const std::string& folder, const std::string& name) {
  const char last = folder.empty() ? '\0' : folder.back();
  return last == '/' || last == '\\' || last == ':' ? folder + name : folder + "\\" + name;
}

int64_t Join(DWORD high, DWORD low) { return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low); }

bool StampOfHandle(HANDLE h, FileStamp* pStamp, DWORD* pLinks = nullptr) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h, &info)) return false;
  pStamp->bExists = true;
  pStamp->dev = info.dwVolumeSerialNumber;
  pStamp->ino = static_cast<uint64_t>(Join(info.nFileIndexHigh, info.nFileIndexLow));
  pStamp->size = Join(info.nFileSizeHigh, info.nFileSizeLow);
  pStamp->mtimeNs = Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
  pStamp->ctimeNs = Join(info.ftCreationTime.dwHighDateTime, info.ftCreationTime.dwLowDateTime);
  if (pLinks) *pLinks = info.nNumberOfLinks;
  return true;
}

FileStamp CurrentStamp(const std::string& path) {
  FileStamp s;
  const HANDLE h =
      CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return s;
  if (!StampOfHandle(h, &s)) s = FileStamp{};
  CloseHandle(h);
  return s;
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// Opens and locks the existing file at files.szTarget. 0, an errno or
// kNotRegular; 0 with no lock when there is no file.
int LockTarget() {
  const std::wstring target = Wide(files.szTarget);
  const DWORD attrs = GetFileAttributesW(target.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    const DWORD err = GetLastError();
    return err == ERROR_FILE_NOT_FOUND ? 0 : ErrnoOf(err);
  }
  if (attrs & FILE_ATTRIBUTE_DIRECTORY) return EISDIR;
  if (attrs & FILE_ATTRIBUTE_DEVICE) return kNotRegular;
  const int fd = _wopen(target.c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) return errno;
  OVERLAPPED at{};
  at.Offset = kLockOffsetLow;
  at.OffsetHigh = kLockOffsetHigh;
  FileStamp s;
  if (!LockFileEx(HandleOf(fd), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) || !StampOfHandle(HandleOf(fd), &s)) {
    const int err = ErrnoOf(GetLastError());
    _close(fd);
    return err;
  }
  files.iLockFd = fd;
  files.stamp = s;
  return 0;
}

void ReleaseLock() {
  if (files.iLockFd >= 0) _close(files.iLockFd);
  files.iLockFd = -1;
}

}  // namespace

// A new file in `folder`, its name in files.szTempOUT and gTempPathW.
std::FILE* CreateTemporary(const std::string& folder) {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = InFolder(folder, ".kalvert-" + std::to_string(rd()) + ".tmp");
    const std::wstring wide = Wide(name);
    const int fd =
        _wopen(wide.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    gTempPathW = wide;
    InterlockedExchange(&gTempArmed, 1);
    files.szTempOUT = name;
    std::FILE* f = _fdopen(fd, "wb");
    if (!f) {
      _close(fd);
      return nullptr;
    }
    std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
    return f;
  }
  errno = EEXIST;
  return nullptr;
}

namespace {

void ForgetTemporary() {
  InterlockedExchange(&gTempArmed, 0);
  files.szTempOUT.clear();
}

BOOL WINAPI RemoveTempOnBreak(DWORD /*event*/) {
  if (InterlockedExchange(&gTempArmed, 0)) DeleteFileW(gTempPathW.c_str());
  return FALSE;  // the system's own handler then ends the process
}

}  // namespace

std::FILE* OpenNamed(const std::string& szName, const char* mode) {
  return _wfopen(Wide(szName).c_str(), Wide(mode).c_str());
}

void PrepareOutput() {
  files.szTarget = files.szFilenameOUT;
  files.iOutErr = files.szTarget.empty() ? ENOENT : LockTarget();
}

bool OutputIsFile(int fd) {
  FileStamp s;
  return files.stamp.bExists && StampOfHandle(HandleOf(fd), &s) && s.dev == files.stamp.dev && s.ino == files.stamp.ino;
}

void CommitOutput() {
  if (!files.fpout) return;
  const int fd = _fileno(files.fpout);
  const bool written = std::fflush(files.fpout) == 0 && !std::ferror(files.fpout) && _commit(fd) == 0;
  const bool closed = std::fclose(files.fpout) == 0;
  files.fpout = nullptr;
  if (!written || !closed) Fatal("Failed write file.\n");
  if (CurrentStamp(files.szTarget) != files.stamp) {
    Fatal("%s changed during the run; not replaced.\n", files.szFilenameOUT.c_str());
  }
  FileStamp s;
  DWORD links = 1;
  if (files.iLockFd >= 0 && StampOfHandle(HandleOf(files.iLockFd), &s, &links) && links > 1) {
    std::fprintf(stderr, "%s has other hard links; they keep the old content.\n", files.szFilenameOUT.c_str());
  }
  ReleaseLock();
  // The move reaches the disk before it returns.
  if (!MoveFileExW(gTempPathW.c_str(), Wide(files.szTarget).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Fatal("Failed write file.\n");
  }
  ForgetTemporary();
}

void DiscardOutput() {
  if (files.fpout) std::fclose(files.fpout);
  files.fpout = nullptr;
  if (!files.szTempOUT.empty()) {
    DeleteFileW(gTempPathW.c_str());
    ForgetTemporary();
  }
  ReleaseLock();
}

void InstallSignalCleanup() { SetConsoleCtrlHandler(RemoveTempOnBreak, TRUE); }
