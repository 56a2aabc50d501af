// The entry point of the sound module: the synthesizer and ALSA backends,
// with FluidSynth and the ALSA library, loaded only when the program first
// asks about sound.

#include "midi/midi_out_backends.h"

extern "C" __attribute__((visibility("default"))) const kumoito::midi::SoundBackends*
kumoito_sound_backends(int abi) {
  using namespace kumoito::midi;
  static const SoundBackends backends{OpenSynthAudioPort, OpenSynthWavPort, CountAlsaOutputPorts,
                                      OpenAlsaPort,       RenderOfflineWav, SetSynthGainScale};
  return abi == kSoundBackendsAbi ? &backends : nullptr;
}
