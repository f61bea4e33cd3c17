// What happens to the files of a run when things go wrong, through the built
// program: injected read, write and sync failures, closed standard
// descriptors, a closed pipe, concurrent runs, signals, modes, owners, links,
// files that are not regular, names that can't be used, and records that
// must come through a copy whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <tuple>

#include "dbbuilder.h"
#include "runner.h"

namespace {

using Blob = std::vector<unsigned char>;
using namespace fixture;

// A run of the built program as a child, with a fault for the preloaded
// injector (tests/faultinject), closed standard input and output, or
// standard output on a given descriptor.
struct Launch {
  std::vector<std::string> args;
  std::string fault;        // FAULT for the injector; empty: none
  bool closeStdio = false;  // standard input and output closed
  int out = -1;             // standard output; -1: a file, read back into RunResult::out
};

// A book of n appointments (n up to 336), one a day from 2000/01/01, days 1
// to 28; *at: where the header of each record begins.
Blob Book(int n, std::vector<long>* at = nullptr) {
  DbFile db('2');
  for (int i = 0; i < n; ++i) {
    Appt a;
    a.description = "Item " + std::to_string(i);
    a.cMonth = static_cast<unsigned>(i / 28);
    a.cDay = static_cast<unsigned>(i % 28);
    const long where = db.Add(11, 0, i, a.Encode());
    if (at) at->push_back(where);
  }
  return db.Finish();
}

pid_t Start(const ScratchDir& dir, const Launch& l) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (chdir(dir.path().c_str()) != 0) _exit(127);
  dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), 0);
  dup2(l.out >= 0 ? l.out : open(".out", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600), 1);
  dup2(open(".err", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600), 2);
  if (l.closeStdio) {
    close(0);
    close(1);
  }
  std::signal(SIGPIPE, SIG_DFL);
  // A run that loops ends on its own (SIGXCPU), not with the test's timeout.
  const rlimit cpu{10, 10};
  setrlimit(RLIMIT_CPU, &cpu);
  if (!l.fault.empty()) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
    setenv("LD_PRELOAD", FAULTINJECT_LIB, 1);
    setenv("FAULT", l.fault.c_str(), 1);
  }
  std::vector<char*> argv{const_cast<char*>(KALVERT_BIN)};
  for (const std::string& a : l.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(KALVERT_BIN, argv.data());
  _exit(127);
}

// Waits for the child. The status is its exit status, or 128 + the signal
// that ended it (as a shell shows it).
RunResult Finish(const ScratchDir& dir, pid_t pid) {
  int st = 0;
  waitpid(pid, &st, 0);
  const std::vector<unsigned char> out = dir.Read(".out"), err = dir.Read(".err");
  for (const char* name : {".out", ".err"}) std::remove(dir.Path(name).c_str());
  return {{out.begin(), out.end()}, {err.begin(), err.end()}, WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st)};
}

std::string Export(const ScratchDir& dir, const std::string& name) { return RunKalvert(dir, {"-x" + name, "-s1"}).out; }

// The temporary file in dir, waiting up to 5 s for a running child to make it.
std::string Temporary(const std::string& folder, int waitMs = 0) {
  for (int ms = 0;; ms += 10) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(".kalvert-", 0) == 0) return name;
    }
    if (ms >= waitMs) return "";
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
std::string Temporary(const ScratchDir& dir, int waitMs = 0) { return Temporary(dir.path(), waitMs); }

mode_t Mode(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st.st_mode;
}

// A run on book.dat: its status and last message, no temporary file left;
// the book keeps its bytes, or with `items` the copy written holds them.
void Expect(const ScratchDir& dir, const fixture::RunResult& r, int status, const std::string& message,
            const Blob& book, const std::string& items) {
  fixture::ExpectEnded(dir, r, status, message);
  if (items.empty()) {
    EXPECT_EQ(dir.Read("book.dat"), book);
  } else {
    EXPECT_EQ(Export(dir, "book.dat"), items);
  }
}

