// The program as users run it from scripts: a batch conversion in a process
// of its own, with no display at all, checked with ImageMagick.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "render/image_file.h"
#include "song/score_file.h"
#include "song/song_data.h"
#include "tests/app/batch_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

using test::Capture;
using test::Have;
using test::ReadFile;

class BatchProcess : public test::BatchRun {
 protected:
  // A melody of C, E, G and C written a fifth too high (G, B, D, G) while
  // the file says it is in C.
  std::string WriteFifthTooHigh() {
    std::int32_t beats = 4, key = 0, measures = 8;
    auto song = CSongData::LoadOrCreate("", beats, key, measures);
    const int melody[] = {67, 71, 74, 79, 74, 71, 67, 67};
    for (int i = 0; i < 8; ++i) {
      song->m_cells[i * 8].pitch[0] = melody[i];
    }
    std::strcpy(song->m_info.title, "Fifth");
    const std::string path = m_dir.Path("fifth.mwd");
    SaveScore(*song, 4, 0, path, 1);
    return path;
  }
  std::string Identify(const std::string& name) {
    return Capture("identify -format '%m %w %h' '" + m_dir.Path(name) + "' 2>/dev/null");
  }
};

TEST_F(BatchProcess, PngJpegAndBmpByExtension) {
  const std::string song = WriteFifthTooHigh();
  ASSERT_EQ(Run("'" + song + "' out.png 0 hon -1"), 0);
  ASSERT_EQ(Run("'" + song + "' out.jpg 0 hon -1"), 0);
  ASSERT_EQ(Run("'" + song + "' out.bmp 0 hon -1"), 0);
  // 8 measures: 2 rows of 100 pixels under the 40-pixel title strip.
  if (std::system("command -v identify >/dev/null 2>&1") == 0) {
    EXPECT_EQ(Identify("out.png"), "PNG 512 240");
    EXPECT_EQ(Identify("out.jpg"), "JPEG 512 240");
    EXPECT_EQ(Identify("out.bmp"), "BMP3 512 240");
  }
  EXPECT_EQ(ReadFile(m_dir.Path("out.bmp")).size(), 54u + 1536 * 240);
  // The next interactive start finds valid settings: the run's own choices.
  const auto settings = ReadFile(m_dir.Path("config/Kumoito/setup.ini"));
  ASSERT_EQ(settings.size(), 24u);
  EXPECT_EQ(settings[0], 0);
  EXPECT_LE(settings[4], 2);
  EXPECT_LE(settings[20], 11);
  EXPECT_EQ(ReadFile(m_dir.Path("config/Kumoito/temp.mwd")).size(), 94540u);
}

