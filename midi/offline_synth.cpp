// The built-in synthesizer rendering a whole performance at once, for the
// WAV export: no audio driver, no clock, only fluid_synth_write_s16 in a
// loop between the messages' frames.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "midi/midi_out_backends.h"
#include "midi/wav_header.h"

namespace kumoito::midi {
namespace {

constexpr int kChannels = kWavChannels;
constexpr int kBlockFrames = 1024;
// A block whose loudest sample stays below this (about -72 dBFS) is taken
// as the end of the last note's release.
constexpr int kSilence = 8;

}  // namespace

bool RenderOfflineWav(const std::string& soundFont, const TimedMessage* messages, std::size_t count,
                      std::vector<unsigned char>& wav, std::string& why) {
  FluidSynthCorePtr core = CreateFluidSynthCore(soundFont);
  if (!core) {
    why = "the soundfont " + soundFont + " cannot be loaded";
    return false;
  }
  const std::uint64_t lastFrame = count > 0 ? messages[count - 1].frame : 0;
  std::vector<std::int16_t> samples;
  samples.reserve(static_cast<std::size_t>(lastFrame + kMaxReleaseFrames / 2) * kChannels);
  std::uint64_t rendered = 0;
  // Renders up to frame `to`, in blocks; returns the loudest sample.
  auto renderTo = [&](std::uint64_t to) {
    int loudest = 0;
    while (rendered < to) {
      const int frames = static_cast<int>(std::min<std::uint64_t>(kBlockFrames, to - rendered));
      const std::size_t at = samples.size();
      samples.resize(at + static_cast<std::size_t>(frames) * kChannels);
      FluidSynthRender(*core, samples.data() + at, frames);
      for (std::size_t i = at; i < samples.size(); ++i) {
        loudest = std::max(loudest, std::abs(static_cast<int>(samples[i])));
      }
      rendered += static_cast<std::uint64_t>(frames);
    }
    return loudest;
  };
  for (std::size_t i = 0; i < count; ++i) {
    renderTo(messages[i].frame);
    FluidSynthShort(*core, messages[i].packed);
  }
  const std::uint64_t tailEnd = rendered + kMaxReleaseFrames;
  while (rendered < tailEnd) {
    if (renderTo(std::min<std::uint64_t>(rendered + kBlockFrames, tailEnd)) < kSilence) {
      break;
    }
  }
  const std::size_t dataBytes = samples.size() * sizeof(std::int16_t);
  wav.assign(kWavHeaderSize + dataBytes, 0);
  StoreWavHeader(wav.data(), static_cast<std::uint32_t>(dataBytes));
  for (std::size_t i = 0; i < samples.size(); ++i) {
    StoreLE16(wav.data() + kWavHeaderSize + 2 * i, static_cast<std::uint16_t>(samples[i]));
  }
  return true;
}

}  // namespace kumoito::midi
