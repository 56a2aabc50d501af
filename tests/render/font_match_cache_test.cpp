#include "render/font_match_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/report.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

namespace fs = std::filesystem;

class FontMatchCacheTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(m_dir.Path("etc/conf.d"));
    fs::create_directories(m_dir.Path("fonts/truetype/family"));
    Write("etc/fonts.conf", "<fontconfig/>");
    Write("etc/conf.d/10-rule.conf", "<fontconfig/>");
    Write("fonts/truetype/family/face.ttf", "face");
    m_watched.files = {m_dir.Path("etc/fonts.conf"), m_dir.Path("etc/missing.conf")};
    m_watched.folders = {m_dir.Path("etc/conf.d")};
    m_watched.fontFolders = {m_dir.Path("fonts")};
    m_match = FontLocation{m_dir.Path("fonts/truetype/family/face.ttf"), 1};
    m_cache = m_dir.Path("cache/Kumoito/font-match");
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(m_dir.Path(name), std::ios::binary | std::ios::trunc) << text;
  }
  // Moves a file's modification time, as an edit a second later would.
  void Age(const std::string& name) {
    const fs::path p = m_dir.Path(name);
    fs::last_write_time(p, fs::last_write_time(p) - std::chrono::seconds(5));
  }
  std::optional<FontLocation> Load() {
    return LoadFontMatch(m_cache, "sans-serif:lang=ja", m_watched);
  }

  test::TempDir m_dir;
  FontWatchList m_watched;
  FontLocation m_match;
  std::string m_cache;
};

TEST_F(FontMatchCacheTest, AnAnswerComesBackWhileNothingChanged) {
  EXPECT_FALSE(Load());
  ASSERT_TRUE(StoreFontMatch(m_cache, "sans-serif:lang=ja", m_match, m_watched));
  EXPECT_EQ(Load(), m_match);
  EXPECT_EQ(Load(), m_match);
  EXPECT_FALSE(LoadFontMatch(m_cache, "serif", m_watched));
  // Nothing is left beside the cache.
  EXPECT_EQ(
      std::distance(fs::directory_iterator(m_dir.Path("cache/Kumoito")), fs::directory_iterator()),
      1);
}

TEST_F(FontMatchCacheTest, AnythingFontconfigReadsInvalidatesTheAnswer) {
  const auto changed = [this](auto change) {
    EXPECT_TRUE(StoreFontMatch(m_cache, "sans-serif:lang=ja", m_match, m_watched));
    EXPECT_EQ(Load(), m_match);
    change();
    return !Load().has_value();
  };
  EXPECT_TRUE(changed([&] { Age("etc/fonts.conf"); })) << "configuration edited";
  EXPECT_TRUE(changed([&] { Write("etc/missing.conf", "<fontconfig/>"); })) << "file added";
  EXPECT_TRUE(changed([&] { Age("etc/conf.d/10-rule.conf"); })) << "rule edited";
  EXPECT_TRUE(changed([&] { Write("etc/conf.d/20-new.conf", "x"); })) << "rule added";
  EXPECT_TRUE(changed([&] { Write("fonts/truetype/family/new.ttf", "x"); }))
      << "font added two levels down";
  EXPECT_TRUE(changed([&] { fs::create_directories(m_dir.Path("fonts/opentype")); }))
      << "font folder added";
  EXPECT_TRUE(changed([&] { Write("fonts/truetype/family/face.ttf", "a new face"); }))
      << "the chosen file replaced";
  EXPECT_TRUE(changed([&] { fs::remove(m_dir.Path("fonts/truetype/family/face.ttf")); }))
      << "the chosen file removed";
}

TEST_F(FontMatchCacheTest, DamagedCachesAreMisses) {
  ASSERT_TRUE(StoreFontMatch(m_cache, "sans-serif:lang=ja", m_match, m_watched));
  std::ifstream in(m_cache, std::ios::binary);
  const std::string good{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::string badIndex = good;
  const std::string indexLine = m_match.file + "\n1\n";
  ASSERT_NE(badIndex.find(indexLine), std::string::npos);
  badIndex.replace(badIndex.find(indexLine), indexLine.size(), m_match.file + "\nx1\n");
  for (const std::string& bad : {std::string(), good.substr(0, good.size() / 2),
                                 "kumoito-font-match 2" + good.substr(20), badIndex}) {
    std::ofstream(m_cache, std::ios::binary | std::ios::trunc) << bad;
    EXPECT_FALSE(Load()) << bad.substr(0, 80);
  }
}

TEST_F(FontMatchCacheTest, NoAnswerIsKeptWhenFontconfigIsPointedElsewhere) {
  EXPECT_FALSE(FontconfigWatchList().Empty());
  ::setenv("FONTCONFIG_FILE", m_dir.Path("etc/fonts.conf").c_str(), 1);
  const FontWatchList redirected = FontconfigWatchList();
  ::unsetenv("FONTCONFIG_FILE");
  EXPECT_TRUE(redirected.Empty());
  EXPECT_FALSE(StoreFontMatch(m_cache, "sans-serif:lang=ja", m_match, redirected));
  EXPECT_FALSE(fs::exists(m_cache));
}

TEST_F(FontMatchCacheTest, ACacheThatIsNoSmallRegularFileIsNoCache) {
  // Each of these once waited for a writer, read until memory ran out, or
  // read gigabytes; the alarm ends the run should one wait again.
  ::alarm(60);
  ScopedReportCapture reports;
  fs::create_directories(m_dir.Path("cache/Kumoito"));
  ASSERT_EQ(::mkfifo(m_cache.c_str(), 0600), 0);
  EXPECT_FALSE(Load());
  fs::remove(m_cache);
  fs::create_symlink("/dev/zero", m_cache);
  EXPECT_FALSE(Load());
  // Storing over a link to a device is refused, and the link stays.
  EXPECT_FALSE(StoreFontMatch(m_cache, "sans-serif:lang=ja", m_match, m_watched));
  EXPECT_TRUE(fs::is_symlink(m_cache));
  fs::remove(m_cache);
  // A good answer with a megabyte after it.
  ASSERT_TRUE(StoreFontMatch(m_cache, "sans-serif:lang=ja", m_match, m_watched));
  EXPECT_LT(fs::file_size(m_cache), 4096u);
  std::ofstream(m_cache, std::ios::binary | std::ios::app) << std::string(1 << 20, '\n');
  EXPECT_FALSE(Load());
  // Nothing of this is the user's business.
  EXPECT_EQ(reports.Text(), "");
  ::alarm(0);
}

TEST_F(FontMatchCacheTest, OnlyARegularFontFileIsEverNamed) {
  ::alarm(60);
  const std::string fifo = m_dir.Path("fonts/truetype/family/fifo.ttf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Fontconfig itself never answers so, but an answer once stored must not
  // send the next start into an open that waits.
  EXPECT_FALSE(StoreFontMatch(m_cache, "sans-serif:lang=ja", FontLocation{fifo, 0}, m_watched));
  EXPECT_FALSE(Load());
  ::alarm(0);
}

}  // namespace
}  // namespace kumoito
