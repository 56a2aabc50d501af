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

std::vector<Rational> Onsets(const Melody& m) {
  std::vector<Rational> onsets;
  for (const MelodyNote& n : m.notes) {
    onsets.push_back(n.onset);
  }
  return onsets;
}

std::string Lyrics(const Melody& m) {
  std::string text;
  for (const MelodyNote& n : m.notes) {
    text += n.lyric.empty() ? "_" : n.lyric;
  }
  return text;
}

std::string Measure(const std::string& body, const std::string& attributes = "") {
  return "<measure>" + attributes + body + "</measure>";
}

std::string Score(const std::string& measures) {
  return "<?xml version=\"1.0\"?><score-partwise><part-list><score-part id=\"P1\"/></part-list>"
         "<part id=\"P1\">" +
         measures + "</part></score-partwise>";
}

const std::string k44 =
    "<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type></time>"
    "</attributes>";

// A bar split at a double bar, a repeat and an ending, an unmarked pick-up
// and a short last bar, as the notation program writes them
// (tests/data/import/README.md).
TEST(MusicXmlReader, JoinsSplitBarsAndTakesAnUnmarkedPickup) {
  const MusicXmlResult read = ReadMusicXml(Text("ms_split_bars.musicxml"));
  ASSERT_TRUE(read.melody) << read.error->message;
  const Melody& m = *read.melody;
  EXPECT_EQ(m.pickup, Rational(1));
  // Every note once, in the order written: repeats and endings are not
  // played out.
  EXPECT_EQ(Lyrics(m), "いろはにほへとちりぬるをわかよた");
  const std::vector<Rational> expected = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17};
  EXPECT_EQ(Onsets(m), expected);
  EXPECT_EQ(m.length, Rational(21));  // the short last bar filled

  const WrittenSong written = WriteSong(m);
  const CSongData& song = *written.song;
  EXPECT_EQ(song.m_measureCount, 6);
  // The pick-up on beat 4; the halves of the split bars on beats 1 and 3.
  EXPECT_EQ(CellsText(song, 0, 8), "[r - .][- - .][- - .][- - .][- - .][- - .][74 - .][- - .]");
  EXPECT_EQ(CellsText(song, 16, 8), "[74 - .][- - .][- - .][- - .][76 - .][- - .][74 - .][- - .]");
  EXPECT_EQ(CellsText(song, 32, 8), "[67 - .][- - .][- - .][- - .][71 - .][- - .][72 - .][- - .]");
}

TEST(MusicXmlReader, PadsOnlyAShortBarThatNothingCompletes) {
  const std::string whole = Note("C", 5, 4);
  const std::string half = Note("D", 5, 2);
  // A short bar alone in the middle keeps its bar's length.
  const MusicXmlResult alone =
      ReadMusicXml(Score(Measure(whole, k44) + Measure(half) + Measure(whole)));
  ASSERT_TRUE(alone.melody);
  EXPECT_EQ(Onsets(*alone.melody), (std::vector<Rational>{0, 4, 8}));
  EXPECT_EQ(alone.melody->pickup, Rational(0));
  // Two halves that make one bar are that bar, also at the top.
  const MusicXmlResult split =
      ReadMusicXml(Score(Measure(half, k44) + Measure(half) + Measure(whole)));
  ASSERT_TRUE(split.melody);
  EXPECT_EQ(Onsets(*split.melody), (std::vector<Rational>{0, 2, 4}));
  EXPECT_EQ(split.melody->pickup, Rational(0));
  // Three short measures of which the first two make a bar: the third is
  // padded, not joined past the bar line.
  const MusicXmlResult three = ReadMusicXml(
      Score(Measure(whole, k44) + Measure(half) + Measure(half) + Measure(half) + Measure(whole)));
  ASSERT_TRUE(three.melody);
  EXPECT_EQ(Onsets(*three.melody), (std::vector<Rational>{0, 4, 6, 8, 12}));
  // A marked pick-up stays one, even when a short measure follows it.
  const std::string implicitHalf = "<measure implicit=\"yes\">" + k44 + half + "</measure>";
  const MusicXmlResult marked = ReadMusicXml(Score(implicitHalf + Measure(half) + Measure(half)));
  ASSERT_TRUE(marked.melody);
  EXPECT_EQ(marked.melody->pickup, Rational(2));
  EXPECT_EQ(Onsets(*marked.melody), (std::vector<Rational>{0, 2, 4}));
  // A change of metre between two short measures ends the bar.
  const std::string k34 =
      "<attributes><time><beats>3</beats><beat-type>4</beat-type></time></attributes>";
  const MusicXmlResult metre = ReadMusicXml(
      Score(Measure(whole, k44) + Measure(half) + Measure(Note("E", 5, 1), k34) + Measure(half)));
  ASSERT_TRUE(metre.melody);
  EXPECT_EQ(Onsets(*metre.melody), (std::vector<Rational>{0, 4, 8, 9}));
}

