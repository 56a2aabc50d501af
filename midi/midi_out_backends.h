#pragma once
// Factories of the real output ports, one per backend file, built into the
// sound module (kumoito-sound.so) with the libraries they need; the rest of
// the program reaches them through SoundModule(). No third-party type
// appears here.
//
// Thread-safety: any thread; each port is then used by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midi/midi_out.h"

namespace kumoito::midi {

inline constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";
inline constexpr int kSynthSampleRate = 44100;

// The built-in synthesizer without an audio driver (defined with the audio
// port): the WAV port drives its rendering itself. Its calls may come from
// two threads at once (FluidSynth's thread-safe API).
class FluidSynthCore;
struct FluidSynthCoreDeleter {
  void operator()(FluidSynthCore* core) const;
};
using FluidSynthCorePtr = std::unique_ptr<FluidSynthCore, FluidSynthCoreDeleter>;
FluidSynthCorePtr CreateFluidSynthCore(const std::string& soundFont);
bool FluidSynthShort(FluidSynthCore& core, std::uint32_t packed);
bool FluidSynthLong(FluidSynthCore& core, const unsigned char* bytes, std::size_t length);
bool FluidSynthReset(FluidSynthCore& core);
// Renders frames of 16-bit interleaved stereo into out (2 * frames values).
bool FluidSynthRender(FluidSynthCore& core, std::int16_t* out, int frames);

// FluidSynth sounding through the system's audio; null when no audio opens.
std::unique_ptr<MidiOutPort> OpenSynthAudioPort(const std::string& soundFont);
// FluidSynth rendering in real time into a 16-bit stereo WAV file at path.
std::unique_ptr<MidiOutPort> OpenSynthWavPort(const std::string& soundFont,
                                              const std::string& path);
// ALSA sequencer output ports that accept writes, excluding our own.
int CountAlsaOutputPorts();
// client < 0: the first such port.
std::unique_ptr<MidiOutPort> OpenAlsaPort(int client, int port);

// One message for the offline synthesizer: packed as MidiOutPort::SendShort
// takes it, applied at a sample frame (44.1 kHz) counted from the start.
struct TimedMessage {
  std::uint64_t frame = 0;
  std::uint32_t packed = 0;
};
// The longest tail rendered after the last message, while notes ring out.
inline constexpr int kMaxReleaseFrames = 2 * kSynthSampleRate;
// Renders messages (in frame order) through a synthesizer of its own, as
// fast as it can and without any audio driver, into the image of a 44.1 kHz
// 16-bit stereo WAV file; the file ends when the sound after the last
// message has died away, at most kMaxReleaseFrames later. False with why
// when the soundfont cannot be loaded.
bool RenderOfflineWav(const std::string& soundFont, const TimedMessage* messages, std::size_t count,
                      std::vector<unsigned char>& wav, std::string& why);

// What the sound module hands over. The ports it makes are deleted through
// MidiOutPort's virtual destructor; the module is never unloaded.
struct SoundBackends {
  std::unique_ptr<MidiOutPort> (*openSynthAudioPort)(const std::string& soundFont);
  std::unique_ptr<MidiOutPort> (*openSynthWavPort)(const std::string& soundFont,
                                                   const std::string& path);
  int (*countAlsaOutputPorts)();
  std::unique_ptr<MidiOutPort> (*openAlsaPort)(int client, int port);
  bool (*renderOfflineWav)(const std::string& soundFont, const TimedMessage* messages,
                           std::size_t count, std::vector<unsigned char>& wav, std::string& why);
  // The factor on the synthesizer's usual gain for every synthesizer made
  // after the call.
  void (*setSynthGainScale)(double scale);
};
// Raised whenever SoundBackends or MidiOutPort changes, so that a module of
// another build is refused instead of called wrongly.
inline constexpr int kSoundBackendsAbi = 3;
inline constexpr const char* kSoundModule = "kumoito-sound.so";
inline constexpr const char* kSoundModuleEntry = "kumoito_sound_backends";

// The sound module's backends, loaded on first use; null when the module is
// missing or unusable, with why saying so.
const SoundBackends* SoundModule(std::string* why = nullptr);
// In the sound module: the factor its synthesizers are made with.
void SetSynthGainScale(double scale);

}  // namespace kumoito::midi
