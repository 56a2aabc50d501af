#pragma once
// Recordings in memory: WAV, FLAC and Ogg Vorbis bytes (already read
// through the safe reader) decoded by libsndfile from a virtual file over
// the bytes, mixed down to one channel of floats.
//
// Thread-safety: pure functions.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kumoito::audio {

struct SoundClip {
  double sampleRate = 44100.0;
  std::vector<float> samples;  // mono, full scale 1
  double Seconds() const { return static_cast<double>(samples.size()) / sampleRate; }
};

// True when the first bytes say WAV (RIFF/RF64 WAVE), FLAC or Ogg.
bool LooksLikeSound(const unsigned char* data, std::size_t size);

// Decodes the whole recording. nullopt with why (one sentence, UTF-8) when
// libsndfile cannot read it or it holds no samples.
std::optional<SoundClip> DecodeSound(std::string_view bytes, std::string& why);

// Longest recording decoded, in samples per channel (an hour at 48 kHz):
// a header that claims more is refused before any memory is taken.
inline constexpr long long kMaxSoundFrames = 48000LL * 3600;

}  // namespace kumoito::audio
