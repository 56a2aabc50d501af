// The MIDI reader on files abc2midi wrote (melody with accompaniment and
// chord tracks) and on small files built byte by byte for the melody rule,
// the grid and broken chunks.

#include "import/midi_import.h"

#include <gtest/gtest.h>

#include "common/report.h"
#include "common/sjis.h"
#include "import/file_import.h"
#include "import/song_writer.h"
#include "song/arrangement.h"
#include "song/tuning.h"
#include "tests/import/import_test_util.h"

namespace kumoito::import {
namespace {

using Bytes = std::vector<unsigned char>;
using test::CellsText;
using test::ImportFixture;
using test::MakeMidi;
using test::ReadBytes;

MidiImportResult Read(const Bytes& bytes, int part = -1) {
  ScopedReportCapture reports;  // the track parser's own lines
  return ReadMidiMelody(bytes.data(), bytes.size(), part);
}

// Note on at delta, off after length, on channel 0 unless given.
void AddNote(Bytes& track, std::uint32_t delta, int pitch, std::uint32_t length, int channel = 0) {
  auto vlq = [&](std::uint32_t v) {
    Bytes out = {static_cast<unsigned char>(v & 0x7F)};
    while (v >>= 7) {
      out.insert(out.begin(), static_cast<unsigned char>(0x80 | (v & 0x7F)));
    }
    track.insert(track.end(), out.begin(), out.end());
  };
  vlq(delta);
  track.insert(track.end(), {static_cast<unsigned char>(0x90 | channel),
                             static_cast<unsigned char>(pitch), 100});
  vlq(length);
  track.insert(track.end(),
               {static_cast<unsigned char>(0x80 | channel), static_cast<unsigned char>(pitch), 0});
}

Bytes Named(const std::string& name) {
  Bytes t = {0x00, 0xFF, 0x03, static_cast<unsigned char>(name.size())};
  t.insert(t.end(), name.begin(), name.end());
  return t;
}

TEST(MidiImport, FindsTheMelodyBesideChordAndBassTracks) {
  const MidiImportResult read = Read(ReadBytes(ImportFixture("abc_waltz_chords.mid")));
  ASSERT_TRUE(read.melody) << read.error->message;
  EXPECT_GE(read.parts.size(), 2u);  // melody plus accompaniment
  const Melody& m = *read.melody;
  EXPECT_EQ(m.title, "Test Waltz");
  ASSERT_FALSE(m.metres.empty());
  EXPECT_EQ(m.metres[0].numerator, 3);
  EXPECT_EQ(m.tempo.value_or(0), 100.0);
  EXPECT_EQ(m.fifths.value_or(99), 1);
  ASSERT_EQ(m.notes.size(), 14u);
  EXPECT_EQ(m.notes[0].pitch, 71);
  EXPECT_EQ(m.notes[0].lyric, "う");
  EXPECT_EQ(m.notes[3].duration, Rational(3, 2));
  EXPECT_EQ(m.notes[9].onset, Rational(25, 3));  // the triplet, from the ticks

  const WrittenSong written = WriteSong(m);
  const CSongData& song = *written.song;
  EXPECT_EQ(song.m_beatsPerMeasure, 3);
  EXPECT_EQ(song.m_measureCount, 5);
  EXPECT_EQ(song.m_keyIndex, 1);  // G
  EXPECT_EQ(CellsText(song, 16, 2), "[69 - 71][- 72 -]");
  EXPECT_EQ(CellsText(song, 6, 4), "[78 - .][- - .][- - .][76 - .]");
}

// The notation program names no track: the voice is found by its register
// above the piano's chords and bass.
TEST(MidiImport, ChoosesTheVoiceOfANotationProgramsFile) {
  const MidiImportResult read = Read(ReadBytes(ImportFixture("ms_song.mid")));
  ASSERT_TRUE(read.melody);
  EXPECT_GE(read.parts.size(), 3u);
  ASSERT_EQ(read.melody->notes.size(), 13u);  // the tied note is one in MIDI
  EXPECT_EQ(read.melody->notes[0].pitch, 67);
  EXPECT_EQ(read.melody->notes[5].onset, Rational(19, 3));
  EXPECT_EQ(read.melody->tempo.value_or(0), 96.0);
}

TEST(MidiImport, ReadsCompoundMetreTiesAndDottedRhythms) {
  const MidiImportResult read = Read(ReadBytes(ImportFixture("abc_jig_6-8.mid")));
  ASSERT_TRUE(read.melody);
  const WrittenSong written = WriteSong(*read.melody);
  const CSongData& song = *written.song;
  EXPECT_EQ(song.m_beatsPerMeasure, 3);  // 6/8
  EXPECT_EQ(song.m_measureCount, 5);
  EXPECT_EQ(song.m_info.tempo, 120);  // 80 dotted quarters a minute
  EXPECT_EQ(CellsText(song, 0, 6), "[69 - .][- 71 .][69 - .][66 - .][- - .][69 - .]");
  // B3- B2: one note of five eighths over the bar line.
  EXPECT_EQ(CellsText(song, 6, 6), "[71 - .][- - .][- - .][- - .][- - .][74 - .]");
}

TEST(MidiImport, MovesAMelodyOutOfRangeByOctavesAndCountsIt) {
  ImportOutcome outcome = ImportFile(ImportFixture("abc_low_range.mid"));
  ASSERT_TRUE(outcome.song);
  CSongData& song = *outcome.song;
  FitOctave(song, kFirstStringBasePitch);
  const OpenStrings open = OpenStringPitches(0, 0);
  EXPECT_EQ(FitIntoPlayableRange(song, open), 4);  // c'' d'' e'' f''
  for (int c = 0; c < song.CellCount(); ++c) {
    for (std::int32_t v : song.m_cells[c].pitch) {
      if (v >= 0) {
        EXPECT_GE(v, open[0]);
        EXPECT_LE(v, open[2] + kMaxPosition - 1);
      }
    }
  }
  EXPECT_EQ(FitIntoPlayableRange(song, open), 0);
}

TEST(MidiImport, PrefersATrackNamedForTheMelodyOverHigherOnes) {
  Bytes high = Named("Flute");
  Bytes sung = Named("Vocal");
  for (int i = 0; i < 8; ++i) {
    AddNote(high, 0, 84, 480, 1);
    AddNote(sung, 0, 60, 480, 2);
  }
  const MidiImportResult named = Read(MakeMidi(1, 480, {Named("Title"), high, sung}));
  ASSERT_TRUE(named.melody);
  EXPECT_EQ(named.melody->notes[0].pitch, 60);
  EXPECT_EQ(named.melody->title, "Title");

  // Without a name: the highest among the busy ones; a few high notes of a
  // sparse track do not count as the melody.
  Bytes busy, sparse, bass;
  for (int i = 0; i < 8; ++i) {
    AddNote(busy, 0, 72, 480, 0);
    AddNote(bass, 0, 40, 480, 3);
  }
  AddNote(sparse, 0, 96, 480, 4);
  const MidiImportResult unnamed = Read(MakeMidi(1, 480, {bass, sparse, busy}));
  ASSERT_TRUE(unnamed.melody);
  EXPECT_EQ(unnamed.melody->notes[0].pitch, 72);
  EXPECT_EQ(unnamed.parts.size(), 3u);
}

TEST(MidiImport, LeavesTheDrumChannelOutAndKeepsTheTopOfChords) {
  Bytes track;
  for (int i = 0; i < 8; ++i) {
    AddNote(track, 0, 90, 240, 9);  // drums, higher than anything
  }
  // A chord of three notes (delta 0 each), then one note.
  track.insert(track.end(), {0x00, 0x90, 60, 90, 0x00, 0x90, 67, 90, 0x00, 0x90, 64, 90});
  track.insert(track.end(), {0x83, 0x60, 0x80, 60, 0, 0x00, 0x80, 67, 0, 0x00, 0x80, 64, 0});
  AddNote(track, 0, 62, 480);
  const MidiImportResult read = Read(MakeMidi(0, 480, {track}));
  ASSERT_TRUE(read.melody);
  ASSERT_EQ(read.melody->notes.size(), 2u);
  EXPECT_EQ(read.melody->notes[0].pitch, 67);
  EXPECT_EQ(read.melody->notes[1].pitch, 62);
  // Drums alone are no melody.
  Bytes drums;
  AddNote(drums, 0, 36, 480, 9);
  EXPECT_TRUE(Read(MakeMidi(0, 480, {drums})).error);
}

TEST(MidiImport, PutsHumanisedTimingOnSixteenthsAndClearTripletsOnThirds) {
  Bytes track;
  // Sixteenths played a little early and late: 0, 118, 245, 355.
  AddNote(track, 0, 60, 100);
  AddNote(track, 18, 62, 110);
  AddNote(track, 17, 64, 100);
  AddNote(track, 10, 65, 125);
  // Then triplet eighths at 160 ticks, a few ticks off.
  AddNote(track, 0, 67, 150);
  AddNote(track, 12, 69, 150);
  AddNote(track, 8, 71, 160);
  const MidiImportResult read = Read(MakeMidi(0, 480, {track}));
  ASSERT_TRUE(read.melody);
  const std::vector<MelodyNote>& n = read.melody->notes;
  ASSERT_EQ(n.size(), 7u);
  EXPECT_EQ(n[1].onset, Rational(1, 4));
  EXPECT_EQ(n[2].onset, Rational(1, 2));
  EXPECT_EQ(n[3].onset, Rational(3, 4));
  EXPECT_EQ(n[4].onset, Rational(1));
  EXPECT_EQ(n[5].onset, Rational(4, 3));
  EXPECT_EQ(n[6].onset, Rational(5, 3));
  EXPECT_EQ(n[0].duration, Rational(1, 4));  // the short gap is the player's
}

TEST(MidiImport, TakesKaraokeTextsAsLyrics) {
  Bytes words = {0x00, 0xFF, 0x01, 0x04, '@', 'K', 'M', 'I'};
  const std::string sjis = *Utf8ToCp932("さ");
  words.insert(words.end(), {0x00, 0xFF, 0x01, static_cast<unsigned char>(sjis.size() + 1), '/'});
  words.insert(words.end(), sjis.begin(), sjis.end());
  words.insert(words.end(), {0x83, 0x60, 0xFF, 0x01, 0x02, 'k', 'u'});
  Bytes melody;
  AddNote(melody, 0, 69, 480);
  AddNote(melody, 0, 71, 480);
  const MidiImportResult read = Read(MakeMidi(1, 480, {words, melody}));
  ASSERT_TRUE(read.melody);
  EXPECT_EQ(read.melody->notes[0].lyric, "さ");
  EXPECT_EQ(read.melody->notes[1].lyric, "ku");
}

TEST(MidiImport, RefusesBrokenChunksAndFormatsItCannotRead) {
  Bytes track;
  AddNote(track, 0, 60, 480);
  Bytes file = MakeMidi(0, 480, {track});
  Bytes cut(file.begin(), file.end() - 3);
  const MidiImportResult truncated = Read(cut);
  ASSERT_TRUE(truncated.error);
  EXPECT_NE(truncated.error->message.find("チャンク"), std::string::npos);

  Bytes format2 = file;
  format2[9] = 2;
  EXPECT_TRUE(Read(format2).error);
  Bytes smpte = file;
  smpte[12] = 0xE7;
  EXPECT_TRUE(Read(smpte).error);
  EXPECT_TRUE(Read(Bytes{'M', 'T', 'h', 'd'}).error);
  Bytes header(file.begin(), file.begin() + 14);
  EXPECT_TRUE(Read(header).error);  // no track at all
}

// count copies of the events in pattern, as one track body.
Bytes Repeated(const Bytes& pattern, std::size_t count) {
  Bytes track(pattern.size() * count);
  for (std::size_t i = 0; i < count; ++i) {
    std::copy(pattern.begin(), pattern.end(),
              track.begin() + static_cast<std::ptrdiff_t>(i * pattern.size()));
  }
  return track;
}

TEST(MidiImport, TracksLongerThanTheEnginesBuffersAreReadWhole) {
  // 50 000 notes, a track of some 400 KiB: the song takes what fits.
  Bytes twelve;
  for (int i = 0; i < 12; ++i) {
    AddNote(twelve, 0, 60 + i, 48);
  }
  const Bytes notes = Repeated(twelve, 50004 / 12);
  // 100 000 notes struck and never released: each ends at the next.
  Bytes five;
  for (int i = 0; i < 5; ++i) {
    five.insert(five.end(), {24, 0x90, static_cast<unsigned char>(60 + i), 100});
  }
  const Bytes struck = Repeated(five, 100000 / 5);
  const struct {
    const Bytes& track;
    int notes;
  } cases[] = {{notes, 50004}, {struck, 100000}};
  for (const auto& c : cases) {
    ASSERT_GT(c.track.size(), 393216u);
    const Bytes file = MakeMidi(0, 96, {c.track});
    const MidiImportResult read = Read(file);
    ASSERT_TRUE(read.melody) << read.error->message;
    ASSERT_EQ(read.parts.size(), 1u);
    EXPECT_EQ(read.parts[0].noteCount, c.notes);
  }
  // Cut at the song's capacity, with the notice every long song gets.
  const Bytes file = MakeMidi(0, 96, {notes});
  const ImportOutcome outcome = ImportBytes(file.data(), file.size(), FileKind::kMidi);
  ASSERT_TRUE(outcome.song);
  ASSERT_FALSE(outcome.notices.empty());
  EXPECT_NE(outcome.notices[0].find("曲が長すぎるため"), std::string::npos) << outcome.notices[0];
}

TEST(MidiImport, ATrackBeyondTheLimitIsNamedWithTheLimit) {
  Bytes one;
  AddNote(one, 0, 64, 24);
  const Bytes huge = Repeated(one, (4u << 20) / one.size() + 1);
  Bytes small;
  AddNote(small, 0, 72, 96);
  const MidiImportResult alone = Read(MakeMidi(0, 96, {huge}));
  ASSERT_TRUE(alone.error);
  EXPECT_NE(alone.error->message.find("4 MiB"), std::string::npos) << alone.error->message;
  // Beside it, the other tracks are read, and the user is told which was not.
  const MidiImportResult beside = Read(MakeMidi(1, 96, {small, huge}));
  ASSERT_TRUE(beside.melody);
  ASSERT_EQ(beside.notices.size(), 1u);
  EXPECT_EQ(beside.notices[0], "トラック 2 は 4 MiB を超えるため読みませんでした。");
}

// A meta event of type with text after delta (delta below 128).
void AddMeta(Bytes& track, unsigned char delta, unsigned char type, const std::string& text) {
  track.insert(track.end(), {delta, 0xFF, type, static_cast<unsigned char>(text.size())});
  track.insert(track.end(), text.begin(), text.end());
}

// Staccato triplets and a 2:1 swing, as abc2midi plays them: onsets exact,
// notes released half way.
TEST(MidiImport, TripletsPlayedShortAndSwungGoIntoThreeSlotCells) {
  const MidiImportResult read = Read(ReadBytes(ImportFixture("abc_short_triplets.mid")));
  ASSERT_TRUE(read.melody);
  const std::vector<MelodyNote>& n = read.melody->notes;
  ASSERT_GE(n.size(), 11u);
  EXPECT_EQ(n[1].onset, Rational(1, 3));
  EXPECT_EQ(n[5].onset, Rational(5, 3));
  EXPECT_EQ(n[0].duration, Rational(1, 3));  // the gap after a short triplet is the player's
  EXPECT_EQ(n[9].onset, Rational(14, 3));    // G>A swung: the second on the last third
  const WrittenSong written = WriteSong(*read.melody);
  const CSongData& song = *written.song;
  EXPECT_EQ(CellsText(song, 0, 4), "[67 - 69][- 71 -][72 - 74][- 76 -]");
  EXPECT_EQ(CellsText(song, 8, 4), "[67 - -][- 69 -][71 - -][- 72 -]");
  EXPECT_EQ(CellsText(song, 4, 2), "[74 - .][- - .]");  // d2 stays on sixteenths
}

TEST(MidiImport, LegatoOverlapsAreKeptAndInnerVoicesUnderAHeldNoteLeftOut) {
  Bytes track;
  // 64 from 0 to 500, 62 from 480 to 980 (struck 20 ticks before 64 ends).
  track.insert(track.end(), {0x00, 0x90, 64, 90, 0x83, 0x60, 0x90, 62, 90, 0x14, 0x80, 64, 0});
  // 60 from 960, struck 20 ticks before 62 ends, and held to 2400.
  track.insert(track.end(), {0x83, 0x4C, 0x90, 60, 90, 0x14, 0x80, 62, 0});
  // 55 from 1440 to 1680, an inner note under the held 60.
  track.insert(track.end(), {0x83, 0x4C, 0x90, 55, 90, 0x81, 0x70, 0x80, 55, 0});
  track.insert(track.end(), {0x85, 0x40, 0x80, 60, 0});
  const MidiImportResult read = Read(MakeMidi(0, 480, {track}));
  ASSERT_TRUE(read.melody);
  const std::vector<MelodyNote>& n = read.melody->notes;
  ASSERT_EQ(n.size(), 3u);
  EXPECT_EQ(n[1].pitch, 62);
  EXPECT_EQ(n[0].duration, Rational(1));
  EXPECT_EQ(n[1].onset, Rational(1));
  EXPECT_EQ(n[2].pitch, 60);
  EXPECT_EQ(n[2].duration, Rational(3));
}

TEST(MidiImport, KaraokeMarksGoAndSplitSyllablesJoinOnTheirNote) {
  Bytes words;
  AddMeta(words, 0, 0x01, "@KMIDI KARAOKE FILE");
  AddMeta(words, 0, 0x01, "Words");  // a description before the first note
  AddMeta(words, 0, 0x01, "\\Hap");
  AddMeta(words, 0x78, 0x01, "py ");  // later in the same note
  AddMeta(words, 0x78, 0x01, "/birth");
  Bytes melody;
  AddNote(melody, 0, 60, 240);
  AddNote(melody, 0, 62, 240);
  const MidiImportResult read = Read(MakeMidi(1, 480, {words, melody}));
  ASSERT_TRUE(read.melody);
  ASSERT_EQ(read.melody->notes.size(), 2u);
  EXPECT_EQ(read.melody->notes[0].lyric, "Happy");
  EXPECT_EQ(read.melody->notes[1].lyric, "birth");
}

TEST(MidiImport, ALyricInARestGoesToTheNextNote) {
  Bytes track;
  AddMeta(track, 0, 0x05, "la");
  AddNote(track, 0, 60, 240);
  AddMeta(track, 0x78, 0x05, " \xE3\x81\x95");  // 120 ticks into the rest: "さ"
  AddNote(track, 0x78, 62, 480);
  AddNote(track, 0, 64, 480);
  AddMeta(track, 0, 0x05, "/end\r");  // as the last note is released
  const MidiImportResult read = Read(MakeMidi(0, 480, {track}));
  ASSERT_TRUE(read.melody);
  const std::vector<MelodyNote>& n = read.melody->notes;
  ASSERT_EQ(n.size(), 3u);
  EXPECT_EQ(n[0].lyric, "la");
  EXPECT_EQ(n[1].lyric, "\xE3\x81\x95");
  EXPECT_EQ(n[2].lyric, "");  // nothing follows the end of the song
}

// A track that holds both verses writes two syllables at each onset.
TEST(MidiImport, OfVersesInOneTrackTheFirstSyllableAtEachOnsetIsSung) {
  Bytes track;
  AddNote(track, 0, 60, 480);
  const char* const verses[][2] = {{"Twin", "Up"}, {"kle", "a"}, {"star", "high"}};
  for (const auto& pair : verses) {
    AddMeta(track, 0, 0x05, pair[0]);
    AddMeta(track, 0, 0x05, pair[1]);
    AddNote(track, 0, 62, 480);
  }
  const MidiImportResult read = Read(MakeMidi(0, 480, {track}));
  ASSERT_TRUE(read.melody);
  const std::vector<MelodyNote>& n = read.melody->notes;
  ASSERT_EQ(n.size(), 4u);
  EXPECT_EQ(n[0].lyric, "");
  EXPECT_EQ(n[1].lyric, "Twin");
  EXPECT_EQ(n[2].lyric, "kle");
  EXPECT_EQ(n[3].lyric, "star");
}

// LilyPond writes each \lyricsto verse as a track of its own.
TEST(MidiImport, OfOneLyricTrackPerVerseTheFirstVerseIsSung) {
  const MidiImportResult read = Read(ReadBytes(ImportFixture("ly_two_verses.mid")));
  ASSERT_TRUE(read.melody);
  const std::vector<MelodyNote>& n = read.melody->notes;
  ASSERT_EQ(n.size(), 14u);
  const char* const first[] = {"Twin", "kle", "twin", "kle", "lit", "tle", "star,"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(n[static_cast<std::size_t>(i)].lyric, first[i]) << i;
  }
  EXPECT_EQ(n[13].lyric, "are.");
}

TEST(MidiImport, AFileEndingPartWayIntoABarBeginsWithAPickUp) {
  const MidiImportResult read = Read(ReadBytes(ImportFixture("abc_pickup_3-4.mid")));
  ASSERT_TRUE(read.melody);
  EXPECT_EQ(read.melody->pickup, Rational(1));
  const WrittenSong written = WriteSong(*read.melody);
  const CSongData& song = *written.song;
  EXPECT_EQ(song.m_measureCount, 9);
  EXPECT_EQ(CellsText(song, 0, 6), "[r - .][- - .][- - .][- - .][69 - .][- - .]");
  EXPECT_EQ(song.m_cells[6].pitch[0], 74);   // d on the first bar line
  EXPECT_EQ(song.m_cells[48].pitch[0], 74);  // the last bar whole: d6
}

// MuseScore writes the pick-up bar as a bar of 1/4 before the 4/4.
TEST(MidiImport, AShortFirstBarOfItsOwnMetreIsThePickUp) {
  const MidiImportResult read = Read(ReadBytes(ImportFixture("ms_song.mid")));
  ASSERT_TRUE(read.melody);
  EXPECT_EQ(read.melody->pickup, Rational(1));
  ASSERT_EQ(read.melody->metres.size(), 1u);
  EXPECT_EQ(read.melody->metres[0].numerator, 4);
  const WrittenSong written = WriteSong(*read.melody);
  EXPECT_EQ(written.song->m_beatsPerMeasure, 4);
  EXPECT_EQ(written.song->m_cells[6].pitch[0], 67);  // the pick-up on beat 4
  EXPECT_EQ(written.song->m_cells[8].pitch[0], 72);  // the first bar line
  EXPECT_TRUE(written.notices.empty());
}

// The first note half a beat in, then quarters: the file's length says
// whether its bars stand; an end off the grid says nothing.
TEST(MidiImport, BarsStayFromTheStartUnlessTheFileEndsWithinABar) {
  struct Case {
    const char* what;
    std::uint32_t firstLength;  // ticks, of the note at 240
    int quarters;               // after it
    unsigned char endDelta;     // end of track after the last release
    Rational firstOnset;
    Rational pickup;
  };
  const Case cases[] = {
      {"ends on a bar line", 240, 7, 0, Rational(1, 2), Rational(0)},
      {"ends a beat into a bar", 240, 8, 0, Rational(0), Rational(1, 2)},
      {"ends off the eighth grid", 240, 8, 31, Rational(1, 2), Rational(0)},
      {"leading silence, then whole bars", 480, 7, 0, Rational(0), Rational(0)},
  };
  for (const Case& c : cases) {
    Bytes track;
    AddNote(track, 240, 60, c.firstLength);
    for (int i = 0; i < c.quarters; ++i) {
      AddNote(track, 0, 62, 480);
    }
    if (c.endDelta != 0) {
      AddMeta(track, c.endDelta, 0x06, "end");
    }
    const MidiImportResult read = Read(MakeMidi(0, 480, {track}));
    ASSERT_TRUE(read.melody) << c.what;
    EXPECT_EQ(read.melody->notes[0].onset, c.firstOnset) << c.what;
    EXPECT_EQ(read.melody->pickup, c.pickup) << c.what;
  }
}

TEST(MidiImport, LongSysExAndMetaEventsSayNothingOnStandardOutput) {
  Bytes track = {0x00, 0xF0, 0x83, 0x00};  // 384 bytes of SysEx
  track.insert(track.end(), 383, 0x10);
  track.push_back(0xF7);
  const std::string longText(300, 'x');
  track.insert(track.end(), {0x00, 0xFF, 0x01, 0x82, 0x2C});
  track.insert(track.end(), longText.begin(), longText.end());
  AddNote(track, 0, 60, 480);
  ScopedReportCapture reports;
  const Bytes file = MakeMidi(0, 480, {track});
  const ImportOutcome outcome = ImportBytes(file.data(), file.size(), FileKind::kMidi);
  ASSERT_TRUE(outcome.song);
  EXPECT_EQ(reports.Text(), "");
  ASSERT_EQ(outcome.notices.size(), 1u);
  EXPECT_EQ(outcome.notices[0].rfind("MIDI ファイルについて: ", 0), 0u) << outcome.notices[0];
  EXPECT_EQ(outcome.notices[0],
            "MIDI ファイルについて: 256 バイト以上の SysEx やメタイベントがあります "
            "(旋律の読み込みには使いません)。");
}

TEST(MidiImport, SaysWhenTheMelodyIsAGuessAmongSeveralTracks) {
  Bytes a, b, bass;
  for (int i = 0; i < 8; ++i) {
    AddNote(a, 0, 72 + i % 3, 480, 0);
    AddNote(b, 0, 67, 480, 1);
  }
  AddNote(bass, 0, 40, 480, 2);
  const MidiImportResult guess = Read(MakeMidi(1, 480, {a, b, bass}));
  ASSERT_TRUE(guess.melody);
  EXPECT_EQ(guess.candidates, 2);  // the sparse bass is no candidate
  EXPECT_EQ(guess.parts[0].lowest, 72);
  EXPECT_EQ(guess.parts[0].highest, 74);
  Bytes named = Named("Melody");
  named.insert(named.end(), b.begin(), b.end());
  EXPECT_EQ(Read(MakeMidi(1, 480, {a, named})).candidates, 1);
}

}  // namespace
}  // namespace kumoito::import
