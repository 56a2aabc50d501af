// Every song of the sample library written as MusicXML and read back gives
// the cells, chords, key, metre, tempo and texts the library builds, also
// with a short first measure in place of leading rests; every chord an
// import writes is the same chord once the song is saved and opened again.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/sjis.h"
#include "import/musicxml_reader.h"
#include "import/song_writer.h"
#include "library/song_source.h"
#include "song/chord_names.h"
#include "song/score_file.h"
#include "tests/import/import_test_util.h"
#include "tests/song/song_test_util.h"

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

// One symbol of each kind on a root of one letter and of two, each for a
// measure of a whole note.
std::string ChordsAsMusicXml(const std::vector<std::string_view>& kinds) {
  std::string xml =
      "<?xml version=\"1.0\"?><score-partwise><part-list><score-part id=\"P1\"/></part-list>"
      "<part id=\"P1\">";
  int measure = 0;
  for (std::string_view kind : kinds) {
    for (const char* alter : {"0", "1", "-1"}) {
      xml += "<measure number=\"" + std::to_string(++measure) + "\">";
      if (measure == 1) {
        xml += "<attributes><divisions>1</divisions></attributes>";
      }
      xml += "<harmony><root><root-step>E</root-step><root-alter>" + std::string(alter) +
             "</root-alter></root><kind>" + std::string(kind) +
             "</kind></harmony><note><pitch><step>C</step><octave>5</octave></pitch>"
             "<duration>4</duration></note></measure>";
    }
  }
  return xml + "</part></score-partwise>";
}

TEST(RoundTrip, ImportedChordsReadBackAsTheSameChordAfterSaving) {
  std::vector<std::string_view> kinds;
  for (const ChordSuffix& row : kChordSuffixes) {
    if (!row.musicXmlKind.empty()) {
      kinds.push_back(row.musicXmlKind);
    }
  }
  const MusicXmlResult read = ReadMusicXml(ChordsAsMusicXml(kinds));
  ASSERT_TRUE(read.melody) << read.error->message;
  WrittenSong written = WriteSong(*read.melody);
  test::TempDir dir;
  const std::string path = dir.Path("chords.mwd");
  ASSERT_TRUE(
      SaveScore(*written.song, written.song->m_beatsPerMeasure, written.song->m_keyIndex, path, 1));
  std::int32_t beats = 4, key = 0, measures = 1;
  const auto reopened = CSongData::LoadOrCreate(path, beats, key, measures);
  ASSERT_TRUE(reopened);
  ASSERT_EQ(read.melody->chords.size(), kinds.size() * 3);
  for (std::size_t i = 0; i < read.melody->chords.size(); ++i) {
    const std::string& imported = read.melody->chords[i].text;
    const int beat = static_cast<int>(i) * 4;
    EXPECT_EQ(FieldText(written.song->m_beatChords[beat].chord), imported);
    EXPECT_EQ(FieldText(reopened->m_beatChords[beat].chord), imported)
        << kinds[i / 3] << " came back as another chord";
    // A song source may name every chord an import writes.
    EXPECT_TRUE(IsKnownChord(imported)) << imported;
  }
  // The dominant ninth, which once came back as an add9 chord, and the root
  // of E# spelled as the transposer can move it.
  const auto ninth = std::find(kinds.begin(), kinds.end(), "dominant-ninth") - kinds.begin();
  EXPECT_EQ(read.melody->chords[static_cast<std::size_t>(ninth) * 3].text, "E7(9)");
  EXPECT_EQ(read.melody->chords[static_cast<std::size_t>(ninth) * 3 + 1].text, "F7(9)");
  EXPECT_EQ(read.melody->chords[static_cast<std::size_t>(ninth) * 3 + 2].text, "Eb7(9)");
}

}  // namespace
}  // namespace kumoito::import
