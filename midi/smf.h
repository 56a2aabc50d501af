#pragma once
// Standard MIDI Files: the writer (always format 0, one track, no running
// status), the format-0 reader and the format-1 reader that merges its tracks
// into one. Also the sequence-level conversions between the byte image
// (form 0), note on/off events (form 1) and notes with durations (form 2).
//
// Thread-safety: functions may be called from any thread on sequences that
// thread owns; the once-per-run report flags are atomic.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midi/midi_event.h"

namespace kumoito::midi {

inline constexpr std::size_t kHeaderLength = 14;  // "MThd", 6, format, tracks, division
inline constexpr std::size_t kMacBinaryLength = 128;
inline constexpr std::size_t kChunkHeaderLength = 8;
// The track image stops while this much room is left in its buffer.
inline constexpr std::size_t kTrackReserve = 256;

// Writes the sequence and returns it to the form it had. False when nothing
// could be written (wrong form, unserializable track, file error).
bool WriteSequenceFile(MidiSequence& sequence, const std::string& path);
// Fills a sequence from a file read into a buffer of capacity bytes; the
// result is in form 2 (empty when the file is unreadable or foreign).
void ReadSequenceFile(MidiSequence& sequence, const std::string& path,
                      std::uint32_t capacity = kBufferCapacity);
// ReadSequenceFile after the file has been read: bytes[0 .. length) is taken
// as the file image.
void ReadSequenceImage(MidiSequence& sequence, const unsigned char* bytes, std::size_t length);

// Builds a form-1 track from the chunk at start; nothing is read at or past
// min(available, capacity).
void ParseTrackChunk(const unsigned char* bytes, std::size_t capacity, MidiTrack& track,
                     std::size_t available, std::size_t start);
// Form-1 track ending in an end of track -> MTrk image in track.buffer (form 0).
bool SerializeTrack(MidiTrack& track);

// Sequence-level conversions; each checks the form it starts from (M0DT 0x4000005).
void ConvertToOnOff(MidiSequence& sequence);  // 2 -> 1
void ConvertToNotes(MidiSequence& sequence);  // 1 -> 2
bool MakeByteImage(MidiSequence& sequence);   // 1 -> 0

// A format-1 file as its separate form-1 tracks.
struct Format1File {
  bool ok = false;
  std::int32_t division = 0;
  std::vector<std::unique_ptr<MidiTrack>> tracks;
};
Format1File ReadFormat1File(const std::string& path);
Format1File ReadFormat1Image(const unsigned char* bytes, std::size_t length);
// One form-1 track holding every event of the file's tracks in time order
// (the first track's name first, ties in track order), with a master volume.
std::unique_ptr<MidiTrack> MergeFormat1Tracks(Format1File& file);

// The engine's class of a system-exclusive message stored as in a file
// (F0, length byte, body); value receives the level of a volume or balance.
std::uint32_t SysexClass(const unsigned char* data, std::int32_t length, std::int32_t* value);

// Variable-length number as written: 7 bits a byte, high groups first.
std::vector<unsigned char> EncodeVariableLength(std::uint32_t value);

// Some reader and writer faults are reported once per run; tests reset that.
void ResetOncePerRunReports();

}  // namespace kumoito::midi