// Chords tied on both notes, on the top note only and on the lower note
// only, with two lyric lines and a melisma (tests/data/import/README.md).
TEST(MusicXmlReader, FollowsTiesPerPitchInChords) {
  const MusicXmlResult read = ReadMusicXml(Text("ms_tied_verses.musicxml"));
  ASSERT_TRUE(read.melody) << read.error->message;
  const Melody& m = *read.melody;
  ASSERT_EQ(m.notes.size(), 10u);
  // G4 held for three beats; D5 tied over the bar under a new lower note.
  EXPECT_EQ(m.notes[0].pitch, 67);
  EXPECT_EQ(m.notes[0].duration, Rational(3));
  EXPECT_EQ(m.notes[1].pitch, 74);
  EXPECT_EQ(m.notes[1].onset, Rational(3));
  EXPECT_EQ(m.notes[1].duration, Rational(2));
  // The lower C5 is tied but the top moves from E5 to F5: F5 is struck.
  EXPECT_EQ(m.notes[2].pitch, 76);
  EXPECT_EQ(m.notes[3].pitch, 77);
  EXPECT_EQ(m.notes[3].onset, Rational(6));
  // The tie over the bar line at the end.
  EXPECT_EQ(m.notes[7].onset, Rational(10));
  EXPECT_EQ(m.notes[7].duration, Rational(3));
  EXPECT_EQ(Lyrics(m), "はるのうみか_ぜよい");
}

TEST(MusicXmlReader, OffersEachLyricLineAndTakesTheFirstPresent) {
  const MusicXmlResult verses = ReadMusicXml(Text("ms_tied_verses.musicxml"));
  ASSERT_EQ(verses.parts.size(), 3u);
  EXPECT_EQ(verses.parts[0].name, "Voice・1番");
  EXPECT_EQ(verses.parts[1].name, "Voice・2番");
  EXPECT_EQ(verses.parts[1].noteCount, verses.parts[0].noteCount);
  EXPECT_EQ(verses.parts[2].name, "Chorus");
  EXPECT_EQ(verses.chosenPart, 0);
  const MusicXmlResult second = ReadMusicXml(Text("ms_tied_verses.musicxml"), 1);
  ASSERT_TRUE(second.melody);
  EXPECT_EQ(Lyrics(*second.melody), "あきのそらほしがひか");
  const MusicXmlResult chorus = ReadMusicXml(Text("ms_tied_verses.musicxml"), 2);
  ASSERT_TRUE(chorus.melody);
  EXPECT_EQ(Lyrics(*chorus.melody), "らららら");

  // Lines a file names rather than numbers, and a verse 2 with no verse 1.
  auto sung = [](const std::string& step, const std::string& lyrics) {
    return Note(step, 5, 2).insert(Note(step, 5, 2).size() - 7, lyrics);
  };
  const std::string named = Measure(sung("C",
                                         "<lyric name=\"chorus\"><text>a</text></lyric>"
                                         "<lyric name=\"ja\"><text>あ</text></lyric>") +
                                        sung("D", "<lyric name=\"ja\"><text>い</text></lyric>"),
                                    k44);
  const MusicXmlResult lines = ReadMusicXml(Score(named));
  ASSERT_TRUE(lines.melody);
  ASSERT_EQ(lines.parts.size(), 2u);
  EXPECT_EQ(lines.parts[0].name, "パート 1・chorus");
  EXPECT_EQ(lines.parts[1].name, "パート 1・ja");
  EXPECT_EQ(Lyrics(*lines.melody), "a_");
  const MusicXmlResult ja = ReadMusicXml(Score(named), 1);
  ASSERT_TRUE(ja.melody);
  EXPECT_EQ(Lyrics(*ja.melody), "あい");
  const MusicXmlResult onlyTwo = ReadMusicXml(Score(
      Measure(sung("C", "<lyric number=\"2\"><text>ふ</text></lyric>") + sung("D", ""), k44)));
  ASSERT_TRUE(onlyTwo.melody);
  ASSERT_EQ(onlyTwo.parts.size(), 1u);
  EXPECT_EQ(Lyrics(*onlyTwo.melody), "ふ_");
}

