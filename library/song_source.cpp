#include "library/song_source.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string>
#include <utility>

#include "common/sjis.h"
#include "song/chord_names.h"
#include "song/key_table.h"

namespace kumoito {
namespace {

constexpr int kTitleBytes = 32;
constexpr int kLyricBytes = kLyricFieldSize - 1;
constexpr int kChordChars = kChordFieldSize - 1;
constexpr int kMaxRegionCode = 255;
constexpr int kMaxFameScore = 127;

struct Token {
  std::string_view text;
  int column;  // of its first character
};

// Column of the character that starts at byte offset of line.
int ColumnAt(std::string_view line, std::size_t offset) {
  int column = 1;
  for (std::size_t i = 0; i < offset && i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) {
      ++column;
    }
  }
  return column;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Splits a body line into tokens; '|' is a token of its own even when written
// against a note, and a '#' that starts a token begins a comment.
std::vector<Token> Tokenize(std::string_view line, std::size_t from) {
  std::vector<Token> tokens;
  std::size_t i = from;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == '#') {
      break;
    }
    std::size_t end = i + 1;
    if (line[i] != '|') {
      while (end < line.size() && !IsBlank(line[end]) && line[end] != '|') {
        ++end;
      }
    }
    tokens.push_back({line.substr(i, end - i), ColumnAt(line, i)});
    i = end;
  }
  return tokens;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

// "3 beats", "2.5 beats", "1.75 beats": sixteenths as a musician counts them.
std::string BeatsText(int sixteenths) {
  std::string text = std::to_string(sixteenths / kSixteenthsPerBeat);
  static constexpr std::array<std::string_view, 4> kFractions = {"", ".25", ".5", ".75"};
  text += kFractions[static_cast<std::size_t>(sixteenths % kSixteenthsPerBeat)];
  return text + (sixteenths == kSixteenthsPerBeat ? " beat" : " beats");
}

bool IsValidChord(std::string_view chord) {
  return chord.size() <= static_cast<std::size_t>(kChordChars) && IsKnownChord(chord);
}

// Notes of one notes line, remembered until its chords and lyrics are read.
struct Block {
  int line = 0;
  int firstBeat = 0;
  int beatCount = 0;
  int measureCount = 0;
  std::vector<std::size_t> noteStarts;  // events that can carry a syllable
  bool hasChords = false;
  bool hasLyrics = false;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : m_text(text) {}

  ParsedSource Run() {
    if (m_text.substr(0, 3) == "\xEF\xBB\xBF") {
      m_text.remove_prefix(3);
    }
    std::size_t pos = 0;
    int lineNumber = 0;
    while (pos <= m_text.size() && !m_result.error) {
      std::size_t end = m_text.find('\n', pos);
      if (end == std::string_view::npos) {
        end = m_text.size();
      }
      std::string_view line = m_text.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
      }
      m_line = ++lineNumber;
      ParseLine(line);
      pos = end + 1;
    }
    if (!m_result.error) {
      Finish();
    }
    return std::move(m_result);
  }

 private:
  bool Fail(int column, std::string message) {
    if (!m_result.error) {
      m_result.error = SourceError{m_line, column, std::move(message)};
    }
    return false;
  }

  SongSource& Song() { return m_result.song; }

  void ParseLine(std::string_view line) {
    std::size_t start = 0;
    while (start < line.size() && IsBlank(line[start])) {
      ++start;
    }
    if (start == line.size() || line[start] == '#') {
      return;
    }
    const std::size_t colon = line.find(':', start);
    const int column = ColumnAt(line, start);
    if (colon == std::string_view::npos) {
      Fail(column, "expected 'name: value'");
      return;
    }
    const std::string_view name = Trim(line.substr(start, colon - start));
    if (name == "notes") {
      ParseNotes(line, colon + 1);
    } else if (name == "chords") {
      ParseChords(line, colon + 1, column);
    } else if (name == "lyrics") {
      ParseLyrics(line, colon + 1, column);
    } else {
      ParseHeader(name, line, colon + 1, column);
    }
  }

  // --- Header ------------------------------------------------------------

