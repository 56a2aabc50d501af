#include "import/midi_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "common/report.h"
#include "common/sjis.h"
#include "common/ui_text.h"
#include "midi/midi_event.h"
#include "midi/smf.h"

namespace kumoito::import {
namespace {

using midi::MidiEvent;
using midi::MidiTrack;

constexpr int kDrumChannel = 9;  // channel 10 as users count them
constexpr std::uint32_t kMetaText = 0x01;
constexpr std::uint32_t kMetaLyric = 0x05;
constexpr std::uint32_t kMetaKeySignature = 0x59;

// A track of this size holds over a million notes, hundreds of times what
// a song can take.
constexpr std::uint64_t kMaxTrackBytes = 4u << 20;
constexpr const char* kTrackLimitText = "4 MiB";

std::uint32_t LoadBE32(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}
std::uint16_t LoadBE16(const unsigned char* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

bool IsUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > s.size()) {
      return false;
    }
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
        return false;
      }
    }
    i += n;
  }
  return true;
}

// MIDI files carry texts in whatever the writer used: UTF-8, Shift-JIS in
// Japanese files, Latin-1 elsewhere.
std::string TextToUtf8(std::string_view bytes) {
  if (IsUtf8(bytes)) {
    return std::string(bytes);
  }
  if (auto utf8 = Cp932ToUtf8(bytes)) {
    return *utf8;
  }
  std::string out;
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string EventText(const MidiEvent& e) {
  if (e.data == nullptr || e.dataLength <= 0) {
    return {};
  }
  std::string bytes(reinterpret_cast<const char*>(e.data.get()),
                    static_cast<std::size_t>(e.dataLength));
  // Texts padded with NULs by some writers.
  bytes.erase(std::find(bytes.begin(), bytes.end(), '\0'), bytes.end());
  return TextToUtf8(bytes);
}

struct TimedNote {
  std::int64_t on = 0;
  std::int64_t off = 0;
  int pitch = 0;
};

struct Voice {
  int track = 0;
  int channel = 0;
  std::vector<TimedNote> notes;
};

struct TimedText {
  std::int64_t tick = 0;
  std::string text;
};

// The words of one track: lyric events, and the text events a karaoke
// file sings from.
struct TrackWords {
  std::vector<TimedText> lyrics;
  std::vector<TimedText> texts;
};

struct ParsedFile {
  std::int64_t division = 480;
  std::vector<Voice> voices;
  std::vector<std::string> trackNames;
  std::vector<TrackWords> words;  // per track
  bool karaoke = false;
  std::int64_t endTick = 0;  // the latest end of track
  std::int64_t tempoTick = -1;
  double tempo = 0;
  struct TimeSignature {
    std::int64_t tick;
    int numerator;
    int denominator;
  };
  std::vector<TimeSignature> signatures;
  std::optional<std::pair<int, bool>> key;  // fifths, minor
};

bool NameSaysMelody(const std::string& utf8) {
  std::string lower = utf8;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  static constexpr std::array<std::string_view, 12> kWords = {
      "melody", "melo", "vocal", "voice",    "lead",       "solo",
      "singer", "メロ", "歌",    "ボーカル", "ヴォーカル", "主旋律"};
  return std::any_of(kWords.begin(), kWords.end(),
                     [&](std::string_view w) { return lower.find(w) != std::string::npos; });
}

void ReadTrack(const MidiTrack& track, int index, ParsedFile& file) {
  std::map<int, std::size_t> voiceOfChannel;
  // Notes sounding, per channel and pitch: where they started.
  std::map<std::pair<int, int>, std::int64_t> sounding;
  std::int64_t tick = 0;
  auto voiceFor = [&](int channel) -> Voice& {
    auto it = voiceOfChannel.find(channel);
    if (it == voiceOfChannel.end()) {
      file.voices.push_back({index, channel, {}});
      it = voiceOfChannel.emplace(channel, file.voices.size() - 1).first;
    }
    return file.voices[it->second];
  };
  auto end = [&](int channel, int pitch, std::int64_t at) {
    auto it = sounding.find({channel, pitch});
    if (it == sounding.end()) {
      return;
    }
    if (at > it->second) {
      voiceFor(channel).notes.push_back({it->second, at, pitch});
    }
    sounding.erase(it);
  };
  for (const auto& event : track.events) {
    const MidiEvent& e = *event;
    tick += e.delta;
    if (e.kind == midi::EV_NOTE_ON && e.channel != kDrumChannel) {
      end(e.channel, e.note, tick);  // a note struck again ends the one before
      sounding[{e.channel, e.note}] = tick;
    } else if (e.kind == midi::EV_NOTE_OFF && e.channel != kDrumChannel) {
      end(e.channel, e.note, tick);
    } else if (e.kind == midi::EV_META) {
      if (e.subtype == midi::META_TRACK_NAME && file.trackNames[index].empty()) {
        file.trackNames[index] = EventText(e);
      } else if (e.subtype == midi::META_TEMPO && e.value > 0 &&
                 (file.tempoTick < 0 || tick < file.tempoTick)) {
        file.tempoTick = tick;
        file.tempo = 60000000.0 / e.value;
      } else if (e.subtype == midi::META_TIME_SIGNATURE) {
        file.signatures.push_back({tick, (e.value >> 8) & 0xFF, e.value & 0xFF});
      } else if (e.subtype == kMetaKeySignature && e.dataLength >= 2 && !file.key) {
        const int fifths = static_cast<std::int8_t>(e.data[0]);
        file.key = std::make_pair(std::clamp(fifths, -7, 7), e.data[1] != 0);
      } else if (e.subtype == kMetaLyric) {
        file.words[index].lyrics.push_back({tick, EventText(e)});
      } else if (e.subtype == kMetaText) {
        std::string text = EventText(e);
        if (!text.empty() && text[0] == '@') {
          file.karaoke = true;  // "@K...", "@T..." and the other headers
        } else {
          file.words[index].texts.push_back({tick, std::move(text)});
        }
      }
    }
  }
  file.endTick = std::max(file.endTick, tick);
  // Notes never released end with the track.
  while (!sounding.empty()) {
    const auto [key, start] = *sounding.begin();
    end(key.first, key.second, std::max(tick, start + file.division));
  }
}

double MeanPitch(const Voice& v) {
  double sum = 0;
  for (const TimedNote& n : v.notes) {
    sum += n.pitch;
  }
  return v.notes.empty() ? 0 : sum / static_cast<double>(v.notes.size());
}

// candidates: how many voices the rule chose among; 1 when a track's name
// says which is the melody.
int ChooseVoice(const ParsedFile& file, int& candidates) {
  candidates = 1;
  for (std::size_t i = 0; i < file.voices.size(); ++i) {
    if (NameSaysMelody(file.trackNames[static_cast<std::size_t>(file.voices[i].track)])) {
      return static_cast<int>(i);
    }
  }
  candidates = 0;
  std::size_t most = 0;
  for (const Voice& v : file.voices) {
    most = std::max(most, v.notes.size());
  }
  int best = -1;
  for (std::size_t i = 0; i < file.voices.size(); ++i) {
    const Voice& v = file.voices[i];
    if (v.notes.size() * 4 < most) {
      continue;
    }
    ++candidates;
    if (best < 0 || MeanPitch(v) > MeanPitch(file.voices[static_cast<std::size_t>(best)])) {
      best = static_cast<int>(i);
    }
  }
  return best;
}

// The top line. Of notes struck together the highest is kept. A later note
// ends the one before it at its onset, unless it is lower and over before
// that one is: then it is an inner voice under a held note and left out. A
// note that outlasts the one before is the next of the melody even when it
// starts before that one is released (legato playing, music boxes).
std::vector<TimedNote> TopLine(std::vector<TimedNote> notes) {
  std::sort(notes.begin(), notes.end(), [](const TimedNote& a, const TimedNote& b) {
    return a.on != b.on ? a.on < b.on : a.pitch > b.pitch;
  });
  std::vector<TimedNote> line;
  for (const TimedNote& n : notes) {
    if (!line.empty()) {
      TimedNote& last = line.back();
      if (n.on == last.on || (n.on < last.off && n.pitch <= last.pitch && n.off <= last.off)) {
        continue;
      }
      last.off = std::min(last.off, n.on);
    }
    line.push_back(n);
  }
  return line;
}

// The grid, a beat at a time: a beat whose onsets lie nearer, taken
// together, to the sixths of the beat (the triplet eighths and sixteenths)
// than to its sixteenths, and not all on both, is a triplet beat. Onsets and
// note ends in it go to sixths, all others to sixteenths.
class BeatGrid {
 public:
  BeatGrid(const std::vector<TimedNote>& line, std::int64_t division) : m_division(division) {
    std::map<std::int64_t, std::pair<double, double>> error;  // beat: sixteenths, sixths
    std::map<std::int64_t, bool> offSixteenths;
    for (const TimedNote& n : line) {
      const double q = Quarters(n.on);
      const double s4 = std::round(q * 4);
      const double s6 = std::round(q * 6);
      const std::int64_t beat = static_cast<std::int64_t>(s4) / 4;
      error[beat].first += std::abs(q - s4 / 4);
      error[beat].second += std::abs(q - s6 / 6);
      offSixteenths[beat] |= static_cast<std::int64_t>(s6) % 3 != 0;
    }
    for (const auto& [beat, e] : error) {
      if (offSixteenths[beat] && e.second < e.first) {
        m_triplets.insert(beat);
      }
    }
  }
  Rational At(std::int64_t tick) const {
    const double q = Quarters(tick);
    const auto s4 = static_cast<std::int64_t>(std::round(q * 4));
    if (m_triplets.count(s4 / 4) != 0) {
      return Rational(static_cast<std::int64_t>(std::round(q * 6)), 6);
    }
    return Rational(s4, 4);
  }
  // The shortest note the grid gives at an onset.
  Rational Step(Rational onset) const {
    return m_triplets.count(onset.RoundTo(4) / 4) != 0 ? Rational(1, 6) : Rational(1, 4);
  }

 private:
  double Quarters(std::int64_t tick) const {
    return static_cast<double>(tick) / static_cast<double>(m_division);
  }
  std::int64_t m_division;
  std::set<std::int64_t> m_triplets;
};

std::optional<ImportError> CheckChunks(const unsigned char* data, std::size_t size,
                                       std::vector<std::size_t>& tracks, int& format,
                                       std::int64_t& division) {
  if (size < midi::kHeaderLength || std::memcmp(data, "MThd", 4) != 0) {
    return ImportError{Ui::Tr("MIDI ファイル (MThd) ではありません。")};
  }
  const std::uint32_t headerLength = LoadBE32(data + 4);
  format = LoadBE16(data + 8);
  division = LoadBE16(data + 12);
  if (headerLength < 6 || headerLength > size - 8) {
    return ImportError{Ui::Tr("MIDI ファイルのヘッダチャンクが壊れています。")};
  }
  if (format > 1) {
    return ImportError{
        Ui::Format(Ui::Tr("形式 %1 の MIDI ファイルには対応していません (形式 0 と 1 のみ)。"),
                   {std::to_string(format)})};
  }
  if ((division & 0x8000) != 0 || division == 0) {
    return ImportError{
        Ui::Tr("拍でなく SMPTE の時間で書かれた MIDI ファイルには対応していません。")};
  }
  std::size_t pos = 8 + headerLength;
  while (size - pos >= midi::kChunkHeaderLength) {
    const std::uint64_t length = LoadBE32(data + pos + 4);
    if (length > size - pos - midi::kChunkHeaderLength) {
      return ImportError{Ui::Format(Ui::Tr("MIDI ファイルのチャンクが壊れています (オフセット %1 "
                                           "のチャンクがファイルの終わりを越えています)。"),
                                    {std::to_string(pos)})};
    }
    if (std::memcmp(data + pos, "MTrk", 4) == 0) {
      tracks.push_back(pos);
    }
    pos += midi::kChunkHeaderLength + static_cast<std::size_t>(length);
  }
  if (tracks.empty()) {
    return ImportError{Ui::Tr("MIDI ファイルにトラックチャンク (MTrk) がありません。")};
  }
  return std::nullopt;
}

// Karaoke texts mark a new line with "/", a new paragraph with "\" and the
// end of a word with a blank; a song cell holds the syllable alone.
std::string CleanSyllable(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (text.substr(i).starts_with("\u3000")) {
      i += 2;
      continue;
    }
    if (c != '/' && c != '\\' && c != ' ' && c != '\t' && c != '\r' && c != '\n') {
      out += c;
    }
  }
  return out;
}

