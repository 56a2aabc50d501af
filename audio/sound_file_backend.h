#pragma once
// The recording module's entry (kumoito-recording.so): libsndfile and the
// codecs it brings are mapped only when a recording is opened, never by a
// conversion of a score.

#include <cstddef>
#include <string>

#include "audio/sound_file.h"

namespace kumoito::audio {

inline constexpr const char* kRecordingModule = "kumoito-recording.so";
inline constexpr const char* kRecordingModuleEntry = "kumoito_recording_backends";
// Raised whenever SoundFileBackends or SoundClip change.
inline constexpr int kSoundFileBackendsAbi = 1;

// What the decoder made of the bytes; the sentences for the user are the
// program's, so that they come in the window's language.
enum class DecodeResult { kDecoded, kUnreadable, kOutOfRange, kEmpty };

struct SoundFileBackends {
  // detail: libsndfile's own words when the bytes are unreadable.
  DecodeResult (*decode)(const char* data, std::size_t size, SoundClip& clip, std::string& detail);
};

// The module's decoder, with libsndfile.
DecodeResult DecodeWithSndfile(const char* data, std::size_t size, SoundClip& clip,
                               std::string& detail);

}  // namespace kumoito::audio
