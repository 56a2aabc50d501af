#pragma once
// A song's performance as sound, rendered offline: the events of the bytes
// Play would write to play.dat, timed as the player times them, handed to
// the sound module's offline synthesizer, and the WAV file it makes written
// in one replacement of the target.
//
// Thread-safety: the song is read, so call it on the thread that owns it.

#include <cstddef>
#include <string>
#include <vector>

#include "midi/midi_out_backends.h"

namespace kumoito {
class CSongData;
}

namespace kumoito::midi {

// The channel messages of a Standard MIDI File image at their sample
// frames, in the order the player sends them. Tempo changes are honoured
// the player's way (whole beats per minute).
std::vector<TimedMessage> ScheduleMessages(const unsigned char* bytes, std::size_t length);

// Writes the song's performance to path as a 44.1 kHz 16-bit stereo WAV
// file. False with why (one sentence) when the sound module or the
// soundfont is missing or the file cannot be written.
bool ExportPerformanceWav(const CSongData& song, const std::string& path, std::string& why);

// Writes the bytes Play would write to play.dat to path. False (reported)
// when the file cannot be written.
bool ExportPerformanceMidi(const CSongData& song, const std::string& path);

}  // namespace kumoito::midi