// The words sung: the melody's own track when it has lyric events, else
// the first track that has them, so that of a file with one lyric track per
// verse the first verse is taken. Karaoke files without lyric events sing
// from the texts of the track with the most of them (the headers may stand
// in a track of their own).
const std::vector<TimedText>* ChooseWords(const ParsedFile& file, int melodyTrack) {
  const auto& words = file.words;
  if (!words[static_cast<std::size_t>(melodyTrack)].lyrics.empty()) {
    return &words[static_cast<std::size_t>(melodyTrack)].lyrics;
  }
  for (const TrackWords& w : words) {
    if (!w.lyrics.empty()) {
      return &w.lyrics;
    }
  }
  if (!file.karaoke) {
    return nullptr;
  }
  const TrackWords* most = nullptr;
  for (const TrackWords& w : words) {
    if (!w.texts.empty() && (most == nullptr || w.texts.size() > most->texts.size())) {
      most = &w;
    }
  }
  return most == nullptr ? nullptr : &most->texts;
}

// Each text goes to the note struck at it, or while it sounds; one in a rest
// waits for the next note. Texts that meet on one note are the parts of a
// syllable written over several events, and are joined; but of the texts
// up to the first note only the last is sung, those before it being the
// track's title or description, and of texts at one instant the first.
void AttachLyrics(std::vector<TimedText> texts, const std::vector<TimedNote>& kept,
                  std::int64_t division, Melody& melody) {
  std::stable_sort(texts.begin(), texts.end(),
                   [](const TimedText& a, const TimedText& b) { return a.tick < b.tick; });
  const std::int64_t tolerance = division / 8;
  std::size_t n = 0;
  std::int64_t sungAt = -1;
  for (const TimedText& t : texts) {
    const std::string text = CleanSyllable(t.text);
    if (text.empty()) {
      continue;
    }
    while (n < kept.size() && kept[n].on <= t.tick + tolerance) {
      ++n;
    }
    // kept[n - 1] is the last note struck by the text's time.
    std::size_t to = n;
    if (n > 0 && t.tick < kept[n - 1].off) {
      to = n - 1;
    }
    if (to >= kept.size()) {
      continue;
    }
    std::string& lyric = melody.notes[to].lyric;
    if (to == 0 && kept[0].on + tolerance >= t.tick) {
      lyric = text;
    } else if (t.tick != sungAt) {
      lyric += text;
      sungAt = t.tick;
    }
    // A second syllable at the same instant is another verse's, as a track
    // that holds every verse writes them: the first verse is sung.
  }
}

