// The MusicXML a song is written as, element by element where other
// programs depend on it: the TAB staff's strings and frets against the
// places the tablature draws, triplets, ties over bar lines, two-string
// notes, the pick-up measure, techniques, the 口三味線 line, chord symbols
// and repeats.

#include "export/musicxml/musicxml_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "common/sjis.h"
#include "song/kuchijamisen.h"
#include "tests/export/export_test_util.h"
#include "tests/song/song_test_util.h"

namespace kumoito::musicxml {
namespace {

using test::Put;

const OpenStrings kHonC = OpenStringPitches(0, 0);  // C3 F3 C4

struct Parsed {
  pugi::xml_document doc;
  pugi::xml_node part;
};

void Parse(Parsed& parsed, const std::string& xml) {
  ASSERT_TRUE(parsed.doc.load_string(xml.c_str())) << xml;
  parsed.part = parsed.doc.child("score-partwise").child("part");
  ASSERT_TRUE(parsed.part);
}

// The notes of one staff, in order, measure after measure.
std::vector<pugi::xml_node> StaffNotes(const pugi::xml_node& part, int staff) {
  std::vector<pugi::xml_node> notes;
  for (pugi::xml_node measure : part.children("measure")) {
    for (pugi::xml_node note : measure.children("note")) {
      if (note.child("staff").text().as_int() == staff) {
        notes.push_back(note);
      }
    }
  }
  return notes;
}

int PitchOf(const pugi::xml_node& note) {
  static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // A..G
  const pugi::xml_node pitch = note.child("pitch");
  const char step = pitch.child_value("step")[0];
  return (pitch.child("octave").text().as_int() + 1) * 12 + kSteps[step - 'A'] +
         pitch.child("alter").text().as_int();
}

pugi::xml_node Technical(const pugi::xml_node& note) {
  return note.child("notations").child("technical");
}

TEST(MusicXmlWriter, TabStringsAndFretsAreThePlacesTheTablatureDraws) {
  auto song = test::NewSong(2);
  const std::vector<int> pitches = {48, 50, 53, 55, 60, 62, 67, 72, 41, 84, 59, 65};
  for (std::size_t i = 0; i < pitches.size(); ++i) {
    Put(*song, static_cast<int>(i), 0, pitches[i]);
  }
  // The player takes 二の糸 for a pitch placement puts on 三の糸.
  Put(*song, 12, 0, 62);
  song->m_marks.At(12, 0).string = 2;
  Parsed parsed;
  ASSERT_NO_FATAL_FAILURE(Parse(parsed, MusicXmlOfSong(*song, kHonC)));
  const std::vector<pugi::xml_node> tab = StaffNotes(parsed.part, 2);
  const PitchPlaceTable places = BuildPitchPlaces(kHonC);
  int checked = 0;
  for (const pugi::xml_node& note : tab) {
    if (note.child("rest") || note.child("tie")) {
      continue;
    }
    const int cell = checked;
    const std::int32_t pitch = song->m_cells[static_cast<std::size_t>(cell)].pitch[0];
    const PitchPlace place = PlaceOfMarkedNote(places, kHonC, pitch, song->m_marks.At(cell, 0));
    EXPECT_EQ(Technical(note).child("string").text().as_int(), 3 - place.string) << cell;
    EXPECT_EQ(Technical(note).child("fret").text().as_int(), place.position - 1) << cell;
    // The TAB note sounds what its string and fret sound.
    EXPECT_EQ(PitchOf(note), kHonC[static_cast<std::size_t>(place.string)] + place.position - 1);
    ++checked;
  }
  EXPECT_EQ(checked, 13);
  // 一の糸 is line 1, the lowest.
  const pugi::xml_node details =
      parsed.part.child("measure").child("attributes").child("staff-details");
  EXPECT_EQ(details.child("staff-lines").text().as_int(), 3);
  EXPECT_STREQ(
      details.find_child_by_attribute("staff-tuning", "line", "1").child_value("tuning-step"), "C");
  EXPECT_STREQ(
      details.find_child_by_attribute("staff-tuning", "line", "2").child_value("tuning-step"), "F");
  EXPECT_EQ(details.find_child_by_attribute("staff-tuning", "line", "3")
                .child("tuning-octave")
                .text()
                .as_int(),
            4);
  // The player's string stands on the pitch staff too: 二の糸 is 2.
  const std::vector<pugi::xml_node> melody = StaffNotes(parsed.part, 1);
  int withString = 0;
  for (const pugi::xml_node& note : melody) {
    withString += Technical(note).child("string") ? 1 : 0;
  }
  EXPECT_EQ(withString, 1);
}

TEST(MusicXmlWriter, CellsInThreeAreTripletsAndTiesCrossBarLines) {
  auto song = test::NewSong(2);
  // Beat 1: three sixths, then a sixth-long note and one of two sixths.
  test::PutThree(*song, 0, {60, 62, 64});
  test::PutThree(*song, 1, {65, 67, SLOT_HOLD});
  Put(*song, 2, 0, SLOT_REST);
  // The last sixteenth of measure 1 held over into measure 2.
  Put(*song, 7, 1, 72);
  Put(*song, 8, 0, SLOT_HOLD);
  Put(*song, 8, 1, 71);
  Parsed parsed;
  ASSERT_NO_FATAL_FAILURE(Parse(parsed, MusicXmlOfSong(*song, kHonC)));
  for (int staff : {1, 2}) {
    const std::vector<pugi::xml_node> notes = StaffNotes(parsed.part, staff);
    ASSERT_GE(notes.size(), 5u);
    for (int i = 0; i < 5; ++i) {
      const pugi::xml_node n = notes[static_cast<std::size_t>(i)];
      EXPECT_EQ(n.child("time-modification").child("actual-notes").text().as_int(), 3);
      EXPECT_EQ(n.child("time-modification").child("normal-notes").text().as_int(), 2);
    }
    const auto tuplet = [&](int i) {
      return std::string(notes[static_cast<std::size_t>(i)]
                             .child("notations")
                             .child("tuplet")
                             .attribute("type")
                             .value());
    };
    EXPECT_EQ(tuplet(0), "start");
    EXPECT_EQ(tuplet(1), "");
    EXPECT_EQ(tuplet(2), "stop");
    EXPECT_EQ(tuplet(3), "start");
    EXPECT_EQ(tuplet(4), "stop");
    EXPECT_EQ(notes[0].child("duration").text().as_int(), 2);
    EXPECT_STREQ(notes[0].child_value("type"), "16th");
    EXPECT_EQ(notes[4].child("duration").text().as_int(), 4);
    EXPECT_STREQ(notes[4].child_value("type"), "eighth");
    EXPECT_FALSE(notes[5].child("time-modification"));
  }
  // The tied note: a sixteenth at the end of measure 1, one at the start of 2.
  std::vector<pugi::xml_node> tied;
  for (const pugi::xml_node& note : StaffNotes(parsed.part, 1)) {
    if (note.child("tie") && PitchOf(note) == 72) {
      tied.push_back(note);
    }
  }
  ASSERT_EQ(tied.size(), 2u);
  EXPECT_EQ(PitchOf(tied[0]), 72);
  EXPECT_STREQ(tied[0].child("tie").attribute("type").value(), "start");
  EXPECT_STREQ(tied[0].child("notations").child("tied").attribute("type").value(), "start");
  EXPECT_STREQ(tied[1].child("tie").attribute("type").value(), "stop");
  EXPECT_EQ(tied[0].parent().attribute("number").as_int(), 1);
  EXPECT_EQ(tied[1].parent().attribute("number").as_int(), 2);
  EXPECT_EQ(tied[0].child("duration").text().as_int() + tied[1].child("duration").text().as_int(),
            6);
}

TEST(MusicXmlWriter, TwoStringNotesAreChordsOnTwoStrings) {
  auto song = test::NewSong(1);
  Put(*song, 0, 0, 67);  // G4 on 三の糸
  song->m_marks.At(0, 0).together = {60, kNoPitch};
  Parsed parsed;
  ASSERT_NO_FATAL_FAILURE(Parse(parsed, MusicXmlOfSong(*song, kHonC)));
  for (int staff : {1, 2}) {
    const std::vector<pugi::xml_node> notes = StaffNotes(parsed.part, staff);
    ASSERT_GE(notes.size(), 2u);
    EXPECT_FALSE(notes[0].child("chord"));
    EXPECT_TRUE(notes[1].child("chord"));
    EXPECT_EQ(notes[0].child("duration").text().as_int(),
              notes[1].child("duration").text().as_int());
  }
  const std::vector<pugi::xml_node> tab = StaffNotes(parsed.part, 2);
  EXPECT_EQ(Technical(tab[0]).child("string").text().as_int(), 1);
  EXPECT_EQ(Technical(tab[0]).child("fret").text().as_int(), 7);
  // C4 with 三の糸 taken: 二の糸 at 7 rather than 一の糸 at 12.
  EXPECT_EQ(Technical(tab[1]).child("string").text().as_int(), 2);
  EXPECT_EQ(Technical(tab[1]).child("fret").text().as_int(), 7);
}

TEST(MusicXmlWriter, LeadingRestsThatCarryNothingMakeAnImplicitPickup) {
  auto song = test::NewSong(3, 3);
  Put(*song, 4, 0, 60);  // beat 3 of 3
  Put(*song, 6, 0, 62);
  Parsed parsed;
  ASSERT_NO_FATAL_FAILURE(Parse(parsed, MusicXmlOfSong(*song, kHonC)));
  const pugi::xml_node first = parsed.part.child("measure");
  EXPECT_STREQ(first.attribute("implicit").value(), "yes");
  EXPECT_STREQ(first.attribute("number").value(), "0");
  EXPECT_EQ(first.child("backup").child("duration").text().as_int(), 12);
  EXPECT_STREQ(first.next_sibling("measure").attribute("number").value(), "1");
  EXPECT_EQ(
      std::distance(parsed.part.children("measure").begin(), parsed.part.children("measure").end()),
      3);

  // A ケシ on the opening rest is music: the measure stays whole.
  song->m_marks.At(0, 0).technique = Technique::kKeshi;
  Parsed marked;
  ASSERT_NO_FATAL_FAILURE(Parse(marked, MusicXmlOfSong(*song, kHonC)));
  const pugi::xml_node whole = marked.part.child("measure");
  EXPECT_FALSE(whole.attribute("implicit"));
  EXPECT_EQ(whole.child("backup").child("duration").text().as_int(), 36);
  EXPECT_STREQ(Technical(whole.child("note")).child_value("other-technical"), "keshi");
}

TEST(MusicXmlWriter, TechniquesWriteTheirStartAndStopNotes) {
  auto song = test::NewSong(1);
  const std::vector<std::pair<int, Technique>> notes = {
      {60, Technique::kNone}, {62, Technique::kHajiki}, {64, Technique::kSuriUp},
      {67, Technique::kUchi}, {69, Technique::kSukui},  {71, Technique::kOshi}};
  for (std::size_t i = 0; i < notes.size(); ++i) {
    Put(*song, static_cast<int>(i), 0, notes[i].first);
    song->m_marks.At(static_cast<int>(i), 0).technique = notes[i].second;
  }
  song->m_marks.At(4, 0).finger = 2;
  Parsed parsed;
  ASSERT_NO_FATAL_FAILURE(Parse(parsed, MusicXmlOfSong(*song, kHonC)));
  const std::vector<pugi::xml_node> m = StaffNotes(parsed.part, 1);
  ASSERT_GE(m.size(), 6u);
  EXPECT_STREQ(Technical(m[0]).child("pull-off").attribute("type").value(), "start");
  EXPECT_STREQ(Technical(m[1]).child("pull-off").attribute("type").value(), "stop");
  EXPECT_STREQ(m[2].child("notations").child("slide").attribute("type").value(), "start");
  // The slide's stop note is also the hammer-on's stop; its start is on
  // the slide's note.
  EXPECT_STREQ(m[3].child("notations").child("slide").attribute("type").value(), "stop");
  EXPECT_STREQ(Technical(m[2]).child("hammer-on").attribute("type").value(), "start");
  EXPECT_STREQ(Technical(m[3]).child("hammer-on").attribute("type").value(), "stop");
  EXPECT_TRUE(Technical(m[4]).child("up-bow"));
  EXPECT_EQ(Technical(m[4]).child("fingering").text().as_int(), 2);
  EXPECT_EQ(Technical(m[5]).child("bend").child("bend-alter").text().as_int(), 1);
}

TEST(MusicXmlWriter, KuchijamisenIsLyricLineTwoAndTheUsersSyllableWins) {
  auto song = test::NewSong(1);
  Put(*song, 0, 0, 60);  // open 三の糸
  Put(*song, 1, 0, 62);  // stopped 三の糸
  SetFieldText(song->m_cells[0].lyric[0], Utf8ToCp932Lenient("は"));
  Put(*song, 2, 0, 60);
  ASSERT_TRUE(song->m_marks.SyllableAt(2, 0).Assign(Utf8ToCp932Lenient("イヤ")));
  Parsed parsed;
  ASSERT_NO_FATAL_FAILURE(Parse(parsed, MusicXmlOfSong(*song, kHonC)));
  const std::vector<pugi::xml_node> m = StaffNotes(parsed.part, 1);
  const auto line = [&](int i, const char* number) {
    return std::string(m[static_cast<std::size_t>(i)]
                           .find_child_by_attribute("lyric", "number", number)
                           .child_value("text"));
  };
  EXPECT_EQ(line(0, "1"), "は");
  EXPECT_EQ(line(0, "2"), "テン");
  EXPECT_EQ(line(1, "2"), "チン");
  EXPECT_EQ(line(2, "2"), "イヤ");
  EXPECT_STREQ(m[0].find_child_by_attribute("lyric", "number", "2").attribute("name").value(),
               "kuchijamisen");
}

TEST(MusicXmlWriter, ChordSymbolsStandWhereTheChordChanges) {
  auto song = test::NewSong(1);
  Put(*song, 0, 0, 60);  // a note over the first two beats
  Put(*song, 4, 0, 62);
  SetFieldText(song->m_beatChords[0].chord, "C");
  SetFieldText(song->m_beatChords[0].chordMid, "F#m7");
  SetFieldText(song->m_beatChords[1].chord, "F#m7");
  SetFieldText(song->m_beatChords[2].chord, "Gmaj7");
  SetFieldText(song->m_beatChords[3].chord, "Gmaj7");
  Parsed parsed;
  ASSERT_NO_FATAL_FAILURE(Parse(parsed, MusicXmlOfSong(*song, kHonC)));
  std::vector<pugi::xml_node> harmonies;
  for (pugi::xml_node h : parsed.part.child("measure").children("harmony")) {
    harmonies.push_back(h);
  }
  ASSERT_EQ(harmonies.size(), 3u);
  EXPECT_STREQ(harmonies[0].child("kind").child_value(), "major");
  EXPECT_FALSE(harmonies[0].child("offset"));
  // The middle of beat 1 lies inside the long note: an offset from it.
  EXPECT_STREQ(harmonies[1].child("root").child_value("root-step"), "F");
  EXPECT_EQ(harmonies[1].child("root").child("root-alter").text().as_int(), 1);
  EXPECT_STREQ(harmonies[1].child("kind").child_value(), "minor-seventh");
  EXPECT_EQ(harmonies[1].child("offset").text().as_int(), 6);
  // A suffix without a MusicXML kind keeps its own text.
  EXPECT_STREQ(harmonies[2].child("kind").child_value(), "other");
  EXPECT_STREQ(harmonies[2].child("kind").attribute("text").value(), "maj7");
}

TEST(MusicXmlWriter, RepeatsEndingsAndMeasureRepeatsAreBarlinesAndStyles) {
  auto song = test::NewSong(5);
  song->m_marks.measures[0].flags = kRepeatStart;
  song->m_marks.measures[1].ending = 1;
  song->m_marks.measures[1].flags = kRepeatEnd;
  song->m_marks.measures[1].repeatCount = 3;
  song->m_marks.measures[2].ending = 2;
  song->m_marks.measures[3].flags = kMeasureRepeat;
  Parsed parsed;
  ASSERT_NO_FATAL_FAILURE(Parse(parsed, MusicXmlOfSong(*song, kHonC)));
  std::vector<pugi::xml_node> m;
  for (pugi::xml_node measure : parsed.part.children("measure")) {
    m.push_back(measure);
  }
  ASSERT_EQ(m.size(), 5u);
  const auto barline = [&](int i, const char* location) {
    return m[static_cast<std::size_t>(i)].find_child_by_attribute("barline", "location", location);
  };
  EXPECT_STREQ(barline(0, "left").child("repeat").attribute("direction").value(), "forward");
  EXPECT_STREQ(barline(1, "left").child("ending").attribute("type").value(), "start");
  EXPECT_STREQ(barline(1, "right").child("ending").attribute("type").value(), "stop");
  EXPECT_STREQ(barline(1, "right").child("repeat").attribute("times").value(), "3");
  EXPECT_STREQ(barline(2, "left").child("ending").attribute("number").value(), "2");
  EXPECT_STREQ(barline(2, "right").child("ending").attribute("type").value(), "stop");
  EXPECT_STREQ(m[3].child("attributes")
                   .child("measure-style")
                   .child("measure-repeat")
                   .attribute("type")
                   .value(),
               "start");
  EXPECT_STREQ(m[4].child("attributes")
                   .child("measure-style")
                   .child("measure-repeat")
                   .attribute("type")
                   .value(),
               "stop");
  EXPECT_STREQ(barline(4, "right").child_value("bar-style"), "light-heavy");
}

TEST(MusicXmlWriter, ARangeIsTheWholeMeasuresAroundItsSlots) {
  auto song = test::NewSong(4);
  Put(*song, 14, 1, 64);  // measure 2's end, held into measure 3
  Put(*song, 16, 0, SLOT_HOLD);
  Put(*song, 17, 0, 65);
  const MeasureRange range = MeasuresOfSlots(*song, SongMarks::Slot(15, 0), SongMarks::Slot(17, 1));
  EXPECT_EQ(range.first, 1);
  EXPECT_EQ(range.end, 3);
  Parsed parsed;
  ASSERT_NO_FATAL_FAILURE(
      Parse(parsed, MusicXmlOfRange(*song, kHonC, SongMarks::Slot(15, 0), SongMarks::Slot(17, 1))));
  std::vector<pugi::xml_node> m;
  for (pugi::xml_node measure : parsed.part.children("measure")) {
    m.push_back(measure);
  }
  ASSERT_EQ(m.size(), 2u);
  EXPECT_TRUE(m[0].child("attributes").child("divisions"));
  EXPECT_TRUE(m[0].child("direction").child("sound").attribute("tempo"));
  // Measure 3 of the song starts the range's second measure on a held note.
  const std::vector<pugi::xml_node> notes = StaffNotes(parsed.part, 1);
  bool heldIn = false;
  for (const pugi::xml_node& n : notes) {
    heldIn |= n.parent() == m[1] && PitchOf(n) == 64 && n.child("tie");
  }
  EXPECT_TRUE(heldIn);
}

TEST(MusicXmlWriter, TheSongsTextsAndSoundAreInTheHeader) {
  auto song = test::NewSong(1);
  SetFieldText(song->m_info.title, Utf8ToCp932Lenient("さくら"));
  SetFieldText(song->m_info.composer, Utf8ToCp932Lenient("作曲者"));
  SetFieldText(song->m_info.lyricist, Utf8ToCp932Lenient("作詞者"));
  song->m_info.tempo = 96;
  Parsed parsed;
  ASSERT_NO_FATAL_FAILURE(Parse(parsed, MusicXmlOfSong(*song, kHonC)));
  const pugi::xml_node score = parsed.doc.child("score-partwise");
  EXPECT_STREQ(score.attribute("version").value(), "4.0");
  EXPECT_STREQ(score.child("work").child_value("work-title"), "さくら");
  EXPECT_STREQ(score.child("identification")
                   .find_child_by_attribute("creator", "type", "composer")
                   .child_value(),
               "作曲者");
  EXPECT_STREQ(score.child("identification")
                   .find_child_by_attribute("creator", "type", "lyricist")
                   .child_value(),
               "作詞者");
  const pugi::xml_node part = score.child("part-list").child("score-part");
  EXPECT_STREQ(part.child("score-instrument").child_value("instrument-sound"), "pluck.shamisen");
  EXPECT_EQ(part.child("midi-instrument").child("midi-program").text().as_int(), 107);
  const pugi::xml_node direction = parsed.part.child("measure").child("direction");
  EXPECT_EQ(direction.child("sound").attribute("tempo").as_int(), 96);
  EXPECT_EQ(
      direction.child("direction-type").child("metronome").child("per-minute").text().as_int(), 96);
}

}  // namespace
}  // namespace kumoito::musicxml