TEST(MusicXmlReader, StrikesATiedNoteAgainForASyllableOfItsOwn) {
  const std::string start = "<tie type=\"start\"/>";
  const std::string stop = "<tie type=\"stop\"/>";
  const std::string notes =
      Note("C", 5, 2, start) + Note("C", 5, 2, stop) + Note("C", 5, 2, start) +
      Note("C", 5, 2, stop)
          .insert(Note("C", 5, 2, stop).size() - 7, "<lyric><text>ら</text></lyric>");
  const MusicXmlResult read = ReadMusicXml(Score(Measure(notes, k44)));
  ASSERT_TRUE(read.melody);
  ASSERT_EQ(read.melody->notes.size(), 3u);
  EXPECT_EQ(read.melody->notes[0].duration, Rational(4));
  EXPECT_EQ(read.melody->notes[2].onset, Rational(6));
  EXPECT_EQ(read.melody->notes[2].lyric, "ら");
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

// A note with <notations>, as notation programs write a shamisen part.
std::string Marked(const std::string& step, int octave, const std::string& notations,
                   const std::string& extra = "") {
  return "<note>" + extra + "<pitch><step>" + step + "</step><octave>" + std::to_string(octave) +
         "</octave></pitch><duration>1</duration><notations>" + notations + "</notations></note>";
}

// A shamisen part with a tablature staff under the melody: each melody note
// written again on staff 2 as string and fret names the player's string.
TEST(MusicXmlReader, ATabStaffGivesThePlayersString) {
  const auto tab = [](const std::string& step, int octave, int string, bool chord = false) {
    return std::string("<note>") + (chord ? "<chord/>" : "") + "<pitch><step>" + step +
           "</step><octave>" + std::to_string(octave) +
           "</octave></pitch><duration>1</duration><staff>2</staff><notations><technical>"
           "<string>" +
           std::to_string(string) + "</string><fret>0</fret></technical></notations></note>";
  };
  const std::string melody = Note("C", 4, 1) + Note("D", 4, 1) +
                             Marked("E", 4, "<technical><string>1</string></technical>") +
                             Note("F", 4, 1);
  const std::string staff2 =
      tab("C", 4, 2) + tab("A", 3, 3) + tab("D", 4, 2, true) + tab("E", 4, 3) + tab("F", 4, 2);
  const std::string second = Note("G", 4, 4) + "<backup><duration>4</duration></backup>" +
                             "<forward><duration>2</duration></forward>" + tab("G", 4, 1);
  const MusicXmlResult read = ReadMusicXml(Score(
      Measure(melody + "<backup><duration>4</duration></backup>" + staff2, k44) + Measure(second)));
  ASSERT_FALSE(read.error) << read.error->message;
  const std::vector<MelodyNote>& n = read.melody->notes;
  ASSERT_EQ(n.size(), 5u);
  EXPECT_EQ(n[0].marks.string, 2) << "string 2 counts from 三の糸: 二の糸";
  EXPECT_EQ(n[1].marks.string, 2) << "of a chord on the staff, the note of the melody's pitch";
  EXPECT_EQ(n[2].marks.string, 3) << "the melody note's own string stands";
  EXPECT_EQ(n[3].marks.string, 2) << "the last note of the measure, still being read";
  EXPECT_EQ(n[4].marks.string, 0) << "a staff note at another onset names nothing";
}

// Every mark a score may carry for the shamisen, read into the melody and
// written onto the song's notes and measures.
TEST(MusicXmlReader, TechniquesFingersChordsAndRepeatsAreImported) {
  const auto technical = [](const std::string& inner) {
    return "<technical>" + inner + "</technical>";
  };
  const std::string m1 =
      Marked("C", 4, technical("<up-bow/><fingering>1</fingering>")) +
      Marked("D", 4, technical("<pull-off type=\"stop\">P</pull-off>")) +
      Marked("E", 4, technical("<hammer-on type=\"stop\">H</hammer-on>")) +
      Marked("F", 4, technical("<bend><bend-alter>1</bend-alter></bend><string>2</string>"));
  const std::string m2 =
      Marked("G", 4, "<slide type=\"start\"/>") + Marked("F", 4, "<slide type=\"stop\"/>") +
      Marked("A", 4, technical("<other-technical>keshi</other-technical>")) +
      Marked("C", 5, technical("<fingering>3</fingering>")) + Note("G", 4, 1, "<chord/>") +
      Note("E", 4, 1, "<chord/>") + Note("C", 4, 1, "<chord/>");
  const std::string forward =
      "<barline location=\"left\"><repeat direction=\"forward\"/></barline>";
  const std::string backward =
      "<barline location=\"right\"><ending number=\"1\" type=\"stop\"/>"
      "<repeat direction=\"backward\" times=\"3\"/></barline>";
  const std::string ending1 =
      "<barline location=\"left\"><ending number=\"1\" type=\"start\"/></barline>";
  const std::string ending2 =
      "<barline location=\"left\"><ending number=\"2\" type=\"start\"/></barline>"
      "<barline location=\"right\"><ending number=\"2\" type=\"discontinue\"/></barline>";
  const std::string whole =
      "<note><pitch><step>C</step><octave>4</octave></pitch><duration>4</duration></note>";
  const std::string repeatStart =
      "<attributes><measure-style><measure-repeat "
      "type=\"start\">1</measure-repeat></measure-style></attributes>"
      "<note><rest measure=\"yes\"/><duration>4</duration></note>";
  const std::string repeatStop =
      "<attributes><measure-style><measure-repeat type=\"stop\"/></measure-style></attributes>" +
      whole;
  const MusicXmlResult read =
      ReadMusicXml(Score(Measure(forward + m1, k44) + Measure(ending1 + m2 + backward) +
                         Measure(ending2 + whole) + Measure(repeatStart) + Measure(repeatStop)));
  ASSERT_FALSE(read.error) << read.error->message;
  const std::vector<MelodyNote>& n = read.melody->notes;
  ASSERT_EQ(n.size(), 10u);
  EXPECT_EQ(n[0].marks.technique, Technique::kSukui);
  EXPECT_EQ(n[0].marks.finger, 1);
  EXPECT_EQ(n[1].marks.technique, Technique::kHajiki) << "on the pull-off's stop note";
  EXPECT_EQ(n[2].marks.technique, Technique::kUchi);
  EXPECT_EQ(n[3].marks.technique, Technique::kOshi);
  EXPECT_EQ(n[3].marks.string, 2) << "string 2 counts from 三の糸: 二の糸";
  EXPECT_EQ(n[4].marks.technique, Technique::kSuriDown) << "the slide goes down to F";
  EXPECT_EQ(n[5].marks.technique, Technique::kNone);
  EXPECT_EQ(n[6].marks.technique, Technique::kKeshi);
  EXPECT_EQ(n[7].pitch, 72);
  EXPECT_EQ(n[7].marks.finger, 3);
  EXPECT_EQ(n[7].marks.together, (std::array<std::uint8_t, kMaxTogether>{67, 64}))
      << "the two chord notes nearest the melody";

  const WrittenSong written = WriteSong(*read.melody);
  const CSongData& song = *written.song;
  EXPECT_EQ(song.m_marks.At(0, 0).technique, Technique::kSukui);
  EXPECT_EQ(song.m_marks.At(14, 0).together[0], 67);
  const auto& m = song.m_marks.measures;
  EXPECT_EQ(m[0].flags, kRepeatStart);
  EXPECT_EQ(m[1].flags, kRepeatEnd);
  EXPECT_EQ(m[1].repeatCount, 3);
  EXPECT_EQ(m[1].ending, 1);
  EXPECT_EQ(m[2].ending, 2);
  EXPECT_EQ(m[3].flags, kMeasureRepeat);
  EXPECT_TRUE(m[4].Empty());
}

// The marks as a notation program exports them (tests/data/import/README.md).
TEST(MusicXmlReader, MarksOfANotationProgramsExportReachTheSong) {
  const MusicXmlResult read = ReadMusicXml(Text("ms_marks.musicxml"));
  ASSERT_FALSE(read.error) << read.error->message;
  const std::vector<MelodyNote>& n = read.melody->notes;
  ASSERT_GE(n.size(), 7u);
  EXPECT_EQ(n[0].marks.technique, Technique::kSukui);
  EXPECT_EQ(n[0].marks.finger, 1);
  EXPECT_EQ(n[2].marks.finger, 2);
  EXPECT_EQ(n[6].pitch, 72);
  EXPECT_EQ(n[6].marks.finger, 3);
  EXPECT_EQ(n[6].marks.together[0], 67);
  const WrittenSong written = WriteSong(*read.melody);
  const auto& m = written.song->m_marks.measures;
  EXPECT_EQ(m[0].flags, kRepeatStart);
  EXPECT_EQ(m[1].flags, kRepeatEnd);
  EXPECT_EQ(m[1].ending, 1);
  EXPECT_EQ(m[2].ending, 2);
  EXPECT_TRUE(m[3].Empty());
}

}  // namespace
}  // namespace kumoito::import
