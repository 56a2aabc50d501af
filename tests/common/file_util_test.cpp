#include "common/file_util.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "common/report.h"

namespace kumoito {
namespace {

namespace fs = std::filesystem;

class FileUtilTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("kumoito-file-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_dir, ec);
  }
  std::string Path(const std::string& name) const { return (m_dir / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path m_dir;
};

TEST_F(FileUtilTest, ExistsAndSizeTreatFoldersAsNoFile) {
  Write("a", "12345");
  EXPECT_TRUE(FileExists(Path("a")));
  EXPECT_EQ(GetFileSize32(Path("a")), 5u);
  EXPECT_FALSE(FileExists(Path("missing")));
  EXPECT_EQ(GetFileSize32(Path("missing")), 0u);
  EXPECT_FALSE(FileExists(m_dir.string()));
  EXPECT_EQ(GetFileSize32(m_dir.string()), 0u);
}

TEST_F(FileUtilTest, ReadExactReportsShortReadAndKeepsTheRest) {
  Write("short", "abc");
  ScopedReportCapture capture;
  char buffer[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  EXPECT_TRUE(ReadFileExact(Path("short"), buffer, sizeof buffer));
  EXPECT_EQ(std::string(buffer, 6), "abcxxx");
  EXPECT_EQ(capture.Text(), "\nGENE0100000A データが大きすぎます。");
}

TEST_F(FileUtilTest, OpenFailuresWriteTheirOwnFileNameLines) {
  const std::string missing = Path("missing");
  const std::string gene =
      "\nGENE01000007 " + std::string(GeneralErrorText(kGeneCannotOpenFile)) + " [" + missing + "]";
  ScopedReportCapture capture;
  char buffer[4];
  EXPECT_FALSE(ReadFileExact(missing, buffer, 4));
  EXPECT_EQ(capture.Text(), "\nfile_name=" + missing + gene);
  capture.Clear();
  std::size_t count = 99;
  EXPECT_FALSE(ReadFileBytes(missing, buffer, 4, count));
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(capture.Text(), "\n file_name=" + missing + gene);
}

TEST_F(FileUtilTest, ReadBytesFlagsAFullLargeBuffer) {
  std::vector<char> buffer(983040);
  Write("big", std::string(983040, 'z'));
  Write("small", "zz");
  ScopedReportCapture capture;
  std::size_t count = 0;
  EXPECT_TRUE(ReadFileBytes(Path("small"), buffer.data(), buffer.size(), count));
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(capture.Text(), "");
  EXPECT_TRUE(ReadFileBytes(Path("big"), buffer.data(), buffer.size(), count));
  EXPECT_EQ(count, 983040u);
  EXPECT_EQ(capture.Text(), "\nGENE0100000A データが大きすぎます。");
}

TEST_F(FileUtilTest, WriteReplacesWholeFileAndKeepsItsMode) {
  Write("f", std::string(1000, 'o'));
  ::chmod(Path("f").c_str(), 0640);
  EXPECT_TRUE(WriteFileBytes(Path("f"), "new", 3));
  EXPECT_EQ(ReadAll(Path("f")), "new");
  EXPECT_EQ(fs::status(Path("f")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(FileUtilTest, WriteThroughSymlinkReplacesTheTarget) {
  Write("target", "old");
  fs::create_symlink(Path("target"), Path("link"));
  EXPECT_TRUE(WriteFileBytes(Path("link"), "new", 3));
  EXPECT_TRUE(fs::is_symlink(Path("link")));
  EXPECT_EQ(ReadAll(Path("target")), "new");
}

TEST_F(FileUtilTest, FailedWritesReportAndKeepTheirCause) {
  ScopedReportCapture capture;
  EXPECT_FALSE(WriteFileBytes(Path("no/such/folder/f"), "x", 1));
  EXPECT_NE(capture.Text().find("GENE01000007"), std::string::npos);
  EXPECT_EQ(LastWriteError(), std::errc::no_such_file_or_directory);
  // A folder in the target's place is left alone, with nothing beside it.
  fs::create_directory(Path("folder"));
  EXPECT_FALSE(WriteFileBytes(Path("folder"), "x", 1));
  EXPECT_EQ(LastWriteError(), std::errc::is_a_directory);
  EXPECT_TRUE(fs::is_directory(Path("folder")));
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
  EXPECT_TRUE(WriteFileBytes(Path("f"), "x", 1));
  EXPECT_FALSE(LastWriteError());
}

TEST_F(FileUtilTest, WriteFailingPartWayKeepsPreviousFile) {
  // A file-size limit makes the write fail after the first bytes, as a full
  // disk would; the signal it raises is ignored so that write() reports it.
  Write("keep", "previous");
  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit limited = old;
  limited.rlim_cur = 100;
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  ScopedReportCapture capture;
  const std::string big(5000, 'n');
  const bool written = WriteFileBytes(Path("keep"), big.data(), big.size());
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(LastWriteError(), std::errc::file_too_large);
  EXPECT_EQ(ReadAll(Path("keep")), "previous");
  EXPECT_NE(capture.Text().find("GENE01000007"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(FileUtilTest, OnlyRegularFilesAreReadAndNothingWaitsForAFifo) {
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  fs::create_symlink(Path("fifo"), Path("setup.ini"));
  ScopedReportCapture capture;
  unsigned char buffer[24] = {};
  std::size_t count = 99;
  // Each of these waited for ever in open() for a writer to come.
  EXPECT_FALSE(FileExists(Path("fifo")));
  EXPECT_FALSE(ReadFileExact(Path("setup.ini"), buffer, sizeof buffer));
  EXPECT_FALSE(ReadFileBytes(Path("fifo"), buffer, sizeof buffer, count));
  EXPECT_EQ(count, 0u);
  EXPECT_NE(capture.Text().find("GENE01000007"), std::string::npos);
}

TEST_F(FileUtilTest, WritingThroughALinkReplacesOnlyARegularFile) {
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  fs::create_symlink(Path("fifo"), Path("temp.mwd"));
  ScopedReportCapture capture;
  EXPECT_FALSE(WriteFileBytes(Path("temp.mwd"), "score", 5));
  EXPECT_EQ(LastWriteError().message(), "not a regular file");
  EXPECT_TRUE(fs::is_fifo(Path("fifo")));
  EXPECT_TRUE(fs::is_symlink(Path("temp.mwd")));
  if (::geteuid() == 0) {
    // A device node of our own, as a link to /dev/zero would lead to one.
    ASSERT_EQ(::mknod(Path("zero").c_str(), S_IFCHR | 0666, ::makedev(1, 5)), 0);
    fs::create_symlink(Path("zero"), Path("setup.ini"));
    EXPECT_FALSE(WriteFileBytes(Path("setup.ini"), "x", 1, WriteDurability::kDurable));
    EXPECT_TRUE(fs::is_character_file(Path("zero")));
  }
  // A link to nothing yet creates its target and stays a link.
  fs::create_symlink("made.bmp", Path("link.bmp"));
  EXPECT_TRUE(WriteFileBytes(Path("link.bmp"), "new", 3));
  EXPECT_TRUE(fs::is_symlink(Path("link.bmp")));
  EXPECT_EQ(ReadAll(Path("made.bmp")), "new");
  // Links in a circle lead nowhere.
  fs::create_symlink(Path("b"), Path("a"));
  fs::create_symlink(Path("a"), Path("b"));
  EXPECT_FALSE(WriteFileBytes(Path("a"), "x", 1));
  EXPECT_EQ(LastWriteError(), std::errc::too_many_symbolic_link_levels);
}

// The id of a process that has ended: it names no process any more.
std::string EndedProcessId() {
  const pid_t child = ::fork();
  if (child == 0) {
    ::_exit(0);
  }
  ::waitpid(child, nullptr, 0);
  return std::to_string(child);
}

TEST_F(FileUtilTest, StaleTemporaryFilesOfEndedWritersAreRemoved) {
  const std::string dead = EndedProcessId();
  const std::string mine = std::to_string(::getpid());
  for (const std::string& name :
       {"out.png.tmp-" + dead + "-3", "setup.ini.tmp-" + dead + "-0", "temp.mwd.tmp-" + mine + "-1",
        std::string("notes.tmp-x-1"), "notes.tmp-" + dead + "-", std::string("out.png")}) {
    Write(name, "x");
  }
  EXPECT_EQ(RemoveStaleTempFiles(m_dir.string()), 2);
  EXPECT_FALSE(fs::exists(Path("out.png.tmp-" + dead + "-3")));
  EXPECT_TRUE(fs::exists(Path("temp.mwd.tmp-" + mine + "-1")));  // a writer still running
  EXPECT_TRUE(fs::exists(Path("notes.tmp-x-1")));
  EXPECT_TRUE(fs::exists(Path("out.png")));
  EXPECT_EQ(RemoveStaleTempFiles(Path("no-such-folder")), 0);
}

TEST_F(FileUtilTest, OnlyNamesAWriterMakesAreTakenForStaleOnes) {
  const std::string dead = EndedProcessId();
  // Names a writer never makes, and things that are no regular file of ours.
  const std::vector<std::string> kept = {
      "report.tmp-20240101-1",  // no process id is that large
      "notes.txt.tmp-99999999999-0",
      "plus.tmp-+" + dead + "-1",
      "sp.tmp- " + dead + "-1",
      "hex.tmp-0x10-1",
      "zero.tmp-0-1",
      "tail.tmp-" + dead + "-1x",
      ".tmp-" + dead + "-1",
  };
  for (const std::string& name : kept) {
    Write(name, "x");
  }
  Write("real-target", "kept");
  fs::create_symlink(Path("real-target"), Path("link.tmp-" + dead + "-2"));
  fs::create_directory(Path("dir.tmp-" + dead + "-4"));
  ASSERT_EQ(::mkfifo(Path("fifo.tmp-" + dead + "-5").c_str(), 0600), 0);
  if (::geteuid() == 0) {
    Write("other.tmp-" + dead + "-6", "x");
    ASSERT_EQ(::chown(Path("other.tmp-" + dead + "-6").c_str(), 54321, 54321), 0);
  }
  Write("mine.tmp-" + dead + "-7", "x");
  EXPECT_EQ(RemoveStaleTempFiles(m_dir.string()), 1);
  EXPECT_FALSE(fs::exists(Path("mine.tmp-" + dead + "-7")));
  for (const std::string& name : kept) {
    EXPECT_TRUE(fs::exists(Path(name))) << name;
  }
  EXPECT_TRUE(fs::is_symlink(Path("link.tmp-" + dead + "-2")));
  EXPECT_EQ(ReadAll(Path("real-target")), "kept");
  EXPECT_TRUE(fs::is_directory(Path("dir.tmp-" + dead + "-4")));
  EXPECT_TRUE(fs::is_fifo(Path("fifo.tmp-" + dead + "-5")));
  if (::geteuid() == 0) {
    EXPECT_TRUE(fs::exists(Path("other.tmp-" + dead + "-6")));
  }
}

TEST_F(FileUtilTest, LongestNamesAreStillReplacedWholeThroughATemporaryFile) {
  std::string kana;
  for (int i = 0; i < 85; ++i) {
    kana += "\u3042";  // 3 bytes each: 255 in all, the most a name may hold
  }
  for (const std::string& name : {std::string(249, 'w') + ".wav", kana}) {
    SCOPED_TRACE(name.size());
    Write(name, "old contents");
    struct stat before;
    ASSERT_EQ(::stat(Path(name).c_str(), &before), 0);
    for (WriteDurability d : {WriteDurability::kOrdinary, WriteDurability::kDurable}) {
      EXPECT_TRUE(WriteFileBytes(Path(name), "new", 3, d));
    }
    struct stat after;
    ASSERT_EQ(::stat(Path(name).c_str(), &after), 0);
    // A new file renamed over the old, not the old one cut and rewritten.
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadAll(Path(name)), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
    fs::remove(Path(name));
  }
}

TEST_F(FileUtilTest, TheSafeReaderTakesRegularFilesWithinTheirLimitOnly) {
  Write("song.musicxml", "0123456789");
  std::error_code why;
  EXPECT_EQ(ReadWholeFile(Path("song.musicxml"), 10, why), "0123456789");
  EXPECT_FALSE(why);
  EXPECT_EQ(ReadWholeFile(Path("song.musicxml"), 9, why), std::nullopt);
  EXPECT_EQ(why, std::errc::file_too_large);
  EXPECT_EQ(RegularFileSize(Path("song.musicxml"), why), 10u);

  char part[4] = {};
  std::uint64_t size = 0;
  EXPECT_EQ(ReadFileAt(Path("song.musicxml"), 8, part, sizeof part, why, &size), 2u);
  EXPECT_EQ(std::string(part, 2), "89");
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(ReadFileAt(Path("song.musicxml"), 20, part, sizeof part, why), 0u);

  EXPECT_EQ(ReadWholeFile(Path("missing"), 10, why), std::nullopt);
  EXPECT_EQ(why, std::errc::no_such_file_or_directory);
  EXPECT_EQ(ReadWholeFile(m_dir.string(), 10, why), std::nullopt);
  EXPECT_EQ(why, std::errc::is_a_directory);
  // Each of these would wait for a writer, or read without end.
  ASSERT_EQ(::mkfifo(Path("in.mid").c_str(), 0600), 0);
  fs::create_symlink(Path("in.mid"), Path("in.mxl"));
  fs::create_symlink("/dev/zero", Path("zero"));
  for (const char* name : {"in.mid", "in.mxl", "zero"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadWholeFile(Path(name), 1 << 20, why), std::nullopt);
    EXPECT_EQ(why, NotARegularFileError());
    EXPECT_EQ(why.message(), "not a regular file");
    EXPECT_EQ(ReadFileAt(Path(name), 0, part, sizeof part, why), std::nullopt);
    EXPECT_EQ(RegularFileSize(Path(name), why), std::nullopt);
  }
}

TEST_F(FileUtilTest, WritesLeaveNoTemporaryFileBehind) {
  for (WriteDurability d : {WriteDurability::kOrdinary, WriteDurability::kDurable}) {
    EXPECT_TRUE(WriteFileBytes(Path("new"), "a", 1, d));
    EXPECT_TRUE(WriteFileBytes(Path("new"), "bb", 2, d));
  }
  EXPECT_EQ(ReadAll(Path("new")), "bb");
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST(JoinPath, AddsOneSeparator) {
  EXPECT_EQ(JoinPath("/home/u", "a.mwd"), "/home/u/a.mwd");
  EXPECT_EQ(JoinPath("/home/u/", "a.mwd"), "/home/u/a.mwd");
  EXPECT_EQ(JoinPath("/", "a.mwd"), "/a.mwd");
  EXPECT_EQ(JoinPath("", "a.mwd"), "a.mwd");
}

TEST_F(FileUtilTest, DataFolderFollowsXdgThenHome) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const char* oldHome = std::getenv("HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "";
  const std::string savedHome = oldHome ? oldHome : "";

  ::setenv("XDG_CONFIG_HOME", Path("xdg/deep").c_str(), 1);
  EXPECT_EQ(GetDataFolder(), Path("xdg/deep/Kumoito"));
  EXPECT_TRUE(fs::is_directory(Path("xdg/deep/Kumoito")));

  ::setenv("XDG_CONFIG_HOME", "", 1);
  ::setenv("HOME", Path("home").c_str(), 1);
  EXPECT_EQ(GetDataFolder(), Path("home/.config/Kumoito"));
  EXPECT_TRUE(fs::is_directory(Path("home/.config/Kumoito")));

  oldXdg ? ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
  oldHome ? ::setenv("HOME", savedHome.c_str(), 1) : ::unsetenv("HOME");
}

}  // namespace
}  // namespace kumoito
