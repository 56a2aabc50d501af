#pragma once
// MIDI input: the seam between a keyboard's events and the program. One real
// implementation listens on the ALSA sequencer (midi/midi_in_alsa.h) and only
// the window's process makes one; tests drive the program with a double.
// Events carry the time they arrived, in microseconds of a steady clock, so
// that what is done with them (a chord told from notes played one after
// another) depends on the player's timing, not on when the GUI thread got
// round to them.
//
// Thread-safety: a MidiInput is made, started and stopped on one thread (the
// GUI thread); its handler is called on the input's own reader thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kumoito::midi {

// Microseconds of std::chrono::steady_clock.
using MidiInTime = std::int64_t;

inline MidiInTime MidiInNow() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

struct MidiInEvent {
  enum class Kind : std::uint8_t {
    kNoteOn,  // velocity 0 is sent for a release by many keyboards
    kNoteOff,
    kController,  // number: the controller (64: sustain pedal), value
  };
  Kind kind = Kind::kNoteOn;
  std::uint8_t channel = 0;
  std::uint8_t number = 0;  // note or controller
  std::uint8_t value = 0;   // velocity or controller value
  MidiInTime time = 0;
};

// What the preferences store for the port listened to: one of these two, or
// a port's name as Ports() gives it.
inline constexpr std::string_view kMidiInFirst = "first";  // the first there, or that appears
inline constexpr std::string_view kMidiInOff = "off";

struct MidiInPortInfo {
  std::string name;  // "client name:port name", the same whenever it is plugged in
  int client = 0;
  int port = 0;
};

class MidiInput {
 public:
  using EventHandler = std::function<void(const MidiInEvent&)>;
  virtual ~MidiInput() = default;

  // Ports that can be listened to, in client and port order.
  virtual std::vector<MidiInPortInfo> Ports() = 0;
  // Listens to the port `choice` names (kMidiInFirst, kMidiInOff or a
  // port's name), now or as soon as such a port appears, in place of any
  // earlier choice; events go to handler. False when it cannot listen at all.
  virtual bool Listen(std::string_view choice, EventHandler handler) = 0;
  // No more events after it returns.
  virtual void Stop() = 0;
  // The name of the port events come from now; empty while none.
  virtual std::string ConnectedPort() const = 0;
};

}  // namespace kumoito::midi
