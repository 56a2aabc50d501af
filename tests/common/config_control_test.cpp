#include "common/config_control.h"

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/bytes.h"
#include "common/file_util.h"
#include "common/report.h"

namespace kumoito {
namespace {

namespace fs = std::filesystem;

class ConfigControlTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kumoito-config-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_folder = pattern;
    m_path = JoinPath(m_folder, kSettingsFileName);
  }
  void TearDown() override { fs::remove_all(m_folder); }

  void WriteRaw(const std::vector<unsigned char>& bytes) {
    std::ofstream(m_path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
  }
  void WriteFields(const SettingsBlock& block) {
    std::vector<unsigned char> bytes(kSettingsFileSize);
    CConfigControl::EncodeSettings(block, bytes.data());
    WriteRaw(bytes);
  }
  std::vector<unsigned char> ReadRaw() const {
    std::ifstream in(m_path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // One start and end of the program: load, let `change` act, write.
  template <typename F = void (*)(SettingsBlock&)>
  SettingsBlock Run(F change = [](SettingsBlock&) {}) {
    SettingsBlock block{7, 7, 7, 7, 7, 7};
    CConfigControl control(m_path, &block);
    const SettingsBlock loaded = block;
    change(block);
    return loaded;
  }

  std::string m_folder;
  std::string m_path;
};

void ExpectBlock(const SettingsBlock& b, std::vector<std::int32_t> want) {
  EXPECT_EQ((std::vector<std::int32_t>{b.firstStringValue, b.tuning, b.libraryCategory, b.titleBand,
                                       b.lyricsShown, b.key}),
            want);
}

TEST_F(ConfigControlTest, FirstStartTakesDefaultsAndLeavesA24ByteFile) {
  ScopedReportCapture capture;
  ExpectBlock(Run(), {0, 0, 0, 1, 1, 0});
  EXPECT_EQ(capture.Text(), "");
  EXPECT_EQ(ReadRaw(), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                                   1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ConfigControlTest, RoundTripOfLittleEndianFields) {
  Run([](SettingsBlock& b) { b = {11, 2, 0x01020304, 0, 0, 11}; });
  const std::vector<unsigned char> bytes = ReadRaw();
  ASSERT_EQ(bytes.size(), kSettingsFileSize);
  EXPECT_EQ(LoadLE32(bytes.data() + 8), 0x01020304u);
  EXPECT_EQ(LoadLE32(bytes.data() + 20), 11u);
  ExpectBlock(Run(), {11, 2, 0x01020304, 0, 0, 11});
}

TEST_F(ConfigControlTest, ChoicesThatCannotIndexATableBecomeZero) {
  // A batch run has no lists to read back and stores -1 for all three.
  Run([](SettingsBlock& b) { b.firstStringValue = b.tuning = b.key = -1; });
  ExpectBlock(Run(), {0, 0, 0, 1, 1, 0});
  ExpectBlock(CConfigControl::DecodeSettings(ReadRaw().data()), {0, 0, 0, 1, 1, 0});

  WriteFields({12, 3, 4, 0, 0, 15});  // key 15 is a song key (Am), not a list entry
  ExpectBlock(Run(), {0, 0, 4, 0, 0, 0});
  WriteFields({INT32_MIN, INT32_MAX, 0, 1, 1, INT32_MIN});
  ExpectBlock(Run(), {0, 0, 0, 1, 1, 0});
}

TEST_F(ConfigControlTest, ShortFileIsReportedAndUncoveredFieldsTakeDefaults) {
  std::vector<unsigned char> bytes(10, 0xFF);  // two whole fields and half a third
  StoreLE32(bytes.data(), 4);
  StoreLE32(bytes.data() + 4, 2);
  WriteRaw(bytes);
  ScopedReportCapture capture;
  ExpectBlock(Run(), {4, 2, 0, 1, 1, 0});
  EXPECT_EQ(capture.Text(), "\nGENE0100000A データが大きすぎます。");
  EXPECT_EQ(ReadRaw().size(), kSettingsFileSize);
}

TEST_F(ConfigControlTest, WriteThatFailsPartWayKeepsTheOldFile) {
  WriteFields({5, 1, 3, 0, 1, 9});
  const std::vector<unsigned char> old = ReadRaw();
  // A file-size limit of 10 bytes stops the write part-way.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  ScopedReportCapture capture;
  Run([&saved](SettingsBlock& b) {
    b = {1, 2, 3, 4, 5, 6};
    rlimit small = saved;
    small.rlim_cur = 10;
    ::setrlimit(RLIMIT_FSIZE, &small);
  });
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_NE(capture.Text().find("file_name=" + m_path), std::string::npos);
  EXPECT_NE(capture.Text().find("GENE01000007"), std::string::npos);
  EXPECT_EQ(ReadRaw(), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace kumoito
