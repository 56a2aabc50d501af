// Every song of the sample library written as MusicXML and read back gives
// the cells, chords, key, metre, tempo and texts the library builds, also
// with a short first measure in place of leading rests.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "import/musicxml_reader.h"
#include "import/song_writer.h"
#include "library/song_source.h"
#include "tests/import/import_test_util.h"

namespace kumoito::import {
namespace {

namespace fs = std::filesystem;

void ExpectSameSong(CSongData& built, CSongData& read, const std::string& name) {
  built.NormalizeCells();
  read.NormalizeCells();
  ASSERT_EQ(read.m_beatsPerMeasure, built.m_beatsPerMeasure) << name;
  ASSERT_EQ(read.m_measureCount, built.m_measureCount) << name;
  EXPECT_EQ(read.m_keyIndex, built.m_keyIndex) << name;
  EXPECT_EQ(read.m_info.tempo, built.m_info.tempo) << name;
  EXPECT_STREQ(read.m_info.title, built.m_info.title) << name;
  EXPECT_STREQ(read.m_info.composer, built.m_info.composer) << name;
  for (int c = 0; c < built.CellCount(); ++c) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      ASSERT_EQ(read.m_cells[c].pitch[s], built.m_cells[c].pitch[s])
          << name << " cell " << c << " slot " << s << ": " << test::CellsText(read, c - 2, 5)
          << " instead of " << test::CellsText(built, c - 2, 5);
      if (built.m_cells[c].pitch[s] >= 0) {
        EXPECT_STREQ(read.m_cells[c].lyric[s], built.m_cells[c].lyric[s]) << name << " cell " << c;
      }
    }
  }
  for (int b = 0; b < built.BeatCount(); ++b) {
    EXPECT_STREQ(read.m_beatChords[b].chord, built.m_beatChords[b].chord) << name << " beat " << b;
    EXPECT_STREQ(read.m_beatChords[b].chordMid, built.m_beatChords[b].chordMid)
        << name << " beat " << b;
  }
}

TEST(RoundTrip, LibrarySongsComeBackCellForCell) {
  int songs = 0;
  int pickups = 0;
  for (const auto& entry : fs::directory_iterator(KUMOITO_SONG_SOURCE_DIR)) {
    std::ifstream in(entry.path());
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const ParsedSource parsed = ParseSongSource(text);
    ASSERT_FALSE(parsed.error) << entry.path();
    const std::string name = entry.path().filename().string();
    for (bool pickup : {false, true}) {
      const std::string xml = test::SourceAsMusicXml(parsed.song, pickup);
      const MusicXmlResult read = ReadMusicXml(xml);
      ASSERT_TRUE(read.melody) << name << ": " << read.error->message;
      pickups += pickup && read.melody->pickup > Rational(0);
      std::unique_ptr<CSongData> built = BuildSong(parsed.song);
      WrittenSong written = WriteSong(*read.melody);
      EXPECT_TRUE(written.notices.empty()) << name;
      ExpectSameSong(*built, *written.song, name + (pickup ? " (pick-up)" : ""));
    }
    ++songs;
  }
  EXPECT_EQ(songs, 17);
  EXPECT_GT(pickups, 0);  // some song starts with an upbeat
}

}  // namespace
}  // namespace kumoito::import
