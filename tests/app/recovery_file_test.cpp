#include "app/recovery_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/report.h"
#include "tests/song/song_test_util.h"

extern char** environ;

namespace kumoito {
namespace {

using test::Bytes;
using test::TempDir;

RecoveredSong SampleSong() {
  RecoveredSong song;
  song.sourcePath = "/home/u/曲/song.mwd";
  song.firstStringValue = 9;
  song.tuning = 2;
  song.key = 11;
  song.score.resize(94540);
  for (std::size_t i = 0; i < song.score.size(); ++i) {
    song.score[i] = static_cast<unsigned char>(i * 7 + (i >> 8));
  }
  return song;
}

std::optional<RecoveredSong> Decode(const Bytes& bytes) {
  return DecodeRecovery(bytes.data(), bytes.size());
}

TEST(RecoveryFormat, RoundTripsAndRefusesEveryTornOrAlteredFile) {
  const RecoveredSong song = SampleSong();
  const Bytes whole = EncodeRecovery(song);
  ASSERT_EQ(Decode(whole), song);

  // Cut anywhere: a file that a write did not finish.
  for (std::size_t size = 0; size < whole.size(); size += (size < 64 ? 1 : 997)) {
    EXPECT_FALSE(Decode(Bytes(whole.begin(), whole.begin() + static_cast<long>(size))))
        << "size " << size;
  }
  Bytes longer = whole;
  longer.push_back(0);
  EXPECT_FALSE(Decode(longer));
  // One bit changed anywhere: header, path, score or checksum.
  for (std::size_t at = 0; at < whole.size(); at += (at < 80 ? 1 : 1009)) {
    Bytes altered = whole;
    altered[at] ^= 0x10;
    EXPECT_FALSE(Decode(altered)) << "byte " << at;
  }
  Bytes last = whole;
  last.back() ^= 1;
  EXPECT_FALSE(Decode(last));
}

TEST(RecoveryFormat, LengthsThatLieAndOtherVersionsAreRefusedEvenWithAGoodChecksum) {
  RecoveredSong empty;
  ASSERT_EQ(Decode(EncodeRecovery(empty)), empty);
  RecoveredSong tooLong = SampleSong();
  tooLong.sourcePath.assign(recovery_layout::kMaxPathLength + 1, 'a');
  EXPECT_FALSE(Decode(EncodeRecovery(tooLong)));

  // A later version, checksum and all, is not read as this one.
  Bytes later = EncodeRecovery(SampleSong());
  later[8] = 2;
  later.resize(later.size() - 4);
  const Bytes again = EncodeRecovery(SampleSong());
  Bytes sealed(later);
  sealed.insert(sealed.end(), again.end() - 4, again.end());
  EXPECT_FALSE(Decode(sealed));
}

TEST(RecoveryFile, IsReadOnlyFromAWholeRegularFile) {
  ScopedReportCapture reports;
  TempDir dir;
  const std::string path = dir.Path("r.krec");
  ASSERT_TRUE(WriteRecoveryFile(path, SampleSong()));
  EXPECT_EQ(ReadRecoveryFile(path), SampleSong());

  // Larger than any recovery file: refused, not cut to size.
  Bytes huge = EncodeRecovery(SampleSong());
  huge.resize(recovery_layout::kMaxFileSize + 1);
  test::WriteFile(path, huge);
  EXPECT_FALSE(ReadRecoveryFile(path));

  // A FIFO under the name is no file: refused at once, no waiting for a writer.
  const std::string fifo = dir.Path("fifo.krec");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(ReadRecoveryFile(fifo));
  EXPECT_FALSE(ReadRecoveryFile(dir.Path("missing.krec")));
}

// A process that holds the lock a window of its number would hold, as long
// as it runs.
class LockHolder {
 public:
  explicit LockHolder(const std::string& folder) {
    const std::string script = "exec flock -o \"$0/recovery-$$.lock\" sleep 60";
    const char* argv[] = {"sh", "-c", script.c_str(), folder.c_str(), nullptr};
    // A group of its own, so that the sleep flock waits for goes with it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int failed =
        ::posix_spawnp(&m_pid, "sh", nullptr, &attributes, const_cast<char**>(argv), environ);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
      m_pid = -1;
      return;
    }
    m_lock = folder + "/recovery-" + std::to_string(m_pid) + ".lock";
    m_recovery = folder + "/recovery-" + std::to_string(m_pid) + ".krec";
  }
  ~LockHolder() { Kill(); }
  // Waits until flock holds the lock (its file exists and a try fails).
  bool WaitUntilHeld() const {
    for (int i = 0; i < 500; ++i) {
      if (std::filesystem::exists(m_lock) &&
          ::system(("flock -n '" + m_lock + "' true").c_str()) != 0) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  void Kill() {
    if (m_pid > 0) {
      ::kill(-m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
      m_pid = -1;
    }
  }
  const std::string& RecoveryPath() const { return m_recovery; }
  const std::string& LockPath() const { return m_lock; }

 private:
  pid_t m_pid = -1;
  std::string m_lock, m_recovery;
};

TEST(RecoveryStore, OffersTheFilesOfEndedWindowsOnlyNewestFirst) {
  if (::system("command -v flock >/dev/null") != 0) {
    GTEST_SKIP() << "flock(1) is missing";
  }
  ScopedReportCapture reports;
  TempDir dir;
  RecoveryStore store(dir.path().string());
  ASSERT_TRUE(store.Locked());
  ASSERT_TRUE(store.Write(SampleSong()));
  EXPECT_TRUE(store.Orphans().empty());  // its own file is no orphan

  LockHolder running(dir.path().string());
  ASSERT_TRUE(running.WaitUntilHeld());
  ASSERT_TRUE(WriteRecoveryFile(running.RecoveryPath(), SampleSong()));
  EXPECT_TRUE(store.Orphans().empty());  // that window still runs

  // A window gone without a trace of a lock, older than the one to come.
  const std::string old = dir.Path("recovery-999999999.krec");
  ASSERT_TRUE(WriteRecoveryFile(old, SampleSong()));
  const auto past = std::filesystem::last_write_time(old) - std::chrono::hours(1);
  std::filesystem::last_write_time(old, past);

  running.Kill();  // kill -9: the system lets go of its lock
  EXPECT_EQ(store.Orphans(), (std::vector<std::string>{running.RecoveryPath(), old}));
  RecoveryStore::ForgetOrphan(running.RecoveryPath());
  EXPECT_FALSE(std::filesystem::exists(running.RecoveryPath()));
  EXPECT_FALSE(std::filesystem::exists(running.LockPath()));
  EXPECT_EQ(store.Orphans(), (std::vector<std::string>{old}));
}

TEST(RecoveryStore, AFileOfAnEarlierProcessOfTheSameNumberIsMovedAsideAndOffered) {
  ScopedReportCapture reports;
  TempDir dir;
  std::string own;
  {
    RecoveryStore first(dir.path().string());
    ASSERT_TRUE(first.Write(SampleSong()));
    own = first.Path();
  }  // ended without Remove(): as after a crash, for a number used again
  RecoveryStore second(dir.path().string());
  ASSERT_EQ(second.Path(), own);
  EXPECT_FALSE(std::filesystem::exists(own));
  const auto orphans = second.Orphans();
  ASSERT_EQ(orphans.size(), 1u);
  EXPECT_EQ(ReadRecoveryFile(orphans[0]), SampleSong());
  second.Remove();  // this window's end takes nothing of the earlier one
  EXPECT_EQ(second.Orphans(), orphans);

  // Lock files of ended windows with nothing unsaved are cleared.
  test::WriteFile(dir.Path("recovery-999999998.lock"), {});
  second.Orphans();
  EXPECT_FALSE(std::filesystem::exists(dir.Path("recovery-999999998.lock")));
}

}  // namespace
}  // namespace kumoito
