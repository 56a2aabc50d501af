// Every song of the sample library, and a song with every mark, written as
// MusicXML validate against the MusicXML 4.0 schema and read back by our
// own import as the same song: cells, lyrics, chords, tempo, texts, marks,
// the player's strings, the 口三味線 the user wrote and the tuning.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/sjis.h"
#include "export/musicxml/musicxml_writer.h"
#include "import/file_import.h"
#include "import/musicxml_reader.h"
#include "import/mxl_archive.h"
#include "import/song_writer.h"
#include "library/song_source.h"
#include "tests/export/export_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito::musicxml {
namespace {

namespace fs = std::filesystem;
using test::Put;

std::unique_ptr<CSongData> ReadBack(const std::string& xml) {
  const import::MusicXmlResult read = import::ReadMusicXml(xml);
  EXPECT_TRUE(read.melody) << (read.error ? read.error->message : "");
  if (!read.melody) {
    return nullptr;
  }
  import::WrittenSong written = import::WriteSong(*read.melody);
  EXPECT_TRUE(written.notices.empty()) << written.notices.front();
  return std::move(written.song);
}

TabTuning TuningOf(int tuning, int firstString, int key) {
  return TabTuning{1, static_cast<std::uint8_t>(tuning), static_cast<std::uint8_t>(firstString),
                   static_cast<std::uint8_t>(key)};
}

void ExpectSameSong(CSongData& sent, CSongData& read, const std::string& name) {
  sent.NormalizeCells();
  read.NormalizeCells();
  ASSERT_EQ(read.m_beatsPerMeasure, sent.m_beatsPerMeasure) << name;
  ASSERT_EQ(read.m_measureCount, sent.m_measureCount) << name;
  EXPECT_EQ(read.m_keyIndex, sent.m_keyIndex) << name;
  EXPECT_EQ(read.m_info.tempo, sent.m_info.tempo) << name;
  EXPECT_STREQ(read.m_info.title, sent.m_info.title) << name;
  EXPECT_STREQ(read.m_info.composer, sent.m_info.composer) << name;
  EXPECT_STREQ(read.m_info.lyricist, sent.m_info.lyricist) << name;
  for (int c = 0; c < sent.CellCount(); ++c) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      const std::int32_t v = sent.m_cells[c].pitch[s];
      ASSERT_EQ(read.m_cells[c].pitch[s], v) << name << " cell " << c << " slot " << s;
      if (v >= 0) {
        EXPECT_STREQ(read.m_cells[c].lyric[s], sent.m_cells[c].lyric[s]) << name << " cell " << c;
      }
      if (v >= 0 || v == SLOT_REST) {
        EXPECT_EQ(read.m_marks.At(c, s), sent.m_marks.At(c, s)) << name << " cell " << c;
        EXPECT_EQ(read.m_marks.SyllableAt(c, s), sent.m_marks.SyllableAt(c, s))
            << name << " cell " << c << " slot " << s;
      }
    }
  }
  for (int m = 0; m < sent.m_measureCount; ++m) {
    EXPECT_EQ(read.m_marks.measures[m], sent.m_marks.measures[m]) << name << " measure " << m;
  }
  for (int b = 0; b < sent.BeatCount(); ++b) {
    EXPECT_STREQ(read.m_beatChords[b].chord, sent.m_beatChords[b].chord) << name << " beat " << b;
    EXPECT_STREQ(read.m_beatChords[b].chordMid, sent.m_beatChords[b].chordMid)
        << name << " beat " << b;
  }
}

