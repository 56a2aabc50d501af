#pragma once
// The engine's only contact with a MIDI output: an open port behind a small
// interface (built-in FluidSynth synthesizer through the audio system or into
// a WAV file, an ALSA sequencer port, or a test double), the system that
// counts and opens ports (chosen by KUMOITO_MIDI_OUT), and the send
// operations with their MDCT reports.
//
// Thread-safety: a MidiOut is used by one thread at a time (the GUI thread's
// idle output; the player's output on the player thread, then the timer
// thread). The installed system may be swapped from any thread.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/ui_text.h"

namespace kumoito::midi {

inline constexpr std::uint32_t kMidiMapper = 0xFFFFFFFF;
inline constexpr std::int32_t kChannelCount = 16;

// One open output. Send operations return false when the port refused.
class MidiOutPort {
 public:
  virtual ~MidiOutPort() = default;
  // Status in bits 0-7, first data byte in 8-15, second in 16-23.
  virtual bool SendShort(std::uint32_t packed) = 0;
  // A whole system-exclusive message as it goes on the wire (F0 ... F7).
  virtual bool SendLong(const unsigned char* bytes, std::size_t length) = 0;
  // Silences every sounding note.
  virtual bool Reset() = 0;
  virtual bool Close() = 0;
};

// Counts and opens outputs: device kMidiMapper is the built-in synthesizer,
// device 0 the first ALSA sequencer port that accepts output.
class MidiOutSystem {
 public:
  virtual ~MidiOutSystem() = default;
  virtual std::uint32_t GetNumDevs() = 0;
  virtual std::unique_ptr<MidiOutPort> Open(std::uint32_t deviceId) = 0;
  // Why nothing could be opened, in a sentence for the user (UTF-8).
  virtual std::string WhyNoOutput() { return Ui::Tr("MIDI 出力を開けませんでした。"); }

  // The "no MIDI output at all" report is given once per system, so once per
  // run of the program (which keeps one); true the first time only.
  bool TakeMissingDeviceReport() { return m_missingDeviceReport.exchange(false); }
  void RearmMissingDeviceReport() { m_missingDeviceReport = true; }

 private:
  std::atomic<bool> m_missingDeviceReport{true};
};

// The outputs of this machine, as KUMOITO_MIDI_OUT (read at each call)
// chooses: unset, "synth", "alsa", "alsa:CLIENT:PORT", "wav:PATH" or "none".
// KUMOITO_SOUNDFONT names another soundfont.
std::shared_ptr<MidiOutSystem> MakePlatformMidiOutSystem();
// The system OpenMidiOut uses; null restores the platform system.
void SetMidiOutSystem(std::shared_ptr<MidiOutSystem> system);
std::shared_ptr<MidiOutSystem> GetMidiOutSystem();
// Re-arms the current system's "no MIDI output at all" report.
void ResetMissingDeviceFlag();
// The current system's WhyNoOutput().
std::string WhyNoMidiOutput();
// The user's soundfont for the built-in synthesizer; empty for the
// default. Outputs opened later use it ($KUMOITO_SOUNDFONT stays above it).
void SetSoundFontChoice(const std::string& path);
// The soundfont the synthesizer loads: $KUMOITO_SOUNDFONT, else the one
// SetSoundFontChoice named, else the system's General MIDI font.
std::string SoundFontPath();
// The synthesizer's loudness in percent of its usual gain (clamped to
// 10..200), for synthesizers made later.
void SetSynthVolume(int percent);
// The factor SetSynthVolume asks for; 1 at 100 %.
double SynthGainScale();

// Holds one output; the handle is null when opening failed.
struct MidiOut {
  std::unique_ptr<MidiOutPort> handle;
};

void OpenMidiOut(MidiOut& out);
void CloseMidiOut(MidiOut& out);
void SendProgramChange(std::int32_t program, std::int32_t channel, MidiOut& out);
void SendNoteOn(std::int32_t note, std::int32_t velocity, std::int32_t channel, MidiOut& out);
void SendNoteOff(std::int32_t note, std::int32_t channel, MidiOut& out);
void SendThreeBytes(std::int32_t status, std::int32_t data1, std::int32_t data2, MidiOut& out);
// bytes as stored in a file: F0, a length byte, the body (the length byte is
// dropped on the wire); anything else, such as an F7 continuation, unchanged.
void SendLongMessage(const unsigned char* bytes, std::int32_t length, MidiOut& out);
void SendGmSystemOn(MidiOut& out);
void AllNotesOff(MidiOut& out);

}  // namespace kumoito::midi
