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
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(m_folder, ec);
  }

  void WriteRaw(const std::vector<unsigned char>& bytes) {
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  void WriteFields(std::initializer_list<std::int32_t> fields) {
    std::vector<unsigned char> bytes(fields.size() * 4);
    std::size_t i = 0;
    for (std::int32_t v : fields) {
      StoreLE32(bytes.data() + 4 * i++, static_cast<std::uint32_t>(v));
    }
    WriteRaw(bytes);
  }
  std::vector<unsigned char> ReadRaw() const {
    std::ifstream in(m_path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // Loads the file into a fresh block and lets the control go again.
  SettingsBlock Load() {
    SettingsBlock block{};
    CConfigControl control(m_path, &block);
    return block;
  }

  std::string m_folder;
  std::string m_path;
};

void ExpectBlock(const SettingsBlock& b, std::int32_t v, std::int32_t tuning, std::int32_t category,
                 std::int32_t band, std::int32_t lyrics, std::int32_t key) {
  EXPECT_EQ(b.firstStringValue, v);
  EXPECT_EQ(b.tuning, tuning);
  EXPECT_EQ(b.libraryCategory, category);
  EXPECT_EQ(b.titleBand, band);
  EXPECT_EQ(b.lyricsShown, lyrics);
  EXPECT_EQ(b.key, key);
}

// --- First start and round trip ---------------------------------------------

TEST_F(ConfigControlTest, FirstStartTakesDefaultsAndLeavesA24ByteFile) {
  ScopedReportCapture capture;
  SettingsBlock block{7, 7, 7, 7, 7, 7};
  {
    CConfigControl control(m_path, &block);
    ExpectBlock(block, 0, 0, 0, 1, 1, 0);
    EXPECT_FALSE(FileExists(m_path));
  }
  EXPECT_EQ(capture.Text(), "");
  const std::vector<unsigned char> expected = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                               1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ReadRaw(), expected);
}

TEST_F(ConfigControlTest, ValuesChangedDuringTheRunComeBackNextStart) {
  SettingsBlock block{};
  {
    CConfigControl control(m_path, &block);
    block = {11, 2, 4, 0, 0, 11};
  }
  ExpectBlock(Load(), 11, 2, 4, 0, 0, 11);
}

TEST_F(ConfigControlTest, FileIsSixLittleEndianFieldsInOrder) {
  WriteFields({5, 1, 3, 0, 1, 9});
  ExpectBlock(Load(), 5, 1, 3, 0, 1, 9);

  SettingsBlock block{};
  {
    CConfigControl control(m_path, &block);
    block.libraryCategory = 0x01020304;
  }
  const std::vector<unsigned char> bytes = ReadRaw();
  ASSERT_EQ(bytes.size(), kSettingsFileSize);
  EXPECT_EQ(LoadLE32(bytes.data() + 8), 0x01020304u);
  EXPECT_EQ(LoadLE32(bytes.data() + 20), 9u);
}

TEST_F(ConfigControlTest, PathInTheDataFolder) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
  const std::string path = SettingsFilePath();
  if (old != nullptr) {
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  EXPECT_EQ(path, m_folder + "/Kumoito/setup.ini");
  EXPECT_TRUE(fs::is_directory(m_folder + "/Kumoito"));
}

// --- Values that must not index a table -------------------------------------

TEST_F(ConfigControlTest, BatchRunMinusOnesBecomeValidChoices) {
  // A batch run has no lists to read back and stores -1 for all three.
  SettingsBlock block{};
  {
    CConfigControl control(m_path, &block);
    block.firstStringValue = -1;
    block.tuning = -1;
    block.key = -1;
  }
  SettingsBlock next{};
  {
    CConfigControl control(m_path, &next);
    ExpectBlock(next, 0, 0, 0, 1, 1, 0);
  }
  // What the next start writes back is valid again.
  ExpectBlock(CConfigControl::DecodeSettings(ReadRaw().data()), 0, 0, 0, 1, 1, 0);
}

TEST_F(ConfigControlTest, OutOfRangeChoicesBecomeZeroOthersKept) {
  WriteFields({12, 3, 7, 0, 0, 15});  // key 15 is a song key (Am), not a list entry
  ExpectBlock(Load(), 0, 0, 7, 0, 0, 0);
  WriteFields({11, 2, 0, 1, 1, 11});
  ExpectBlock(Load(), 11, 2, 0, 1, 1, 11);
  WriteFields({INT32_MIN, INT32_MAX, 0, 1, 1, INT32_MIN});
  ExpectBlock(Load(), 0, 0, 0, 1, 1, 0);
}

TEST(SettingsValues, ValidatorsKeepOnlyListRanges) {
  EXPECT_EQ(ValidFirstStringValue(11), 11);
  EXPECT_EQ(ValidFirstStringValue(12), 0);
  EXPECT_EQ(ValidFirstStringValue(-1), 0);
  EXPECT_EQ(ValidTuningIndex(2), 2);
  EXPECT_EQ(ValidTuningIndex(3), 0);
  EXPECT_EQ(ValidMajorKeyIndex(11), 11);
  EXPECT_EQ(ValidMajorKeyIndex(12), 0);
  EXPECT_EQ(ValidMajorKeyIndex(-1), 0);
}

// --- Damaged files ------------------------------------------------------------

TEST_F(ConfigControlTest, ShortFileIsReportedAndUncoveredFieldsTakeDefaults) {
  // Ten bytes: two whole fields and half of the third.
  std::vector<unsigned char> bytes(10, 0xFF);
  StoreLE32(bytes.data(), 4);
  StoreLE32(bytes.data() + 4, 2);
  WriteRaw(bytes);
  ScopedReportCapture capture;
  ExpectBlock(Load(), 4, 2, 0, 1, 1, 0);
  EXPECT_EQ(capture.Text().rfind("\nGENE0100000A データが大きすぎます。", 0), 0u) << capture.Text();
  EXPECT_EQ(ReadRaw().size(), kSettingsFileSize);  // rewritten whole at exit
}

TEST_F(ConfigControlTest, EmptyFileIsReportedAndGivesDefaults) {
  WriteRaw({});
  ScopedReportCapture capture;
  ExpectBlock(Load(), 0, 0, 0, 1, 1, 0);
  EXPECT_NE(capture.Text().find("GENE0100000A"), std::string::npos);
}

TEST_F(ConfigControlTest, LongerFileUsesFirst24BytesAndIsTruncatedAtExit) {
  std::vector<unsigned char> bytes(30, 0xAB);
  CConfigControl::EncodeSettings({3, 1, 2, 0, 1, 4}, bytes.data());
  WriteRaw(bytes);
  ScopedReportCapture capture;
  ExpectBlock(Load(), 3, 1, 2, 0, 1, 4);
  EXPECT_EQ(capture.Text(), "");
  EXPECT_EQ(ReadRaw().size(), kSettingsFileSize);
}

// --- Failed writes --------------------------------------------------------------

TEST_F(ConfigControlTest, UnwritableFolderIsReported) {
  const std::string path = JoinPath(m_folder, "missing/setup.ini");
  ScopedReportCapture capture;
  {
    SettingsBlock block{};
    CConfigControl control(path, &block);
  }
  EXPECT_NE(capture.Text().find("file_name=" + path), std::string::npos);
  EXPECT_NE(capture.Text().find("GENE01000007"), std::string::npos);
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(ConfigControlTest, WriteThatFailsPartWayKeepsTheOldFile) {
  WriteFields({5, 1, 3, 0, 1, 9});
  const std::vector<unsigned char> old = ReadRaw();

  // A file-size limit below 24 bytes makes the write stop after 10 bytes.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  ScopedReportCapture capture;
  {
    SettingsBlock block{};
    CConfigControl control(m_path, &block);
    block = {1, 2, 3, 4, 5, 6};
    rlimit small = saved;
    small.rlim_cur = 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_NE(capture.Text().find("GENE01000007"), std::string::npos);
  EXPECT_EQ(ReadRaw(), old);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(m_folder)) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{kSettingsFileName});  // no temporary left
}

}  // namespace
}  // namespace kumoito
