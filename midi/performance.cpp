#include "midi/performance.h"

#include <memory>
#include <optional>

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

std::unique_ptr<MidiEvent> ChannelEvent(std::int32_t kind) {
  auto e = std::make_unique<MidiEvent>();
  e->kind = kind;
  e->channel = 0;
  return e;
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
  // placeholder that the conversion to note on/off removes.
  const std::int32_t slot = kPerformanceDivision / 6;
  const std::int32_t gap = kPerformanceDivision / 8;
  std::optional<std::int32_t> previous;
  std::int32_t accumulated = 0;
  std::int32_t pending = 0;
  auto emit = [&]() {
    if (track.EventCount() >= track.EventRoom()) {
      return;
    }
    const std::int32_t p = *previous;
    auto note = ChannelEvent(EV_NOTE);
    note->delta = pending;
    note->note = p >= 0 ? p : 0;
    note->velocity = p >= 0 ? kVelocity : 0;
    note->duration = accumulated - gap;
    AppendEvent(track, std::move(note));
  };
  const int cellsPerMeasure = 2 * song.m_beatsPerMeasure;
  const int cellCount = song.CellCount();
  for (int m = 0; m < song.m_measureCount; ++m) {
    for (int h = 0; h < cellsPerMeasure; ++h) {
      const int cell = h + cellsPerMeasure * m;
      if (cell < 0 || cell >= cellCount) {
        continue;  // a header that promises more than the song holds
      }
      for (int s = 0; s < kSlotsPerCell; ++s) {
        if (previous) {
          emit();
          pending = accumulated;
          accumulated = 0;
        }
        previous = song.m_cells[static_cast<std::size_t>(cell)].pitch[s];
        accumulated += slot;
      }
    }
  }
  if (previous && accumulated != 0) {
    emit();
  }

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