TEST(SafetyFaults, FailuresKeepTheDestination) {
  int pipeOut[2];
  ASSERT_EQ(pipe(pipeOut), 0);
  close(pipeOut[0]);  // a pipe nobody reads
  std::vector<long> at;
  const Blob book = Book(200, &at);
  // An update in place; the export text goes to standard output only where
  // a closed descriptor or pipe is tried.
  // replaced: the book holds the copy.
  // clang-format off
  const struct { std::string fault, message; bool replaced = false, closeStdio = false, brokenPipe = false; }
      cases[] = {
      {"fread@" + std::to_string(at[100]), "Failed read file.\n"},  // a bad spot on a record header
      {"fsync:1:fail", "Failed write file.\n"},
      {"fsync:2:fail", "book.dat is written, but its folder can't be synced: Input/output error.\n", true},
      {"iconv_open:1:fail", "The converter for CP437 could not be loaded: Cannot allocate memory.\n"},
      {"flock:1:nolock", "", true},  // a file system without locks: the check before the rename stands in
      {"", "", true, true},  // nothing to write: standard output is not missed
      {"", "Failed write standard output.\n", false, true},
      {"", "Failed write standard output.\n", false, false, true},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault + (c.closeStdio ? " closed" : "") + (c.brokenPipe ? " pipe" : ""));
    ScratchDir dir;
    dir.Write("book.dat", book);
    const std::string items = c.replaced ? Export(dir, "book.dat") : "";
    Launch l{{"-xbook.dat", "-obook.dat"}, c.fault};
    if (!c.brokenPipe && (!c.closeStdio || c.message.empty())) l.args.push_back("-s2");
    if (c.fault[0] == 'i') l.args.insert(l.args.end(), {"--format=csv", "--encoding=CP437"});  // iconv_open
    l.closeStdio = c.closeStdio;
    l.out = c.brokenPipe ? pipeOut[1] : -1;
    Expect(dir, Finish(dir, Start(dir, l)), c.message.empty() ? 0 : 1, c.message, book, items);
  }
  close(pipeOut[1]);
}

// A second update of the same file waits for the first and reads its result;
// a file changed meanwhile by a program that takes no lock is not replaced.
TEST(SafetyRun, ConcurrentUpdatesLoseNothing) {
  ScratchDir dir;
  dir.Write("book.dat", Book(3));
  dir.Write("a.csv", Line("First"));
  dir.Write("b.csv", Line("Second"));
  const pid_t first = Start(dir, {{"-xbook.dat", "-ia.csv", "-obook.dat", "-s2"}, "fwrite:3:1000"});
  ASSERT_NE(Temporary(dir, 5000), "");
  const pid_t second = Start(dir, {{"-xbook.dat", "-ib.csv", "-obook.dat", "-s2"}, ""});
  EXPECT_EQ(std::make_pair(Finish(dir, first).status, Finish(dir, second).status), std::make_pair(0, 0));
  const std::string out = Export(dir, "book.dat");
  EXPECT_TRUE(out.find(Line("First")) != std::string::npos && out.find(Line("Second")) != std::string::npos) << out;

  // The temporary file comes just before the input is read: give the run
  // time to read it, while it holds still at its third write.
  const pid_t third = Start(dir, {{"-xbook.dat", "-ia.csv", "-obook.dat", "-s2"}, "fwrite:3:3000"});
  ASSERT_NE(Temporary(dir, 5000), "");
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  const Blob edited{'e', 'd', 'i', 't'};
  dir.Write("book.dat", edited);
  Expect(dir, Finish(dir, third), 1, "book.dat changed during the run; not replaced.\n", edited, "");
}