// xmllint against the schema kept in the repository, offline; the files in
// one run. Empty when every file is valid, else what xmllint said.
std::string SchemaProblems(const std::vector<std::string>& paths, const test::TempDir& dir) {
  const std::string data = fs::path(KUMOITO_MUSICXML_SCHEMA).parent_path().string();
  const std::string log = dir.Path("xmllint.log");
  std::string command = "XML_CATALOG_FILES='" + data + "/catalog.xml' xmllint --noout --nonet " +
                        "--schema '" + KUMOITO_MUSICXML_SCHEMA + "'";
  for (const std::string& path : paths) {
    command += " '" + path + "'";
  }
  command += " > '" + log + "' 2>&1";
  const int status = std::system(command.c_str());
  if (status == 0) {
    return {};
  }
  std::ifstream in(log);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool HaveXmllint() {
  return std::system("command -v xmllint > /dev/null 2>&1") == 0;
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A song with each technique, finger and string, two- and three-string
// notes, cells in three, ties over bar lines, chords at the middle of a
// beat, lyrics, the user's 口三味線 on notes and rests, ケシ on a rest,
// repeats, endings and a measure repeat, in a stored tuning.
std::unique_ptr<CSongData> EveryMarkSong() {
  auto song = test::NewSong(7);
  const std::vector<std::pair<int, Technique>> notes = {
      {60, Technique::kNone},  {62, Technique::kHajiki},  {64, Technique::kSuriUp},
      {67, Technique::kUchi},  {69, Technique::kSukui},   {71, Technique::kOshi},
      {72, Technique::kKeshi}, {69, Technique::kSuriDown}};
  for (std::size_t i = 0; i < notes.size(); ++i) {
    Put(*song, static_cast<int>(i), 0, notes[i].first);
    song->m_marks.At(static_cast<int>(i), 0).technique = notes[i].second;
  }
  Put(*song, 8, 0, 60);  // the スリ down's arrival, after the bar line
  song->m_marks.At(0, 0).finger = 1;
  song->m_marks.At(4, 0).finger = 3;
  song->m_marks.At(1, 0).string = 2;  // D4 on 二の糸
  // Measure 2: a two-string note, a three-string one, cells in three.
  Put(*song, 9, 0, 67);
  song->m_marks.At(9, 0).together = {60, kNoPitch};
  Put(*song, 10, 0, 65);
  song->m_marks.At(10, 0).together = {60, 53};
  test::PutThree(*song, 12, {64, 65, 67});
  test::PutThree(*song, 13, {69, SLOT_HOLD, 71});
  // The last sixteenth of measure 2 tied into measure 3, then a rest with ケシ and a call.
  Put(*song, 15, 1, 72);
  Put(*song, 16, 0, SLOT_HOLD);
  Put(*song, 16, 1, SLOT_REST);
  song->m_marks.At(16, 1).technique = Technique::kKeshi;
  Put(*song, 18, 0, SLOT_REST);
  EXPECT_TRUE(song->m_marks.SyllableAt(18, 0).Assign(Utf8ToCp932Lenient("イヤ")));
  Put(*song, 20, 0, 60);
  EXPECT_TRUE(song->m_marks.SyllableAt(20, 0).Assign(Utf8ToCp932Lenient("ハ")));
  Put(*song, 22, 0, 62);
  EXPECT_TRUE(song->m_marks.SyllableAt(22, 0).Assign(""));  // silent
  for (int c = 24; c < 56; c += 2) {
    Put(*song, c, 0, 60 + (c / 2) % 12);
  }
  SetFieldText(song->m_cells[0].lyric[0], Utf8ToCp932Lenient("さ"));
  SetFieldText(song->m_cells[1].lyric[0], Utf8ToCp932Lenient("く"));
  SetFieldText(song->m_cells[2].lyric[0], Utf8ToCp932Lenient("ら"));
  for (int b = 0; b < song->BeatCount(); ++b) {
    SetFieldText(song->m_beatChords[b].chord, b < 4 ? "C" : b < 9 ? "Am7" : "Gmaj7");
  }
  SetFieldText(song->m_beatChords[9].chordMid, "F#m7(9)");
  SetFieldText(song->m_beatChords[10].chord, "F#m7(9)");
  SetFieldText(song->m_beatChords[11].chord, "F#m7(9)");
  song->m_marks.measures[3].flags = kRepeatStart;
  song->m_marks.measures[4].ending = 1;
  song->m_marks.measures[4].flags = kRepeatEnd;
  song->m_marks.measures[4].repeatCount = 3;
  song->m_marks.measures[5].ending = 2;
  song->m_marks.measures[6].flags = kMeasureRepeat;
  song->m_marks.tuning = TuningOf(1, 9, 0);  // 二上り, 一の糸 A
  SetFieldText(song->m_info.title, Utf8ToCp932Lenient("全部の印"));
  SetFieldText(song->m_info.composer, Utf8ToCp932Lenient("作曲者"));
  SetFieldText(song->m_info.lyricist, Utf8ToCp932Lenient("作詞者"));
  song->m_info.tempo = 92;
  return song;
}

TEST(MusicXmlRoundTrip, ASongWithEveryMarkIsValidAndComesBackTheSame) {
  auto song = EveryMarkSong();
  const OpenStrings open = OpenStringPitches(9, 1);
  const std::string xml = MusicXmlOfSong(*song, open);
  auto read = ReadBack(xml);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->m_marks.tuning, song->m_marks.tuning);
  ExpectSameSong(*song, *read, "every mark");
  if (!HaveXmllint()) {
    GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  }
  test::TempDir dir;
  WriteText(dir.Path("every.musicxml"), xml);
  EXPECT_EQ(SchemaProblems({dir.Path("every.musicxml")}, dir), "");
  // The check itself finds a fault: a fret where the schema has none.
  std::string broken = xml;
  broken.replace(broken.find("<fret>"), 6, "<frets>");
  broken.replace(broken.find("</fret>"), 7, "</frets>");
  WriteText(dir.Path("broken.musicxml"), broken);
  EXPECT_NE(SchemaProblems({dir.Path("broken.musicxml")}, dir), "");
}

TEST(MusicXmlRoundTrip, LibrarySongsAreValidAndComeBackTheSameInEachTuning) {
  test::TempDir dir;
  std::vector<std::string> written;
  int songs = 0;
  int pickups = 0;
  for (const auto& entry : fs::directory_iterator(KUMOITO_SONG_SOURCE_DIR)) {
    std::ifstream in(entry.path());
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const ParsedSource parsed = ParseSongSource(text);
    ASSERT_FALSE(parsed.error) << entry.path();
    const std::string name = entry.path().stem().string();
    for (int tuning = 0; tuning < kTuningCount; ++tuning) {
      const int firstString = tuning * 4;  // C, E, G#
      std::unique_ptr<CSongData> song = BuildSong(parsed.song);
      const std::string xml = MusicXmlOfSong(*song, OpenStringPitches(firstString, tuning));
      pickups += tuning == 0 && xml.find("implicit=\"yes\"") != std::string::npos;
      auto read = ReadBack(xml);
      ASSERT_TRUE(read) << name;
      // The TAB staff's tuning comes back as the one the tab is in.
      const int key = kKeyTable[ValidKeyIndex(song->m_keyIndex)].minor ? -1 : song->m_keyIndex;
      EXPECT_EQ(read->m_marks.tuning.tuning, tuning) << name;
      EXPECT_EQ(read->m_marks.tuning.firstString, firstString) << name;
      if (key >= 0 && key < kMajorKeyCount) {
        EXPECT_EQ(read->m_marks.tuning.key, key) << name;
      }
      ExpectSameSong(*song, *read, name + " in tuning " + std::to_string(tuning));
      written.push_back(dir.Path(name + std::to_string(tuning) + ".musicxml"));
      WriteText(written.back(), xml);
    }
    ++songs;
  }
  EXPECT_EQ(songs, 17);
  EXPECT_GT(pickups, 0);
  if (!HaveXmllint()) {
    GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  }
  EXPECT_EQ(SchemaProblems(written, dir), "");
}

TEST(MusicXmlRoundTrip, CompressedFilesHoldTheSameScoreAndAValidContainer) {
  auto song = EveryMarkSong();
  const OpenStrings open = OpenStringPitches(9, 1);
  test::TempDir dir;
  std::string why;
  ASSERT_TRUE(WriteMusicXmlFile(*song, open, dir.Path("song.mxl"), why)) << why;
  ASSERT_TRUE(WriteMusicXmlFile(*song, open, dir.Path("song.musicxml"), why)) << why;
  const test::Bytes archive = test::ReadFile(dir.Path("song.mxl"));
  ASSERT_GT(archive.size(), 38u);
  // The mimetype entry first and stored, where readers look for it.
  EXPECT_EQ(std::string(archive.begin() + 30, archive.begin() + 38), "mimetype");
  const import::MxlResult inflated = import::ReadMxlArchive(archive.data(), archive.size());
  ASSERT_FALSE(inflated.error) << inflated.error->message;
  const test::Bytes plain = test::ReadFile(dir.Path("song.musicxml"));
  EXPECT_EQ(inflated.text, std::string(plain.begin(), plain.end()));
  // The same song gives the same archive.
  ASSERT_TRUE(WriteMusicXmlFile(*song, open, dir.Path("again.mxl"), why)) << why;
  EXPECT_EQ(test::ReadFile(dir.Path("again.mxl")), archive);
  import::ImportOutcome imported = import::ImportFile(dir.Path("song.mxl"));
  ASSERT_TRUE(imported.song) << imported.error->message;
  EXPECT_EQ(imported.kind, import::FileKind::kCompressedMusicXml);
  ExpectSameSong(*song, *imported.song, "song.mxl");
}

TEST(MusicXmlRoundTrip, ASelectionReadsBackAsItsMeasures) {
  auto song = EveryMarkSong();
  const OpenStrings open = OpenStringPitches(9, 1);
  // From within measure 4 to within measure 5: both measures whole.
  const std::string xml =
      MusicXmlOfRange(*song, open, SongMarks::Slot(27, 1), SongMarks::Slot(36, 0));
  auto read = ReadBack(xml);
  ASSERT_TRUE(read);
  ASSERT_EQ(read->m_measureCount, 2);
  for (int c = 0; c < 16; ++c) {
    for (int s = 0; s < 2; ++s) {
      EXPECT_EQ(read->m_cells[c].pitch[s], song->m_cells[24 + c].pitch[s]) << c;
    }
  }
  EXPECT_EQ(read->m_marks.measures[0], song->m_marks.measures[3]);
  EXPECT_EQ(read->m_marks.measures[1], song->m_marks.measures[4]);
  EXPECT_STREQ(read->m_beatChords[0].chord, song->m_beatChords[12].chord);
  EXPECT_EQ(read->m_info.tempo, song->m_info.tempo);
}

TEST(MusicXmlRoundTrip, ValuesNoEditorWritesStillGiveAValidScore) {
  auto song = test::NewSong(2);
  song->m_info.tempo = -5;
  Put(*song, 0, 0, 60);
  song->m_marks.At(0, 0).technique = static_cast<Technique>(200);
  song->m_marks.At(0, 0).finger = 7;
  song->m_marks.At(0, 0).string = 9;
  song->m_marks.At(0, 0).together = {200, 55};
  Put(*song, 1, 0, 300);  // no pitch: the note goes on
  Put(*song, 2, 0, SLOT_NONE);
  song->m_marks.measures[1].ending = 9;
  song->m_marks.measures[1].repeatCount = 255;
  song->m_marks.measures[1].flags = 0xFF;
  SetFieldText(song->m_info.title, "a<b>&\"c\x01");
  SetFieldText(song->m_beatChords[0].chord, "Q#7");  // no root: no symbol
  SetFieldText(song->m_beatChords[1].chord, "C<&>");
  const std::string xml = MusicXmlOfSong(*song, OpenStringPitches(0, 0));
  auto read = ReadBack(xml);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->m_info.tempo, kMinTempo);
  EXPECT_STREQ(read->m_info.title, "a<b>&\"c");
  EXPECT_STREQ(read->m_beatChords[1].chord, "C<&>");
  EXPECT_EQ(read->m_cells[0].pitch[0], 60);
  EXPECT_EQ(read->m_cells[1].pitch[0], SLOT_HOLD);
  if (!HaveXmllint()) {
    GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  }
  test::TempDir dir;
  WriteText(dir.Path("damaged.musicxml"), xml);
  EXPECT_EQ(SchemaProblems({dir.Path("damaged.musicxml")}, dir), "");
}

TEST(MusicXmlRoundTrip, AFileThatCannotBeWrittenSaysWhy) {
  auto song = test::NewSong(1);
  std::string why;
  EXPECT_FALSE(
      WriteMusicXmlFile(*song, OpenStringPitches(0, 0), "/nonexistent-folder/song.musicxml", why));
  EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace kumoito::musicxml
