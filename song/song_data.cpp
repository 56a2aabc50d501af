#include "song/song_data.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "common/report.h"
#include "common/sjis.h"
#include "song/chord_names.h"
#include "song/key_table.h"
#include "song/score_file.h"

namespace kumoito {
namespace {

constexpr std::string_view kEndChord = "----";
constexpr std::string_view kSkipChord = "Skip";

template <std::size_t N>
void ClearField(char (&field)[N]) {
  std::memset(field, 0, N);
}

// Writes text into a fixed field whose previous contents are discarded.
template <std::size_t N>
void ReplaceField(char (&field)[N], std::string_view text) {
  ClearField(field);
  SetFieldText(field, text);
}

// The chord sounding at the end of a beat.
std::string_view EffectiveChord(const BeatChord& beat) {
  std::string_view mid = FieldText(beat.chordMid);
  return mid.empty() ? FieldText(beat.chord) : mid;
}

bool IsBlankAt(const char* text, std::size_t i, std::size_t len, std::size_t& width) {
  auto c = static_cast<unsigned char>(text[i]);
  if (c == ' ') {
    width = 1;
    return true;
  }
  if (c == kSjisWideBlankLead && i + 1 < len &&
      static_cast<unsigned char>(text[i + 1]) == kSjisWideBlankTrail) {
    width = 2;
    return true;
  }
  width = (IsSjisLeadByte(c) && i + 1 < len) ? 2 : 1;
  return false;
}

// Trims trailing blanks of a NUL-terminated text of at most n bytes, zeroing
// the bytes it removes.
void TrimField(char* field, std::size_t n) {
  std::size_t len = FieldLength(field, n);
  std::size_t keep = SjisTrimmedLength(std::string_view(field, len));
  std::memset(field + keep, 0, len - keep);
}

template <std::size_t N>
void TrimField(char (&field)[N]) {
  TrimField(field, N);
}

}  // namespace

CSongData::CSongData() {
  ResetSong();
  m_headerWord = 1;
  std::memset(m_keyName, 0, sizeof m_keyName);
}

std::unique_ptr<CSongData> CSongData::LoadOrCreate(const std::string& path,
                                                   std::int32_t& beatsPerMeasure,
                                                   std::int32_t& keyIndex,
                                                   std::int32_t& measureCount) {
  return Load(path, beatsPerMeasure, keyIndex, measureCount, true);
}

std::unique_ptr<CSongData> CSongData::LoadExisting(const std::string& path,
                                                   std::int32_t& beatsPerMeasure,
                                                   std::int32_t& keyIndex,
                                                   std::int32_t& measureCount) {
  return Load(path, beatsPerMeasure, keyIndex, measureCount, false);
}

std::unique_ptr<CSongData> CSongData::Load(const std::string& path, std::int32_t& beatsPerMeasure,
                                           std::int32_t& keyIndex, std::int32_t& measureCount,
                                           bool createWhenUnread) {
  std::unique_ptr<CSongData> song(new CSongData);
  song->m_filePath = path;
  song->m_readFromFile = ReadScoreFile(*song, path);
  if (!song->m_readFromFile && !createWhenUnread) {
    return nullptr;
  }
  if (song->m_readFromFile) {
    beatsPerMeasure = song->m_beatsPerMeasure;
    keyIndex = song->m_keyIndex;
    measureCount = song->m_measureCount;
  } else {
    song->MakeNew(beatsPerMeasure, keyIndex, measureCount);
    keyIndex = song->m_keyIndex;
    measureCount = song->m_measureCount;
  }
  song->SetKeyName(song->m_keyIndex);
  if (song->m_lowestPitch < -1) {
    song->m_lowestPitch = 0;
  }
  song->CollapseBlanks();

  const int beats = song->m_beatsPerMeasure;
  if (beats < kMinBeatsPerMeasure || beats > kMaxBeatsPerMeasure) {
    ShowMessageBox("[" + std::to_string(beats) + "]");
    ShowMessageBox("time sign 0");
    song->ResetSong();
    song->m_measureCount = 4;
    song->m_beatsPerMeasure = 4;
    song->m_headerWord = 0;
    song->m_keyIndex = 0;
    song->SetKeyName(0);
    song->InitEmptySong();
    beatsPerMeasure = 4;
    measureCount = 4;
    keyIndex = 0;
  }
  return song;
}

void CSongData::MakeNew(std::int32_t beatsPerMeasure, std::int32_t keyIndex,
                        std::int32_t measureCount) {
  ResetSong();
  m_beatsPerMeasure =
      static_cast<std::int16_t>(std::clamp<std::int32_t>(beatsPerMeasure, INT16_MIN, INT16_MAX));
  m_keyIndex = ValidKeyIndex(keyIndex);
  m_measureCount = std::max<std::int32_t>(measureCount, 0);
  if (m_beatsPerMeasure >= kMinBeatsPerMeasure && m_beatsPerMeasure <= kMaxBeatsPerMeasure) {
    m_measureCount = std::min(m_measureCount, MaxMeasureCount());
  }
  m_headerWord = 1;
  SetKeyName(m_keyIndex);
  InitEmptySong();
}

std::unique_ptr<CSongData> CSongData::Clone(const CSongData& source) {
  return std::unique_ptr<CSongData>(new CSongData(source));
}

std::unique_ptr<CSongData> CSongData::CopyMeasures(const CSongData& source, std::int32_t n) {
  std::unique_ptr<CSongData> song(new CSongData);
  song->m_beatsPerMeasure = source.m_beatsPerMeasure;
  song->m_keyIndex = source.m_keyIndex;
  song->m_info = source.m_info;
  song->m_measureCount = std::clamp<std::int32_t>(n, 0, song->MaxMeasureCount());
  const int beats = song->BeatCount();
  for (int b = 0; b < beats; ++b) {
    song->m_beatChords[b] = source.m_beatChords[b];
    song->m_cells[2 * b] = source.m_cells[2 * b];
    song->m_cells[2 * b + 1] = source.m_cells[2 * b + 1];
    song->m_beatMarkA[b] = source.m_beatMarkA[b];
    song->m_beatMarkB[b] = source.m_beatMarkB[b];
  }
  std::copy_n(source.m_marks.notes.begin(), SongMarks::Slot(2 * beats, 0),
              song->m_marks.notes.begin());
  std::copy_n(source.m_marks.syllables.begin(), SongMarks::Slot(2 * beats, 0),
              song->m_marks.syllables.begin());
  std::copy_n(source.m_marks.measures.begin(), song->m_measureCount,
              song->m_marks.measures.begin());
  song->m_marks.tuning = source.m_marks.tuning;
  song->m_marks.style = source.m_marks.style;
  // The copy starts at the top of the song: nothing before it can be held.
  if (beats > 0 && song->m_cells[0].pitch[0] == SLOT_HOLD) {
    song->m_cells[0].pitch[0] = SLOT_REST;
  }
  return song;
}

void CSongData::ResetSong() {
  std::memset(&m_info, 0, sizeof m_info);
  m_info.infoValueA = 0;
  m_info.infoValueB = 1;
  m_info.tempo = kDefaultTempo;
  m_info.infoValueC = 0;
  m_info.infoValueD = 0;
  std::memset(m_freeText, 0, sizeof m_freeText);
  m_beatMarkA.fill(0);
  m_beatMarkB.fill(0);
  std::memset(m_beatChords.data(), 0, sizeof m_beatChords);
  std::memset(m_cells.data(), 0, sizeof m_cells);
  m_lowestPitch = -1;
  m_highestPitch = -1;
  m_beatsPerMeasure = 4;
  m_measureCount = 0;
  m_keyIndex = 0;
  for (auto& text : m_extraTexts) {
    text.fill(0);
  }
  m_marks.Clear();
  m_foreignChunks.clear();
}

int CSongData::BeatCount() const {
  if (m_beatsPerMeasure < kMinBeatsPerMeasure || m_beatsPerMeasure > kMaxBeatsPerMeasure ||
      m_measureCount <= 0) {
    return 0;
  }
  std::int64_t beats = static_cast<std::int64_t>(m_measureCount) * m_beatsPerMeasure;
  return static_cast<int>(std::min<std::int64_t>(beats, kMaxBeats));
}

int CSongData::MaxMeasureCount() const {
  if (m_beatsPerMeasure < kMinBeatsPerMeasure || m_beatsPerMeasure > kMaxBeatsPerMeasure) {
    return 0;
  }
  return kMaxBeats / m_beatsPerMeasure;
}

bool CSongData::IsFirstCellOfMeasure(int cell) const {
  return m_beatsPerMeasure > 0 && cell % 2 == 0 && (cell / 2) % m_beatsPerMeasure == 0;
}

void CSongData::InitCell(int cell) {
  NoteCell& c = m_cells[cell];
  c.pitch[0] = IsFirstCellOfMeasure(cell) ? SLOT_REST : SLOT_HOLD;
  c.pitch[1] = SLOT_HOLD;
  c.pitch[2] = SLOT_NONE;
  std::memset(c.lyric, 0, sizeof c.lyric);
}

void CSongData::InitEmptySong() {
  if (m_beatsPerMeasure <= 0) {
    ReportSongDataError();
    return;
  }
  const int beats = BeatCount();
  for (int b = 0; b < kMaxBeats; ++b) {
    BeatChord& beat = m_beatChords[b];
    ReplaceField(beat.chord, b < beats ? KeyName() : kEndChord);
    ClearField(beat.chordMid);
  }
  for (int c = 0; c < kMaxCells; ++c) {
    InitCell(c);
  }
  m_beatMarkA.fill(0);
  m_beatMarkB.fill(0);
  std::memset(m_freeText, 0, sizeof m_freeText);
  m_marks.ClearCells(0, kMaxCells);
  m_marks.ClearMeasures(0, kMarkMeasureCount);
}

void CSongData::SetMeasureCount(std::int32_t n) {
  n = std::clamp<std::int32_t>(n, 0, MaxMeasureCount());
  const int oldBeats = BeatCount();
  const int newBeats = n * m_beatsPerMeasure;
  if (newBeats < oldBeats) {
    for (int b = newBeats; b < oldBeats; ++b) {
      ReplaceField(m_beatChords[b].chord, kEndChord);
      ClearField(m_beatChords[b].chordMid);
    }
  } else if (newBeats > oldBeats) {
    FillNewBeatChords(oldBeats, newBeats);
    for (int c = 2 * oldBeats; c < 2 * newBeats; ++c) {
      InitCell(c);
    }
    // New measures start bare, whatever marks the old ones there had.
    m_marks.ClearCells(2 * oldBeats, 2 * newBeats);
    m_marks.ClearMeasures(oldBeats / m_beatsPerMeasure, n);
  }
  m_measureCount = n;
}

double CSongData::NoteLength(int cellInMeasure, int measure, int slot) const {
  if (slot < 0 || slot > 1 || cellInMeasure < 0 || measure < 0 ||
      cellInMeasure >= 2 * m_beatsPerMeasure) {
    return 0.0;
  }
  // Slots 0 and 1 of consecutive cells, numbered as one sequence of sixteenths.
  const std::int64_t start =
      (static_cast<std::int64_t>(measure) * m_beatsPerMeasure * 2 + cellInMeasure) * 2 + slot;
  if (start >= static_cast<std::int64_t>(CellCount()) * 2) {
    return 0.0;
  }
  // A note held over the last bar line runs on into the cells after the song,
  // as the tablature draws it.
  const std::int64_t end = static_cast<std::int64_t>(kMaxCells) * 2;
  double length = 0.5;
  for (std::int64_t i = start + 1; i < end && m_cells[i / 2].pitch[i % 2] == SLOT_HOLD; ++i) {
    length += 0.5;
  }
  return length;
}

void CSongData::UpdatePitchRange() {
  m_lowestPitch = -1;
  m_highestPitch = -1;
  const int cells = CellCount();
  for (int c = 0; c < cells; ++c) {
    for (int s = 0; s < 2; ++s) {
      const std::int32_t v = m_cells[c].pitch[s];
      if (v < 0) {
        continue;
      }
      if (m_lowestPitch < 0 || v < m_lowestPitch) {
        m_lowestPitch = v;
      }
      if (v > m_highestPitch) {
        m_highestPitch = v;
      }
    }
  }
}

void CSongData::NormalizeCells() {
  const int cells = CellCount();

  // Pass 1: canonical forms of rests and of cells divided in three.
  bool previousInThree = false;
  std::int32_t last = SLOT_REST;
  for (int c = 0; c < cells; ++c) {
    std::int32_t* p = m_cells[c].pitch;
    const std::int32_t s0 = p[0];
    const std::int32_t s1 = p[1];
    const std::int32_t s2 = p[2];
    if (s0 == SLOT_HOLD && previousInThree && last == SLOT_REST) {
      p[0] = SLOT_REST;
    }
    if (s0 == SLOT_HOLD && s1 == SLOT_REST && s2 == SLOT_HOLD) {
      if (last == SLOT_REST) {
        p[0] = SLOT_REST;
        p[1] = SLOT_HOLD;
        p[2] = SLOT_NONE;
      }
      previousInThree = true;
    } else {
      previousInThree = s2 != SLOT_NONE;
    }
    if (s0 == SLOT_REST &&
        ((s1 == SLOT_REST && s2 == SLOT_REST) || (s1 == SLOT_HOLD && s2 == SLOT_HOLD))) {
      p[1] = SLOT_HOLD;
      p[2] = SLOT_NONE;
    }
    for (int s = 0; s < kSlotsPerCell; ++s) {
      if (p[s] >= SLOT_REST) {
        last = p[s];
      }
    }
  }

  // Pass 2: a rest after a rest becomes a hold, except at a measure start,
  // where an empty measure restates its rest.
  last = SLOT_REST;
  for (int c = 0; c < cells; ++c) {
    std::int32_t* p = m_cells[c].pitch;
    for (int s = 0; s < kSlotsPerCell; ++s) {
      if (p[s] == SLOT_REST && last == SLOT_REST && !(s == 0 && IsFirstCellOfMeasure(c))) {
        p[s] = SLOT_HOLD;
      } else if (p[s] >= SLOT_REST) {
        last = p[s];
      }
    }
  }
  DropStrayMarks();
}

void CSongData::DropStrayMarks() {
  for (int c = 0; c < kMaxCells; ++c) {
    const NoteCell& cell = m_cells[static_cast<std::size_t>(c)];
    for (int s = 0; s < kSlotsPerCell; ++s) {
      NoteMarks& marks = m_marks.At(c, s);
      const std::int32_t value = cell.pitch[s];
      // A user's syllable stays on notes and on rests (a call such as イヤ).
      if (value < 0 && value != SLOT_REST) {
        m_marks.SyllableAt(c, s) = SyllableOverride{};
      }
      if (value == SLOT_REST && marks.technique == Technique::kKeshi) {
        marks = NoteMarks{};
        marks.technique = Technique::kKeshi;
      } else if (value < 0) {
        marks = NoteMarks{};
      }
      for (std::uint8_t& pitch : marks.together) {
        if (pitch != kNoPitch && static_cast<std::int32_t>(pitch) == value) {
          pitch = kNoPitch;
        }
      }
      if (marks.together[0] == kNoPitch) {
        std::swap(marks.together[0], marks.together[1]);
      }
    }
  }
}

void CSongData::TrimTexts() {
  TrimField(m_info.title);
  TrimField(m_info.composer);
  TrimField(m_info.composerSub);
  TrimField(m_info.lyricist);
  TrimField(m_info.lyricistSub);
  TrimField(m_info.titleSub);
  for (int i = 0; i < kExtraTextCount; ++i) {
    // Extra text 6 keeps its trailing blanks.
    if (i != 6) {
      TrimField(m_extraTexts[i].data(), kExtraTextSize);
    }
  }
}

void CSongData::PackExtraTexts() {
  std::string stream;
  for (const auto& text : m_extraTexts) {
    stream.append(text.data(), FieldLength(text.data(), kExtraTextSize - 1));
    stream.push_back('\0');
  }
  std::size_t pos = 0;
  for (auto& cell : m_cells) {
    for (int s = 0; s < kSlotsPerCell && pos < stream.size(); ++s) {
      if (cell.pitch[s] < 0) {
        const std::size_t n = std::min<std::size_t>(kLyricFieldSize, stream.size() - pos);
        std::memcpy(cell.lyric[s], stream.data() + pos, n);
        pos += n;
      }
    }
    if (pos == stream.size()) {
      break;
    }
  }
}

void CSongData::UnpackExtraTexts() {
  int text = 0;
  std::size_t length = 0;
  for (auto& cell : m_cells) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      if (cell.pitch[s] >= 0) {
        continue;
      }
      for (int i = 0; i < kLyricFieldSize; ++i) {
        const char c = cell.lyric[s][i];
        cell.lyric[s][i] = '\0';
        if (c == '\0') {
          if (++text == kExtraTextCount) {
            goto done;
          }
          length = 0;
        } else if (length < kExtraTextSize - 1) {
          // Characters past 2047 are dropped: the buffers stay terminated.
          m_extraTexts[text][length++] = c;
        }
      }
    }
  }