// Interrupted while it writes, a run removes its temporary file (readable by
// its owner alone meanwhile) and ends as the signal says.
TEST(SafetyRun, SignalsRemoveTheTemporaryFile) {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    ScratchDir dir;
    const Blob book = Book(3);
    dir.Write("book.dat", book);
    std::filesystem::create_directory(dir.Path("d"));
    // The temporary file is made in the destination's folder (a name of one
    // letter), where the rename can't cross file systems.
    const pid_t pid = Start(dir, {{"-xbook.dat", "-od/copy.dat", "-s2"}, "fwrite:3:10000"});
    const std::string temp = Temporary(dir.Path("d"), 5000);
    ASSERT_NE(temp, "");
    EXPECT_EQ(Mode(dir.Path("d/" + temp)) & 07777, 0600u);
    kill(pid, sig);
    Expect(dir, Finish(dir, pid), 128 + sig, "", book, "");
    EXPECT_EQ(Temporary(dir.Path("d")), "");
  }
  // Once the new file is renamed into place the run has succeeded: a signal
  // while the folder is synced is dropped.
  ScratchDir dir;
  const Blob book = Book(3);
  dir.Write("book.dat", book);
  dir.Write("in.csv", Line("Added"));
  const pid_t pid = Start(dir, {{"-xbook.dat", "-iin.csv", "-obook.dat", "-s2"}, "fsync:2:3000"});
  for (int ms = 0; ms < 5000 && dir.Read("book.dat") == book; ms += 10)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  kill(pid, SIGINT);
  EXPECT_EQ(Finish(dir, pid).status, 0);
  EXPECT_TRUE(Holds(Export(dir, "book.dat"), Line("Added")));
}

// Through a link to it, the real file is updated and keeps its mode (the
// set-id bits too), owner and attributes; a file with other hard links is
// replaced with a warning.
TEST(SafetyFiles, TheDestinationKeepsLinksModeOwnerAndAttributes) {
  ScratchDir dir;
  std::filesystem::create_directory(dir.Path("real"));
  const std::string path = dir.Path("real/book.dat");
  dir.Write("real/book.dat", Book(3));
  std::filesystem::create_symlink("real/book.dat", dir.Path("link.dat"));
  dir.Write("in.csv", Line("Added"));
  const bool root = geteuid() == 0;
  ASSERT_TRUE(!root || chown(path.c_str(), 1234, 4321) == 0);
  chmod(path.c_str(), 06755);  // after the chown, which clears the set-id bits
  const bool xattrs = setxattr(path.c_str(), "user.kalvert", "kept", 4, 0) == 0 &&
                      setxattr(path.c_str(), "user.b", "also", 4, 0) == 0;  // each name of the list
  ASSERT_EQ(RunKalvert(dir, {"-xlink.dat", "-iin.csv", "-olink.dat", "-s2"}).status, 0);
  EXPECT_TRUE(S_ISLNK(Mode(dir.Path("link.dat"))));
  EXPECT_TRUE(Holds(Export(dir, "real/book.dat"), Line("Added")));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 06755u);
  EXPECT_TRUE(!root || (st.st_uid == 1234 && st.st_gid == 4321)) << st.st_uid << ":" << st.st_gid;
  char value[8] = {}, also[8] = {};
  EXPECT_TRUE(!xattrs || (getxattr(path.c_str(), "user.kalvert", value, 7) == 4 &&
                          getxattr(path.c_str(), "user.b", also, 7) == 4 && std::string(value) + also == "keptalso"));

  // A chain of 39 links is followed to its file; one of 40 is refused, as
  // the system refuses a path through as many.
  dir.Write("t.dat", Book(3));
  for (int i = 39; i >= 0; --i)
    std::filesystem::create_symlink(i == 39 ? "t.dat" : "c" + std::to_string(i + 1), dir.Path("c" + std::to_string(i)));
  EXPECT_EQ(RunKalvert(dir, {"-xlink.dat", "-oc1", "-s2"}).status, 0);
  EXPECT_EQ(dir.Read("t.dat"), dir.Read("real/book.dat"));
  fixture::ExpectEnded(dir, RunKalvert(dir, {"-xlink.dat", "-oc0", "-s2"}), 1,
                       "File can't open.\n  c0: Too many levels of symbolic links\n");

  std::filesystem::create_hard_link(path, dir.Path("other.dat"));
  const Blob linked = dir.Read("other.dat");
  fixture::ExpectEnded(dir, RunKalvert(dir, {"-xother.dat", "-iin.csv", "-oother.dat", "-s2"}), 0,
                       "other.dat has other hard links; they keep the old content.\n");
  EXPECT_EQ(dir.Read("real/book.dat"), linked);
  EXPECT_NE(dir.Read("other.dat"), linked);
}