TEST_F(BatchProcess, HelpVersionAndOnePathNeedNoScore) {
  ASSERT_EQ(Run("--help"), 0);
  const std::string usage = Capture("cat '" + m_dir.Path("stdout.txt") + "'");
  EXPECT_NE(usage.find("使い方"), std::string::npos);
  EXPECT_NE(usage.find("Usage"), std::string::npos);
  ASSERT_EQ(Run("--version"), 0);
  EXPECT_EQ(Capture("cat '" + m_dir.Path("stdout.txt") + "'").rfind("kumoito ", 0), 0u);
  EXPECT_EQ(Run("--frobnicate"), 2);
  EXPECT_NE(Capture("cat '" + m_dir.Path("stderr.txt") + "'").find("--frobnicate"),
            std::string::npos);
  // One path asks for the window, which needs a display: said, not a
  // conversion to an empty image path that ends with status 0.
  const std::string song = WriteFifthTooHigh();
  EXPECT_EQ(Run("'" + song + "'"), 1);
  EXPECT_NE(Capture("cat '" + m_dir.Path("stderr.txt") + "'").find("no display"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(m_dir.Path("config/Kumoito/setup.ini")));
}

TEST_F(BatchProcess, OptionsBeforeThePathsChangeOnlyThatRun) {
  const std::string song = WriteFifthTooHigh();
  ASSERT_EQ(Run("'" + song + "' plain.bmp 0 hon 0"), 0) << Stderr();
  const auto setup = ReadFile(m_dir.Path("config/Kumoito/setup.ini"));
  ASSERT_EQ(Run("--no-title-band --no-lyrics '" + song + "' bare.bmp 0 hon 0"), 0) << Stderr();
  // Without the title band the picture is shorter by the band.
  EXPECT_EQ(Identify("bare.bmp"), "BMP3 512 200");
  EXPECT_EQ(ReadFile(m_dir.Path("config/Kumoito/setup.ini")), setup);
  ASSERT_EQ(Run("--title-band '" + song + "' band.bmp 0 hon 0"), 0) << Stderr();
  EXPECT_EQ(ReadFile(m_dir.Path("band.bmp")), ReadFile(m_dir.Path("plain.bmp")));
  // Asked for, the image gets the numbers' band above each of its two rows.
  ASSERT_EQ(Run("--measure-numbers '" + song + "' numbered.bmp 0 hon 0"), 0) << Stderr();
  EXPECT_EQ(Identify("numbered.bmp"), "BMP3 512 268");
  // Options with nothing to convert are refused, not taken for a path.
  EXPECT_EQ(Run("--no-lyrics '" + song + "'"), 2);
  EXPECT_NE(Stderr().find("--no-lyrics"), std::string::npos);
  ASSERT_EQ(Run("--help"), 0);
  EXPECT_NE(Capture("cat '" + m_dir.Path("stdout.txt") + "'").find("--no-title-band"),
            std::string::npos);
}

TEST_F(BatchProcess, AutomaticArrangementChangesTheTablature) {
  const std::string song = WriteFifthTooHigh();
  ASSERT_EQ(Run("'" + song + "' fixed.bmp 0 hon 0"), 0);
  ASSERT_EQ(Run("'" + song + "' auto.bmp 0 hon -1"), 0);
  const auto fixed = ReadFile(m_dir.Path("fixed.bmp"));
  const auto automatic = ReadFile(m_dir.Path("auto.bmp"));
  ASSERT_EQ(fixed.size(), automatic.size());
  EXPECT_NE(fixed, automatic);
  // Moved down a fifth, to F, the melody's notes fall on the open strings
  // of 二上り; the settings keep that choice.
  const auto settings = ReadFile(m_dir.Path("config/Kumoito/setup.ini"));
  ASSERT_EQ(settings.size(), 24u);
  EXPECT_EQ(settings[20], 8);
  EXPECT_EQ(settings[4], 1);
}

TEST_F(BatchProcess, RefusesValuesOutsideTheLists) {
  const std::string song = WriteFifthTooHigh();
  EXPECT_EQ(Run("'" + song + "' bad.png 12 hon 0"), 2);
  EXPECT_EQ(Run("'" + song + "' bad.png 0 hon 12"), 2);
  EXPECT_TRUE(ReadFile(m_dir.Path("bad.png")).empty());
  EXPECT_NE(Capture("cat '" + m_dir.Path("stderr.txt") + "'").find("no image written"),
            std::string::npos);
}

TEST_F(BatchProcess, RefusesCommandLinesItCannotHoldWhole) {
  WriteFifthTooHigh();
  ASSERT_EQ(Run("fifth.mwd first.bmp 9 san 3"), 0);
  const auto settings = ReadFile(m_dir.Path("config/Kumoito/setup.ini"));
  // Cut at 255 characters, this path would still name a file in a folder
  // that exists.
  const std::string folder(150, 'd');
  std::filesystem::create_directory(m_dir.Path(folder));
  const std::string longImage = folder + "/" + std::string(145, 'f') + ".png";
  ASSERT_EQ(longImage.size(), 300u);
  const struct {
    std::string image;
    const char* why;
  } cases[] = {
      {longImage, "longer than 255 characters"},
      {"out\"q.png", "double quote"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.image);
    EXPECT_EQ(Run("fifth.mwd '" + c.image + "' 5 futa 1"), 2);
    const std::string err = Capture("cat '" + m_dir.Path("stderr.txt") + "'");
    EXPECT_EQ(err.rfind("kumoito: ", 0), 0u) << err;
    EXPECT_NE(err.find(c.why), std::string::npos) << err;
    EXPECT_NE(err.find("; no image written\n"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    // As after any refusal, the settings stay those of the last conversion.
    EXPECT_EQ(ReadFile(m_dir.Path("config/Kumoito/setup.ini")), settings);
  }
  EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path(folder)));
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(m_dir.path())) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"config", "fifth.mwd", "first.bmp", folder, "stderr.txt",
                                          "stdout.txt"}));
}