done:
  for (auto& t : m_extraTexts) {
    // 0xCC and 0xCD fill uninitialised memory in some old writers' files.
    const auto first = static_cast<unsigned char>(t[0]);
    if (first == 0xCC || first == 0xCD) {
      t.fill(0);
    }
  }
}

void CSongData::ClearFreeLabels() {
  for (auto& cell : m_cells) {
    for (int s = 0; s < kSlotsPerCell; ++s) {
      if (cell.pitch[s] < 0) {
        std::memset(cell.lyric[s], 0, kLyricFieldSize);
      }
    }
  }
}

void CSongData::CollapseBlanks() {
  // A block with no terminator keeps 2047 characters, as it always has. One
  // that ends earlier is left alone past its end: those bytes are the file's.
  if (FieldLength(m_freeText, kFreeTextSize) == kFreeTextSize) {
    m_freeText[kFreeTextSize - 1] = '\0';
  }
  const std::size_t len = FieldLength(m_freeText, kFreeTextSize);
  std::string out;
  out.reserve(len);
  std::size_t i = 0;
  while (i < len) {
    std::size_t width = 1;
    if (!IsBlankAt(m_freeText, i, len, width)) {
      out.append(m_freeText + i, width);
      i += width;
      continue;
    }
    std::size_t j = i;
    while (j < len && IsBlankAt(m_freeText, j, len, width)) {
      j += width;
    }
    if (j < len && m_freeText[j] != '\r' && m_freeText[j] != '\n') {
      out.push_back(' ');
    }
    i = j;
  }
  std::memcpy(m_freeText, out.data(), out.size());
  std::memset(m_freeText + out.size(), 0, len - out.size());
}

