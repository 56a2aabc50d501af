#pragma once
// The records the MIDI engine works on: one event (MidiEvent), the event list
// with its byte image (MidiTrack) and the container with its file image and
// division (MidiSequence), plus the storage of an event's data bytes.
//
// Thread-safety: none. A record is used by one thread at a time; the player
// hands its play copy from the player thread to the timer thread through the
// timer service, which orders the two.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kumoito::midi {

// Event kinds beyond the status bytes (channel kinds carry no channel bits).
inline constexpr std::int32_t EV_DELETED = 0;  // compaction removes it, its delta passes on
inline constexpr std::int32_t EV_NOTE = 0x10;  // a note with a duration (form 2 only)
inline constexpr std::int32_t EV_NOTE_OFF = 0x80;
inline constexpr std::int32_t EV_NOTE_ON = 0x90;
inline constexpr std::int32_t EV_POLY_PRESSURE = 0xA0;
inline constexpr std::int32_t EV_CONTROL = 0xB0;
inline constexpr std::int32_t EV_PROGRAM = 0xC0;
inline constexpr std::int32_t EV_CHANNEL_PRESSURE = 0xD0;
inline constexpr std::int32_t EV_PITCH_BEND = 0xE0;
inline constexpr std::int32_t EV_SYSEX = 0xF0;
inline constexpr std::int32_t EV_SYSEX_CONTINUATION = 0xF7;
inline constexpr std::int32_t EV_META = 0xFF;

inline constexpr std::uint32_t META_TRACK_NAME = 0x03;
inline constexpr std::uint32_t META_END_OF_TRACK = 0x2F;
inline constexpr std::uint32_t META_TEMPO = 0x51;
inline constexpr std::uint32_t META_TIME_SIGNATURE = 0x58;

// Engine classes of a system-exclusive event (its subtype).
inline constexpr std::uint32_t SYSEX_MASTER_VOLUME = 1;
inline constexpr std::uint32_t SYSEX_GM_SYSTEM_ON = 9;
inline constexpr std::uint32_t SYSEX_MODEL_TIMBRE = 127;

// Forms of a sequence and its track.
inline constexpr std::int32_t FORM_NEW = -1;
inline constexpr std::int32_t FORM_BYTES = 0;   // the byte image is current
inline constexpr std::int32_t FORM_ON_OFF = 1;  // notes as note on / note off
inline constexpr std::int32_t FORM_NOTES = 2;   // notes as EV_NOTE with durations

inline constexpr std::int32_t kNoChannel = 255;
inline constexpr std::uint32_t kBufferCapacity = 393216;  // 0x60000, every buffer of the engine
inline constexpr std::int32_t kMaxEvents = kBufferCapacity / 3;
// Data blocks carry this many zero bytes beyond their length, so a reader may
// look a little past the data without leaving the block.
inline constexpr std::int32_t kDataSpare = 8;
inline constexpr std::int32_t kLargeDataLength = 256;

struct MidiEvent {
  std::int32_t kind = EV_DELETED;
  std::int32_t delta = 0;
  std::int32_t note = 0;
  std::int32_t duration = 0;
  std::int32_t velocity = 0;
  std::uint32_t subtype = 0;
  std::int32_t value = 0;
  std::int32_t dataLength = 0;
  std::unique_ptr<unsigned char[]> data;  // dataLength + kDataSpare bytes, or null
  std::int32_t channel = kNoChannel;

  MidiEvent() = default;
  MidiEvent(const MidiEvent& other);  // deep: the data block is copied
  MidiEvent& operator=(const MidiEvent& other);
  MidiEvent(MidiEvent&&) noexcept = default;
  MidiEvent& operator=(MidiEvent&&) noexcept = default;
};

struct MidiTrack {
  explicit MidiTrack(std::uint32_t bufferCapacity = kBufferCapacity);

  std::int32_t EventCount() const { return static_cast<std::int32_t>(events.size()); }
  // Room of the event array: a third of the buffer capacity.
  std::int32_t EventRoom() const { return static_cast<std::int32_t>(capacity / 3); }

  std::int32_t byteLength = 0;
  std::int32_t position = 0;
  std::vector<unsigned char> buffer;  // track chunk image in form 0; sized on first use
  std::uint32_t capacity;
  std::int32_t form = FORM_NEW;
  std::vector<std::unique_ptr<MidiEvent>> events;
};

struct MidiSequence {
  explicit MidiSequence(std::uint32_t bufferCapacity = kBufferCapacity);
  ~MidiSequence();
  MidiSequence(MidiSequence&&) noexcept;
  MidiSequence& operator=(MidiSequence&&) noexcept;
  MidiSequence(const MidiSequence&) = delete;
  MidiSequence& operator=(const MidiSequence&) = delete;

  std::int32_t dataLength = 0;
  std::int32_t position = 0;
  std::vector<unsigned char> buffer;  // whole file image in form 0; sized on first use
  std::uint32_t capacity;
  std::int32_t division = 0;
  std::int32_t form = FORM_BYTES;
  std::int32_t timeSignature = 0;  // numerator * 256 + denominator, 0 when none
  // The copy the player plays. Created and destroyed only through the
  // player's StartPlayback and StopPlayback.
  std::unique_ptr<MidiSequence> playCopy;
  std::unique_ptr<MidiTrack> track;
};

// Replaces the event's data with a copy of length bytes plus kDataSpare zero
// bytes. More than 256 bytes are stored but reported (MUEV 0x6000001).
void SetEventData(MidiEvent& event, const unsigned char* bytes, std::int32_t length);
// Byte at position (0 .. length + 7); outside that, or without data, reports
// MUEV 0x6000002 and gives 0.
unsigned char EventDataByte(const MidiEvent& event, std::int32_t position);
// Copies the dataLength bytes out; destination must hold that many.
void CopyEventData(const MidiEvent& event, unsigned char* destination);

bool IsEndOfTrack(const MidiEvent& event);

}  // namespace kumoito::midi
