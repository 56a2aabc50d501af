#include "midi/midi_out.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <vector>

#include "common/file_util.h"
#include "common/module_loader.h"
#include "midi/midi_out_backends.h"
#include "midi/midi_report.h"

namespace kumoito::midi {
namespace {

std::mutex g_systemMutex;
std::shared_ptr<MidiOutSystem> g_system;

struct Choice {
  enum Kind { kDefault, kSynth, kAlsa, kWav, kNone } kind = kDefault;
  std::string wavPath;
  int client = -1;
  int port = 0;
};

Choice ReadChoice() {
  Choice c;
  const char* env = std::getenv("KUMOITO_MIDI_OUT");
  const std::string_view v = env != nullptr ? env : "";
  if (v == "synth") {
    c.kind = Choice::kSynth;
  } else if (v == "none") {
    c.kind = Choice::kNone;
  } else if (v.starts_with("wav:")) {
    c.kind = Choice::kWav;
    c.wavPath = std::string(v.substr(4));
  } else if (v == "alsa") {
    c.kind = Choice::kAlsa;
  } else if (v.starts_with("alsa:")) {
    c.kind = Choice::kAlsa;
    const std::string rest(v.substr(5));
    char* end = nullptr;
    const long client = std::strtol(rest.c_str(), &end, 10);
    if (end != rest.c_str() && *end == ':') {
      c.client = static_cast<int>(client);
      c.port = static_cast<int>(std::strtol(end + 1, nullptr, 10));
    }
  }
  return c;
}

class PlatformMidiOutSystem final : public MidiOutSystem {
 public:
  std::uint32_t GetNumDevs() override {
    const Choice c = ReadChoice();
    if (c.kind == Choice::kNone) {
      return 0;
    }
    const SoundBackends* b = SoundModule();
    if (b == nullptr) {
      return 0;
    }
    const std::uint32_t synth = FileExists(SoundFontPath()) ? 1 : 0;
    switch (c.kind) {
      case Choice::kSynth:
      case Choice::kWav:
        return synth;
      case Choice::kAlsa:
        return static_cast<std::uint32_t>(b->countAlsaOutputPorts());
      default:
        return synth + static_cast<std::uint32_t>(b->countAlsaOutputPorts());
    }
  }

  std::unique_ptr<MidiOutPort> Open(std::uint32_t deviceId) override {
    const Choice c = ReadChoice();
    const SoundBackends* b = c.kind == Choice::kNone ? nullptr : SoundModule();
    if (b == nullptr) {
      return nullptr;
    }
    if (deviceId == kMidiMapper) {
      switch (c.kind) {
        case Choice::kDefault:
        case Choice::kSynth:
          return b->openSynthAudioPort(SoundFontPath());
        case Choice::kWav:
          return b->openSynthWavPort(SoundFontPath(), c.wavPath);
        default:
          return nullptr;
      }
    }
    if (deviceId == 0 && (c.kind == Choice::kDefault || c.kind == Choice::kAlsa)) {
      return b->openAlsaPort(c.client, c.port);
    }
    return nullptr;
  }