// A pick-up, where the file shows one. Notation programs write it as a
// short bar of a metre of its own. Failing that, with bars counted from the
// file's start, a file that ends part-way into a bar is taken to begin with
// a pick-up: the bars are counted back from the end, and what comes before
// the first bar line is a short first measure (leading silence dropped).
// The end is the latest end of track, where notation programs close the
// last bar; one off the eighth grid or before the last note says nothing
// and leaves the bars as they were.
void FindPickup(Melody& melody, std::int64_t endTick, std::int64_t division) {
  if (melody.notes.empty()) {
    return;
  }
  // 1/4 before 4/4: that bar is the pick-up, the next metre the song's.
  std::vector<MetreChange>& metres = melody.metres;
  if (metres.size() >= 2 && metres[0].onset == Rational(0)) {
    const Rational shortBar(4L * metres[0].numerator, metres[0].denominator);
    const Rational nextBar(4L * metres[1].numerator, metres[1].denominator);
    if (metres[1].onset == shortBar && shortBar < nextBar) {
      melody.pickup = shortBar;
      metres.erase(metres.begin());
      return;
    }
  }
  // The song's metre is the first the file gives, wherever it stands.
  const MetreChange first = melody.metres.empty() ? MetreChange{} : melody.metres.front();
  const Rational bar(4L * first.numerator, first.denominator);
  const Rational end = Rational(Rational(endTick, division).RoundTo(2), 2);
  const Rational start = melody.notes.front().onset;
  const Rational lastEnd = melody.notes.back().onset + melody.notes.back().duration;
  const double off =
      std::abs(static_cast<double>(endTick) / static_cast<double>(division) - end.ToDouble());
  if (off > 1.0 / 16 || end < lastEnd || end - lastEnd >= bar) {
    return;
  }
  const Rational bars = end / bar;
  if (bars.Den() == 1) {
    return;  // the file's bars end whole: they stand as written
  }
  const Rational music = end - start;
  const Rational pickup = music - Rational((music / bar).Floor()) * bar;
  for (MelodyNote& n : melody.notes) {
    n.onset -= start;
  }
  for (MetreChange& m : melody.metres) {
    m.onset = std::max(Rational(0), m.onset - start);
  }
  melody.pickup = pickup;
}

