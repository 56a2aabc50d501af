// The built-in synthesizer sounding through the system's audio: FluidSynth
// with a General MIDI soundfont and its own audio driver thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include <fluidsynth.h>

#include "midi/midi_out_backends.h"

namespace kumoito::midi {
namespace {

// Failures are reported as MDCT lines by the caller; FluidSynth's own
// messages on standard error would only repeat them.
void QuietFluidSynth() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      fluid_set_log_function(level, nullptr, nullptr);
    }
  });
}

}  // namespace

// Shared by the audio and the WAV port: settings, synthesizer and soundfont.
// With the Debian GM font a note of the performance's velocity 64 peaks near
// -5 dBFS at this gain on the low strings and near -9 dBFS high on the
// neck, its samples being softer there: loud on laptop speakers, with room
// left for a release overlapping the next note and for the reverb.
constexpr double kSynthGain = 4.5;
// The user's volume, set before a synthesizer is made; read by whichever
// thread makes one.
std::atomic<double> g_gainScale{1.0};

class FluidSynthCore {
 public:
  static std::unique_ptr<FluidSynthCore> Create(const std::string& soundFont) {
    QuietFluidSynth();
    auto core = std::unique_ptr<FluidSynthCore>(new FluidSynthCore);
    core->m_settings = new_fluid_settings();
    if (core->m_settings == nullptr) {
      return nullptr;
    }
    fluid_settings_setnum(core->m_settings, "synth.sample-rate", kSynthSampleRate);
    fluid_settings_setint(core->m_settings, "synth.threadsafe-api", 1);
    // The library's default gain leaves a single plucked note of velocity 64
    // near -33 dBFS, hard to hear on laptop speakers; one melody line has
    // room for a louder mix. The gain, not the velocities, so that the MIDI
    // a user exports sounds on other synthesizers as it always did.
    fluid_settings_setnum(core->m_settings, "synth.gain", kSynthGain * g_gainScale.load());
    core->m_synth = new_fluid_synth(core->m_settings);
    if (core->m_synth == nullptr ||
        fluid_synth_sfload(core->m_synth, soundFont.c_str(), 1) == FLUID_FAILED) {
      return nullptr;
    }
    return core;
  }
  ~FluidSynthCore() {
    if (m_synth != nullptr) {
      delete_fluid_synth(m_synth);
    }
    if (m_settings != nullptr) {
      delete_fluid_settings(m_settings);
    }
  }
  FluidSynthCore(const FluidSynthCore&) = delete;
  FluidSynthCore& operator=(const FluidSynthCore&) = delete;

  fluid_settings_t* Settings() { return m_settings; }
  fluid_synth_t* Synth() { return m_synth; }

  bool SendShort(std::uint32_t packed) {
    const int status = packed & 0xFF;
    const int d1 = (packed >> 8) & 0x7F;
    const int d2 = (packed >> 16) & 0x7F;
    const int channel = status & 0x0F;
    switch (status & 0xF0) {
      case 0x80:
        fluid_synth_noteoff(m_synth, channel, d1);  // a note not sounding is not a failure
        return true;
      case 0x90:
        return d2 == 0 ? (fluid_synth_noteoff(m_synth, channel, d1), true)
                       : fluid_synth_noteon(m_synth, channel, d1, d2) == FLUID_OK;
      case 0xA0:
        return fluid_synth_key_pressure(m_synth, channel, d1, d2) == FLUID_OK;
      case 0xB0:
        return fluid_synth_cc(m_synth, channel, d1, d2) == FLUID_OK;
      case 0xC0:
        return fluid_synth_program_change(m_synth, channel, d1) == FLUID_OK;
      case 0xD0:
        return fluid_synth_channel_pressure(m_synth, channel, d1) == FLUID_OK;
      case 0xE0:
        return fluid_synth_pitch_bend(m_synth, channel, d1 | (d2 << 7)) == FLUID_OK;
      default:
        return false;
    }
  }

  bool SendLong(const unsigned char* bytes, std::size_t length) {
    // FluidSynth takes the body without the framing F0 and F7.
    if (length < 2 || bytes[0] != 0xF0) {
      return length > 0 && bytes[0] == 0xF7;  // a continuation has no meaning to it
    }
    std::size_t n = length - 1;
    if (bytes[length - 1] == 0xF7) {
      --n;
    }
    return fluid_synth_sysex(m_synth, reinterpret_cast<const char*>(bytes + 1), static_cast<int>(n),
                             nullptr, nullptr, nullptr, 0) == FLUID_OK;
  }

  bool Reset() { return fluid_synth_all_notes_off(m_synth, -1) == FLUID_OK; }

  bool Render(std::int16_t* out, int frames) {
    return fluid_synth_write_s16(m_synth, frames, out, 0, 2, out, 1, 2) == FLUID_OK;
  }

 private:
  FluidSynthCore() = default;
  fluid_settings_t* m_settings = nullptr;
  fluid_synth_t* m_synth = nullptr;
};

void FluidSynthCoreDeleter::operator()(FluidSynthCore* core) const {
  delete core;
}

void SetSynthGainScale(double scale) {
  g_gainScale.store(scale);
}

FluidSynthCorePtr CreateFluidSynthCore(const std::string& soundFont) {
  return FluidSynthCorePtr(FluidSynthCore::Create(soundFont).release());
}
bool FluidSynthShort(FluidSynthCore& core, std::uint32_t packed) {
  return core.SendShort(packed);
}
bool FluidSynthLong(FluidSynthCore& core, const unsigned char* bytes, std::size_t length) {
  return core.SendLong(bytes, length);
}
bool FluidSynthReset(FluidSynthCore& core) {
  return core.Reset();
}
bool FluidSynthRender(FluidSynthCore& core, std::int16_t* out, int frames) {
  return core.Render(out, frames);
}

namespace {

class SynthAudioPort final : public MidiOutPort {
 public:
  SynthAudioPort(std::unique_ptr<FluidSynthCore> core, fluid_audio_driver_t* driver)
      : m_core(std::move(core)), m_driver(driver) {}
  ~SynthAudioPort() override { Close(); }

  bool SendShort(std::uint32_t packed) override { return m_driver && m_core->SendShort(packed); }
  bool SendLong(const unsigned char* bytes, std::size_t length) override {
    return m_driver && m_core->SendLong(bytes, length);
  }
  bool Reset() override { return m_driver && m_core->Reset(); }
  bool Close() override {
    if (m_driver == nullptr) {
      return false;
    }
    delete_fluid_audio_driver(m_driver);
    m_driver = nullptr;
    return true;
  }

 private:
  std::unique_ptr<FluidSynthCore> m_core;
  fluid_audio_driver_t* m_driver;
};

}  // namespace

std::unique_ptr<MidiOutPort> OpenSynthAudioPort(const std::string& soundFont) {
  auto core = FluidSynthCore::Create(soundFont);
  if (!core) {
    return nullptr;
  }
  // The build's default driver first, then the sound servers a desktop runs.
  fluid_audio_driver_t* driver = new_fluid_audio_driver(core->Settings(), core->Synth());
  for (const char* name : {"pulseaudio", "pipewire", "alsa"}) {
    if (driver != nullptr) {
      break;
    }
    if (fluid_settings_setstr(core->Settings(), "audio.driver", name) == FLUID_OK) {
      driver = new_fluid_audio_driver(core->Settings(), core->Synth());
    }
  }
  if (driver == nullptr) {
    return nullptr;
  }
  return std::make_unique<SynthAudioPort>(std::move(core), driver);
}

}  // namespace kumoito::midi