  void ParseHeader(std::string_view name, std::string_view line, std::size_t valueFrom,
                   int nameColumn) {
    static constexpr std::array<std::string_view, 9> kNames = {
        "title", "composer", "lyricist", "source", "tempo", "beats", "key", "region", "fame"};
    const auto found = std::find(kNames.begin(), kNames.end(), name);
    if (found == kNames.end()) {
      Fail(nameColumn, "unknown field '" + std::string(name) + "'");
      return;
    }
    if (m_inBody) {
      Fail(nameColumn, "header fields come before the first notes line");
      return;
    }
    const auto index = static_cast<std::size_t>(found - kNames.begin());
    if (m_seen[index]) {
      Fail(nameColumn, "'" + std::string(name) + "' is given twice");
      return;
    }
    m_seen[index] = true;

    std::size_t valueStart = valueFrom;
    while (valueStart < line.size() && IsBlank(line[valueStart])) {
      ++valueStart;
    }
    const std::string_view value = Trim(line.substr(valueFrom));
    const int column = ColumnAt(line, valueStart);
    SongSource& song = Song();
    switch (index) {
      case 0:
        if (value.empty()) {
          Fail(column, "the title is empty");
          return;
        }
        ParseText(value, column, song.title);
        break;
      case 1:
        ParseText(value, column, song.composer);
        break;
      case 2:
        ParseText(value, column, song.lyricist);
        break;
      case 3:
        if (value.empty()) {
          Fail(column, "say where the melody and words come from");
          return;
        }
        song.source = value;
        break;
      case 4:
        ParseNumber(value, column, kMinTempo, kMaxTempo, "tempo", song.tempo);
        break;
      case 5:
        ParseNumber(value, column, kMinBeatsPerMeasure, kMaxBeatsPerMeasure, "beats",
                    song.beatsPerMeasure);
        break;
      case 6:
        ParseKey(value, column);
        break;
      case 7:
        ParseNumber(value, column, 0, kMaxRegionCode, "region", song.regionCode);
        break;
      default:
        ParseNumber(value, column, 0, kMaxFameScore, "fame", song.fameScore);
        break;
    }
  }

  void ParseText(std::string_view value, int column, std::string& out) {
    std::optional<std::string> converted = Utf8ToCp932(value);
    if (!converted) {
      Fail(column, "this text cannot be written in Shift-JIS (CP932)");
      return;
    }
    if (converted->size() > static_cast<std::size_t>(kTitleBytes)) {
      Fail(column, "longer than " + std::to_string(kTitleBytes) + " bytes in CP932 (" +
                       std::to_string(converted->size()) + ")");
      return;
    }
    out = std::move(*converted);
  }

  void ParseNumber(std::string_view value, int column, int low, int high, std::string_view what,
                   std::int32_t& out) {
    int v = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    if (value.empty() || ec != std::errc() || end != value.data() + value.size()) {
      Fail(column, std::string(what) + " must be a whole number");
      return;
    }
    if (v < low || v > high) {
      Fail(column,
           std::string(what) + " must be " + std::to_string(low) + ".." + std::to_string(high));
      return;
    }
    out = v;
  }

  void ParseKey(std::string_view value, int column) {
    for (int row = 0; row < kKeyCount; ++row) {
      if (kKeyTable[row].name == value) {
        Song().keyIndex = row;
        return;
      }
    }
    Fail(column, "unknown key '" + std::string(value) + "' (write C, G, F#, Bb, Am, F#m...)");
  }

  // --- Notes -------------------------------------------------------------

  void ParseNotes(std::string_view line, std::size_t from) {
    if (!m_inBody) {
      m_inBody = true;
      if (!m_seen[5]) {
        Fail(1, "'beats:' must come before the first notes line");
        return;
      }
    }
    CloseBlock();
    const int measureLength = Song().beatsPerMeasure * kSixteenthsPerBeat;
    Block block;
    block.line = m_line;
    block.firstBeat = m_position / kSixteenthsPerBeat;
    int measureStart = m_position;

    const auto closeMeasure = [&](int column) {
      if (m_position - measureStart < measureLength) {
        return Fail(column, "this measure holds " + BeatsText(m_position - measureStart) +
                                "; it needs " + BeatsText(measureLength));
      }
      if (Song().measureCount + 1 > kMaxBeats / Song().beatsPerMeasure) {
        return Fail(column, "the song is longer than " +
                                std::to_string(kMaxBeats / Song().beatsPerMeasure) + " measures");
      }
      ++Song().measureCount;
      ++block.measureCount;
      measureStart = m_position;
      return true;
    };

    for (const Token& token : Tokenize(line, from)) {
      if (token.text == "|") {
        // A bar with nothing before it (at the start of a line, or doubled)
        // closes nothing.
        if (m_position != measureStart && !closeMeasure(token.column)) {
          return;
        }
        continue;
      }
      if (!ParseEvent(token, measureStart, measureLength, block)) {
        return;
      }
    }
    if (m_position != measureStart && !closeMeasure(ColumnAt(line, line.size()))) {
      return;
    }
    if (block.measureCount == 0) {
      Fail(ColumnAt(line, line.size()), "a notes line needs at least one measure");
      return;
    }
    block.beatCount = m_position / kSixteenthsPerBeat - block.firstBeat;
    m_block = std::move(block);
  }