// Names: an empty one is refused before any work, a separate one may begin
// with '/', and a pipe, a device or the file being imported is never
// replaced (the names that can't be opened are the robust input tests').
TEST(SafetyOptions, FileNamesAndTheReasonsTheyFail) {
  ScratchDir dir;
  dir.Write("book.dat", Book(3));
  dir.Write("in.csv", Line("Added"));
  ASSERT_EQ(mkfifo(dir.Path("fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/null", dir.Path("null"));
  const bool device = mknod(dir.Path("device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
  std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-xbook.dat", "-o", ""}, "File can't open.\n  (no name): No such file or directory\n"},
      {{"-x", dir.Path("book.dat"), "-i", dir.Path("in.csv"), "-o", dir.Path("out.dat")}, ""},
      {{"-xbook.dat", "-ofifo"}, "Can't replace fifo: not a regular file.\n"},
      {{"-xbook.dat", "-onull"}, "Can't replace null: not a regular file.\n"},
      {{"-xbook.dat", "-iin.csv", "-o./in.csv"}, "Can't replace ./in.csv: it is the file being imported.\n"},
  };
  if (device) cases.push_back({{"-xbook.dat", "-odevice"}, "Can't replace device: not a regular file.\n"});
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(args.back());
    const auto r = RunKalvert(dir, args);
    fixture::ExpectEnded(dir, r, message.empty() ? 0 : 1, message);
    EXPECT_TRUE(message.empty() || r.out.empty()) << r.out;
  }
  EXPECT_TRUE(Holds(Export(dir, "out.dat"), Line("Added")));
  EXPECT_EQ(fixture::Slurp(dir.Path("in.csv")), Line("Added"));
  EXPECT_TRUE(S_ISFIFO(Mode(dir.Path("fifo"))) && S_ISLNK(Mode(dir.Path("null"))));
  EXPECT_TRUE(!device || S_ISCHR(Mode(dir.Path("device"))));
}

// A copy keeps the category (of a ToDo item too, with its byte 25) and every
// byte of a note (CR LF, a lone LF, a NUL), whatever -n shapes for the text
// output.
bool Contains(const Blob& hay, const Bytes& needle) {
  return std::search(hay.begin(), hay.end(), needle.v.begin(), needle.v.end()) != hay.end();
}

TEST(SafetyRecords, ACopyKeepsCategoriesAndNotesAsStored) {
  static const char kNote[] = "Agenda:\r\n1. Budget\n2. Rota\0end";
  const Bytes stored = Bytes().str(std::string(kNote, sizeof kNote - 1));
  fixture::DbFile book('2');
  fixture::Appt a("Staff", 100, 0, 0, "Room");
  a.category = "Work";
  a.note = 0;
  fixture::Appt todo("Pay", 100, 0, 1);
  std::tie(todo.cFlags, todo.leadTime, todo.category) = std::make_tuple(0x10, 0xFF, "Tax");
  book.Add(11, 0, 0, a.Encode());
  book.Add(11, 0, 1, todo.Encode());
  book.Add(9, 0, 0, stored);
  const Blob file = book.Finish();
  // The note, and the items from their flags on (the links before them are made anew).
  std::vector<Bytes> kept = {fixture::Record(9, 2, 0, stored), a.Encode(), todo.Encode()};
  for (std::size_t i = 1; i < kept.size(); ++i) kept[i].v.erase(kept[i].v.begin(), kept[i].v.begin() + 14);
  for (const char* option : {"-n0", "-n1", "-n2"}) {
    SCOPED_TRACE(option);
    ScratchDir dir;
    dir.Write("in.dat", file);
    ASSERT_EQ(RunKalvert(dir, {"-xin.dat", option, "-oout.dat", "-s2"}).status, 0);
    for (const Bytes& b : kept) EXPECT_TRUE(Contains(dir.Read("out.dat"), b));
  }
}

}  // namespace
