#include "midi/midi_out.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/bytes.h"
#include "common/file_util.h"
#include "common/report.h"
#include "tests/midi/recording_midi_out.h"

namespace kumoito::midi {
namespace {

using namespace kumoito::midi::testing;
using Bytes = std::vector<unsigned char>;

class MidiOutTest : public ::testing::Test {
 protected:
  MidiOutTest()
      : m_log(std::make_shared<RecordingLog>()),
        m_system(std::make_shared<RecordingSystem>(m_log)) {
    SetMidiOutSystem(m_system);
    ResetMissingDeviceFlag();
  }
  ~MidiOutTest() override { SetMidiOutSystem(nullptr); }

  std::vector<Bytes> Sent() const {
    std::vector<Bytes> out;
    for (const auto& m : m_log->Messages())
      out.push_back(m.bytes);
    return out;
  }

  std::shared_ptr<RecordingLog> m_log;
  std::shared_ptr<RecordingSystem> m_system;
};

TEST_F(MidiOutTest, NoDeviceIsReportedOncePerRun) {
  ScopedReportCapture capture;
  m_system->devices = 0;
  MidiOut a, b;
  OpenMidiOut(a);
  OpenMidiOut(b);
  EXPECT_EQ(a.handle, nullptr);
  EXPECT_EQ(b.handle, nullptr);
  const std::string text = capture.Text();
  EXPECT_NE(text.find("MDCT07000001"), std::string::npos);
  EXPECT_EQ(text.find("MDCT07000001"), text.rfind("MDCT07000001"));
  capture.Clear();
  SendProgramChange(107, 0, a);  // a null handle fails like a closed device
  EXPECT_NE(capture.Text().find("MDCT07000003"), std::string::npos);
  CloseMidiOut(a);  // nothing to close, nothing reported
  EXPECT_EQ(capture.Text().find("MDCT07000002"), std::string::npos);
}

TEST_F(MidiOutTest, MapperFirstThenDeviceZero) {
  ScopedReportCapture capture;
  MidiOut out;
  OpenMidiOut(out);
  EXPECT_NE(out.handle, nullptr);
  EXPECT_EQ(m_system->Opened(), (std::vector<std::uint32_t>{kMidiMapper}));
  m_system->mapperOpens = false;
  MidiOut second;
  OpenMidiOut(second);
  EXPECT_NE(second.handle, nullptr);
  EXPECT_EQ(m_system->Opened(), (std::vector<std::uint32_t>{kMidiMapper, kMidiMapper, 0}));
  EXPECT_EQ(capture.Text(), "");
  m_system->device0Opens = false;
  MidiOut third, fourth;
  OpenMidiOut(third);
  OpenMidiOut(fourth);
  EXPECT_EQ(third.handle, nullptr);
  const std::string text = capture.Text();
  EXPECT_NE(text.find("MDCT07000001"), text.rfind("MDCT07000001"));  // every time
}

TEST_F(MidiOutTest, ChannelMessagesArePacked) {
  MidiOut out;
  OpenMidiOut(out);
  SendProgramChange(106, 3, out);
  SendNoteOn(60, 200, 1, out);
  SendNoteOn(61, 127, 1, out);
  SendNoteOff(60, 1, out);
  SendThreeBytes(0xE2, 0x01, 0x40, out);
  EXPECT_EQ(Sent(),
            (std::vector<Bytes>{
                {0xC3, 106}, {0x91, 60, 127}, {0x91, 61, 127}, {0x81, 60, 0}, {0xE2, 0x01, 0x40}}));
}

TEST_F(MidiOutTest, LongMessagesDropTheLengthByteAndAreSentWhole) {
  ScopedReportCapture capture;
  MidiOut out;
  OpenMidiOut(out);
  SendGmSystemOn(out);
  const unsigned char continuation[] = {0xF7, 0x01, 0x02};
  SendLongMessage(continuation, 3, out);
  Bytes big(300, 0x11);
  big[0] = 0xF0;
  big[1] = 0x7F;
  big.back() = 0xF7;
  SendLongMessage(big.data(), static_cast<std::int32_t>(big.size()), out);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0], (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  EXPECT_EQ(sent[1], (Bytes{0xF7, 0x01, 0x02}));
  EXPECT_EQ(sent[2].size(), 299u);
  EXPECT_EQ(sent[2].back(), 0xF7);
  EXPECT_EQ(capture.Text(), "");
  m_system->portsWork = false;
  MidiOut failing;
  OpenMidiOut(failing);
  SendGmSystemOn(failing);
  EXPECT_NE(capture.Text().find("MDCT07000004"), std::string::npos);
}

TEST_F(MidiOutTest, AllNotesOffOnSixteenChannels) {
  MidiOut out;
  OpenMidiOut(out);
  AllNotesOff(out);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 16u);
  for (int c = 0; c < 16; ++c) {
    EXPECT_EQ(sent[static_cast<std::size_t>(c)],
              (Bytes{static_cast<unsigned char>(0xB0 + c), 0x7B, 0x00}));
  }
}

TEST_F(MidiOutTest, CloseResetsThenClosesAndReportsEachFailure) {
  ScopedReportCapture capture;
  MidiOut out;
  OpenMidiOut(out);
  CloseMidiOut(out);
  EXPECT_EQ(out.handle, nullptr);
  EXPECT_EQ(m_log->Resets(), 1);
  EXPECT_EQ(m_log->Closes(), 1);
  EXPECT_EQ(capture.Text(), "");
  m_system->portsWork = false;
  OpenMidiOut(out);
  CloseMidiOut(out);
  const std::string text = capture.Text();
  EXPECT_NE(text.find("MDCT07000002"), text.rfind("MDCT07000002"));
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name))
      m_old = old;
    ::setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (m_old.empty()) {
      ::unsetenv(m_name);
    } else {
      ::setenv(m_name, m_old.c_str(), 1);
    }
  }

 private:
  const char* m_name;
  std::string m_old;
};