  // Reads "A4q", "C#5e.", "Bb3h~", "rq" or a length-less form of them.
  bool ParseEvent(const Token& token, int measureStart, int measureLength, Block& block) {
    std::string_view t = token.text;
    bool tie = false;
    if (t.size() > 1 && t.back() == '~') {
      tie = true;
      t.remove_suffix(1);
    }
    std::int32_t pitch = kSourceRest;
    std::size_t i = 0;
    if (t[0] == 'r') {
      i = 1;
    } else {
      static constexpr std::array<int, 7> kLetterPitch = {9, 11, 0, 2, 4, 5, 7};  // A..G
      if (t[0] < 'A' || t[0] > 'G') {
        return Fail(token.column, "expected a note such as A4q or a rest such as rq, not '" +
                                      std::string(token.text) + "'");
      }
      pitch = kLetterPitch[static_cast<std::size_t>(t[0] - 'A')];
      i = 1;
      if (i < t.size() && (t[i] == '#' || t[i] == 'b')) {
        pitch += t[i] == '#' ? 1 : -1;
        ++i;
      }
      if (i >= t.size() || t[i] < '0' || t[i] > '9') {
        return Fail(token.column, "a note needs its octave, as in C4 (middle C) or A4");
      }
      pitch += 12 * (t[i] - '0' + 1);
      ++i;
      if (pitch < 0 || pitch > 127) {
        return Fail(token.column, "the note is outside MIDI 0..127");
      }
    }

    int length = m_length;
    if (i < t.size()) {
      static constexpr std::string_view kLengthLetters = "whqes";
      const std::size_t kind = kLengthLetters.find(t[i]);
      if (kind == std::string_view::npos) {
        return Fail(token.column, "unknown length in '" + std::string(token.text) +
                                      "' (w, h, q, e or s, with . for dotted)");
      }
      length = 16 >> kind;
      ++i;
      if (i < t.size() && t[i] == '.') {
        if (length == 1) {
          return Fail(token.column, "a dotted sixteenth is shorter than a sixteenth can divide");
        }
        length += length / 2;
        ++i;
      }
      if (i != t.size()) {
        return Fail(token.column, "unexpected '" + std::string(t.substr(i)) + "' after the length");
      }
      m_length = length;
    }
    if (length == 0) {
      return Fail(token.column, "the first note or rest needs a length (w, h, q, e, s)");
    }
    if (tie && pitch == kSourceRest) {
      return Fail(token.column, "a rest cannot be tied");
    }

    const int measureEnd = measureStart + measureLength;
    if (m_position == measureEnd) {
      return Fail(token.column, "the measure is already full (" + BeatsText(measureLength) +
                                    "): a bar line | is missing");
    }
    if (m_position + length > measureEnd) {
      return Fail(token.column, "this runs past the bar line; split it and tie the parts with ~");
    }

    SongSource& song = Song();
    if (m_tie) {
      if (pitch != song.events[m_tie->event].pitch) {
        return Fail(token.column, "a tie joins two notes of the same pitch");
      }
      song.events[m_tie->event].length += length;
    } else {
      if (pitch != kSourceRest) {
        block.noteStarts.push_back(song.events.size());
      }
      song.events.push_back({m_position, length, pitch, {}});
    }
    if (tie) {
      const std::size_t event = m_tie ? m_tie->event : song.events.size() - 1;
      m_tie = Tie{event, m_line, token.column + static_cast<int>(t.size())};
    } else {
      m_tie.reset();
    }
    m_position += length;
    return true;
  }

  // --- Chords ------------------------------------------------------------