// Every file and folder directly in folder, with its bytes ("/" for a
// folder, "|" for a FIFO); the run's own standard output and error aside.
std::map<std::string, test::Bytes> Listing(const std::filesystem::path& folder) {
  std::map<std::string, test::Bytes> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name == "stdout.txt" || name == "stderr.txt") {
      continue;
    }
    files[name] = entry.is_directory() ? test::Bytes{'/'}
                  : entry.is_fifo()    ? test::Bytes{'|'}
                                       : ReadFile(entry.path().string());
  }
  return files;
}

TEST_F(BatchProcess, AnInputThatCannotBeReadWritesNothingAndSaysWhyOnce) {
  const char* outputs[] = {"out.png", "out.pdf", "out.svg", "out.mid", "out.wav", "out.bmp"};
  for (const char* output : outputs) {
    test::WriteFile(m_dir.Path(output), test::Bytes(7, 'p'));
  }
  std::filesystem::create_directory(m_dir.Path("folder"));
  for (const char* fifo : {"x.mwd", "x.musicxml", "x.mid", "x.mxl", "x"}) {
    ASSERT_EQ(::mkfifo(m_dir.Path(fifo).c_str(), 0600), 0);
  }
  test::WriteFile(m_dir.Path("short.mwd"), test::Bytes(100, 1));
  const struct {
    const char* input;
    const char* cause;
  } cases[] = {
      {"missing.mwd", "No such file or directory"},
      {"folder", "Is a directory"},
      {"x.mwd", "not a regular file"},
      {"x.musicxml", "not a regular file"},
      {"x.mid", "not a regular file"},
      {"x.mxl", "not a regular file"},
      {"x", "not a regular file"},
      {"short.mwd", "not a score file (100 bytes)"},
  };
  // The first run makes the data folder; after it nothing may change.
  ASSERT_EQ(Run("missing.mwd out.png 0 hon -1"), 1);
  const auto before = Listing(m_dir.path());
  const auto data = Listing(m_dir.Path("config/Kumoito"));
  int run = 0;
  for (const auto& c : cases) {
    // Each input against one output kind in turn; the folder against all.
    for (const char* output : outputs) {
      if (std::string(c.input) != "folder" && output != outputs[run % 6]) {
        continue;
      }
      SCOPED_TRACE(std::string(c.input) + " -> " + output);
      EXPECT_EQ(Run(std::string(c.input) + " " + output + " 0 hon -1"), 1);
      EXPECT_EQ(Stderr(), std::string("kumoito: cannot read the score \"") + c.input +
                              "\": " + c.cause + "\n");
      auto after = Listing(m_dir.path());
      EXPECT_EQ(after, before);
      EXPECT_EQ(Listing(m_dir.Path("config/Kumoito")), data);
    }
    ++run;
  }
  // The score reader's own report still goes to standard output.
  EXPECT_NE(Capture("cat '" + m_dir.Path("stdout.txt") + "'").find("GENE"), std::string::npos);
}

