#include "import/midi_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "common/sjis.h"
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

struct ParsedFile {
  std::int64_t division = 480;
  std::vector<Voice> voices;
  std::vector<std::string> trackNames;
  std::vector<TimedText> lyrics;
  std::vector<TimedText> karaokeTexts;
  bool karaoke = false;
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
        file.lyrics.push_back({tick, EventText(e)});
      } else if (e.subtype == kMetaText) {
        std::string text = EventText(e);
        if (!text.empty() && text[0] == '@') {
          file.karaoke = true;  // "@K..." and the other headers of a karaoke file
        } else {
          file.karaokeTexts.push_back({tick, std::move(text)});
        }
      }
    }
  }
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

int ChooseVoice(const ParsedFile& file) {
  for (std::size_t i = 0; i < file.voices.size(); ++i) {
    if (NameSaysMelody(file.trackNames[static_cast<std::size_t>(file.voices[i].track)])) {
      return static_cast<int>(i);
    }
  }
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
    if (best < 0 || MeanPitch(v) > MeanPitch(file.voices[static_cast<std::size_t>(best)])) {
      best = static_cast<int>(i);
    }
  }
  return best;
}

// The top line: a note that starts under one still sounding is left out;
// one that starts above it cuts it short.
std::vector<TimedNote> TopLine(std::vector<TimedNote> notes) {
  std::sort(notes.begin(), notes.end(), [](const TimedNote& a, const TimedNote& b) {
    return a.on != b.on ? a.on < b.on : a.pitch > b.pitch;
  });
  std::vector<TimedNote> line;
  for (const TimedNote& n : notes) {
    if (!line.empty()) {
      TimedNote& last = line.back();
      if (n.on == last.on || (n.on < last.off && n.pitch <= last.pitch)) {
        continue;
      }
      last.off = std::min(last.off, n.on);
    }
    line.push_back(n);
  }
  return line;
}

// Onsets on the grid, a beat at a time: a beat whose onsets sit clearly
// closer to sixths of the beat than to sixteenths is a triplet beat.
std::vector<Rational> GridOnsets(const std::vector<TimedNote>& line, std::int64_t division) {
  struct Snap {
    std::int64_t s4, s6;
    double e4, e6;
  };
  std::vector<Snap> snaps;
  for (const TimedNote& n : line) {
    const double q = static_cast<double>(n.on) / static_cast<double>(division);
    const double s4 = std::round(q * 4);
    const double s6 = std::round(q * 6);
    snaps.push_back({static_cast<std::int64_t>(s4), static_cast<std::int64_t>(s6),
                     std::abs(q * 4 - s4) / 4, std::abs(q * 6 - s6) / 6});
  }
  std::vector<Rational> onsets(line.size());
  std::size_t i = 0;
  while (i < snaps.size()) {
    const std::int64_t beat = snaps[i].s4 / 4;
    std::size_t j = i;
    double e4 = 0, e6 = 0;
    bool offSixteenths = false;
    while (j < snaps.size() && snaps[j].s4 / 4 == beat) {
      e4 += snaps[j].e4;
      e6 += snaps[j].e6;
      offSixteenths |= snaps[j].s6 % 3 != 0;
      ++j;
    }
    const bool triplet = offSixteenths && e6 < 0.5 * e4;
    for (std::size_t k = i; k < j; ++k) {
      onsets[k] = triplet ? Rational(snaps[k].s6, 6) : Rational(snaps[k].s4, 4);
    }
    i = j;
  }
  return onsets;
}

std::optional<ImportError> CheckChunks(const unsigned char* data, std::size_t size,
                                       std::vector<std::size_t>& tracks, int& format,
                                       std::int64_t& division) {
  if (size < midi::kHeaderLength || std::memcmp(data, "MThd", 4) != 0) {
    return ImportError{"MIDI ファイル (MThd) ではありません。"};
  }
  const std::uint32_t headerLength = LoadBE32(data + 4);
  format = LoadBE16(data + 8);
  division = LoadBE16(data + 12);
  if (headerLength < 6 || headerLength > size - 8) {
    return ImportError{"MIDI ファイルのヘッダチャンクが壊れています。"};
  }
  if (format > 1) {
    return ImportError{"形式 " + std::to_string(format) +
                       " の MIDI ファイルには対応していません (形式 0 と 1 のみ)。"};
  }
  if ((division & 0x8000) != 0 || division == 0) {
    return ImportError{"拍でなく SMPTE の時間で書かれた MIDI ファイルには対応していません。"};
  }
  std::size_t pos = 8 + headerLength;
  while (size - pos >= midi::kChunkHeaderLength) {
    const std::uint64_t length = LoadBE32(data + pos + 4);
    if (length > size - pos - midi::kChunkHeaderLength) {
      return ImportError{"MIDI ファイルのチャンクが壊れています (オフセット " +
                         std::to_string(pos) + " のチャンクがファイルの終わりを越えています)。"};
    }
    if (std::memcmp(data + pos, "MTrk", 4) == 0) {
      tracks.push_back(pos);
    }
    pos += midi::kChunkHeaderLength + static_cast<std::size_t>(length);
  }
  if (tracks.empty()) {
    return ImportError{"MIDI ファイルにトラックチャンク (MTrk) がありません。"};
  }
  return std::nullopt;
}