  bool NeedBlock(int column, std::string_view what, bool Block::*done) {
    if (!m_block) {
      return Fail(column, std::string(what) + " must follow a notes line");
    }
    if ((*m_block).*done) {
      return Fail(column, "this notes line already has " + std::string(what));
    }
    (*m_block).*done = true;
    return true;
  }

  void ParseChords(std::string_view line, std::size_t from, int column) {
    if (!NeedBlock(column, "chords", &Block::hasChords)) {
      return;
    }
    const Block& block = *m_block;
    const int beats = Song().beatsPerMeasure;
    std::vector<SourceBeatChord>& chords = Song().beatChords;
    int measure = 0;
    int inMeasure = 0;
    const auto closeMeasure = [&](int at) {
      if (inMeasure != beats) {
        return Fail(at, std::to_string(inMeasure) + " chords for the " + std::to_string(beats) +
                            " beats of this measure ('.' keeps the chord)");
      }
      ++measure;
      inMeasure = 0;
      return true;
    };
    for (const Token& token : Tokenize(line, from)) {
      if (token.text == "|") {
        if (inMeasure != 0 && !closeMeasure(token.column)) {
          return;
        }
        continue;
      }
      if (measure == block.measureCount) {
        Fail(token.column,
             "more measures than the notes line has (" + std::to_string(block.measureCount) + ")");
        return;
      }
      if (inMeasure == beats) {
        Fail(token.column, "more chords than the " + std::to_string(beats) +
                               " beats of this measure: a bar line | is missing?");
        return;
      }
      SourceBeatChord beat;
      if (!ParseBeatChord(token, beat)) {
        return;
      }
      chords.push_back(std::move(beat));
      ++inMeasure;
    }
    if (inMeasure != 0 && !closeMeasure(ColumnAt(line, line.size()))) {
      return;
    }
    if (measure != block.measureCount) {
      Fail(ColumnAt(line, line.size()), std::to_string(measure) + " measures of chords for the " +
                                            std::to_string(block.measureCount) +
                                            " measures of the notes line");
    }
  }

  // "Am" (from the beat), "Am,E7" (E7 from its middle), "." (no change) or
  // ".,E7" (change at the middle only).
  bool ParseBeatChord(const Token& token, SourceBeatChord& beat) {
    const std::string_view text = token.text;
    const std::size_t comma = text.find(',');
    const std::string_view first = text.substr(0, comma);
    if (first == ".") {
      if (m_chord.empty()) {
        return Fail(token.column, "the first beat of the song needs a chord");
      }
      beat.chord = m_chord;
    } else {
      if (!IsValidChord(first)) {
        return Fail(token.column, "unknown chord '" + std::string(first) + "'");
      }
      beat.chord = first;
    }
    if (comma != std::string_view::npos) {
      const std::string_view mid = text.substr(comma + 1);
      const int midColumn = token.column + static_cast<int>(comma) + 1;
      if (!IsValidChord(mid)) {
        return Fail(midColumn, "unknown chord '" + std::string(mid) + "' after ','");
      }
      if (mid == beat.chord) {
        return Fail(midColumn, "the chord does not change in the middle of the beat");
      }
      beat.chordMid = mid;
    }
    m_chord = beat.chordMid.empty() ? beat.chord : beat.chordMid;
    return true;
  }

  // --- Lyrics ------------------------------------------------------------

  void ParseLyrics(std::string_view line, std::size_t from, int column) {
    if (!NeedBlock(column, "lyrics", &Block::hasLyrics)) {
      return;
    }
    const std::vector<std::size_t>& notes = m_block->noteStarts;
    std::size_t n = 0;
    for (const Token& token : Tokenize(line, from)) {
      if (token.text == "|") {
        continue;
      }
      if (n == notes.size()) {
        Fail(token.column, "more syllables than the " + std::to_string(notes.size()) +
                               " notes of the notes line");
        return;
      }
      if (token.text != "_") {
        std::optional<std::string> syllable = Utf8ToCp932(token.text);
        if (!syllable) {
          Fail(token.column, "this syllable cannot be written in Shift-JIS (CP932)");
          return;
        }
        if (syllable->size() > static_cast<std::size_t>(kLyricBytes)) {
          Fail(token.column, "a syllable holds at most " + std::to_string(kLyricBytes) +
                                 " bytes in CP932 (3 kana)");
          return;
        }
        Song().events[notes[n]].lyric = std::move(*syllable);
      }
      ++n;
    }
    if (n != notes.size()) {
      Fail(ColumnAt(line, line.size()), std::to_string(n) + " syllables for the " +
                                            std::to_string(notes.size()) +
                                            " notes of the notes line ('_' skips a note)");
    }
  }

