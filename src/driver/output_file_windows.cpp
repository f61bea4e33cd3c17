// output_file_windows: the output database's way to its destination on
// Windows, with the same promise as on POSIX systems: a new temporary file in
// the destination's folder, flushed to the disk and moved over the
// destination only by a run that succeeded, so that a crash leaves the old
// file or the new one. Windows has no permission bits, owners or extended
// attributes to carry over, and no symbolic links a user makes by hand. The
// destination is locked for the whole run with a named mutex of its full
// path, not a lock of the file: Windows replaces no file that another
// process holds open, and a run waiting for this one would hold it. A
// destination that changed all the same (a program that takes no lock) is
// not replaced.
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

// The lock of the destination, a named mutex held for the whole run.
HANDLE gLock = nullptr;

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

// The stamp of the file at path (none when there is no file), and the
// number of its names.
FileStamp CurrentStamp(const std::string& path, DWORD* pLinks = nullptr) {
  FileStamp s;
  const HANDLE h =
      CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return s;
  if (!StampOfHandle(h, &s, pLinks)) s = FileStamp{};
  CloseHandle(h);
  return s;
}

DWORD Links(const std::string& path) {
  DWORD links = 1;
  CurrentStamp(path, &links);
  return links;
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// The lock's name: the destination's full path, its case folded (Windows
// names are compared without case), as a 64-bit FNV-1a digest.
std::wstring LockName(const std::wstring& target) {
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = GetFullPathNameW(target.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n >= full.size()) {
    full.resize(n);
    n = GetFullPathNameW(target.c_str(), n, full.data(), nullptr);
  }
  full.resize(n < full.size() ? n : 0);
  CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
  uint64_t h = 14695981039346656037ull;
  for (const wchar_t c : full) h = (h ^ static_cast<uint16_t>(c)) * 1099511628211ull;
  wchar_t hex[17];
  swprintf(hex, 17, L"%016llx", static_cast<unsigned long long>(h));
  return L"Local\\kalvert-" + std::wstring(hex);
}

// Waits for every other run on the same destination, then notes what the
// destination is. 0, an errno or kNotRegular; a destination that does not
// exist yet is locked all the same.
int LockTarget() {
  const std::wstring target = Wide(files.szTarget);
  const DWORD attrs = GetFileAttributesW(target.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) return EISDIR;
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DEVICE)) return kNotRegular;
  if (attrs == INVALID_FILE_ATTRIBUTES && GetLastError() != ERROR_FILE_NOT_FOUND) return ErrnoOf(GetLastError());
  gLock = CreateMutexW(nullptr, FALSE, LockName(target).c_str());
  if (!gLock) return ErrnoOf(GetLastError());
  // A run that ended without releasing it (WAIT_ABANDONED) left the file
  // as the move left it: whole.
  const DWORD got = WaitForSingleObject(gLock, INFINITE);
  if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) {
    CloseHandle(gLock);
    gLock = nullptr;
    return EIO;
  }
  files.stamp = CurrentStamp(files.szTarget);
  return 0;
}

void ReleaseLock() {
  if (gLock) {
    ReleaseMutex(gLock);
    CloseHandle(gLock);
  }
  gLock = nullptr;
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
  if (Links(files.szTarget) > 1) {
    std::fprintf(stderr, "%s has other hard links; they keep the old content.\n", files.szFilenameOUT.c_str());
  }
  // The move reaches the disk before it returns.
  if (!MoveFileExW(gTempPathW.c_str(), Wide(files.szTarget).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Fatal("Failed write file.\n");
  }
  ForgetTemporary();
  ReleaseLock();
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
