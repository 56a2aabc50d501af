#include "audio/sound_file_backend.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace kumoito::audio {
namespace {

struct MemoryFile {
  std::string_view bytes;
  sf_count_t position = 0;
};

sf_count_t Length(void* user) {
  return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
  auto* file = static_cast<MemoryFile*>(user);
  const auto size = static_cast<sf_count_t>(file->bytes.size());
  sf_count_t target = offset;
  if (whence == SEEK_CUR) {
    target = file->position + offset;
  } else if (whence == SEEK_END) {
    target = size + offset;
  }
  if (target < 0 || target > size) {
    return -1;
  }
  file->position = target;
  return target;
}

sf_count_t Read(void* buffer, sf_count_t count, void* user) {
  auto* file = static_cast<MemoryFile*>(user);
  const auto size = static_cast<sf_count_t>(file->bytes.size());
  const sf_count_t n =
      std::clamp<sf_count_t>(size - file->position, 0, std::max<sf_count_t>(count, 0));
  std::memcpy(buffer, file->bytes.data() + file->position, static_cast<std::size_t>(n));
  file->position += n;
  return n;
}

sf_count_t Write(const void*, sf_count_t, void*) {
  return 0;
}

sf_count_t Tell(void* user) {
  return static_cast<MemoryFile*>(user)->position;
}

}  // namespace

DecodeResult DecodeWithSndfile(const char* data, std::size_t size, SoundClip& clip,
                               std::string& detail) {
  MemoryFile file{std::string_view(data, size)};
  SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
  SF_INFO info{};
  SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &file);
  if (sound == nullptr) {
    detail = sf_strerror(nullptr);
    return DecodeResult::kUnreadable;
  }
  if (info.channels < 1 || info.samplerate < 4000 || info.samplerate > 384000 || info.frames <= 0 ||
      info.frames > kMaxSoundFrames) {
    sf_close(sound);
    return DecodeResult::kOutOfRange;
  }
  clip.samples.clear();
  clip.sampleRate = info.samplerate;
  const auto channels = static_cast<std::size_t>(info.channels);
  clip.samples.reserve(static_cast<std::size_t>(info.frames));
  std::vector<float> block(4096 * channels);
  for (;;) {
    const sf_count_t got = sf_readf_float(sound, block.data(), 4096);
    if (got <= 0) {
      break;
    }
    for (sf_count_t f = 0; f < got; ++f) {
      float sum = 0.0f;
      for (std::size_t c = 0; c < channels; ++c) {
        sum += block[static_cast<std::size_t>(f) * channels + c];
      }
      clip.samples.push_back(sum / static_cast<float>(channels));
    }
  }
  sf_close(sound);
  if (clip.samples.empty()) {
    return DecodeResult::kEmpty;
  }
  return DecodeResult::kDecoded;
}

}  // namespace kumoito::audio
