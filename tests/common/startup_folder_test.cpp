#include "common/startup_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kumoito {
namespace {

namespace fs = std::filesystem;

class StartupFolderTest : public ::testing::Test {
 protected:
  StartupFolderTest() {
    char name[] = "/tmp/kumoito-startup-XXXXXX";
    m_root = ::mkdtemp(name);
  }
  ~StartupFolderTest() override { fs::remove_all(m_root); }
  std::string Make(const std::string& relative, bool archive, bool help) {
    const fs::path folder = m_root / relative;
    fs::create_directories(folder);
    if (archive) {
      fs::create_directories(folder / "Archive");
    }
    if (help) {
      fs::create_directories(folder / "help");
    }
    return folder.string();
  }

  fs::path m_root;
};

TEST_F(StartupFolderTest, TheFolderWhereTheProgramStartsWinsWhenComplete) {
  const std::string here = Make("here", true, true);
  const std::string program = Make("usr/bin", false, false);
  Make("usr/share/kumoito", true, true);
  const StartupFolder found = FindStartupFolder(here, program);
  EXPECT_EQ(found.folder, here);
  EXPECT_FALSE(found.installed);
}

TEST_F(StartupFolderTest, ElseTheProgramsOwnFolderThenTheInstalledOne) {
  const std::string half = Make("half", true, false);  // a library without help is not one
  const std::string build = Make("build", true, true);
  EXPECT_EQ(FindStartupFolder(half, build).folder, build);
  EXPECT_FALSE(FindStartupFolder(half, build).installed);

  const std::string program = Make("usr/bin", false, false);
  const std::string shared = Make("usr/share/kumoito", true, true);
  const StartupFolder found = FindStartupFolder(half, program);
  EXPECT_EQ(found.folder, shared);
  EXPECT_TRUE(found.installed);
}

TEST_F(StartupFolderTest, WithNoneTheCurrentFolderStays) {
  const std::string here = Make("here", false, true);
  const std::string program = Make("opt/bin", false, false);
  Make("opt/share/kumoito", true, false);
  EXPECT_EQ(FindStartupFolder(here, program).folder, here);
  EXPECT_EQ(FindStartupFolder(here, "").folder, here);
  EXPECT_FALSE(FindStartupFolder(here, program).installed);
}

TEST(StartupFolder, TheProgramFolderHoldsThisTest) {
  const fs::path self = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(ProgramFolder(), self.parent_path().string());
}

}  // namespace
}  // namespace kumoito
