#pragma once
// Notes heard in a monophonic recording: where each is struck (a quick
// rise of the high-passed energy, or a held pitch that changes), how long
// it sounds, and its pitch (the median of the detector's voiced frames in
// its first part, where a plucked note is clearest).
//
// Thread-safety: pure functions.

#include <vector>

#include "audio/sound_file.h"

namespace kumoito::audio {

struct HeardNote {
  double onset = 0.0;  // seconds from the start of the recording
  double end = 0.0;    // where it fell silent or the next note began
  double note = 0.0;   // MIDI note number, fractional (the median heard)
  int pitch = 0;       // note rounded
};

struct NoteFinderSettings {
  double minHz = 50.0;
  double maxHz = 2000.0;
  // Onsets closer than this are one note.
  double minGapSeconds = 0.045;
};

std::vector<HeardNote> FindNotes(const SoundClip& clip, const NoteFinderSettings& settings = {});

}  // namespace kumoito::audio
