#include "midi/performance.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "common/report.h"
#include "midi/midi_event.h"
#include "midi/midi_report.h"
#include "midi/smf.h"
#include "midi/track_ops.h"
#include "song/song_data.h"

namespace kumoito::midi {
namespace {

constexpr std::int32_t kFallbackTempoUs = 500000;
constexpr std::int32_t kVelocity = 64;
constexpr std::int32_t kSlotTicks = kPerformanceDivision / 6;
constexpr std::int32_t kGapTicks = kPerformanceDivision / 8;

std::unique_ptr<MidiEvent> ChannelEvent(std::int32_t kind) {
  auto e = std::make_unique<MidiEvent>();
  e->kind = kind;
  e->channel = 0;
  return e;
}

struct PlayedSlot {
  std::int32_t value;  // a pitch or a SLOT_ code
  const NoteMarks* marks;
};

struct TimedEvent {
  std::int64_t tick;
  std::unique_ptr<MidiEvent> event;
};

// How the techniques sound, chosen by ear with the General MIDI shamisen:
// an up-stroke or a pull-off is softer than a bachi stroke, a hammer-on and
// the note a slide arrives at softer still (no stroke at all).
constexpr std::int32_t kSukuiVelocity = 46;
constexpr std::int32_t kHajikiVelocity = 42;
constexpr std::int32_t kUchiVelocity = 30;
constexpr std::int32_t kSlideArrivalVelocity = 24;
// オシ pushes the string a semitone up, starting a little after the attack.
constexpr std::int32_t kOshiStartTicks = kSlotTicks / 4;
constexpr std::int32_t kOshiRiseTicks = kSlotTicks / 2;
constexpr int kBendSteps = 8;
// ケシ damps the string half a slot after its note (at once on a rest).
constexpr std::int32_t kKeshiTicks = kSlotTicks / 2;
constexpr std::uint32_t kAllSoundOff = 120;
constexpr std::int32_t kBendCentre = 8192;
constexpr std::int32_t kBendRangeSemitones = 12;

std::unique_ptr<MidiEvent> PitchBend(double semitones) {
  const double clamped =
      std::clamp(semitones, -static_cast<double>(kBendRangeSemitones), double{kBendRangeSemitones});
  const auto value = std::clamp(static_cast<std::int32_t>(std::lround(
                                    kBendCentre + clamped * kBendCentre / kBendRangeSemitones)),
                                0, 16383);
  auto bend = ChannelEvent(EV_PITCH_BEND);
  bend->note = value & 0x7F;
  bend->value = value >> 7;
  return bend;
}

// The bend moves from `from` to `to` semitones over [start, end).
void Glide(std::vector<TimedEvent>& timed, std::int64_t start, std::int64_t end, double from,
           double to) {
  for (int step = 1; step <= kBendSteps; ++step) {
    const double f = static_cast<double>(step) / kBendSteps;
    timed.push_back({start + static_cast<std::int64_t>((end - start) * f) - 1,
                     PitchBend(from + (to - from) * f)});
  }
}

// The next slot after i that strikes a pitch, or size when none does.
std::size_t NextPitched(const std::vector<PlayedSlot>& slots, std::size_t i) {
  for (std::size_t j = i + 1; j < slots.size(); ++j) {
    if (slots[j].value >= 0) {
      return j;
    }
  }
  return slots.size();
}

// The events the marks add to the slots' notes: velocities, the notes struck
// together, bends for オシ and スリ (back to the centre just before the next
// stroke) and the damping of ケシ.
void MarkSounds(const std::vector<PlayedSlot>& slots, std::vector<TimedEvent>& timed) {
  const std::size_t noteCount = timed.size();
  bool arrivingBySlide = false;
  for (std::size_t i = 0; i < slots.size() && i < noteCount; ++i) {
    const NoteMarks& marks = *slots[i].marks;
    const std::int32_t pitch = slots[i].value;
    const std::int64_t tick = static_cast<std::int64_t>(i) * kSlotTicks;
    if (pitch == SLOT_REST && marks.technique == Technique::kKeshi) {
      auto off = ChannelEvent(EV_CONTROL);
      off->subtype = kAllSoundOff;
      timed.push_back({tick, std::move(off)});
    }
    if (pitch < 0) {
      continue;
    }
    MidiEvent& note = *timed[i].event;
    const bool arrived = std::exchange(arrivingBySlide, false);
    switch (marks.technique) {
      case Technique::kSukui:
        note.velocity = kSukuiVelocity;
        break;
      case Technique::kHajiki:
        note.velocity = kHajikiVelocity;
        break;
      case Technique::kUchi:
        note.velocity = kUchiVelocity;
        break;
      default:
        break;
    }
    if (arrived) {
      note.velocity = std::min(note.velocity, kSlideArrivalVelocity);
    }
    for (const std::uint8_t together : marks.together) {
      if (together <= 127) {
        auto chord = ChannelEvent(EV_NOTE);
        chord->note = together;
        chord->velocity = note.velocity;
        chord->duration = note.duration;
        timed.push_back({tick, std::move(chord)});
      }
    }
    const std::size_t next = NextPitched(slots, i);
    const std::int64_t nextTick = static_cast<std::int64_t>(next) * kSlotTicks;
    switch (marks.technique) {
      case Technique::kOshi:
        Glide(timed, tick + kOshiStartTicks, tick + kOshiStartTicks + kOshiRiseTicks, 0.0, 1.0);
        timed.push_back({nextTick - 1, PitchBend(0.0)});
        break;
      case Technique::kSuriUp:
      case Technique::kSuriDown:
        if (next < slots.size()) {
          Glide(timed, tick + kSlotTicks - kGapTicks, nextTick, 0.0,
                static_cast<double>(slots[next].value - pitch));
          timed.push_back({nextTick - 1, PitchBend(0.0)});
          arrivingBySlide = true;
        }
        break;
      case Technique::kKeshi: {
        auto off = ChannelEvent(EV_CONTROL);
        off->subtype = kAllSoundOff;
        timed.push_back({tick + kKeshiTicks, std::move(off)});
        break;
      }
      default:
        break;
    }
  }
}

// Appends the events in the order of their ticks (those of one tick in the
// order they were made) while the track has room.
void AppendInTimeOrder(MidiTrack& track, std::vector<TimedEvent>& timed) {
  std::stable_sort(timed.begin(), timed.end(),
                   [](const TimedEvent& a, const TimedEvent& b) { return a.tick < b.tick; });
  std::int64_t last = 0;
  for (TimedEvent& t : timed) {
    if (track.EventCount() >= track.EventRoom()) {
      return;
    }
    t.event->delta = static_cast<std::int32_t>(t.tick - last);
    last = t.tick;
    AppendEvent(track, std::move(t.event));
  }
}

}  // namespace

std::int32_t TempoToMicroseconds(std::int32_t bpm) {
  if (bpm <= 0) {
    ReportGeneralError(kGeneTempoConversion);
    return 0;
  }
  return (60000 / bpm) * 1000;
}

std::int32_t MicrosecondsToBpm(std::int32_t microseconds) {
  if (microseconds < 1000) {
    ReportGeneralError(kGeneBpmConversion);
    return 0;
  }
  return 60000 / (microseconds / 1000);
}

namespace {

MidiSequence BuildPerformanceSequence(std::int32_t tempo, const CSongData& song) {
  MidiSequence sequence;
  sequence.form = FORM_NOTES;
  sequence.division = kPerformanceDivision;
  sequence.timeSignature = 0;
  sequence.track = std::make_unique<MidiTrack>();
  MidiTrack& track = *sequence.track;
  track.form = FORM_NOTES;

  auto tempoEvent = std::make_unique<MidiEvent>();
  tempoEvent->kind = EV_META;
  tempoEvent->subtype = META_TEMPO;
  tempoEvent->value = TempoToMicroseconds(tempo);
  if (tempoEvent->value == 0) {
    ReportTrackError(kTrackBadTempoData);
    tempoEvent->value = kFallbackTempoUs;
  }
  const auto us = static_cast<std::uint32_t>(tempoEvent->value);
  const unsigned char tempoBytes[] = {static_cast<unsigned char>(us >> 16),
                                      static_cast<unsigned char>(us >> 8),
                                      static_cast<unsigned char>(us)};
  SetEventData(*tempoEvent, tempoBytes, 3);
  AppendEvent(track, std::move(tempoEvent));

  auto program = ChannelEvent(EV_PROGRAM);
  program->value = kShamisenProgram;
  const unsigned char programBytes[] = {0xC0, kShamisenProgram};
  SetEventData(*program, programBytes, 2);
  AppendEvent(track, std::move(program));

  // Registered parameter 0 (pitch-bend sensitivity) set to 12 semitones.
  for (auto [controller, value] : {std::pair{101u, 0}, std::pair{100u, 0}, std::pair{6u, 12}}) {
    auto cc = ChannelEvent(EV_CONTROL);
    cc->subtype = controller;
    cc->value = value;
    AppendEvent(track, std::move(cc));
  }

  // Every slot takes a sixth of a quarter note whatever it holds; a pitched
  // slot sounds for the slot minus the gap, any other slot becomes a silent
  // placeholder that the conversion to note on/off removes. The marks add
  // events of their own at their ticks (MarkSounds); a song without marks
  // gets the slots' notes alone.
  std::vector<TimedEvent> timed;
  std::vector<PlayedSlot> slots;
  const int cellsPerMeasure = 2 * song.m_beatsPerMeasure;
  const int cellCount = song.CellCount();
  for (const PlayedMeasure& played : PlayOrder(song)) {
    for (int h = 0; h < cellsPerMeasure; ++h) {
      const int cell = h + cellsPerMeasure * played.source;
      if (cell < 0 || cell >= cellCount) {
        continue;  // a header that promises more than the song holds
      }
      for (int s = 0; s < kSlotsPerCell; ++s) {
        slots.push_back(
            {song.m_cells[static_cast<std::size_t>(cell)].pitch[s], &song.m_marks.At(cell, s)});
      }
    }
  }
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const std::int32_t p = slots[i].value;
    auto note = ChannelEvent(EV_NOTE);
    note->note = p >= 0 ? p : 0;
    note->velocity = p >= 0 ? kVelocity : 0;
    note->duration = kSlotTicks - kGapTicks;
    timed.push_back({static_cast<std::int64_t>(i) * kSlotTicks, std::move(note)});
  }
  MarkSounds(slots, timed);
  AppendInTimeOrder(track, timed);
  if (track.events.empty() || !IsEndOfTrack(*track.events.back())) {
    auto eot = std::make_unique<MidiEvent>();
    eot->kind = EV_META;
    eot->subtype = META_END_OF_TRACK;
    const unsigned char eotBytes[] = {0xFF, 0x2F, 0x00};
    SetEventData(*eot, eotBytes, 3);
    if (track.EventCount() >= track.EventRoom()) {
      track.events.pop_back();  // the end of track must fit
    }
    AppendEvent(track, std::move(eot));
  }
  return sequence;
}

}  // namespace