void CSongData::NormalizeAdd9() {
  static constexpr char kAdd9[] = "add9";
  const int beats = BeatCount();
  for (int b = 0; b < beats; ++b) {
    // Only the chord's own text is looked at: bytes after its terminator are
    // the file's and an empty chord followed by a '9' there is no add9.
    if (const auto at = OldAdd9Position(FieldText(m_beatChords[b].chord))) {
      std::memcpy(m_beatChords[b].chord + *at, kAdd9, sizeof kAdd9);
    }
  }
}

void CSongData::SetKeyName(int key) {
  std::string name(kKeyTable[ValidKeyIndex(key)].name);
  if (name.back() != 'm') {
    name.push_back(' ');
  }
  ReplaceField(m_keyName, name);
}

std::string_view CSongData::KeyName() const {
  return FieldText(m_keyName);
}

std::string_view CSongData::ExtraText(int index) const {
  const auto& text = m_extraTexts[index];
  return std::string_view(text.data(), FieldLength(text.data(), kExtraTextSize));
}

void CSongData::SetExtraText(int index, std::string_view text) {
  auto& buffer = m_extraTexts[index];
  buffer.fill(0);
  const std::size_t n =
      std::min<std::size_t>(FieldLength(text.data(), text.size()), kExtraTextSize - 1);
  std::memcpy(buffer.data(), text.data(), n);
}

