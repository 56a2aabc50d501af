#include "midi/player.h"

#include <algorithm>
#include <memory>

#include "common/report.h"
#include "midi/midi_report.h"
#include "midi/performance.h"
#include "midi/smf.h"
#include "midi/track_ops.h"

namespace kumoito::midi {
namespace {

constexpr std::uint32_t kStartTempo = 240;
constexpr std::int32_t kDefaultBlock = 384;  // four quarters at 96 ticks
// Events whose due times lie closer than this to the current run go with it.
constexpr std::int64_t kSameRunUs = 1000;

std::uint64_t TicksPerMinute(std::int32_t division, std::uint32_t tempo, std::int32_t scale) {
  const double t = static_cast<double>(division) * tempo * scale / 100.0;
  return t > 0 ? static_cast<std::uint64_t>(t) : 0;
}

}  // namespace

Player::Player(TimerService& timer, SleepFunction sleep)
    : m_timer(timer), m_sleep(std::move(sleep)) {}

Player::~Player() {
  if (m_thread.joinable()) {
    m_stopRequest = true;
    EndChain();
    m_thread.join();
  }
}

void Player::SetEndNotification(EndNotification notification) {
  m_endNotification = std::move(notification);
}
void Player::SetEventObserver(EventObserver observer) {
  m_observer = std::move(observer);
}

bool Player::OnPlayerThread() const {
  return std::this_thread::get_id() == m_thread.get_id();
}

void Player::Pause(std::chrono::milliseconds ms) {
  if (m_sleep) {
    m_sleep(ms);
  } else {
    std::this_thread::sleep_for(ms);
  }
}

std::uint32_t Player::TimerPeriod(std::int32_t division, std::uint32_t tempo, std::int32_t scale) {
  const std::uint64_t t = TicksPerMinute(division, tempo, scale);
  const std::uint64_t period = t == 0 ? 0 : 60000 / t;
  return static_cast<std::uint32_t>(std::max<std::uint64_t>(period, TimerService::kMinPeriodMs));
}

std::int64_t Player::TicksToUs(std::int64_t ticks) const {
  const std::uint64_t t = TicksPerMinute(m_current->division, m_tempo.load(), m_scale);
  return t == 0 ? 0 : ticks * 60'000'000 / static_cast<std::int64_t>(t);
}

std::int32_t Player::SkipLeadingSilence(MidiSequence& sequence) {
  std::int32_t noteKind = 0;
  if (sequence.form == FORM_ON_OFF) {
    noteKind = EV_NOTE_ON;
  } else if (sequence.form == FORM_NOTES) {
    noteKind = EV_NOTE;
  } else {
    ReportFormat0Error(kFormat0Internal);
    return 0;
  }
  if (!sequence.track) {
    return 0;
  }
  auto& events = sequence.track->events;
  std::int64_t silence = 0;
  for (const auto& e : events) {
    silence += e->delta;
    if (e->kind == noteKind) {
      break;
    }
  }
  std::int32_t signature = sequence.timeSignature;
  if (signature == 0) {
    for (const auto& e : events) {
      if (e->kind == EV_META && e->subtype == META_TIME_SIGNATURE) {
        signature = e->value;
        break;
      }
    }
  }
  std::int64_t block = kDefaultBlock;
  if (signature != 0 && sequence.division != 0 && (signature % 256) != 0) {
    block =
        static_cast<std::int64_t>(4.0 / (signature % 256) * (signature / 256) * sequence.division);
  }
  if (block <= 0) {
    block = kDefaultBlock;
  }
  const std::int64_t r = (silence / block) * block;
  std::int64_t t = 0;
  for (auto& e : events) {
    t += e->delta;
    if (t <= r) {
      e->delta = 0;
    } else {
      e->delta = static_cast<std::int32_t>(t - r);
      break;
    }
  }
  return static_cast<std::int32_t>(r);
}

std::int32_t Player::ChaseTo(const MidiTrack& track, std::int64_t start, ChaseState& chase,
                             std::int64_t& offset) {
  std::fill(&chase.program[0], &chase.program[0] + kChannelCount, -1);
  std::fill(&chase.bendLow[0], &chase.bendLow[0] + kChannelCount, -1);
  std::fill(&chase.bendHigh[0], &chase.bendHigh[0] + kChannelCount, -1);
  std::fill(&chase.controller[0][0], &chase.controller[0][0] + kChannelCount * 128, -1);
  chase.tempo = -1;
  chase.timeSignature = -1;
  offset = 0;
  std::int64_t t = 0;
  std::int32_t index = 0;
  for (const auto& e : track.events) {
    t += e->delta;
    if (t >= start) {
      break;
    }
    const bool channelOk = e->channel >= 0 && e->channel < kChannelCount;
    if (e->kind == EV_PROGRAM && channelOk) {
      chase.program[e->channel] = e->value;
    } else if (e->kind == EV_PITCH_BEND && channelOk) {
      chase.bendLow[e->channel] = e->note;
      chase.bendHigh[e->channel] = e->value;
    } else if (e->kind == EV_CONTROL && channelOk && e->subtype < 128) {
      chase.controller[e->channel][e->subtype] = e->value;
    } else if (e->kind == EV_META && e->subtype == META_TEMPO) {
      chase.tempo = e->value;
    } else if (e->kind == EV_META && e->subtype == META_TIME_SIGNATURE) {
      chase.timeSignature = e->value;
    }
    offset += e->delta;
    ++index;
  }
  return index;
}

void Player::SendChase(const ChaseState& chase) {
  for (std::int32_t c = 0; c < kChannelCount; ++c) {
    if (chase.program[c] >= 0) {
      SendProgramChange(chase.program[c], c, m_out);
    }
    if (chase.bendLow[c] >= 0) {
      SendThreeBytes(0xE0 | c, chase.bendLow[c], chase.bendHigh[c], m_out);
    }
    for (int k = 0; k < 128; ++k) {
      if (chase.controller[c][k] >= 0) {
        SendThreeBytes(0xB0 | c, k, chase.controller[c][k], m_out);
      }
    }
  }
  if (chase.tempo >= 0) {
    MidiEvent tempo;
    tempo.kind = EV_META;
    tempo.subtype = META_TEMPO;
    tempo.value = chase.tempo;
    SendEvent(tempo);
  }
  if (chase.timeSignature == 0) {
    ReportTimeSignatureError(kTimeSignatureBad);
  }
  // A time signature sends nothing to the output; it only matters to the
  // observer, which sees the events themselves.
}

void Player::SendEvent(const MidiEvent& e) {
  switch (e.kind) {
    case EV_NOTE_OFF:
      SendNoteOff(e.note, e.channel, m_out);
      break;
    case EV_NOTE_ON:
      SendNoteOn(e.note, e.velocity, e.channel, m_out);
      break;
    case EV_CONTROL:
      SendThreeBytes(EV_CONTROL | e.channel, static_cast<std::int32_t>(e.subtype), e.value, m_out);
      break;
    case EV_PROGRAM:
      SendProgramChange(e.value, e.channel, m_out);
      break;
    case EV_PITCH_BEND:
      SendThreeBytes(EV_PITCH_BEND | e.channel, e.note & 0x7F, e.value & 0x7F, m_out);
      break;
    case EV_SYSEX:
    case EV_SYSEX_CONTINUATION:
      if (e.data) {
        SendLongMessage(e.data.get(), e.dataLength, m_out);
      }
      break;
    case EV_META:
      if (e.subtype == META_TEMPO) {
        std::uint32_t bpm = 0;
        if (e.value / 1000 == 0) {
          ReportPlayerError(kPlayerBadTempo);
          bpm = 60;
        } else {
          bpm = static_cast<std::uint32_t>(MicrosecondsToBpm(e.value));
          if (bpm < 10) {
            ReportPlayerError(kPlayerTooSlow);
            bpm = 10;
          }
        }
        // Later due times count from this tick at the new tempo.
        if (m_anchored) {
          m_anchorUs = m_sendingDueUs;
          m_anchorTick = m_tick;
        }
        m_tempo = bpm;
      }
      break;
    default:
      break;
  }
}

bool Player::Prepare(MidiSequence& q, std::int64_t start, std::int64_t& offset) {
  if (q.form != FORM_ON_OFF || !q.track) {
    ReportPlayerError(kPlayerInternal);
    return false;
  }
  m_current = &q;
  OpenMidiOut(m_out);
  m_outputMissing = !m_out.handle;
  if (!m_out.handle) {
    CloseMidiOut(m_out);
    m_playing = false;
    return false;
  }
  MidiTrack& track = *q.track;
  for (std::int32_t i = 0; i < track.EventCount(); ++i) {
    const MidiEvent& e = *track.events[static_cast<std::size_t>(i)];
    if (e.kind == EV_SYSEX && e.subtype == SYSEX_GM_SYSTEM_ON) {
      RemoveEvent(track, i);
      break;
    }
  }
  SendGmSystemOn(m_out);
  if (m_observer) {
    MidiEvent gm;
    gm.kind = EV_SYSEX;
    gm.subtype = SYSEX_GM_SYSTEM_ON;
    const unsigned char bytes[] = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    SetEventData(gm, bytes, sizeof bytes);
    m_observer(0, 0, gm);
  }
  m_stopRequest = false;
  m_playing = true;
  m_tempo = kStartTempo;
  m_scale = 100;
  m_tick = 0;
  m_anchored = false;
  offset = 0;
  m_index = 0;
  if (start != 0) {
    auto chase = std::make_unique<ChaseState>();
    m_index = ChaseTo(track, start, *chase, offset);
    SendChase(*chase);
  }
  const std::int32_t count = track.EventCount();
  while (m_index < count && track.events[static_cast<std::size_t>(m_index)]->kind != EV_NOTE_ON) {
    SendEvent(*track.events[static_cast<std::size_t>(m_index)]);
    ++m_index;
    if (m_index < count) {
      const MidiEvent& next = *track.events[static_cast<std::size_t>(m_index)];
      if (next.delta < 0) {
        ReportPlayerError(kPlayerBadDelta);
      }
      if (m_observer) {
        m_observer(m_index, 0, next);
      }
    }
  }
  m_period = TimerPeriod(q.division, m_tempo, m_scale);
  return true;
}

void Player::CallBackPlayer() {
  std::unique_lock lock(m_chainMutex);
  if (m_chainDead || m_current == nullptr || !m_current->track) {
    return;
  }
  auto setPlaying = [this](bool v) {
    m_playing = v;
    { std::lock_guard l(m_stateMutex); }
    m_stateCv.notify_all();
  };
  if (m_stopRequest) {
    AllNotesOff(m_out);
    m_chainDead = true;
    setPlaying(false);
    return;
  }
  const auto& events = m_current->track->events;
  const auto count = static_cast<std::int32_t>(events.size());
  const std::int32_t first = m_index;
  const std::int64_t runDue = m_dueUs;
  bool end = false;
  std::int64_t nextDue = 0;
  for (;;) {
    if (m_index >= count) {
      end = true;
      break;
    }
    m_tick += events[static_cast<std::size_t>(m_index)]->delta;
    ++m_index;
    if (!m_anchored) {
      m_anchored = true;
      m_anchorTick = m_tick;
      m_anchorUs = runDue;
    }
    const std::int64_t nextDelta =
        m_index >= count ? -1 : events[static_cast<std::size_t>(m_index)]->delta;
    if (nextDelta < 0) {
      if (m_index < count) {
        ReportPlayerError(kPlayerBadDelta);
      }
      end = true;
      break;
    }
    if (TicksPerMinute(m_current->division, m_tempo, m_scale) == 0) {
      m_chainDead = true;
      setPlaying(false);
      ReportPlayerError(kPlayerBadTempo);
      return;
    }
    nextDue = m_anchorUs + TicksToUs(m_tick + nextDelta - m_anchorTick);
    if (nextDue - runDue >= kSameRunUs) {
      break;
    }
  }
  if (!end) {
    const std::uint32_t id = m_timer.ArmAt(nextDue, [this] { CallBackPlayer(); });
    if (id == 0) {
      ReportPlayerError(kPlayerTimer);
      end = true;
    } else {
      m_timerId = id;
      m_dueUs = nextDue;
    }
  }
  m_sendingDueUs = runDue;
  for (std::int32_t i = first; i < m_index; ++i) {
    const MidiEvent* source = events[static_cast<std::size_t>(i)].get();
    if (source == nullptr) {
      ReportEventError(0);
      continue;
    }
    const MidiEvent copy(*source);
    if (m_observer) {
      m_observer(i, m_tick, copy);
    }
    SendEvent(copy);
  }
  if (end) {
    // The last events were sent at their own time; the chain ends here.
    m_chainDead = true;
    setPlaying(false);
  }
}

void Player::EndChain() {
  std::uint32_t id = 0;
  {
    std::lock_guard lock(m_chainMutex);
    m_chainDead = true;
    id = m_timerId.load();
  }
  m_timer.Kill(id);
  m_playing = false;
  { std::lock_guard l(m_stateMutex); }
  m_stateCv.notify_all();
}

void Player::ThreadMain(MidiSequence* q, std::int64_t start) {
  if (q->form != FORM_ON_OFF) {
    ReportPlaybackError(kPlaybackInternal);
  }
  bool prepared = false;
  {
    std::lock_guard lock(m_chainMutex);
    std::int64_t offset = 0;
    prepared = Prepare(*q, start, offset);
    if (prepared) {
      m_tick += offset;
      if (m_index < q->track->EventCount()) {
        m_chainDead = false;
        m_dueUs = m_timer.NowUs() + std::int64_t{m_period} * 1000;
        const std::uint32_t id = m_timer.ArmAt(m_dueUs, [this] { CallBackPlayer(); });
        if (id == 0) {
          ReportPlayerError(kPlayerTimer);
          m_chainDead = true;
          m_playing = false;
        } else {
          m_timerId = id;
        }
      } else {
        m_playing = false;
      }
    }
  }
  {
    std::lock_guard l(m_stateMutex);
    m_registered = true;
  }
  m_stateCv.notify_all();

  if (prepared) {
    std::unique_lock l(m_stateMutex);
    while (m_playing) {
      m_stateCv.wait_for(l, std::chrono::milliseconds(100));
    }
  }
  if (!prepared || !m_stopRequest) {
    if (m_endNotification) {
      m_endNotification();
    }
  }
  EndChain();
  {
    std::lock_guard lock(m_chainMutex);
    CloseMidiOut(m_out);
    m_current = nullptr;
  }
  {
    std::lock_guard l(m_stateMutex);
    m_finished = true;
  }
  m_stateCv.notify_all();
}

void Player::WaitForPreviousPlayer() {
  if (!m_thread.joinable()) {
    return;
  }
  for (int poll = 1; !m_finished && poll <= 100; ++poll) {
    Pause(std::chrono::milliseconds(100));
    if (poll == 50 && m_registered) {
      m_stopRequest = true;
    }
    if (poll == 100 && !m_finished) {
      ReportGeneralError(kGenePerformanceDropped);
    }
  }
  // Whatever the polls saw, the old thread is gone before its state is reused.
  if (!m_finished) {
    m_stopRequest = true;
    EndChain();
  }
  m_thread.join();
}

void Player::StartPlayback(MidiSequence& p) {
  WaitForPreviousPlayer();
  p.playCopy.reset();
  auto q = std::make_unique<MidiSequence>(kBufferCapacity);
  q->form = p.form;
  q->division = p.division;
  q->timeSignature = p.timeSignature;
  q->track = p.track ? CopyTrack(*p.track) : std::make_unique<MidiTrack>();
  RescaleTrack(*q->track, q->division);
  q->division = kPlayerDivision;
  ConvertToOnOff(*q);
  SkipLeadingSilence(*q);
  MidiSequence* copy = q.get();
  p.playCopy = std::move(q);

  m_finished = false;
  m_registered = false;
  m_stopRequest = false;
  m_outputMissing = false;
  // The thread starts at 0 on the shifted track, so no note of the block that
  // held the first one is skipped.
  m_thread = std::thread([this, copy] { ThreadMain(copy, 0); });
  std::unique_lock l(m_stateMutex);
  while (!m_registered) {
    m_stateCv.wait_for(l, std::chrono::milliseconds(50));
  }
}

int Player::StopPlayback(MidiSequence& p) {
  bool registered = false;
  for (int poll = 1; poll <= 31; ++poll) {
    if (m_registered) {
      registered = true;
      break;
    }
    Pause(std::chrono::milliseconds(100));
  }
  if (!registered) {
    ReportFormat0Error(kFormat0StopFailed);
    registered = m_registered;
  }
  if (registered) {
    m_stopRequest = true;
  }
  if (!OnPlayerThread()) {
    for (int poll = 1; !m_finished && poll <= 21; ++poll) {
      Pause(std::chrono::milliseconds(100));
      if (poll == 21 && !m_finished) {
        EndChain();
      }
    }
    // The play copy is freed only once the thread that reads it has ended.
    if (m_thread.joinable()) {
      m_thread.join();
    }
  }
  p.playCopy.reset();
  Pause(std::chrono::milliseconds(1000));
  return 1;
}

}  // namespace kumoito::midi