TEST_F(BatchProcess, NamesThatCp932CannotHoldAreReadAndWritten) {
  const std::string song = WriteFifthTooHigh();
  const std::string input = "\xF0\x9F\x8E\xB5\xED\x95\x9C\xEA\xB8\x80.mwd";  // emoji, Hangul
  std::filesystem::copy_file(song, m_dir.Path(input));
  for (const std::string output : {"\xEC\x95\x85\xEB\xB3\xB4\xF0\x9F\x8E\xB6.png",
                                   "\xF0\x9F\x8E\xB6.mid", "\xEC\x95\x85.mwd"}) {
    SCOPED_TRACE(output);
    EXPECT_EQ(Run("'" + input + "' '" + output + "' 0 hon 0"), 0) << Stderr();
    EXPECT_GT(ReadFile(m_dir.Path(output)).size(), 100u);
  }
  EXPECT_EQ(Identify("\xEC\x95\x85\xEB\xB3\xB4\xF0\x9F\x8E\xB6.png").substr(0, 3), "PNG");
  // The score written under such a name reads back as the song it was.
  EXPECT_EQ(Run("'\xEC\x95\x85.mwd' again.png 0 hon 0"), 0) << Stderr();
}

TEST_F(BatchProcess, OnlyStaleTemporaryFilesGoAndNotOnARefusedRun) {
  const std::string song = WriteFifthTooHigh();
  ASSERT_EQ(Run("fifth.mwd first.png 0 hon 0"), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::_exit(0);
  }
  ::waitpid(child, nullptr, 0);
  const std::string dead = std::to_string(child);
  std::filesystem::create_directory(m_dir.Path("out"));
  const std::string stale = "out/out.png.tmp-" + dead + "-0";
  const std::string staleData = "config/Kumoito/setup.ini.tmp-" + dead + "-1";
  for (const std::string& name : std::vector<std::string>{
           stale, staleData, "out/report.tmp-20240101-1", "out/plus.tmp-+" + dead + "-1",
           "out/sp.tmp- " + dead + "-1", "out/notes.txt.tmp-99999999-0"}) {
    test::WriteFile(m_dir.Path(name), test::Bytes(3, 't'));
  }
  test::WriteFile(m_dir.Path("kept.txt"), test::Bytes(3, 'k'));
  std::filesystem::create_symlink(m_dir.Path("kept.txt"),
                                  m_dir.Path("out/link.tmp-" + dead + "-2"));
  const auto out = Listing(m_dir.Path("out"));
  EXPECT_EQ(Run("fifth.mwd out/out.png 0 hon 99"), 2);
  EXPECT_TRUE(std::filesystem::exists(m_dir.Path(staleData)));
  // A run that writes nothing leaves the output's folder alone.
  EXPECT_EQ(Run("missing.mwd out/out.png 0 hon 0"), 1);
  EXPECT_EQ(Listing(m_dir.Path("out")), out);

  EXPECT_EQ(Run("fifth.mwd out/out.png 0 hon 0"), 0);
  auto expected = out;
  expected.erase("out.png.tmp-" + dead + "-0");
  expected["out.png"] = ReadFile(m_dir.Path("out/out.png"));
  EXPECT_EQ(Listing(m_dir.Path("out")), expected);
  EXPECT_FALSE(std::filesystem::exists(m_dir.Path(staleData)));
  EXPECT_EQ(ReadFile(m_dir.Path("kept.txt")).size(), 3u);
}

TEST_F(BatchProcess, AnImageThatCannotBeWrittenFailsAndSaysWhy) {
  const std::string song = WriteFifthTooHigh();
  std::filesystem::create_directory(m_dir.Path("folder.png"));
  const struct {
    const char* image;
    const char* cause;
    const char* shellSetup;
  } cases[] = {
      {"no/such/folder/out.png", "No such file or directory", ""},
      {"folder.png", "Is a directory", ""},
      // A file-size limit stands in for a full disk.
      {"big.bmp", "File too large", "trap '' XFSZ; ulimit -f 100; "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.image);
    EXPECT_EQ(Run("'" + song + "' '" + c.image + "' 0 hon 0", c.shellSetup), 1);
    const std::string err = Capture("cat '" + m_dir.Path("stderr.txt") + "'");
    const std::string line = std::string("kumoito: cannot write \"") + c.image + "\": ";
    EXPECT_NE(err.find(line + c.cause + "\n"), std::string::npos) << err;
    // The scratch score and the settings are unchanged, so not written again:
    // even a full disk has only the image to say.
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    // The writer's report lines stay on standard output.
    EXPECT_NE(Capture("cat '" + m_dir.Path("stdout.txt") + "'").find("GENE01000007"),
              std::string::npos);
  }
}

