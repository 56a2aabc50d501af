#include "song/score_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_box.h"
#include "common/report.h"
#include "common/sjis.h"
#include "song/score_layout.h"
#include "song/song_data.h"
#include "tests/song/song_test_util.h"

namespace kumoito {
namespace {

namespace L = score_layout;
using namespace test;

class ScoreFileTest : public ::testing::Test {
 protected:
  // Loads bytes as a file and saves the song again, as the program does.
  Bytes LoadAndSave(const Bytes& bytes) {
    Loaded l = LoadBytes(m_dir, bytes);
    const std::string out = m_dir.Path("saved.mwd");
    EXPECT_TRUE(SaveScore(*l.song, l.song->m_beatsPerMeasure, l.song->m_keyIndex, out,
                          l.song->m_headerWord));
    return ReadFile(out);
  }

  TempDir m_dir;
  ScopedReportCapture m_reports;
  ScopedMessageBoxCapture m_boxes;
};

// The first offsets where two images differ (a short list for a readable failure).
std::vector<std::size_t> Differences(const Bytes& a, const Bytes& b) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) && out.size() < 16; ++i) {
    if (i >= a.size() || i >= b.size() || a[i] != b[i]) {
      out.push_back(i);
    }
  }
  return out;
}

// Letters only: no blank for trimming to remove, no '9' for the add9 spelling.
std::string Letters(std::size_t n, std::size_t offset) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) {
    s.push_back(static_cast<char>('A' + (offset + i) % 26));
  }
  return s;
}

// A short text, its terminator, and bytes that would mean something to the
// loader if it looked past the end (blanks, '9', fill and deletion marks),
// filling a field of n bytes.
std::string EndsEarly(std::string_view text, std::size_t n) {
  static constexpr std::string_view kJunk = "9 \xCC\xDD\x81\x40z";
  std::string s(text);
  s.push_back('\0');
  for (std::size_t i = 0; s.size() < n; ++i) {
    s.push_back(kJunk[i % kJunk.size()]);
  }
  return s;
}

TEST_F(ScoreFileTest, CurrentVersionRoundTripsEveryBlock) {
  auto song = NewSong(2, 3, 4);
  song->m_cells[0].pitch[0] = 67;
  std::strcpy(song->m_cells[0].lyric[0], "\x82\xB3");  // さ
  song->m_cells[1].pitch[0] = 69;
  song->m_cells[1].pitch[1] = 71;
  std::strcpy(song->m_beatChords[1].chord, "G7");
  std::strcpy(song->m_beatChords[1].chordMid, "C");
  std::strcpy(song->m_info.title, "\x82\xB3\x82\xAD\x82\xE7");  // さくら
  std::strcpy(song->m_info.composer, "trad.");
  song->m_info.tempo = 96;
  song->m_info.reserved3[10] = 3;  // region code
  song->m_info.infoText[5] = 75;   // fame score
  std::strcpy(song->m_freeText, "free text");
  song->m_beatMarkA[3] = 1;
  song->m_beatMarkB[1023] = 9;
  song->SetExtraText(0, "x");
  song->SetExtraText(11, "last");
  const std::string path = m_dir.Path("round.mwd");
  ASSERT_TRUE(SaveScore(*song, song->m_beatsPerMeasure, song->m_keyIndex, path, 1));
  ASSERT_EQ(ReadFile(path).size(), L::kFileSize);

  std::int32_t beats = 0, key = 0, measures = 0;
  auto back = CSongData::LoadOrCreate(path, beats, key, measures);
  EXPECT_EQ(beats, 3);
  EXPECT_EQ(key, 4);
  EXPECT_EQ(measures, 2);
  EXPECT_EQ(back->KeyName(), "E ");
  EXPECT_EQ(std::memcmp(back->m_cells.data(), song->m_cells.data(), sizeof song->m_cells), 0);
  EXPECT_EQ(
      std::memcmp(back->m_beatChords.data(), song->m_beatChords.data(), sizeof song->m_beatChords),
      0);
  EXPECT_EQ(std::memcmp(&back->m_info, &song->m_info, sizeof song->m_info), 0);
  EXPECT_STREQ(back->m_freeText, "free text");
  EXPECT_EQ(back->m_beatMarkA, song->m_beatMarkA);
  EXPECT_EQ(back->m_beatMarkB, song->m_beatMarkB);
  EXPECT_EQ(back->ExtraText(0), "x");
  EXPECT_EQ(back->ExtraText(11), "last");
  EXPECT_EQ(back->m_lowestPitch, 67);
  EXPECT_EQ(back->m_highestPitch, 71);
  EXPECT_EQ(m_reports.Text(), "");
  EXPECT_TRUE(m_boxes.Messages().empty());
}

