#pragma once
// Where the sound the program listens to comes from: the default capture
// device, or a recording played into the same path at its own pace
// (KUMOITO_AUDIO_IN=wav:PATH) for machines without a microphone and for
// tests. Samples arrive in blocks, mono, full scale 1.
//
// Thread-safety: Start and Stop from one thread (the window's); the sink
// is called on the input's own thread, never after Stop returns.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace kumoito::audio {

class AudioInput {
 public:
  using Sink = std::function<void(const float* samples, std::size_t count)>;

  virtual ~AudioInput() = default;
  virtual double SampleRate() const = 0;
  // False with why (one sentence, UTF-8) when no sound can come.
  virtual bool Start(Sink sink, std::string& why) = 0;
  virtual void Stop() = 0;
};

// The input KUMOITO_AUDIO_IN names: "wav:PATH" (a recording, played in
// real time), "none", or unset/"default" for the capture device. Null with
// why when it cannot be opened.
std::unique_ptr<AudioInput> OpenAudioInput(std::string& why);

// A recording as an input. paced: delivered in real time (the window); not
// paced: as fast as the sink takes it (tests and measurements).
std::unique_ptr<AudioInput> OpenRecordingInput(const std::string& path, bool paced,
                                               std::string& why);

// The default capture device through ALSA (audio/capture/alsa_input.cpp).
std::unique_ptr<AudioInput> OpenCaptureDevice(std::string& why);

}  // namespace kumoito::audio