TEST_F(BatchProcess, AnImageInAFolderThatMayNotBeWrittenIsReplacedInPlace) {
  const std::string song = WriteFifthTooHigh();
  std::filesystem::create_directory(m_dir.Path("locked"));
  const std::string image = m_dir.Path("locked/out.png");
  test::WriteFile(image, test::Bytes(10, 0));
  test::LockedFolder locked(m_dir.Path("locked"));
  if (!locked.Locked()) {
    GTEST_SKIP() << "this file system cannot lock a folder for us";
  }
  ASSERT_EQ(Run("'" + song + "' '" + image + "' 0 hon 0"), 0)
      << Capture("cat '" + m_dir.Path("stderr.txt") + "'");
  const auto png = ReadFile(image);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png[1], 'P');
  if (std::system("command -v identify >/dev/null 2>&1") == 0) {
    EXPECT_EQ(Identify("locked/out.png"), "PNG 512 240");
  }
  // A new image has nowhere to go.
  EXPECT_EQ(Run("'" + song + "' '" + m_dir.Path("locked/new.png") + "' 0 hon 0"), 1);
  const std::string err = Capture("cat '" + m_dir.Path("stderr.txt") + "'");
  EXPECT_TRUE(err.find("Permission denied") != std::string::npos ||
              err.find("Operation not permitted") != std::string::npos)
      << err;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path("locked")),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(BatchProcess, AConversionKilledAnyTimeLeavesTheOldImage) {
  const std::string song = WriteFifthTooHigh();
  ASSERT_EQ(Run("'" + song + "' out.png 0 hon 0"), 0);
  const test::Bytes image = ReadFile(m_dir.Path("out.png"));
  ASSERT_GT(image.size(), 8u);
  const std::string config = "XDG_CONFIG_HOME=" + m_dir.Path("config");
  // The same conversion again, killed at moments spread over its run: the
  // file is the old image or the (identical) new one, never a part or a BMP.
  for (int i = 0; i < 24; ++i) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (::chdir(m_dir.path().c_str()) != 0) {
        ::_exit(127);
      }
      ::unsetenv("DISPLAY");
      ::unsetenv("WAYLAND_DISPLAY");
      ::putenv(const_cast<char*>(config.c_str()));
      ::freopen("/dev/null", "w", stdout);
      ::freopen("/dev/null", "w", stderr);
      ::execl(KUMOITO_BINARY, KUMOITO_BINARY, song.c_str(), "out.png", "0", "hon", "0", nullptr);
      ::_exit(127);
    }
    ::usleep(static_cast<useconds_t>(i * 4000));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_EQ(ReadFile(m_dir.Path("out.png")), image) << "killed after " << i * 4 << " ms";
  }
  // The next start clears whatever a kill left in its folders.
  ASSERT_EQ(Run("'" + song + "' out.png 0 hon 0"), 0);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(m_dir.path())) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
  }
}

