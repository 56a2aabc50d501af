#pragma once
// The 44-byte header of the WAV files the synthesizer writes (16-bit PCM,
// stereo, kSynthSampleRate), shared by the real-time and the offline writer.
//
// Thread-safety: pure function.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "common/bytes.h"
#include "midi/midi_out_backends.h"

namespace kumoito::midi {

inline constexpr std::size_t kWavHeaderSize = 44;
inline constexpr int kWavChannels = 2;

// Writes the header of dataBytes bytes of samples to h[0..kWavHeaderSize).
inline void StoreWavHeader(unsigned char* h, std::uint32_t dataBytes) {
  const unsigned char start[] = {'R', 'I', 'F', 'F', 0,   0,  0, 0, 'W', 'A', 'V',
                                 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,   1,   0};
  std::copy(std::begin(start), std::end(start), h);
  StoreLE32(h + 4, 36 + dataBytes);
  StoreLE16(h + 22, kWavChannels);
  StoreLE32(h + 24, kSynthSampleRate);
  StoreLE32(h + 28, kSynthSampleRate * kWavChannels * 2);
  StoreLE16(h + 32, kWavChannels * 2);
  StoreLE16(h + 34, 16);
  std::copy_n("data", 4, h + 36);
  StoreLE32(h + 40, dataBytes);
}

}  // namespace kumoito::midi