// The parser's report lines as one sentence list: each text once, without
// the report's module and code. Long events (a sound module's setup as
// SysEx, long texts) are what most files have, and get a sentence of ours:
// the engine's own speaks of its own tracks.
std::string ParserRemarks(const std::vector<std::string>& lines) {
  const std::string longEventText =
      Ui::Tr("256 バイト以上の SysEx やメタイベントがあります (旋律の読み込みには使いません)。");
  std::vector<std::string> texts;
  for (const std::string& line : lines) {
    // "MUEV06000001 text": four letters, eight digits, a blank.
    const bool longEvent = line.starts_with("MUEV06000001") || line.starts_with("MDTK0D00000B");
    const std::string text = longEvent ? longEventText : line.size() > 13 ? line.substr(13) : line;
    if (std::find(texts.begin(), texts.end(), text) == texts.end()) {
      texts.push_back(text);
    }
  }
  std::string joined;
  for (const std::string& t : texts) {
    joined += t;
  }
  return joined;
}

PartSummary Summary(const Voice& v, std::string name) {
  if (name.empty()) {
    name = "トラック " + std::to_string(v.track + 1);
  }
  PartSummary summary{name + " (ch " + std::to_string(v.channel + 1) + ")",
                      static_cast<int>(v.notes.size())};
  for (const TimedNote& n : v.notes) {
    summary.lowest = summary.lowest < 0 ? n.pitch : std::min(summary.lowest, n.pitch);
    summary.highest = std::max(summary.highest, n.pitch);
  }
  return summary;
}