TEST_F(BatchProcess, ScoresAndSettingsReachTheDiskBeforeTheirRename) {
  if (std::system("command -v strace >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "strace is not installed";
  }
  const std::string song = WriteFifthTooHigh();
  const auto tracedFsyncs = [&](const char* key) {
    const std::string command =
        "cd '" + m_dir.path().string() +
        "' && env -u DISPLAY ASAN_OPTIONS=detect_leaks=0 XDG_CONFIG_HOME='" + m_dir.Path("config") +
        "' strace -f -qq -e trace=fsync -o trace.txt '" + KUMOITO_BINARY "' '" + song +
        "' out.bmp 0 hon " + key + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string trace = Capture("cat '" + m_dir.Path("trace.txt") + "'");
    int n = 0;
    for (std::size_t at = trace.find("fsync("); at != std::string::npos;
         at = trace.find("fsync(", at + 1)) {
      ++n;
    }
    return n;
  };
  // The first start writes temp.mwd and setup.ini, each file and then its
  // folder; the image is not worth a wait.
  EXPECT_EQ(tracedFsyncs("0"), 4);
  const auto inode = [&](const char* name) {
    struct stat st {};
    ::stat(m_dir.Path(std::string("config/Kumoito/") + name).c_str(), &st);
    return st.st_ino;
  };
  const ino_t scoreBefore = inode("temp.mwd"), settingsBefore = inode("setup.ini");
  // Unchanged files are left as they are; changed settings are written again.
  EXPECT_EQ(tracedFsyncs("0"), 0);
  EXPECT_EQ(inode("temp.mwd"), scoreBefore);
  EXPECT_EQ(inode("setup.ini"), settingsBefore);
  EXPECT_EQ(tracedFsyncs("3"), 2);
  EXPECT_NE(inode("setup.ini"), settingsBefore);
}

TEST_F(BatchProcess, LaterConversionsFindTheFaceWithoutFontconfig) {
  if (std::system("command -v strace >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "strace is not installed";
  }
  const std::string song = WriteFifthTooHigh();
  const auto traced = [&](const char* image) {
    const std::string command =
        "cd '" + m_dir.path().string() +
        "' && env -u DISPLAY ASAN_OPTIONS=detect_leaks=0 XDG_CONFIG_HOME='" + m_dir.Path("config") +
        "' XDG_CACHE_HOME='" + m_dir.Path("cache") +
        "' strace -f -qq -e trace=openat -o opened.txt '" + KUMOITO_BINARY "' '" + song + "' " +
        image + " 0 hon 0 >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return Capture("cat '" + m_dir.Path("opened.txt") + "'");
  };
  const std::string first = traced("first.png");
  ASSERT_NE(first.find("/etc/fonts/"), std::string::npos) << "fontconfig was not asked";
  const std::string second = traced("second.png");
  // Its folders are looked at, but no configuration file is read.
  for (const char* file : {"/etc/fonts/fonts.conf", "/conf.avail/", ".conf\", O_RDONLY"}) {
    EXPECT_EQ(second.find(file), std::string::npos) << file << "\n" << second;
  }
  EXPECT_NE(second.find("Kumoito/font-match"), std::string::npos) << second;
  EXPECT_EQ(ReadFile(m_dir.Path("first.png")), ReadFile(m_dir.Path("second.png")));
}

TEST_F(BatchProcess, AConversionLoadsNoWindowSystemAndNoSound) {
  const std::string song = WriteFifthTooHigh();
  // The dynamic loader names every object it maps.
  ASSERT_EQ(Run("'" + song + "' out.png 0 hon 0", "export LD_DEBUG=files; "), 0);
  const std::string loaded = Capture("cat '" + m_dir.Path("stderr.txt") + "'");
  ASSERT_NE(loaded.find("libpng"), std::string::npos) << "LD_DEBUG said nothing";
  for (const char* library :
       {"libQt6", "libfluidsynth", "libpulse", "libasound", "libX11", "libxcb", "libGL", "libzip",
        "libcrypto", "libcairo", "libsndfile", "kumoito-window", "kumoito-sound", "kumoito-archive",
        "kumoito-recording"}) {
    EXPECT_EQ(loaded.find(library), std::string::npos) << library;
  }
}

TEST_F(BatchProcess, AMissingWindowModuleIsSaidClearly) {
  // The program alone, without the modules folder of its build.
  std::filesystem::copy_file(KUMOITO_BINARY, m_dir.Path("kumoito"));
  const std::string command = "cd '" + m_dir.path().string() +
                              "' && env -u KUMOITO_MODULE_DIR QT_QPA_PLATFORM=offscreen "
                              "XDG_CONFIG_HOME=config ./kumoito >stdout.txt 2>stderr.txt";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  EXPECT_NE(Capture("cat '" + m_dir.Path("stderr.txt") + "'")
                .find("kumoito: cannot open the window: the module kumoito-window.so is missing"),
            std::string::npos);
}

}  // namespace
}  // namespace kumoito
