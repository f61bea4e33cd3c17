// What happens to the files of a run when things go wrong, through the built
// program: injected read, write, sync and rename failures, closed standard
// descriptors, concurrent runs, signals, modes, owners, links, files that are
// not regular, and the messages of names that can't be used.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "dbbuilder.h"
#include "launch.h"

namespace {

using Blob = std::vector<unsigned char>;
using fixture::Launch;
using fixture::ScratchDir;

// A book of n appointments, one a day from 2000/01/01.
Blob Book(int n) {
  fixture::DbFile db('2');
  for (int i = 0; i < n; ++i) {
    fixture::Appt a;
    a.description = "Item " + std::to_string(i);
    a.cDay = static_cast<unsigned>(i % 28);
    db.Add(11, 0, i, a.Encode());
  }
  return db.Finish();
}

// A CSV line of an appointment; it is also the export line of the item
// imported from it.
std::string Line(const std::string& description) {
  return "\"" + description + "\",\"2000/01/03\",\"12:00\",\"13:00\",\"\",\"0\",\"\"\n";
}

std::string Export(const ScratchDir& dir, const std::string& name) {
  return fixture::RunKalvert(dir, {"-x" + name, "-s1"}).out;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Temporary(const ScratchDir& dir) {
  for (const std::string& name : dir.List()) {
    if (name.rfind(".kalvert-", 0) == 0) return name;
  }
  return "";
}

// The temporary file of a running child, once it exists.
std::string AwaitTemporary(const ScratchDir& dir) {
  for (int i = 0; i < 500 && Temporary(dir).empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return Temporary(dir);
}

struct stat Stat(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st;
}

// A failed run: status 1, the message last on standard error, `name` as it
// was, no temporary file.
void ExpectKept(const ScratchDir& dir, const fixture::RunResult& r, const std::string& message, const std::string& name,
                const Blob& before) {
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(EndsWith(r.err, message)) << r.err;
  EXPECT_EQ(dir.Read(name), before) << name;
  EXPECT_EQ(Temporary(dir), "");
}

TEST(SafetyFaults, FailedReadsWritesSyncsAndRenamesKeepTheDestination) {
  const struct {
    std::string fault;
    std::string csv;  // -i file
    std::string message;
    bool replaced = false;  // the failure came after the rename
  } cases[] = {
      // 200 records take at least one read each in each pass.
      {"fread:100:fail", "", "Failed read book.dat: Input/output error.\n"},
      {"fread:350:fail", "", "Failed read book.dat: Input/output error.\n"},
      {"getc:50:fail", "in.csv", "Failed read in.csv: Input/output error.\n"},
      {"fwrite:30:fail", "", "Failed write file.\n"},
      {"fsync:1:fail", "", "Failed write file.\n"},
      {"rename:1:fail", "", "Failed write file.\n"},
      {"fsync:2:fail", "", "book.dat is written, but its folder can't be synced: Input/output error.\n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault + " " + c.csv);
    ScratchDir dir;
    const Blob book = Book(200);
    dir.Write("book.dat", book);
    dir.Write("in.csv", Line("A") + Line("B") + Line("C"));
    Launch l{{"-xbook.dat", "-obook.dat", "-s2"}, c.fault};
    if (!c.csv.empty()) l.args.push_back("-i" + c.csv);
    const fixture::RunResult r = fixture::Run(dir, l);
    if (!c.replaced) {
      ExpectKept(dir, r, c.message, "book.dat", book);
      continue;
    }
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(EndsWith(r.err, c.message)) << r.err;
    EXPECT_NE(dir.Read("book.dat"), book);
    EXPECT_EQ(Temporary(dir), "");
  }
}

// Started with standard input and output closed, the run must not take them
// for its files: the update in place leaves a book that reads as before.
TEST(SafetyRun, ClosedStandardDescriptorsAreNotTakenForFiles) {
  ScratchDir dir;
  dir.Write("book.dat", Book(3));
  const std::string before = Export(dir, "book.dat");
  Launch l{{"-xbook.dat", "-obook.dat"}};
  l.closeStdio = true;
  EXPECT_EQ(fixture::Run(dir, l).status, 0);
  EXPECT_EQ(Export(dir, "book.dat"), before);
}

// A second update of the same file waits for the first and reads its result;
// a file changed by a program that takes no lock is not replaced.
TEST(SafetyRun, ConcurrentUpdatesLoseNothing) {
  ScratchDir dir;
  dir.Write("book.dat", Book(3));
  dir.Write("a.csv", Line("First"));
  dir.Write("b.csv", Line("Second"));
  // The first run holds still before its rename, the second starts meanwhile.
  const pid_t first = fixture::Start(dir, {{"-xbook.dat", "-ia.csv", "-obook.dat", "-s2"}, "rename:1:1000"});
  ASSERT_NE(AwaitTemporary(dir), "");
  const pid_t second = fixture::Start(dir, {{"-xbook.dat", "-ib.csv", "-obook.dat", "-s2"}});
  EXPECT_EQ(fixture::Finish(dir, first).status, 0);
  EXPECT_EQ(fixture::Finish(dir, second).status, 0);
  const std::string out = Export(dir, "book.dat");
  EXPECT_NE(out.find(Line("First")), std::string::npos) << out;
  EXPECT_NE(out.find(Line("Second")), std::string::npos) << out;

  const pid_t third = fixture::Start(dir, {{"-xbook.dat", "-ia.csv", "-obook.dat", "-s2"}, "fsync:1:1000"});
  ASSERT_NE(AwaitTemporary(dir), "");
  dir.Write("book.dat", std::string("edited elsewhere"));
  ExpectKept(dir, fixture::Finish(dir, third), "book.dat changed during the run; not replaced.\n", "book.dat",
             Blob{'e', 'd', 'i', 't', 'e', 'd', ' ', 'e', 'l', 's', 'e', 'w', 'h', 'e', 'r', 'e'});
}

// Interrupted while it writes, a run removes its temporary file (readable by
// its owner alone meanwhile) and ends as the signal says.
TEST(SafetyRun, SignalsRemoveTheTemporaryFile) {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    ScratchDir dir;
    const Blob book = Book(3);
    dir.Write("book.dat", book);
    const pid_t pid = fixture::Start(dir, {{"-xbook.dat", "-obook.dat", "-s2"}, "fwrite:3:10000"});
    const std::string temp = AwaitTemporary(dir);
    ASSERT_NE(temp, "");
    EXPECT_EQ(Stat(dir.Path(temp)).st_mode & 07777, 0600u);
    kill(pid, sig);
    EXPECT_EQ(fixture::Finish(dir, pid).status, 128 + sig);
    EXPECT_EQ(dir.Read("book.dat"), book);
    EXPECT_EQ(Temporary(dir), "");
  }
}

TEST(SafetyRun, ClosedPipeOnStandardOutputIsAFailedWrite) {
  ScratchDir dir;
  const Blob book = Book(3);
  dir.Write("book.dat", book);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  Launch l{{"-xbook.dat", "-obook.dat"}};
  l.out = fds[1];
  const pid_t pid = fixture::Start(dir, l);
  close(fds[1]);
  ExpectKept(dir, fixture::Finish(dir, pid), "Failed write standard output.\n", "book.dat", book);
}

TEST(SafetyFiles, TheDestinationKeepsModeOwnerAndAttributes) {
  ScratchDir dir;
  const std::string path = dir.Path("book.dat");
  dir.Write("book.dat", Book(3));
  chmod(path.c_str(), 0600);
  const bool root = geteuid() == 0;
  ASSERT_TRUE(!root || chown(path.c_str(), 1234, 4321) == 0);
  const bool xattrs = setxattr(path.c_str(), "user.kalvert", "kept", 4, 0) == 0;
  Launch update{{"-xbook.dat", "-obook.dat", "-s2"}};
  update.mask = 002;
  ASSERT_EQ(fixture::Run(dir, update).status, 0);
  const struct stat st = Stat(path);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_TRUE(!root || (st.st_uid == 1234 && st.st_gid == 4321)) << st.st_uid << ":" << st.st_gid;
  if (xattrs) {
    char value[8] = {};
    EXPECT_EQ(getxattr(path.c_str(), "user.kalvert", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
  }
  // A new file gets what new files get.
  Launch create{{"-xbook.dat", "-onew.dat", "-s2"}};
  create.mask = 027;
  ASSERT_EQ(fixture::Run(dir, create).status, 0);
  EXPECT_EQ(Stat(dir.Path("new.dat")).st_mode & 07777, 0640u);
}

TEST(SafetyFiles, LinksAreFollowedAndOtherNamesWarned) {
  ScratchDir dir;
  const Blob book = Book(3);
  std::filesystem::create_directory(dir.Path("real"));
  dir.Write("real/book.dat", book);
  std::filesystem::create_symlink("real/book.dat", dir.Path("link.dat"));
  dir.Write("in.csv", Line("Added"));
  ASSERT_EQ(fixture::RunKalvert(dir, {"-xlink.dat", "-iin.csv", "-olink.dat", "-s2"}).status, 0);
  EXPECT_TRUE(S_ISLNK(Stat(dir.Path("link.dat")).st_mode));
  EXPECT_NE(Export(dir, "real/book.dat").find(Line("Added")), std::string::npos);

  std::filesystem::create_hard_link(dir.Path("real/book.dat"), dir.Path("other.dat"));
  const Blob linked = dir.Read("other.dat");
  const auto r = fixture::RunKalvert(dir, {"-xother.dat", "-iin.csv", "-oother.dat", "-s2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(EndsWith(r.err, "other.dat has other hard links; they keep the old content.\n")) << r.err;
  EXPECT_EQ(dir.Read("real/book.dat"), linked);
  EXPECT_NE(dir.Read("other.dat"), linked);
}

// A pipe or a device is never replaced: refused before any work.
TEST(SafetyFiles, FilesThatAreNotRegularAreRefused) {
  ScratchDir dir;
  dir.Write("book.dat", Book(3));
  ASSERT_EQ(mkfifo(dir.Path("fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/null", dir.Path("null"));
  std::vector<std::string> names{"fifo", "null"};
  if (mknod(dir.Path("device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) names.push_back("device");
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const mode_t type = Stat(dir.Path(name)).st_mode & S_IFMT;
    const auto r = fixture::RunKalvert(dir, {"-xbook.dat", "-o" + name});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(EndsWith(r.err, "Can't replace " + name + ": not a regular file.\n")) << r.err;
    EXPECT_EQ(Stat(dir.Path(name)).st_mode & S_IFMT, type);
  }
}

// Names: an empty one is refused before any work, a separate one may begin
// with '/', and every name that can't be opened is told with its reason.
TEST(SafetyOptions, FileNamesAndTheReasonsTheyFail) {
  ScratchDir dir;
  dir.Write("book.dat", Book(3));
  dir.Write("in.csv", Line("Added"));
  std::filesystem::create_directory(dir.Path("sub"));
  const std::string cant = "File can't open.\n  ";
  const struct {
    std::vector<std::string> args;
    std::string message;  // last on standard error; empty for a run that succeeds
  } cases[] = {
      {{"-xbook.dat", "-o", ""}, cant + "(no name): No such file or directory\n"},
      {{"-x", dir.Path("book.dat"), "-i", dir.Path("in.csv"), "-o", dir.Path("out.dat")}, ""},
      {{"-x", "-book.dat"}, "Please, input filename!\n"},
      {{"-xmissing.dat"}, cant + "missing.dat: No such file or directory\n"},
      {{"-xbook.dat", "-imissing.csv"}, cant + "missing.csv: No such file or directory\n"},
      {{"-xbook.dat", "-osub"}, cant + "sub: Is a directory\n"},
      {{"-xbook.dat", "-onone/out.dat"}, cant + "none/out.dat: No such file or directory\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    const auto r = fixture::RunKalvert(dir, c.args);
    EXPECT_EQ(r.status, c.message.empty() ? 0 : 1);
    EXPECT_TRUE(EndsWith(r.err, c.message)) << r.err;
    EXPECT_TRUE(c.message.empty() || r.out.empty()) << r.out;
  }
  EXPECT_NE(Export(dir, "out.dat").find(Line("Added")), std::string::npos);
}

}  // namespace
