// The MIDI input through the real sequencer: a test client plays the
// keyboard on a port of its own. Machines without /dev/snd/seq (containers,
// build machines) skip the cases that need one.

#include "midi/midi_in_alsa.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include <alsa/asoundlib.h>

namespace kumoito::midi {
namespace {

using namespace std::chrono_literals;
// An upper bound only: every wait ends as soon as what it waits for came.
constexpr auto kPatience = 5s;

void Quiet(const char*, int, const char*, int, const char*, ...) {}

// A client with one readable port, as a USB keyboard shows itself.
class VirtualKeyboard {
 public:
  explicit VirtualKeyboard(const char* name) {
    snd_lib_error_set_handler(&Quiet);
    if (snd_seq_open(&m_seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
      m_seq = nullptr;
      return;
    }
    snd_seq_set_client_name(m_seq, name);
    m_port = snd_seq_create_simple_port(
        m_seq, "Keys", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_HARDWARE);
    m_name = std::string(name) + ":Keys";
  }
  ~VirtualKeyboard() {
    if (m_seq != nullptr) {
      snd_seq_close(m_seq);
    }
  }
  bool Open() const { return m_seq != nullptr && m_port >= 0; }
  const std::string& Name() const { return m_name; }
  void Note(int note, int velocity) {
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    snd_seq_ev_set_noteon(&ev, 0, note, velocity);
    snd_seq_ev_set_source(&ev, m_port);
    snd_seq_ev_set_subs(&ev);
    snd_seq_ev_set_direct(&ev);
    snd_seq_event_output_direct(m_seq, &ev);
  }

 private:
  snd_seq_t* m_seq = nullptr;
  int m_port = -1;
  std::string m_name;
};

class Received {
 public:
  MidiInput::EventHandler Handler() {
    return [this](const MidiInEvent& event) {
      const std::lock_guard<std::mutex> lock(m_mutex);
      m_events.push_back(event);
      m_arrived.notify_all();
    };
  }
  std::vector<MidiInEvent> WaitFor(std::size_t count) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_arrived.wait_for(lock, kPatience, [&] { return m_events.size() >= count; });
    return m_events;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_arrived;
  std::vector<MidiInEvent> m_events;
};

bool WaitConnected(const MidiInput& input, const std::string& name) {
  const auto end = std::chrono::steady_clock::now() + kPatience;
  while (input.ConnectedPort() != name && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(1ms);
  }
  return input.ConnectedPort() == name;
}

bool HaveSequencer() {
  snd_lib_error_set_handler(&Quiet);
  snd_seq_t* seq = nullptr;
  if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, 0) < 0) {
    return false;
  }
  snd_seq_close(seq);
  return true;
}

TEST(AlsaMidiInput, WithoutASequencerNothingOpensAndNothingIsListed) {
  if (HaveSequencer()) {
    GTEST_SKIP() << "this machine has a sequencer";
  }
  std::string why;
  EXPECT_EQ(OpenAlsaMidiInput(&why), nullptr);
  EXPECT_FALSE(why.empty());
  EXPECT_TRUE(ListAlsaMidiInputs().empty());
}

TEST(AlsaMidiInput, TurnedOffByTheEnvironment) {
  ::setenv("KUMOITO_MIDI_IN", "none", 1);
  std::string why;
  EXPECT_EQ(OpenAlsaMidiInput(&why), nullptr);
  EXPECT_NE(why.find("KUMOITO_MIDI_IN"), std::string::npos);
  ::unsetenv("KUMOITO_MIDI_IN");
}

TEST(AlsaMidiInput, NotesFromTheChosenPortArriveInOrderWithTheirTimes) {
  VirtualKeyboard keyboard("Kumoito test keyboard");
  if (!keyboard.Open()) {
    GTEST_SKIP() << "no ALSA sequencer (/dev/snd/seq) on this machine";
  }
  const auto ports = ListAlsaMidiInputs();
  EXPECT_TRUE(std::any_of(ports.begin(), ports.end(),
                          [&](const MidiInPortInfo& p) { return p.name == keyboard.Name(); }));
  std::unique_ptr<MidiInput> input = OpenAlsaMidiInput();
  ASSERT_NE(input, nullptr);
  Received received;
  ASSERT_TRUE(input->Listen(keyboard.Name(), received.Handler()));
  ASSERT_TRUE(WaitConnected(*input, keyboard.Name()));
  const MidiInTime before = MidiInNow();
  keyboard.Note(60, 100);
  keyboard.Note(64, 90);
  keyboard.Note(60, 0);
  const std::vector<MidiInEvent> events = received.WaitFor(3);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].number, 60);
  EXPECT_EQ(events[0].value, 100);
  EXPECT_EQ(events[1].number, 64);
  EXPECT_EQ(events[2].value, 0);
  EXPECT_GE(events[0].time, before);
  EXPECT_LE(events[0].time, events[2].time);

  input->Listen(kMidiInOff, received.Handler());
  ASSERT_TRUE(WaitConnected(*input, ""));
  input->Stop();
}

TEST(AlsaMidiInput, ANamedPortPluggedInLaterIsTakenWhenItAppears) {
  if (!HaveSequencer()) {
    GTEST_SKIP() << "no ALSA sequencer (/dev/snd/seq) on this machine";
  }
  std::unique_ptr<MidiInput> input = OpenAlsaMidiInput();
  ASSERT_NE(input, nullptr);
  Received received;
  input->Listen("Kumoito late keyboard:Keys", received.Handler());
  VirtualKeyboard late("Kumoito late keyboard");
  ASSERT_TRUE(late.Open());
  ASSERT_TRUE(WaitConnected(*input, late.Name()));
  late.Note(67, 80);
  ASSERT_EQ(received.WaitFor(1).size(), 1u);
}

}  // namespace
}  // namespace kumoito::midi