TEST_F(ScoreFileTest, TextFieldsFullToTheLastByteSurviveLoadAndSave) {
  Bytes b = MakeCurrentImage(L::kFileSize, 4, 4);
  for (std::size_t beat = 0; beat < kMaxBeats; ++beat) {
    const std::size_t p = L::kChordBlock + beat * L::kChordRecordSize;
    PutText(b, p, Letters(kChordFieldSize, beat));
    PutText(b, p + kChordFieldSize, Letters(kChordFieldSize, beat + 7));
  }
  // Every slot a note, so that no lyric field is free space for extra texts.
  for (std::size_t c = 0; c < kMaxCells; ++c) {
    const std::size_t p = L::kCellBlock + c * L::kCellRecordSize;
    for (std::size_t s = 0; s < kSlotsPerCell; ++s) {
      PutLE32(b, p + 4 * s, static_cast<std::int32_t>(48 + (c + s) % 40));
      PutText(b, p + L::kCellLyricOffset + kLyricFieldSize * s, Letters(kLyricFieldSize, c + s));
    }
  }
  const std::size_t info = L::kInfoBlock;
  std::string title;
  for (int i = 0; i < 16; ++i) {
    title += "\x82\xB3";  // さ
  }
  PutText(b, info + L::kInfoTitle, title + "A");
  PutText(b, info + L::kInfoTitleSub, Letters(31, 1));
  PutText(b, info + L::kInfoComposer, Letters(33, 2));
  PutText(b, info + L::kInfoComposerSub, Letters(31, 3));
  PutText(b, info + L::kInfoLyricist, Letters(33, 4));
  PutText(b, info + L::kInfoLyricistSub, Letters(31, 5));
  PutText(b, info + L::kInfoText, Letters(24, 6));
  PutText(b, L::kFreeText, Letters(kFreeTextSize, 7));

  const Bytes saved = LoadAndSave(b);
  // The one deliberate change: a full free-text block keeps 2047 characters.
  EXPECT_EQ(Differences(b, saved), (std::vector<std::size_t>{L::kFreeText + kFreeTextSize - 1}));
  EXPECT_EQ(saved[L::kFreeText + kFreeTextSize - 1], 0);
  EXPECT_EQ(m_reports.Text(), "");
}

TEST_F(ScoreFileTest, BytesAfterEarlyTerminatorsSurviveLoadAndSave) {
  Bytes b = MakeCurrentImage(L::kFileSize, 4, 4);
  for (std::size_t beat = 0; beat < kMaxBeats; ++beat) {
    const std::size_t p = L::kChordBlock + beat * L::kChordRecordSize;
    // Beat 1 is empty with a '9' right after its terminator: no add9 chord.
    PutText(b, p, EndsEarly(beat == 1 ? "" : "C", kChordFieldSize));
    PutText(b, p + kChordFieldSize, EndsEarly(beat % 2 == 0 ? "G7" : "", kChordFieldSize));
  }
  for (std::size_t c = 0; c < kMaxCells; ++c) {
    const std::size_t p = L::kCellBlock + c * L::kCellRecordSize;
    if (c % 2 == 1 && c < 32) {
      PutLE32(b, p, static_cast<std::int32_t>(60 + c % 12));
    }
    // The free fields of rests and holds carry the twelve extra texts: all
    // empty here, so they end inside cell 0 and the rest stays as it is.
    for (std::size_t s = 0; s < kSlotsPerCell; ++s) {
      if (c > 0) {
        PutText(b, p + L::kCellLyricOffset + kLyricFieldSize * s,
                EndsEarly(c % 3 == 0 ? "" : "\x82\xB3", kLyricFieldSize));
      }
    }
  }
  const std::size_t info = L::kInfoBlock;
  PutText(b, info + L::kInfoTitle, EndsEarly("Title", 33));
  PutText(b, info + L::kInfoTitleSub, EndsEarly("", 31));
  PutText(b, info + L::kInfoComposer, EndsEarly("trad.", 33));
  PutText(b, info + L::kInfoComposerSub, EndsEarly("x", 31));
  PutText(b, info + L::kInfoLyricist, EndsEarly("anon", 33));
  PutText(b, info + L::kInfoLyricistSub, EndsEarly("", 31));
  PutText(b, info + L::kInfoText, EndsEarly("info", 24));
  PutText(b, L::kFreeText, EndsEarly("memo", kFreeTextSize));
  ASSERT_NE(b[L::kFreeText + kFreeTextSize - 1], 0);
  ASSERT_NE(b[info + L::kInfoText + 23], 0);

  const Bytes saved = LoadAndSave(b);
  EXPECT_EQ(Differences(b, saved), std::vector<std::size_t>{});
  EXPECT_EQ(m_reports.Text(), "");
}