// The voice's top line on the grid; kept receives the notes as the file
// timed them, one for each note of the melody.
void PlaceNotes(const Voice& voice, std::int64_t division, Melody& melody,
                std::vector<TimedNote>& kept) {
  const std::vector<TimedNote> line = TopLine(voice.notes);
  const BeatGrid grid(line, division);
  std::vector<Rational> onsets;
  for (const TimedNote& n : line) {
    onsets.push_back(grid.At(n.on));
  }
  for (std::size_t i = 0; i < line.size(); ++i) {
    const Rational onset = onsets[i];
    Rational end = grid.At(line[i].off);
    if (i + 1 < line.size()) {
      const Rational next = onsets[i + 1];
      // A gap shorter than a sixteenth is the player's, not the composer's.
      if (end > next || next - end < Rational(1, 4)) {
        end = next;
      }
    }
    if (end <= onset) {
      end = onset + grid.Step(onset);
      if (i + 1 < line.size() && end > onsets[i + 1]) {
        end = onsets[i + 1];
      }
    }
    if (end <= onset) {
      continue;  // two onsets put on one place of the grid: the first is kept
    }
    if (!melody.notes.empty() && melody.notes.back().onset == onset) {
      continue;
    }
    melody.notes.push_back({onset, end - onset, line[i].pitch, {}});
    kept.push_back(line[i]);
  }
}

