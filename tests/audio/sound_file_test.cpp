#include "audio/sound_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/audio/audio_test_util.h"

namespace kumoito::audio {
namespace {

TEST(SoundFile, KnowsRecordingsByTheirFirstBytes) {
  auto looks = [](std::string_view bytes) {
    return LooksLikeSound(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  };
  EXPECT_TRUE(looks(std::string_view("RIFF\x10\0\0\0WAVEfmt ", 16)));
  EXPECT_TRUE(looks("fLaC\0\0\0\x22"));
  EXPECT_TRUE(looks("OggS\0\2"));
  EXPECT_FALSE(looks(std::string_view("RIFF\x10\0\0\0AVI LIST", 16)));
  EXPECT_FALSE(looks("MThd"));
  EXPECT_FALSE(looks("RIF"));
}

TEST(SoundFile, DecodesEachFormatSoxWritesToTheSameMonoSamples) {
  if (!test::HaveSox()) {
    GTEST_SKIP() << "sox is not installed";
  }
  for (const char* ext : {"wav", "flac", "ogg"}) {
    const std::string path = test::TempPath(std::string("tone.") + ext);
    // Left and right in opposite phase at different levels: the mix is
    // their mean, a quarter of full scale.
    ASSERT_TRUE(
        test::RunSox("-n -r 22050 -c 2 " + path + " synth 0.5 sine 441 remix 1v0.75 1v-0.25"));
    std::string why;
    const std::optional<SoundClip> clip = DecodeSound(test::ReadBytes(path), why);
    ASSERT_TRUE(clip) << ext << ": " << why;
    EXPECT_EQ(clip->sampleRate, 22050.0);
    EXPECT_NEAR(clip->Seconds(), 0.5, 0.01) << ext;
    float peak = 0.0f;
    for (float s : clip->samples) {
      peak = std::max(peak, std::abs(s));
    }
    EXPECT_NEAR(peak, 0.25, 0.03) << ext;
  }
}

TEST(SoundFile, RefusesWhatItCannotRead) {
  std::string why;
  EXPECT_FALSE(DecodeSound("", why));
  EXPECT_FALSE(why.empty());
  why.clear();
  // A WAV header that promises data and stops.
  const std::string cut(
      "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x44\xac\0\0\x88\x58\1\0\2\0\x10\0data\0\0\0\0", 44);
  EXPECT_FALSE(DecodeSound(cut, why));
  EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace kumoito::audio