TEST_F(ScoreFileTest, ImageBytesSitAtTheirOffsets) {
  auto song = NewSong(8, 4, 0);
  song->m_cells[2].pitch[0] = 60;
  song->SetExtraText(0, "abc");
  std::strcpy(song->m_info.title, "T  ");
  const std::string path = m_dir.Path("bytes.mwd");
  ASSERT_TRUE(SaveScore(*song, 4, 9, path, 0x1234));
  const Bytes b = ReadFile(path);
  ASSERT_EQ(b.size(), L::kFileSize);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[0]), 3), std::string("C \0", 3));
  EXPECT_EQ(GetLE32(b, L::kCellBlock + 2 * L::kCellRecordSize), 60);
  // The extra text went to the first free field: slot 0 of cell 0 is a rest.
  EXPECT_EQ(std::memcmp(&b[L::kCellBlock + L::kCellLyricOffset], "abc\0\0\0\0\0", 8), 0);
  EXPECT_EQ(std::memcmp(&b[L::kInfoBlock + L::kInfoTitle], "T\0\0", 3), 0);
  EXPECT_EQ(GetLE32(b, L::kInfoBlock + L::kInfoTempo), 120);
  EXPECT_EQ(GetLE32(b, L::kHeader), 8);
  EXPECT_EQ(b[L::kHeader + 4], 4);
  EXPECT_EQ(b[L::kHeader + 5], 0);
  EXPECT_EQ(b[L::kHeader + 6], 0x34);
  EXPECT_EQ(b[L::kHeader + 7], 0x12);
  EXPECT_EQ(GetLE32(b, L::kHeader + 8), 9);
  // The song itself is usable afterwards, its free fields empty again.
  EXPECT_EQ(song->m_cells[0].lyric[0][0], '\0');
  EXPECT_EQ(song->ExtraText(0), "abc");
}

TEST_F(ScoreFileTest, OldestVersionConvertsChordsAndEighthCells) {
  Bytes b(L::kOldestSize, 0);
  // The old writers' eighth byte was always the terminator.
  PutText(b, 0, "ABCDEFGH");
  PutText(b, 8, "G7");
  PutText(b, 16, "Ab\x81\x40" "cd\x83\x41");  // a two-byte character in bytes 6 and 7
  for (int c = 0; c < kMaxCells; ++c) {
    PutLE32(b, L::kOldCellBlock + c * 12, c == 0 ? 62 : c == 2 ? 64 : SLOT_REST);
  }
  PutText(b, L::kOldCellBlock + 4, "LYRICSXY");  // no NUL within 8 bytes
  PutText(b, L::kOldCellBlock + 2 * 12 + 4, std::string("ab\0junk", 8));
  PutLE32(b, L::kOldestHeader, 2);
  PutLE16(b, L::kOldestHeader + 4, 4);
  PutLE32(b, L::kOldestHeader + 8, 1);
  Loaded l = LoadBytes(m_dir, b);
  EXPECT_EQ(FieldText(l.song->m_beatChords[0].chord), "ABCDEFG");
  EXPECT_STREQ(l.song->m_beatChords[1].chord, "G7");
  EXPECT_EQ(FieldText(l.song->m_beatChords[2].chord), "Ab\x81\x40" "cd");
  EXPECT_EQ(l.song->m_beatChords[2].chord[7], '\0');
  EXPECT_STREQ(l.song->m_beatChords[0].chordMid, "");
  EXPECT_EQ(l.song->m_cells[0].pitch[0], 62);
  EXPECT_EQ(l.song->m_cells[0].pitch[1], SLOT_HOLD);
  EXPECT_EQ(l.song->m_cells[0].pitch[2], SLOT_NONE);
  EXPECT_EQ(FieldText(l.song->m_cells[0].lyric[0]), "LYRICSX");
  // What followed an old terminator was never the file's text.
  EXPECT_EQ(std::string(l.song->m_cells[2].lyric[0], 8), std::string("ab\0\0\0\0\0\0", 8));
  EXPECT_EQ(l.song->m_cells[1].pitch[0], SLOT_REST);
  EXPECT_EQ(l.song->m_info.tempo, 120);
  EXPECT_EQ(l.measures, 2);
  EXPECT_EQ(l.key, 1);
  EXPECT_EQ(l.song->KeyName(), "G ");
}