TEST(PlatformMidiOut, NoneMeansNoDevice) {
  ScopedEnv env("KUMOITO_MIDI_OUT", "none");
  auto system = MakePlatformMidiOutSystem();
  EXPECT_EQ(system->GetNumDevs(), 0u);
  EXPECT_EQ(system->Open(kMidiMapper), nullptr);
}

TEST(PlatformMidiOut, SaysWhichSettingKeepsItSilent) {
  auto system = MakePlatformMidiOutSystem();
  {
    ScopedEnv env("KUMOITO_MIDI_OUT", "none");
    EXPECT_NE(system->WhyNoOutput().find("KUMOITO_MIDI_OUT=none"), std::string::npos);
  }
  {
    ScopedEnv font("KUMOITO_SOUNDFONT", "/nonexistent/kumoito.sf2");
    for (const char* choice : {"synth", "wav:/tmp/x.wav"}) {
      ScopedEnv env("KUMOITO_MIDI_OUT", choice);
      EXPECT_EQ(system->GetNumDevs(), 0u);
      EXPECT_NE(system->WhyNoOutput().find("/nonexistent/kumoito.sf2"), std::string::npos);
    }
  }
  ScopedEnv env("KUMOITO_MIDI_OUT", "wav:/nonexistent/dir/x.wav");
  if (system->GetNumDevs() == 1) {  // the default soundfont is installed
    EXPECT_EQ(system->Open(kMidiMapper), nullptr);
    EXPECT_NE(system->WhyNoOutput().find("/nonexistent/dir/x.wav"), std::string::npos);
  }
}

TEST(PlatformMidiOut, FailedOpensAreReportedNotFatal) {
  if (std::filesystem::exists("/dev/snd")) {
    GTEST_SKIP() << "this machine has sound hardware";
  }
  ScopedReportCapture capture;
  SetMidiOutSystem(nullptr);
  for (const char* choice : {"alsa", "alsa:128:0"}) {
    ScopedEnv env("KUMOITO_MIDI_OUT", choice);
    EXPECT_EQ(MakePlatformMidiOutSystem()->GetNumDevs(), 0u);
    capture.Clear();
    ResetMissingDeviceFlag();
    MidiOut out;
    OpenMidiOut(out);
    EXPECT_EQ(out.handle, nullptr);
    EXPECT_NE(capture.Text().find("MDCT07000001"), std::string::npos);
  }
  ScopedEnv env("KUMOITO_MIDI_OUT", "synth");
  capture.Clear();
  MidiOut synth;
  OpenMidiOut(synth);
  // Without a sound card only a sound server could take the audio.
  if (!synth.handle) {
    EXPECT_NE(capture.Text().find("MDCT07000001"), std::string::npos);
  }
  CloseMidiOut(synth);
}