Melody MakeMelody(const ParsedFile& file, const Voice& voice) {
  Melody melody;
  std::vector<TimedNote> kept;
  PlaceNotes(voice, file.division, melody, kept);
  if (const std::vector<TimedText>* words = ChooseWords(file, voice.track)) {
    AttachLyrics(*words, kept, file.division, melody);
  }
  std::vector<ParsedFile::TimeSignature> signatures = file.signatures;
  std::stable_sort(signatures.begin(), signatures.end(),
                   [](const auto& a, const auto& b) { return a.tick < b.tick; });
  for (const auto& s : signatures) {
    if (s.numerator > 0 && s.denominator > 0) {
      melody.metres.push_back({Rational(s.tick, file.division), s.numerator, s.denominator});
    }
  }
  FindPickup(melody, file.endTick, file.division);
  if (file.key) {
    melody.fifths = file.key->first;
    melody.minor = file.key->second;
  }
  if (file.tempo > 0) {
    melody.tempo = file.tempo;
  }
  melody.title = file.trackNames.empty() ? std::string() : file.trackNames[0];
  return melody;
}

}  // namespace

MidiImportResult ReadMidiMelody(const unsigned char* data, std::size_t size, int part) {
  MidiImportResult result;
  std::vector<std::size_t> trackStarts;
  int format = 0;  // 0 and 1 read alike: every track chunk on its own
  ParsedFile file;
  if (auto error = CheckChunks(data, size, trackStarts, format, file.division)) {
    result.error = error;
    return result;
  }
  file.trackNames.resize(trackStarts.size());
  file.words.resize(trackStarts.size());
  std::vector<std::size_t> tooLong;
  {
    // What the engine's parser says of the file (long SysEx, bad values) is
    // said once, in the import's notices.
    ScopedReportDiversion diversion;
    for (std::size_t i = 0; i < trackStarts.size(); ++i) {
      // The engine's own tracks hold 384 KiB; a file's track may be longer,
      // and is read whole up to a limit that keeps the parse quick and small.
      const std::uint64_t chunk = std::uint64_t{LoadBE32(data + trackStarts[i] + 4)} + 8;
      if (chunk > kMaxTrackBytes) {
        tooLong.push_back(i + 1);
        continue;
      }
      // Room for every event: none takes fewer than two bytes.
      MidiTrack track(static_cast<std::uint32_t>(
          std::max<std::uint64_t>(midi::kBufferCapacity, chunk * 3 / 2 + 3)));
      midi::ParseTrackChunk(data, size, track, size, trackStarts[i]);
      ReadTrack(track, static_cast<int>(i), file);
    }
    if (std::string said = ParserRemarks(diversion.Lines()); !said.empty()) {
      result.notices.push_back(Ui::Format(Ui::Tr("MIDI ファイルについて: %1"), {said}));
    }
  }
  for (const std::size_t track : tooLong) {
    result.notices.push_back(Ui::Format(Ui::Tr("トラック %1 は %2 を超えるため読みませんでした。"),
                                        {std::to_string(track), kTrackLimitText}));
  }
  std::erase_if(file.voices, [](const Voice& v) { return v.notes.empty(); });
  for (const Voice& v : file.voices) {
    result.parts.push_back(Summary(v, file.trackNames[static_cast<std::size_t>(v.track)]));
  }
  int candidates = 1;
  const int chosen = ChooseVoice(file, candidates);
  result.candidates = candidates;
  if (part < 0) {
    part = chosen;
  }
  if (part < 0 || part >= static_cast<int>(file.voices.size())) {
    result.error =
        file.voices.empty() && !tooLong.empty()
            ? ImportError{Ui::Format(Ui::Tr("MIDI ファイルのトラックが %1 "
                                            "を超えています。読めるトラックは %1 までです。"),
                                     {kTrackLimitText})}
            : ImportError{
                  Ui::Tr("MIDI ファイルに音符がありません (ドラムの 10 チャンネルを除く)。")};
    return result;
  }
  result.chosenPart = part;
  result.melody = MakeMelody(file, file.voices[static_cast<std::size_t>(part)]);
  return result;
}

}  // namespace kumoito::import