TEST_F(ScoreFileTest, OldChordVersionKeepsCurrentCellsAndDefaultInfo) {
  Bytes b(L::kOldChordSize, 0);
  PutText(b, 8 * 5, "Dm");
  PutText(b, 8 * 6, "Cmaj7b13");
  PutLE32(b, L::kOldCellBlock + 3 * L::kCellRecordSize, 72);
  PutLE32(b, L::kOldCellBlock + 3 * L::kCellRecordSize + 4, 74);
  PutLE32(b, L::kOldChordHeader, 3);
  PutLE16(b, L::kOldChordHeader + 4, 2);
  PutLE16(b, L::kOldChordHeader + 6, 7);
  Loaded l = LoadBytes(m_dir, b);
  EXPECT_STREQ(l.song->m_beatChords[5].chord, "Dm");
  EXPECT_STREQ(l.song->m_beatChords[6].chord, "Cmaj7b1");
  EXPECT_EQ(l.song->m_cells[3].pitch[0], 72);
  EXPECT_EQ(l.song->m_cells[3].pitch[1], 74);
  EXPECT_EQ(l.song->m_info.tempo, 120);
  EXPECT_EQ(l.song->m_info.infoValueB, 1);
  EXPECT_EQ(l.song->m_headerWord, 7);
  EXPECT_EQ(l.beats, 2);
  EXPECT_EQ(l.measures, 3);
}

TEST_F(ScoreFileTest, LaterBlocksAreReadOnlyWhenTheSizeHoldsThem) {
  for (std::size_t size : {L::kInfoSize, L::kFreeTextVersion, L::kFileSize, std::size_t{99208}}) {
    Bytes b = MakeCurrentImage(size);
    if (size >= L::kFreeTextVersion) {
      PutText(b, L::kFreeText, "memo");
    }
    if (size >= L::kFileSize) {
      b[L::kBeatMarkA] = 5;
      b[L::kBeatMarkB + 1] = 6;
    }
    PutText(b, L::kInfoBlock + L::kInfoTitle, "Title");
    Loaded l = LoadBytes(m_dir, b);
    EXPECT_STREQ(l.song->m_info.title, "Title") << size;
    EXPECT_STREQ(l.song->m_freeText, size >= L::kFreeTextVersion ? "memo" : "") << size;
    EXPECT_EQ(l.song->m_beatMarkA[0], size >= L::kFileSize ? 5 : 0) << size;
    EXPECT_EQ(l.song->m_beatMarkB[1], size >= L::kFileSize ? 6 : 0) << size;
  }
  EXPECT_EQ(m_reports.Text(), "");
}

TEST_F(ScoreFileTest, EveryVersionIsSavedInTheCurrentLayout) {
  for (std::size_t size :
       {L::kOldestSize, L::kOldChordSize, L::kInfoSize, L::kFreeTextVersion, std::size_t{99208}}) {
    Bytes b = size <= L::kOldChordSize ? Bytes(size, 0) : MakeCurrentImage(size);
    if (size <= L::kOldChordSize) {
      const std::size_t header = size == L::kOldestSize ? L::kOldestHeader : L::kOldChordHeader;
      PutLE32(b, header, 1);
      PutLE16(b, header + 4, 4);
    }
    Loaded l = LoadBytes(m_dir, b);
    const std::string out = m_dir.Path("out.mwd");
    ASSERT_TRUE(SaveScore(*l.song, l.song->m_beatsPerMeasure, l.song->m_keyIndex, out, 1));
    EXPECT_EQ(ReadFile(out).size(), L::kFileSize) << size;
  }
}

