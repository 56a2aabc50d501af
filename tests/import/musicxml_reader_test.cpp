// The MusicXML reader on files a notation program wrote, and on the small
// mistakes and odd shapes such files come in.

#include "import/musicxml_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "common/sjis.h"
#include "import/file_import.h"
#include "import/song_writer.h"
#include "song/song_data.h"
#include "tests/import/import_test_util.h"

namespace kumoito::import {
namespace {

using test::CellsText;
using test::ImportFixture;
using test::ReadBytes;

std::string Text(const std::string& name) {
  const std::vector<unsigned char> bytes = ReadBytes(ImportFixture(name));
  return std::string(bytes.begin(), bytes.end());
}

std::string Part(const std::string& measures, const std::string& attributes =
                                                  "<divisions>2</divisions><time><beats>4</beats>"
                                                  "<beat-type>4</beat-type></time>") {
  return "<?xml version=\"1.0\"?><score-partwise><part-list><score-part id=\"P1\"/></part-list>"
         "<part id=\"P1\"><measure number=\"1\"><attributes>" +
         attributes + "</attributes>" + measures + "</measure></part></score-partwise>";
}

std::string Note(const std::string& step, int octave, int duration, const std::string& extra = "") {
  return "<note>" + extra + "<pitch><step>" + step + "</step><octave>" + std::to_string(octave) +
         "</octave></pitch><duration>" + std::to_string(duration) + "</duration></note>";
}

// The notation program's export of a voice with lyrics and chord symbols
// over a two-staff piano part (tests/data/import/README.md).
TEST(MusicXmlReader, ReadsTheFirstPartWithItsRhythmTextsAndChords) {
  const MusicXmlResult read = ReadMusicXml(Text("ms_song.musicxml"));
  ASSERT_FALSE(read.error) << read.error->message;
  ASSERT_EQ(read.parts.size(), 2u);
  EXPECT_EQ(read.parts[0].name, "Voice");
  EXPECT_EQ(read.parts[0].noteCount, 14);  // the tied E counts twice as written
  EXPECT_EQ(read.parts[1].name, "Piano");
  EXPECT_EQ(read.chosenPart, 0);
  const Melody& m = *read.melody;
  EXPECT_EQ(m.title, "テストの歌");
  EXPECT_EQ(m.composer, "作曲者");
  EXPECT_EQ(m.lyricist, "作詞者");
  EXPECT_EQ(m.tempo, 96.0);
  EXPECT_EQ(m.pickup, Rational(1));
  ASSERT_EQ(m.notes.size(), 13u);
  // Pick-up, the tie over the bar line merged, the triplet and the dotted
  // quarter exact.
  EXPECT_EQ(m.notes[0].onset, Rational(0));
  EXPECT_EQ(m.notes[0].lyric, "あ");
  EXPECT_EQ(m.notes[3].pitch, 76);
  EXPECT_EQ(m.notes[3].duration, Rational(3));
  EXPECT_EQ(m.notes[5].onset, Rational(19, 3));
  EXPECT_EQ(m.notes[6].onset, Rational(20, 3));
  EXPECT_EQ(m.notes[7].duration, Rational(3, 2));
  EXPECT_EQ(m.notes[8].onset, Rational(17, 2));
  EXPECT_EQ(m.notes[10].pitch, 66);  // F#4
  ASSERT_GE(m.chords.size(), 8u);
  EXPECT_EQ(m.chords[2].text, "G7");
  EXPECT_EQ(m.chords[2].onset, Rational(3));
  EXPECT_EQ(m.chords[6].text, "Dm7");
}

TEST(MusicXmlReader, TakesTheTopNoteOfChordsAndTheFirstStaffOnly) {
  const MusicXmlResult read = ReadMusicXml(Text("ms_song.musicxml"), 1);
  ASSERT_FALSE(read.error);
  const Melody& m = *read.melody;
  ASSERT_EQ(m.notes.size(), 5u);  // the bass staff's whole notes are not the melody
  EXPECT_EQ(m.notes[0].pitch, 67);
  EXPECT_EQ(m.notes[0].onset, Rational(1));
  EXPECT_EQ(m.notes[1].pitch, 62);
  EXPECT_EQ(m.notes[4].pitch, 67);
}

TEST(MusicXmlReader, WritesTheSongWithPickupTripletsAndChordsInForce) {
  const MusicXmlResult read = ReadMusicXml(Text("ms_song.musicxml"));
  ASSERT_TRUE(read.melody);
  const WrittenSong written = WriteSong(*read.melody);
  const CSongData& song = *written.song;
  EXPECT_EQ(song.m_beatsPerMeasure, 4);
  EXPECT_EQ(song.m_measureCount, 6);  // the last measure only the piano fills
  EXPECT_EQ(song.m_info.tempo, 96);
  EXPECT_EQ(FieldText(song.m_info.title), *Utf8ToCp932("テストの歌"));
  // Three beats of rest, then the pick-up note on the fourth.
  EXPECT_EQ(CellsText(song, 0, 8), "[r - .][- - .][- - .][- - .][- - .][- - .][67 - .][- - .]");
  // The triplet beat: note, hold, note / hold, note, hold.
  EXPECT_EQ(CellsText(song, 18, 6), "[77 - 76][- 74 -][72 - .][- - .][- - .][71 - .]");
  EXPECT_EQ(FieldText(song.m_cells[18].lyric[0]), *Utf8ToCp932("ぼ"));
  EXPECT_EQ(FieldText(song.m_cells[18].lyric[2]), *Utf8ToCp932("の"));
  EXPECT_EQ(CellsText(song, 32, 8), "[72 - .][- - .][- - .][- - .][- - .][- - .][r - .][- - .]");
  // Chords: the first one reaches back over the rests; each holds until
  // the next.
  EXPECT_STREQ(song.m_beatChords[0].chord, "C");
  EXPECT_STREQ(song.m_beatChords[6].chord, "G7");
  EXPECT_STREQ(song.m_beatChords[7].chord, "G7");
  EXPECT_STREQ(song.m_beatChords[13].chord, "Dm7");
  EXPECT_STREQ(song.m_beatChords[16].chord, "C");
}

TEST(MusicXmlReader, ReadsCompoundAndTripleMetresFromImportedMidi) {
  const MusicXmlResult jig = ReadMusicXml(Text("ms_jig_6-8.musicxml"));
  ASSERT_TRUE(jig.melody) << jig.error->message;
  ASSERT_FALSE(jig.melody->metres.empty());
  EXPECT_EQ(jig.melody->metres[0].numerator, 6);
  EXPECT_EQ(jig.melody->metres[0].denominator, 8);
  const WrittenSong song = WriteSong(*jig.melody);
  EXPECT_EQ(song.song->m_beatsPerMeasure, 3);
  // A> B: a dotted eighth and a sixteenth.
  EXPECT_EQ(CellsText(*song.song, 0, 2), "[69 - .][- 71 .]");

  const MusicXmlResult waltz = ReadMusicXml(Text("ms_waltz_3-4.musicxml"));
  ASSERT_TRUE(waltz.melody);
  EXPECT_EQ(WriteSong(*waltz.melody).song->m_beatsPerMeasure, 3);
}

TEST(MusicXmlReader, DropsGraceNotesOtherVoicesAndOtherStaves) {
  const MusicXmlResult read = ReadMusicXml(Part(
      Note("C", 5, 2, "<grace/>") + Note("D", 5, 2) + "<backup><duration>2</duration></backup>" +
      Note("G", 3, 2, "").replace(0, 6, "<note><staff>2</staff>") + Note("E", 5, 2) +
      "<backup><duration>2</duration></backup><note><pitch><step>A</step><octave>3</octave></pitch>"
      "<duration>2</duration><voice>2</voice></note>" +
      Note("B", 4, 2, "<cue/>") + Note("F", 5, 2)));
  ASSERT_TRUE(read.melody) << read.error->message;
  ASSERT_EQ(read.melody->notes.size(), 3u);
  EXPECT_EQ(read.melody->notes[2].onset, Rational(3));  // after the cue note's time
  EXPECT_EQ(read.melody->notes[0].pitch, 74);
  EXPECT_EQ(read.melody->notes[1].pitch, 76);
  EXPECT_EQ(read.melody->notes[1].onset, Rational(1));
  EXPECT_EQ(read.melody->length, Rational(4));
}

TEST(MusicXmlReader, SaysWhereTheXmlIsBroken) {
  const MusicXmlResult read =
      ReadMusicXml("<?xml version=\"1.0\"?>\n<score-partwise>\n  <part>\n</score-partwise>\n");
  ASSERT_TRUE(read.error);
  EXPECT_FALSE(read.melody);
  EXPECT_EQ(read.error->line, 4);
  EXPECT_EQ(read.error->column, 3);
  EXPECT_EQ(FormatImportError("a.xml", *read.error).rfind("a.xml:4:3: ", 0), 0u);
}

TEST(MusicXmlReader, RefusesWhatHasNoMelody) {
  EXPECT_TRUE(ReadMusicXml("<score-timewise/>").error);
  EXPECT_TRUE(ReadMusicXml("<html/>").error);
  const MusicXmlResult rests = ReadMusicXml(Part("<note><rest/><duration>8</duration></note>"));
  ASSERT_TRUE(rests.error);
  EXPECT_NE(rests.error->message.find("音符"), std::string::npos);
  EXPECT_EQ(rests.error->line, 1);
  // A duration no note can have is an error at that note, not a crash.
  const MusicXmlResult bad = ReadMusicXml(Part(Note("C", 4, -3)));
  ASSERT_TRUE(bad.error);
  EXPECT_GT(bad.error->column, 1);
}

TEST(MusicXmlReader, NamesChordKinds) {
  const MusicXmlResult read =
      ReadMusicXml(Part("<harmony><root><root-step>B</root-step><root-alter>-1</root-alter></root>"
                        "<kind>suspended-fourth</kind></harmony>" +
                        Note("C", 5, 4) +
                        "<harmony><root><root-step>F</root-step><root-alter>1</root-alter></root>"
                        "<kind>half-diminished</kind></harmony>" +
                        Note("C", 5, 4)));
  ASSERT_TRUE(read.melody);
  ASSERT_EQ(read.melody->chords.size(), 2u);
  EXPECT_EQ(read.melody->chords[0].text, "Bbsus4");
  EXPECT_EQ(read.melody->chords[1].text, "F#m7b5");
  EXPECT_EQ(read.melody->chords[1].onset, Rational(2));
}

}  // namespace
}  // namespace kumoito::import