  std::string WhyNoOutput() override {
    const Choice c = ReadChoice();
    if (c.kind == Choice::kNone) {
      return Ui::Tr("KUMOITO_MIDI_OUT=none で、音を出さない設定になっています。");
    }
    std::string missing;
    if (SoundModule(&missing) == nullptr) {
      return Ui::Format(Ui::Tr("音を出す部品を読み込めませんでした（%1）。"), {missing});
    }
    const std::string font = SoundFontPath();
    const bool fontMissing = !FileExists(font);
    const std::string noFont =
        Ui::Format(Ui::Tr("音色ファイル「%1」がありません。timgm6mb-soundfont を入れるか、"
                          "「設定」か KUMOITO_SOUNDFONT で音色ファイルを指定してください。"),
                   {font});
    const std::string checkAudio =
        Ui::Tr("音声装置かサウンドサーバが動いているか確かめてください。");
    switch (c.kind) {
      case Choice::kSynth:
        return fontMissing ? noFont
                           : Ui::Tr("音声出力（PulseAudio、PipeWire、ALSA）を開けませんでした。") +
                                 checkAudio;
      case Choice::kWav:
        return fontMissing
                   ? noFont
                   : Ui::Format(Ui::Tr("WAV ファイル「%1」に書き込めませんでした。"), {c.wavPath});
      case Choice::kAlsa:
        return Ui::Tr("ALSA シーケンサの MIDI 出力ポートを開けませんでした。");
      default:
        return fontMissing ? noFont + Ui::Tr("ALSA シーケンサの MIDI 出力ポートもありません。")
                           : Ui::Tr(
                                 "音声出力（PulseAudio、PipeWire、ALSA）も ALSA シーケンサも"
                                 "開けませんでした。") +
                                 checkAudio;
    }
  }
};

void SendShort(MidiOut& out, std::uint32_t packed, bool* ok = nullptr) {
  const bool sent = out.handle && out.handle->SendShort(packed);
  if (ok != nullptr) {
    *ok = sent;
  }
}

std::uint32_t Pack(std::int32_t status, std::int32_t d1, std::int32_t d2) {
  return (static_cast<std::uint32_t>(status) & 0xFF) |
         ((static_cast<std::uint32_t>(d1) & 0xFF) << 8) |
         ((static_cast<std::uint32_t>(d2) & 0xFF) << 16);
}

}  // namespace

namespace {

std::mutex g_fontMutex;
std::string g_fontChoice;
std::atomic<int> g_volume{100};

}  // namespace

std::string SoundFontPath() {
  // The variable stays above the user's choice: it is how a test or a
  // one-off run picks a font without touching the saved settings.
  const char* env = std::getenv("KUMOITO_SOUNDFONT");
  if (env != nullptr && *env != '\0') {
    return env;
  }
  std::lock_guard lock(g_fontMutex);
  return g_fontChoice.empty() ? kDefaultSoundFont : g_fontChoice;
}

void SetSoundFontChoice(const std::string& path) {
  std::lock_guard lock(g_fontMutex);
  g_fontChoice = path;
}

void SetSynthVolume(int percent) {
  g_volume.store(std::clamp(percent, 10, 200));
}

double SynthGainScale() {
  return g_volume.load() / 100.0;
}

const SoundBackends* SoundModule(std::string* why) {
  // Loaded on the first question about sound, so that a run that plays
  // nothing never maps the synthesizer, its audio chain or ALSA.
  static std::string failure;
  static const SoundBackends* const backends = [] {
    using Entry = const SoundBackends* (*)(int);
    auto entry = reinterpret_cast<Entry>(LoadModuleEntry(kSoundModule, kSoundModuleEntry, failure));
    const SoundBackends* b = entry != nullptr ? entry(kSoundBackendsAbi) : nullptr;
    if (entry != nullptr && b == nullptr) {
      failure = std::string(kSoundModule) + " is of another build";
    }
    return b;
  }();
  if (why != nullptr) {
    *why = failure;
  }
  // Every port and rendering starts here, so the module always makes its
  // synthesizers with the volume of the moment.
  if (backends != nullptr) {
    backends->setSynthGainScale(SynthGainScale());
  }
  return backends;
}

std::shared_ptr<MidiOutSystem> MakePlatformMidiOutSystem() {
  return std::make_shared<PlatformMidiOutSystem>();
}

void SetMidiOutSystem(std::shared_ptr<MidiOutSystem> system) {
  std::lock_guard lock(g_systemMutex);
  g_system = std::move(system);
}

std::shared_ptr<MidiOutSystem> GetMidiOutSystem() {
  std::lock_guard lock(g_systemMutex);
  if (!g_system) {
    g_system = MakePlatformMidiOutSystem();
  }
  return g_system;
}

std::string WhyNoMidiOutput() {
  return GetMidiOutSystem()->WhyNoOutput();
}

void ResetMissingDeviceFlag() {
  GetMidiOutSystem()->RearmMissingDeviceReport();
}

void OpenMidiOut(MidiOut& out) {
  out.handle.reset();
  const auto system = GetMidiOutSystem();
  if (system->GetNumDevs() == 0) {
    if (system->TakeMissingDeviceReport()) {
      ReportDeviceError(kDeviceOpenFailed);
    }
    return;
  }
  out.handle = system->Open(kMidiMapper);
  if (!out.handle) {
    out.handle = system->Open(0);
  }
  if (!out.handle) {
    ReportDeviceError(kDeviceOpenFailed);
  }
}

void CloseMidiOut(MidiOut& out) {
  if (!out.handle) {
    return;
  }
  if (!out.handle->Reset()) {
    ReportDeviceError(kDeviceCloseFailed);
  }
  if (!out.handle->Close()) {
    ReportDeviceError(kDeviceCloseFailed);
  }
  out.handle.reset();
}

void SendProgramChange(std::int32_t program, std::int32_t channel, MidiOut& out) {
  bool ok = false;
  SendShort(out,
            static_cast<std::uint32_t>(program) * 256 + static_cast<std::uint32_t>(channel) + 0xC0,
            &ok);
  if (!ok) {
    ReportDeviceError(kDeviceProgramFailed);
  }
}

void SendNoteOn(std::int32_t note, std::int32_t velocity, std::int32_t channel, MidiOut& out) {
  SendShort(out, Pack(0x90 + channel, note, velocity > 127 ? 127 : velocity));
}

void SendNoteOff(std::int32_t note, std::int32_t channel, MidiOut& out) {
  SendShort(out, Pack(0x80 + channel, note, 0));
}

void SendThreeBytes(std::int32_t status, std::int32_t data1, std::int32_t data2, MidiOut& out) {
  SendShort(out, Pack(status, data1, data2));
}

void SendLongMessage(const unsigned char* bytes, std::int32_t length, MidiOut& out) {
  if (!out.handle || bytes == nullptr || length <= 0) {
    return;
  }
  // The message gets a block of its own size, so data of any length is sent
  // whole instead of being cut to (or written past) a fixed block.
  std::vector<unsigned char> message;
  if (bytes[0] == 0xF0 && length >= 2) {
    message.reserve(static_cast<std::size_t>(length) - 1);
    message.push_back(0xF0);
    message.insert(message.end(), bytes + 2, bytes + length);
  } else {
    message.assign(bytes, bytes + length);
  }
  if (!out.handle->SendLong(message.data(), message.size())) {
    ReportDeviceError(kDeviceSysexFailed);
  }
}

void SendGmSystemOn(MidiOut& out) {
  static constexpr unsigned char kGmSystemOn[] = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  SendLongMessage(kGmSystemOn, sizeof kGmSystemOn, out);
}

void AllNotesOff(MidiOut& out) {
  for (std::int32_t channel = 0; channel < kChannelCount; ++channel) {
    SendShort(out, Pack(0xB0 + channel, 123, 0));
  }
}

}  // namespace kumoito::midi