TEST_F(ScoreFileTest, InfoValuesAreRepaired) {
  struct Case {
    std::int32_t tempo;
    std::int32_t expected;
  };
  for (Case c : {Case{30, 80}, Case{300, 80}, Case{40, 40}, Case{240, 240}, Case{39, 80},
                 Case{241, 80}, Case{-5, 80}}) {
    Bytes b = MakeCurrentImage(L::kFileSize);
    PutLE32(b, L::kInfoBlock + L::kInfoTempo, c.tempo);
    EXPECT_EQ(LoadBytes(m_dir, b).song->m_info.tempo, c.expected) << c.tempo;
  }
  Bytes b = MakeCurrentImage(L::kFileSize);
  PutLE32(b, L::kInfoBlock + L::kInfoValueA, static_cast<std::int32_t>(0xFEEEFEEE));
  PutLE32(b, L::kInfoBlock + L::kInfoValueB, static_cast<std::int32_t>(0xFEEEFEEE));
  PutLE32(b, L::kInfoBlock + L::kInfoValueC, 128);
  PutLE32(b, L::kInfoBlock + L::kInfoValueD, 77);
  PutText(b, L::kInfoBlock + L::kInfoLyricist,
          "\xDD"
          "abc");
  Loaded l = LoadBytes(m_dir, b);
  EXPECT_EQ(l.song->m_info.infoValueA, 0);
  EXPECT_EQ(l.song->m_info.infoValueB, 1);
  EXPECT_EQ(l.song->m_info.infoValueC, 0);
  EXPECT_EQ(l.song->m_info.infoValueD, 77);
  EXPECT_STREQ(l.song->m_info.lyricist, "");
  EXPECT_EQ(l.song->m_info.lyricist[1], 'a');  // only the first byte is cleared
}

TEST_F(ScoreFileTest, StoredAdd9ChordsAreSpelledOut) {
  Bytes b = MakeCurrentImage(L::kFileSize);
  PutText(b, 0, "Am9");
  PutText(b, 8, "C9");  // chordMid: left alone
  PutText(b, 16, "F#9");
  Loaded l = LoadBytes(m_dir, b);
  EXPECT_STREQ(l.song->m_beatChords[0].chord, "Amadd9");
  EXPECT_STREQ(l.song->m_beatChords[0].chordMid, "C9");
  EXPECT_STREQ(l.song->m_beatChords[1].chord, "F#add9");
}

TEST_F(ScoreFileTest, ShortFilesOfNoKnownSizeAreRefused) {
  for (std::size_t size :
       {std::size_t{0}, std::size_t{100}, std::size_t{32781}, L::kInfoSize - 1}) {
    m_reports.Clear();
    Loaded l = LoadBytes(m_dir, Bytes(size, 0xAB), 4, 2, 3);
    const std::string path = m_dir.Path("song.mwd");
    EXPECT_EQ(m_reports.Text(), "\nGENE0100000D ファイルサイズにエラーがあります。 [" + path + "]")
        << size;
    // A new song of the caller's shape.
    EXPECT_EQ(l.measures, 3);
    EXPECT_EQ(l.beats, 4);
    EXPECT_EQ(l.key, 2);
    EXPECT_STREQ(l.song->m_beatChords[0].chord, "D ");
    EXPECT_EQ(l.song->m_cells[0].pitch[0], SLOT_REST);
  }
}

TEST_F(ScoreFileTest, AFolderIsNoScore) {
  std::int32_t beats = 4, key = 0, measures = 2;
  auto song = CSongData::LoadOrCreate(m_dir.path().string(), beats, key, measures);
  EXPECT_EQ(song->m_measureCount, 2);
  EXPECT_EQ(m_reports.Text(), "");
}

TEST_F(ScoreFileTest, HeaderValuesOutsideTheCapacityAreLimited) {
  Bytes b = MakeCurrentImage(L::kFileSize, 100000, 3, 45);
  Loaded l = LoadBytes(m_dir, b);
  EXPECT_EQ(l.measures, 341);
  EXPECT_EQ(l.song->BeatCount(), 1023);
  EXPECT_EQ(l.key, 0);
  EXPECT_EQ(l.song->m_keyIndex, 0);

  b = MakeCurrentImage(L::kFileSize, -7, 4, -1);
  l = LoadBytes(m_dir, b);
  EXPECT_EQ(l.measures, 0);
  EXPECT_EQ(l.song->BeatCount(), 0);
  EXPECT_EQ(l.key, 0);
  EXPECT_EQ(l.song->m_lowestPitch, -1);
  EXPECT_TRUE(m_boxes.Messages().empty());
}

