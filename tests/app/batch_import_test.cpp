// Batch conversions of foreign files in a process of their own: images and
// arranged score files from MusicXML and MIDI, and the refusals.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "import/file_import.h"
#include "import/song_writer.h"
#include "song/arrangement.h"
#include "song/song_data.h"
#include "song/tuning.h"
#include "tests/app/batch_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

std::string Fixture(const std::string& name) {
  return std::string(KUMOITO_IMPORT_DATA_DIR) + "/" + name;
}

class BatchImport : public test::BatchRun {
 protected:
  bool Exists(const std::string& name) { return std::filesystem::exists(m_dir.Path(name)); }
};

TEST_F(BatchImport, ConvertsMusicXmlCompressedMusicXmlAndMidiToImages) {
  for (const char* name : {"ms_song.musicxml", "ms_song.mxl", "abc_waltz_chords.mid"}) {
    const std::string image = std::string(name) + ".png";
    ASSERT_EQ(Run("'" + Fixture(name) + "' '" + image + "' 0 hon -1"), 0) << name << Stderr();
    EXPECT_GT(std::filesystem::file_size(m_dir.Path(image)), 0u) << name;
  }
}

TEST_F(BatchImport, AnMwdPathGetsTheSongAsArranged) {
  ASSERT_EQ(Run("'" + Fixture("abc_low_range.mid") + "' low.mwd 0 hon -1"), 0) << Stderr();
  // The layout, and the extension with the tuning the conversion chose.
  EXPECT_GT(std::filesystem::file_size(m_dir.Path("low.mwd")), 94540u);
  // One line says how many notes were moved into range.
  EXPECT_NE(Stderr().find("4 個の音符"), std::string::npos) << Stderr();

  // What the program wrote is the import moved as the window moves it.
  import::ImportOutcome expected = import::ImportFile(Fixture("abc_low_range.mid"));
  ASSERT_TRUE(expected.song);
  CSongData& song = *expected.song;
  const KeyAndTuning chosen = ChooseKeyAndTuning(song, 0);
  ChangeKey(song, song.m_keyIndex, chosen.key);
  FitOctave(song, kFirstStringBasePitch);
  import::FitIntoPlayableRange(song, OpenStringPitches(0, chosen.tuning));
  song.NormalizeCells();
  std::int32_t beats = 0, key = 0, measures = 0;
  auto written = CSongData::LoadOrCreate(m_dir.Path("low.mwd"), beats, key, measures);
  EXPECT_EQ(written->m_keyIndex, chosen.key);
  EXPECT_EQ(written->m_marks.tuning,
            (TabTuning{1, static_cast<std::uint8_t>(chosen.tuning), 0,
                       static_cast<std::uint8_t>(chosen.key)}));
  ASSERT_EQ(written->m_measureCount, song.m_measureCount);
  for (int c = 0; c < song.CellCount(); ++c) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      EXPECT_EQ(written->m_cells[c].pitch[s], song.m_cells[c].pitch[s]) << c << "/" << s;
    }
  }
}

TEST_F(BatchImport, BadInputFailsWithTheFileAndPlaceAndWritesNothing) {
  {
    std::ofstream out(m_dir.Path("broken.xml"));
    out << "<?xml version=\"1.0\"?>\n<score-partwise>\n<part>\n</score>\n";
  }
  EXPECT_EQ(Run("broken.xml out.png 0 hon -1"), 1);
  EXPECT_NE(Stderr().find("broken.xml:4:3: "), std::string::npos) << Stderr();
  EXPECT_FALSE(Exists("out.png"));

  {
    std::ofstream out(m_dir.Path("cut.mid"), std::ios::binary);
    out.write("MThd\0\0\0\6\0\0\0\1\1\xE0MTrk\0\0\1\0\0\x90", 24);
  }
  EXPECT_EQ(Run("cut.mid out.mwd 0 hon -1"), 1);
  EXPECT_NE(Stderr().find("cut.mid: "), std::string::npos) << Stderr();
  EXPECT_FALSE(Exists("out.mwd"));
}

// A sequencer's file opening with a long SysEx (a sound module's setup) and
// a long text: the import says so once among its notices; standard output,
// where the program's own report lines go, stays empty.
TEST_F(BatchImport, LongSysExImportsWithoutReportLines) {
  std::string track("\x00\xF0\x82\x2C", 4);  // 300 bytes of SysEx
  track += std::string(299, '\x10') + "\xF7";
  track += std::string("\x00\xFF\x01\x82\x2C", 5) + std::string(300, 'x');
  for (const char pitch : {'\x3C', '\x3E', '\x40', '\x41'}) {
    track += std::string("\x00\x90", 2) + pitch + "\x64" + std::string("\x83\x60\x80", 3) + pitch;
    track += '\0';
  }
  track += std::string("\x00\xFF\x2F\x00", 4);
  std::string file("MThd\0\0\0\6\0\0\0\1\1\xE0MTrk", 18);
  for (int shift : {24, 16, 8, 0}) {
    file += static_cast<char>((track.size() >> shift) & 0xFF);
  }
  {
    std::ofstream out(m_dir.Path("setup.mid"), std::ios::binary);
    out << file << track;
  }
  ASSERT_EQ(Run("setup.mid out.mwd 0 hon -1"), 0) << Stderr();
  std::ifstream stdoutFile(m_dir.Path("stdout.txt"));
  const std::string out((std::istreambuf_iterator<char>(stdoutFile)),
                        std::istreambuf_iterator<char>());
  EXPECT_EQ(out, "");
  const std::string err = Stderr();
  const auto first = err.find("MIDI ファイルについて: ");
  ASSERT_NE(first, std::string::npos) << err;
  EXPECT_EQ(err.find("MIDI ファイルについて: ", first + 1), std::string::npos) << err;
}

TEST_F(BatchImport, ConvertingAForeignFileLoadsNoWindowSystemAndNoSound) {
  ASSERT_EQ(Run("'" + Fixture("ms_song.mxl") + "' out.png 0 hon -1", "export LD_DEBUG=files; "), 0);
  const std::string loaded = Stderr();
  ASSERT_NE(loaded.find("libzip"), std::string::npos) << "LD_DEBUG said nothing";
  for (const char* library :
       {"libQt6", "libfluidsynth", "libasound", "libX11", "kumoito-window", "kumoito-sound"}) {
    EXPECT_EQ(loaded.find(library), std::string::npos) << library;
  }
}

}  // namespace
}  // namespace kumoito