void AttachLyrics(const std::vector<TimedText>& texts, const std::vector<TimedNote>& line,
                  std::int64_t division, Melody& melody, bool karaoke) {
  const std::int64_t tolerance = division / 8;
  std::size_t n = 0;
  for (const TimedText& t : texts) {
    std::string text = t.text;
    if (karaoke) {
      // Karaoke texts mark a new line with "/", a new verse with "\\" and
      // a new word with a blank.
      while (!text.empty() && (text[0] == '/' || text[0] == '\\' || text[0] == ' ')) {
        text.erase(0, 1);
      }
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n')) {
      text.pop_back();
    }
    if (text.empty()) {
      continue;
    }
    while (n < line.size() && line[n].on < t.tick - tolerance) {
      ++n;
    }
    // Of several texts on one note the last is its syllable: what comes
    // before it at the very start is a track's description.
    if (n < line.size() && line[n].on <= t.tick + tolerance) {
      melody.notes[n].lyric = text;
    }
  }
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
  std::vector<std::size_t> tooLong;
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
  for (const std::size_t track : tooLong) {
    result.notices.push_back("トラック " + std::to_string(track) + " は " + kTrackLimitText +
                             " を超えるため読みませんでした。");
  }
  std::erase_if(file.voices, [](const Voice& v) { return v.notes.empty(); });
  for (const Voice& v : file.voices) {
    std::string name = file.trackNames[static_cast<std::size_t>(v.track)];
    if (name.empty()) {
      name = "トラック " + std::to_string(v.track + 1);
    }
    result.parts.push_back(
        {name + " (ch " + std::to_string(v.channel + 1) + ")", static_cast<int>(v.notes.size())});
  }
  if (part < 0) {
    part = ChooseVoice(file);
  }
  if (part < 0 || part >= static_cast<int>(file.voices.size())) {
    result.error =
        file.voices.empty() && !tooLong.empty()
            ? ImportError{"MIDI ファイルのトラックが " + std::string(kTrackLimitText) +
                          " を超えています。読めるトラックは " + kTrackLimitText + " までです。"}
            : ImportError{"MIDI ファイルに音符がありません (ドラムの 10 チャンネルを除く)。"};
    return result;
  }
  result.chosenPart = part;

  Melody melody;
  std::vector<TimedNote> kept;  // the notes of melody.notes as the file timed them
  const std::vector<TimedNote> line = TopLine(file.voices[static_cast<std::size_t>(part)].notes);
  const std::vector<Rational> onsets = GridOnsets(line, file.division);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const Rational onset = onsets[i];
    Rational end(Rational(line[i].off * 4, file.division).RoundTo(1), 4);
    if (i + 1 < line.size()) {
      const Rational next = onsets[i + 1];
      // A gap shorter than a sixteenth is the player's, not the composer's.
      if (end > next || next - end < Rational(1, 4)) {
        end = next;
      }
    }
    if (end <= onset) {
      end = onset + Rational(1, 4);
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
  auto byTick = [](const TimedText& a, const TimedText& b) { return a.tick < b.tick; };
  std::stable_sort(file.lyrics.begin(), file.lyrics.end(), byTick);
  std::stable_sort(file.karaokeTexts.begin(), file.karaokeTexts.end(), byTick);
  if (!file.lyrics.empty()) {
    AttachLyrics(file.lyrics, kept, file.division, melody, false);
  } else if (file.karaoke) {
    AttachLyrics(file.karaokeTexts, kept, file.division, melody, true);
  }

  std::stable_sort(file.signatures.begin(), file.signatures.end(),
                   [](const auto& a, const auto& b) { return a.tick < b.tick; });
  for (const auto& s : file.signatures) {
    if (s.numerator > 0 && s.denominator > 0) {
      melody.metres.push_back({Rational(s.tick, file.division), s.numerator, s.denominator});
    }
  }
  if (file.key) {
    melody.fifths = file.key->first;
    melody.minor = file.key->second;
  }
  if (file.tempo > 0) {
    melody.tempo = file.tempo;
  }
  melody.title = file.trackNames.empty() ? std::string() : file.trackNames[0];
  result.melody = std::move(melody);
  return result;
}

}  // namespace kumoito::import