TEST(PlatformMidiOut, WavOutputRecordsWhatIsPlayedInRealTime) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("kumoito_out_" + std::to_string(::getpid()) + ".wav"))
                               .string();
  ScopedEnv env("KUMOITO_MIDI_OUT", ("wav:" + path).c_str());
  SetMidiOutSystem(nullptr);
  MidiOut out;
  OpenMidiOut(out);
  ASSERT_NE(out.handle, nullptr);
  SendProgramChange(106, 0, out);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  SendNoteOn(69, 100, 0, out);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  SendNoteOff(69, 0, out);
  CloseMidiOut(out);

  std::vector<unsigned char> wav(4 * 1024 * 1024);
  std::size_t n = 0;
  ASSERT_TRUE(ReadFileBytes(path, wav.data(), wav.size(), n));
  std::remove(path.c_str());
  ASSERT_GT(n, 44u);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(LoadLE32(wav.data() + 40), n - 44);
  // From the note on: at least its 300 ms, in real time (16-bit stereo), and
  // not the 200 ms of waiting before it.
  EXPECT_GE(n - 44, 44100u * 4 * 3 / 10);
  EXPECT_LT(n - 44, 44100u * 4 * 3 / 10 + 44100u * 4 * 15 / 100);
  int peak = 0;
  for (std::size_t i = 44; i + 1 < n; i += 2) {
    peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(LoadLE16(&wav[i])))));
  }
  EXPECT_GT(peak, 300);
}

TEST(PlatformMidiOut, WavOutputThatSoundsNoNoteLeavesTheRecordingAlone) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("kumoito_idle_" + std::to_string(::getpid()) + ".wav"))
                               .string();
  ScopedEnv env("KUMOITO_MIDI_OUT", ("wav:" + path).c_str());
  SetMidiOutSystem(nullptr);
  const auto waitAsIdle = [] {
    MidiOut idle;
    OpenMidiOut(idle);
    SendProgramChange(107, 0, idle);
    SendNoteOn(60, 0, 0, idle);  // velocity 0 sounds nothing
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const bool opened = idle.handle != nullptr;
    CloseMidiOut(idle);
    return opened;
  };
  std::remove(path.c_str());
  if (!waitAsIdle()) {
    GTEST_SKIP() << "no soundfont for the built-in synthesizer";
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  const std::string recording = "RIFF-the-last-song";
  ASSERT_TRUE(WriteFileBytes(path, recording.data(), recording.size()));
  waitAsIdle();
  std::vector<unsigned char> kept(64);
  std::size_t n = 0;
  ASSERT_TRUE(ReadFileBytes(path, kept.data(), kept.size(), n));
  std::remove(path.c_str());
  EXPECT_EQ(std::string(kept.begin(), kept.begin() + static_cast<long>(n)), recording);
}

// The recording keeps whatever is at the target until it is complete, and a
// FIFO there (which an open for writing would wait on for ever) is replaced
// like a file, not written into.
TEST(PlatformMidiOut, WavOutputTakesTheTargetOnlyWhenComplete) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kumoito_wav_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string file = (folder / "previous.wav").string();
  const std::string fifo = (folder / "fifo.wav").string();
  const std::string previous = "RIFF-the-last-song";
  ASSERT_TRUE(WriteFileBytes(file, previous.data(), previous.size()));
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  SetMidiOutSystem(nullptr);
  for (const std::string& path : {file, fifo}) {
    SCOPED_TRACE(path);
    ScopedEnv env("KUMOITO_MIDI_OUT", ("wav:" + path).c_str());
    MidiOut out;
    OpenMidiOut(out);
    if (out.handle == nullptr) {
      GTEST_SKIP() << "no soundfont for the built-in synthesizer";
    }
    SendNoteOn(69, 100, 0, out);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    if (path == file) {
      std::vector<unsigned char> now(64);
      std::size_t n = 0;
      ASSERT_TRUE(ReadFileBytes(path, now.data(), now.size(), n));
      EXPECT_EQ(std::string(now.begin(), now.begin() + static_cast<long>(n)), previous);
    }
    SendNoteOff(69, 0, out);
    CloseMidiOut(out);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    std::vector<unsigned char> wav(1024 * 1024);
    std::size_t n = 0;
    ASSERT_TRUE(ReadFileBytes(path, wav.data(), wav.size(), n));
    ASSERT_GT(n, 44u);
    EXPECT_EQ(LoadLE32(wav.data() + 40), n - 44);
  }
  std::size_t left = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
    ++left;
  }
  EXPECT_EQ(left, 2u) << "a temporary file stayed behind";
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kumoito::midi
