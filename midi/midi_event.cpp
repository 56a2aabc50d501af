#include "midi/midi_event.h"

#include <algorithm>
#include <cstring>

#include "midi/midi_report.h"

namespace kumoito::midi {

MidiEvent::MidiEvent(const MidiEvent& other)
    : kind(other.kind),
      delta(other.delta),
      note(other.note),
      duration(other.duration),
      velocity(other.velocity),
      subtype(other.subtype),
      value(other.value),
      channel(other.channel) {
  if (other.data) {
    dataLength = other.dataLength;
    data = std::make_unique<unsigned char[]>(static_cast<std::size_t>(dataLength) + kDataSpare);
    std::memcpy(data.get(), other.data.get(), static_cast<std::size_t>(dataLength) + kDataSpare);
  }
}

MidiEvent& MidiEvent::operator=(const MidiEvent& other) {
  if (this != &other) {
    MidiEvent copy(other);
    *this = std::move(copy);
  }
  return *this;
}

MidiTrack::MidiTrack(std::uint32_t bufferCapacity) : capacity(bufferCapacity) {}

MidiSequence::MidiSequence(std::uint32_t bufferCapacity) : capacity(bufferCapacity) {}
MidiSequence::~MidiSequence() = default;
MidiSequence::MidiSequence(MidiSequence&&) noexcept = default;
MidiSequence& MidiSequence::operator=(MidiSequence&&) noexcept = default;

void SetEventData(MidiEvent& event, const unsigned char* bytes, std::int32_t length) {
  event.data.reset();
  event.dataLength = 0;
  if (length < 0) {
    length = 0;
  }
  if (length > kLargeDataLength) {
    ReportMusicEventError(0x06000001);
  }
  event.data = std::make_unique<unsigned char[]>(static_cast<std::size_t>(length) + kDataSpare);
  if (length > 0 && bytes != nullptr) {
    std::memcpy(event.data.get(), bytes, static_cast<std::size_t>(length));
  }
  event.dataLength = length;
}

unsigned char EventDataByte(const MidiEvent& event, std::int32_t position) {
  if (!event.data || position < 0 || position > event.dataLength + kDataSpare - 1) {
    ReportMusicEventError(0x06000002);
    return 0;
  }
  return event.data[static_cast<std::size_t>(position)];
}

void CopyEventData(const MidiEvent& event, unsigned char* destination) {
  if (event.data && event.dataLength > 0) {
    std::memcpy(destination, event.data.get(), static_cast<std::size_t>(event.dataLength));
  }
}

bool IsEndOfTrack(const MidiEvent& event) {
  return event.kind == EV_META && event.subtype == META_END_OF_TRACK;
}

}  // namespace kumoito::midi