TEST_F(ScoreFileTest, BadBeatCountResetsToAnEmptyFourByFour) {
  for (std::int16_t beats : {std::int16_t{0}, std::int16_t{9}, std::int16_t{-4}}) {
    ScopedMessageBoxCapture boxes;
    Bytes b = MakeCurrentImage(L::kFileSize, 12, beats, 5);
    PutText(b, L::kInfoBlock + L::kInfoTitle, "lost");
    Loaded l = LoadBytes(m_dir, b);
    EXPECT_EQ(boxes.Messages(),
              (std::vector<std::string>{"[" + std::to_string(beats) + "]", "time sign 0"}));
    EXPECT_EQ(l.beats, 4);
    EXPECT_EQ(l.measures, 4);
    EXPECT_EQ(l.key, 0);
    EXPECT_EQ(l.song->m_headerWord, 0);
    EXPECT_STREQ(l.song->m_info.title, "");
    EXPECT_STREQ(l.song->m_beatChords[15].chord, "C ");
  }
}

TEST_F(ScoreFileTest, SlotValuesNoEditorWritesBecomeRests) {
  Bytes b = MakeCurrentImage(L::kFileSize);
  const std::size_t cell1 = L::kCellBlock + L::kCellRecordSize;
  PutLE32(b, cell1, 300);
  PutLE32(b, cell1 + 4, -50);
  PutLE32(b, cell1 + 8, 128);
  PutLE32(b, cell1 + 36, 64);
  PutText(b, cell1 + 36 + L::kCellLyricOffset, "ABCDEFGH");  // a note's lyric, unterminated
  Loaded l = LoadBytes(m_dir, b);
  EXPECT_EQ(l.song->m_cells[1].pitch[0], SLOT_REST);
  EXPECT_EQ(l.song->m_cells[1].pitch[1], SLOT_REST);
  EXPECT_EQ(l.song->m_cells[1].pitch[2], SLOT_NONE);
  EXPECT_EQ(FieldText(l.song->m_cells[2].lyric[0]), "ABCDEFGH");
  EXPECT_EQ(l.song->m_highestPitch, 64);
}

TEST_F(ScoreFileTest, UnwritableTargetIsReportedAndTheSongStaysUsable) {
  auto song = NewSong(1);
  song->SetExtraText(0, "keep");
  const std::string path = m_dir.Path("missing-folder/x.mwd");
  EXPECT_FALSE(SaveScore(*song, 4, 0, path, 1));
  EXPECT_NE(m_reports.Text().find("\n file_name=" + path + "\nGENE01000007 "), std::string::npos);
  EXPECT_EQ(song->m_cells[0].lyric[0][0], '\0');
  EXPECT_EQ(song->ExtraText(0), "keep");
}

TEST_F(ScoreFileTest, SaveWithoutPathUsesTheSongsOwnPath) {
  const std::string path = m_dir.Path("own.mwd");
  std::int32_t beats = 4, key = 0, measures = 1;
  auto song = CSongData::LoadOrCreate(path, beats, key, measures);
  ASSERT_TRUE(SaveScore(*song, 4, 0, "", 1));
  EXPECT_EQ(ReadFile(path).size(), L::kFileSize);
}

TEST_F(ScoreFileTest, LoadAndSaveGivesTheNormalizedSong) {
  Bytes b = MakeCurrentImage(L::kFileSize, 1, 4);
  // Two rests in a row inside the measure, and a title with trailing blanks.
  PutLE32(b, L::kCellBlock + 1 * L::kCellRecordSize, SLOT_REST);
  PutText(b, L::kInfoBlock + L::kInfoTitle, "Title \x81\x40");
  const std::string in = m_dir.Path("song.mwd");
  WriteFile(in, b);
  std::int32_t beats = 0, key = 0, measures = 0;
  auto song = CSongData::LoadOrCreate(in, beats, key, measures);
  const std::string out = m_dir.Path("saved.mwd");
  ASSERT_TRUE(SaveScore(*song, song->m_beatsPerMeasure, song->m_keyIndex, out, song->m_headerWord));
  const Bytes saved = ReadFile(out);
  EXPECT_EQ(GetLE32(saved, L::kCellBlock + 1 * L::kCellRecordSize), SLOT_HOLD);
  EXPECT_EQ(std::memcmp(&saved[L::kInfoBlock + L::kInfoTitle], "Title\0\0\0", 8), 0);
}

}  // namespace
}  // namespace kumoito
