#include "library/song_source.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/sjis.h"
#include "song/song_data.h"

namespace kumoito {
namespace {

constexpr const char* kHeader =
    "title: テスト\n"
    "composer: 作曲者\n"
    "source: written for this test\n"
    "tempo: 96\n"
    "beats: 3\n"
    "key: Bb\n"
    "region: 1\n"
    "fame: 120\n";

std::string Cp932(const char* utf8) {
  return Utf8ToCp932(utf8).value_or("?");
}

SongSource ParseOk(const std::string& text) {
  ParsedSource parsed = ParseSongSource(text);
  EXPECT_FALSE(parsed.error) << FormatSourceError("t", *parsed.error);
  return parsed.song;
}

TEST(SongSource, ReadsHeaderNotesTiesChordsAndLyrics) {
  const SongSource song = ParseOk(std::string(kHeader) +
                                  "# a comment line\n"
                                  "notes:  | rq Bb3e. C#4s D4q~ | D4e Eb5s F5 G5e A5 B5 rs C6s |\n"
                                  "chords: | Bb . F,F7         | .,Gm Eb  Cm7b5           |\n"
                                  "lyrics:   い  _  ろ          は      に  ほ  へ  _  と\n"
                                  "notes:  D4h.\n");
  EXPECT_EQ(song.title, Cp932("テスト"));
  EXPECT_EQ(song.composer, Cp932("作曲者"));
  EXPECT_EQ(song.lyricist, "");
  EXPECT_EQ(song.tempo, 96);
  EXPECT_EQ(song.beatsPerMeasure, 3);
  EXPECT_EQ(song.keyIndex, 9);
  EXPECT_EQ(song.regionCode, 1);
  EXPECT_EQ(song.fameScore, 120);
  EXPECT_EQ(song.measureCount, 3);

  struct Expected {
    int start, length, pitch;
    const char* lyric;
  };
  // The tie makes one D4 of a quarter and an eighth over the bar line;
  // lengths carry on from the last one written.
  const std::vector<Expected> expected = {
      {0, 4, kSourceRest, ""}, {4, 3, 58, "い"},         {7, 1, 61, ""},    {8, 6, 62, "ろ"},
      {14, 1, 75, "は"},       {15, 1, 77, "に"},        {16, 2, 79, "ほ"}, {18, 2, 81, "へ"},
      {20, 2, 83, ""},         {22, 1, kSourceRest, ""}, {23, 1, 84, "と"}, {24, 12, 62, ""}};
  ASSERT_EQ(song.events.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(song.events[i].start, expected[i].start);
    EXPECT_EQ(song.events[i].length, expected[i].length);
    EXPECT_EQ(song.events[i].pitch, expected[i].pitch);
    EXPECT_EQ(song.events[i].lyric, *expected[i].lyric ? Cp932(expected[i].lyric) : "");
  }
  const std::vector<std::pair<std::string, std::string>> chords = {
      {"Bb", ""},    {"Bb", ""},    {"F", "F7"},   {"F7", "Gm"}, {"Eb", ""},
      {"Cm7b5", ""}, {"Cm7b5", ""}, {"Cm7b5", ""}, {"Cm7b5", ""}};
  ASSERT_EQ(song.beatChords.size(), chords.size());
  for (std::size_t b = 0; b < chords.size(); ++b) {
    EXPECT_EQ(song.beatChords[b].chord, chords[b].first) << b;
    EXPECT_EQ(song.beatChords[b].chordMid, chords[b].second) << b;
  }
}

TEST(SongSource, BuildsCellsSlotBySlot) {
  const SongSource source = ParseOk(std::string(kHeader) +
                                    "notes: C4q D4e E4s F4 G4q | G4h~ G4e rs A4s |\n"
                                    "chords: C . . | G7 . .,C\n"
                                    "lyrics: ド レ ミ ファ ソ _ ラ\n");
  auto song = BuildSong(source);
  EXPECT_EQ(song->m_measureCount, 2);
  EXPECT_EQ(song->m_beatsPerMeasure, 3);
  EXPECT_EQ(song->m_keyIndex, 9);
  EXPECT_EQ(song->m_info.tempo, 96);
  EXPECT_EQ(song->m_info.reserved3[10], 1);
  EXPECT_EQ(song->m_info.infoText[5], 120);
  EXPECT_EQ(FieldText(song->m_info.title), Cp932("テスト"));

  const std::vector<std::array<std::int32_t, 2>> slots = {
      {60, SLOT_HOLD},        {SLOT_HOLD, SLOT_HOLD},  // C4 quarter
      {62, SLOT_HOLD},        {64, 65},                // D4 eighth, E4 F4 sixteenths
      {67, SLOT_HOLD},        {SLOT_HOLD, SLOT_HOLD},  // G4 quarter
      {67, SLOT_HOLD},        {SLOT_HOLD, SLOT_HOLD},  // G4 half tied to an eighth
      {SLOT_HOLD, SLOT_HOLD}, {SLOT_HOLD, SLOT_HOLD},
      {SLOT_HOLD, SLOT_HOLD}, {SLOT_REST, 69}};
  for (std::size_t c = 0; c < slots.size(); ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(song->m_cells[c].pitch[0], slots[c][0]);
    EXPECT_EQ(song->m_cells[c].pitch[1], slots[c][1]);
    EXPECT_EQ(song->m_cells[c].pitch[2], SLOT_NONE);
  }
  EXPECT_EQ(FieldText(song->m_cells[3].lyric[1]), Cp932("ファ"));
  EXPECT_EQ(FieldText(song->m_cells[11].lyric[1]), Cp932("ラ"));
  EXPECT_EQ(FieldText(song->m_cells[11].lyric[0]), "");
  EXPECT_EQ(FieldText(song->m_beatChords[5].chord), "G7");
  EXPECT_EQ(FieldText(song->m_beatChords[5].chordMid), "C");
  EXPECT_EQ(FieldText(song->m_beatChords[6].chord), "----");  // after the song
  EXPECT_EQ(song->m_lowestPitch, 60);
  EXPECT_EQ(song->m_highestPitch, 69);
}

struct Mistake {
  const char* body;  // follows the eight header lines
  int line;
  int column;
  const char* message;  // part of the message
};

class SongSourceMistake : public ::testing::TestWithParam<Mistake> {};

TEST_P(SongSourceMistake, IsRefusedAtItsLineAndColumn) {
  const Mistake& m = GetParam();
  const ParsedSource parsed = ParseSongSource(std::string(kHeader) + m.body);
  ASSERT_TRUE(parsed.error);
  EXPECT_EQ(parsed.error->line, m.line);
  EXPECT_EQ(parsed.error->column, m.column);
  EXPECT_NE(parsed.error->message.find(m.message), std::string::npos) << parsed.error->message;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SongSourceMistake,
    ::testing::Values(
        // Notes: spelling, lengths and measures.
        Mistake{"notes: | C4q H4 D4 |\nchords: C . .\n", 9, 14, "expected a note"},
        Mistake{"notes: | C4q D E4 |\nchords: C . .\n", 9, 14, "octave"},
        Mistake{"notes: | C4x D4 E4 |\nchords: C . .\n", 9, 10, "unknown length"},
        Mistake{"notes: | C4s. D4 E4 |\nchords: C . .\n", 9, 10, "dotted sixteenth"},
        Mistake{"notes: | D4 E4 F4 |\nchords: C . .\n", 9, 10, "needs a length"},
        Mistake{"notes: | C4q D4 E4 F4 |\nchords: C . .\n", 9, 20, "bar line | is missing"},
        Mistake{"notes: | C4q D4h. |\nchords: C . .\n", 9, 14, "runs past the bar line"},
        Mistake{"notes: | C4q D4 | E4h. |\nchords: C . . | . . .\n", 9, 17, "holds 2 beats"},
        Mistake{"notes: | C4h D4e |\nchords: C . .\n", 9, 18, "holds 2.5 beats"},
        Mistake{"notes: | C4h. |\nchords: C . .\nnotes: rh~ C4q |\n", 11, 8, "rest cannot be tied"},
        Mistake{"notes: | C4h.~ |\nchords: C . .\nnotes: | D4h. |\n", 11, 10, "same pitch"},
        Mistake{"notes: | C4h. |\nchords: C . .\nnotes: | C4h.~ |\n", 11, 14, "leads to no note"},
        Mistake{"notes: | A9q C4h |\nchords: C . .\n", 9, 10, "MIDI 0..127"},
        // Chords.
        Mistake{"notes: | C4h. |\nchords: C Hm .\n", 10, 11, "unknown chord 'Hm'"},
        Mistake{"notes: | C4h. |\nchords: C E#7 .\n", 10, 11, "unknown chord"},
        Mistake{"notes: | C4h. |\nchords: C G,Q .\n", 10, 13, "unknown chord 'Q'"},
        Mistake{"notes: | C4h. |\nchords: C . . .\n", 10, 15, "more chords than"},
        Mistake{"notes: | C4h. |\nchords: C . |\n", 10, 13, "2 chords for the 3 beats"},
        Mistake{"notes: | C4h. | C4h. |\nchords: C . . |\n", 10, 16, "1 measures of chords"},
        Mistake{"notes: | C4h. |\nchords: . . .\n", 10, 9, "first beat of the song needs"},
        Mistake{"notes: | C4h. |\nlyrics: あ\n", 9, 1, "add a chords line"},
        Mistake{"chords: C . .\n", 9, 1, "must follow a notes line"},
        Mistake{"notes: | C4h. |\nchords: C . .\nchords: C . .\n", 11, 1, "already has chords"},
        // Lyrics.
        Mistake{"notes: | C4q D4 E4 |\nchords: C . .\nlyrics: あ い う え\n", 11, 15,
                "more syllables than the 3 notes"},
        Mistake{"notes: | C4q D4 E4 |\nchords: C . .\nlyrics: あ い\n", 11, 12,
                "2 syllables for the 3 notes"},
        Mistake{"notes: | C4h. |\nchords: C . .\nlyrics: あいうえ\n", 11, 9, "at most 7 bytes"},
        Mistake{"notes: | C4h. |\nchords: C . .\nlyrics: 😀\n", 11, 9, "Shift-JIS"},
        // Header.
        Mistake{"tempo: 300\n", 9, 1, "given twice"},
        Mistake{"notes: | C4h. |\nchords: C . .\nfame: 3\n", 11, 1, "before the first notes"},
        Mistake{"colour: red\n", 9, 1, "unknown field 'colour'"},
        Mistake{"just words\n", 9, 1, "expected 'name: value'"}));

TEST(SongSource, HeaderValuesAreCheckedWhereTheyStand) {
  const struct {
    const char* text;
    int line;
    int column;
    const char* message;
  } cases[] = {
      {"title: あ\ntempo: 30\n", 2, 8, "tempo must be 40..240"},
      {"title: あ\nbeats: 9\n", 2, 8, "beats must be 1..8"},
      {"title: あ\nfame: 128\n", 2, 7, "fame must be 0..127"},
      {"title: あ\nregion: x\n", 2, 9, "whole number"},
      {"title: あ\nkey: H\n", 2, 6, "unknown key 'H'"},
      {"title: 一二三四五六七八九十一二三四五六七\n", 1, 8, "longer than 32 bytes"},
      {"title: \n", 1, 8, "title is empty"},
      {"title: あ\nnotes: | C4w |\n", 2, 1, "'beats:' must come before"},
      {"title: あ\nbeats: 4\nnotes: | C4w |\nchords: C . . .\n", 1, 1, "no 'source:'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const ParsedSource parsed = ParseSongSource(c.text);
    ASSERT_TRUE(parsed.error);
    EXPECT_EQ(parsed.error->line, c.line);
    EXPECT_EQ(parsed.error->column, c.column);
    EXPECT_NE(parsed.error->message.find(c.message), std::string::npos) << parsed.error->message;
  }
}

TEST(SongSource, ErrorsReadAsFileLineColumn) {
  EXPECT_EQ(FormatSourceError("songs/x.txt", {12, 7, "unknown chord 'Hm'"}),
            "songs/x.txt:12:7: unknown chord 'Hm'");
}

}  // namespace
}  // namespace kumoito
