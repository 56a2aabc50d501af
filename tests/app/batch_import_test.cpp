// Batch conversions of foreign files in a process of their own: images and
// arranged score files from MusicXML and MIDI, and the refusals.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