void CSongData::FillNewBeatChords(std::int32_t oldBeatCount, std::int32_t newBeatCount) {
  const int t = std::clamp<std::int32_t>(oldBeatCount, 0, kMaxBeats);
  const int n = std::clamp<std::int32_t>(newBeatCount, 0, kMaxBeats);
  std::string choice(KeyName());
  if (t > 0) {
    const BeatChord& lastBeat = m_beatChords[t - 1];
    const std::string_view lastMid = FieldText(lastBeat.chordMid);
    if (!lastMid.empty() && lastMid != FieldText(lastBeat.chord)) {
      choice = lastMid;
    } else {
      // Continue with the chord that followed the current chord the last
      // time it stood alone on a beat.
      const std::string_view current = EffectiveChord(lastBeat);
      bool found = false;
      for (int k = t - 2; k >= 0 && !found; --k) {
        const BeatChord& candidate = m_beatChords[k];
        if (!FieldText(candidate.chordMid).empty() || FieldText(candidate.chord) != current) {
          continue;
        }
        for (int i = k + 1; i <= t - 2; ++i) {
          const std::string_view next = EffectiveChord(m_beatChords[i]);
          if (next != current && next != kSkipChord) {
            choice = next;
            found = true;
            break;
          }
        }
      }
    }
  }
  for (int b = t; b < n; ++b) {
    ReplaceField(m_beatChords[b].chord, choice);
    ClearField(m_beatChords[b].chordMid);
  }
}

}  // namespace kumoito
