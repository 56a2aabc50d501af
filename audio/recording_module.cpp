// The recording module's entry: the decoder that needs libsndfile.

#include "audio/sound_file_backend.h"

namespace {

const kumoito::audio::SoundFileBackends kBackends{&kumoito::audio::DecodeWithSndfile};

}  // namespace

extern "C" __attribute__((visibility("default"))) const kumoito::audio::SoundFileBackends*
kumoito_recording_backends(int abi) {
  return abi == kumoito::audio::kSoundFileBackendsAbi ? &kBackends : nullptr;
}