PerformanceMap::PerformanceMap(const CSongData& song)
    : m_order(PlayOrder(song)),
      m_slotsPerMeasure(static_cast<std::int64_t>(song.m_beatsPerMeasure) * 2 * kSlotsPerCell) {}

std::int64_t PerformanceMap::SongSlot(std::int64_t performanceSlot) const {
  if (performanceSlot < 0 || m_slotsPerMeasure <= 0) {
    return -1;
  }
  const std::int64_t pass = performanceSlot / m_slotsPerMeasure;
  if (pass >= static_cast<std::int64_t>(m_order.size())) {
    return -1;
  }
  return m_order[static_cast<std::size_t>(pass)].shown * m_slotsPerMeasure +
         performanceSlot % m_slotsPerMeasure;
}

int PerformanceMap::FirstPass(int measure, int from) const {
  for (int i = std::max(from, 0); i < PlayedCount(); ++i) {
    if (m_order[static_cast<std::size_t>(i)].shown == measure) {
      return i;
    }
  }
  return -1;
}

bool BuildPerformance(const std::string& path, std::int32_t tempo, const CSongData& song) {
  MidiSequence sequence = BuildPerformanceSequence(tempo, song);
  return WriteSequenceFile(sequence, path);
}

std::optional<std::vector<unsigned char>> BuildPerformanceImage(std::int32_t tempo,
                                                                const CSongData& song) {
  MidiSequence sequence = BuildPerformanceSequence(tempo, song);
  ConvertToOnOff(sequence);
  if (!MakeByteImage(sequence)) {
    return std::nullopt;
  }
  sequence.buffer.resize(static_cast<std::size_t>(sequence.dataLength));
  return std::move(sequence.buffer);
}

}  // namespace kumoito::midi