  // --- End ---------------------------------------------------------------

  // A notes line without a chords line keeps the chord in force throughout.
  void CloseBlock() {
    if (!m_block) {
      return;
    }
    if (!m_block->hasChords) {
      if (m_chord.empty()) {
        m_line = m_block->line;
        Fail(1, "the first beat of the song needs a chord: add a chords line");
        return;
      }
      for (int b = 0; b < m_block->beatCount; ++b) {
        Song().beatChords.push_back({m_chord, {}});
      }
    }
    m_block.reset();
  }

  void Finish() {
    CloseBlock();
    if (m_result.error) {
      return;
    }
    if (m_tie) {
      m_line = m_tie->line;
      Fail(m_tie->column, "the tie leads to no note");
      return;
    }
    static constexpr std::array<std::string_view, 9> kRequired = {
        "title", "", "", "source", "tempo", "beats", "key", "region", "fame"};
    for (std::size_t i = 0; i < kRequired.size(); ++i) {
      if (!kRequired[i].empty() && !m_seen[i]) {
        m_line = 1;
        Fail(1, "the header has no '" + std::string(kRequired[i]) + ":' field");
        return;
      }
    }
    if (Song().measureCount == 0) {
      Fail(1, "the song has no notes line");
    }
  }

  struct Tie {
    std::size_t event;
    int line;
    int column;
  };

  std::string_view m_text;
  ParsedSource m_result;
  int m_line = 0;
  bool m_inBody = false;
  std::array<bool, 9> m_seen{};
  int m_position = 0;  // sixteenths written so far
  int m_length = 0;    // the last length written, for notes that give none
  std::optional<Tie> m_tie;
  std::optional<Block> m_block;
  std::string m_chord;  // in force after the last beat read
};

template <std::size_t N>
void PutField(char (&field)[N], std::string_view text) {
  std::memset(field, 0, N);
  SetFieldText(field, text);
}

}  // namespace

ParsedSource ParseSongSource(std::string_view text) {
  return Parser(text).Run();
}

std::string FormatSourceError(std::string_view fileName, const SourceError& error) {
  return std::string(fileName) + ":" + std::to_string(error.line) + ":" +
         std::to_string(error.column) + ": " + error.message;
}

std::unique_ptr<CSongData> BuildSong(const SongSource& source) {
  std::int32_t beats = source.beatsPerMeasure;
  std::int32_t key = source.keyIndex;
  std::int32_t measures = source.measureCount;
  std::unique_ptr<CSongData> song = CSongData::LoadOrCreate("", beats, key, measures);

  PutField(song->m_info.title, source.title);
  PutField(song->m_info.composer, source.composer);
  PutField(song->m_info.lyricist, source.lyricist);
  song->m_info.tempo = source.tempo;
  song->m_info.reserved3[10] = static_cast<unsigned char>(source.regionCode);
  song->m_info.infoText[5] = static_cast<char>(source.fameScore);

  // Every sixteenth holds on unless an event starts there.
  const int cells = song->CellCount();
  for (int c = 0; c < cells; ++c) {
    NoteCell& cell = song->m_cells[c];
    cell.pitch[0] = SLOT_HOLD;
    cell.pitch[1] = SLOT_HOLD;
    cell.pitch[2] = SLOT_NONE;
    std::memset(cell.lyric, 0, sizeof cell.lyric);
  }
  for (const SourceEvent& event : source.events) {
    NoteCell& cell = song->m_cells[static_cast<std::size_t>(event.start / 2)];
    const int slot = event.start % 2;
    cell.pitch[slot] = event.pitch >= 0 ? event.pitch : SLOT_REST;
    PutField(cell.lyric[slot], event.lyric);
  }
  const int beatCount =
      std::min<int>(song->BeatCount(), static_cast<int>(source.beatChords.size()));
  for (int b = 0; b < beatCount; ++b) {
    PutField(song->m_beatChords[b].chord, source.beatChords[b].chord);
    PutField(song->m_beatChords[b].chordMid, source.beatChords[b].chordMid);
  }
  song->UpdatePitchRange();
  return song;
}

}  // namespace kumoito
