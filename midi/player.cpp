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

struct PracticeTrack {
  std::vector<std::int64_t> songTicks;
  std::int32_t loopFirst = -1;
  std::int64_t loopLeadIn = 0;
};

std::unique_ptr<MidiEvent> Click(bool on, std::int32_t velocity) {
  auto e = std::make_unique<MidiEvent>();
  e->kind = on ? EV_NOTE_ON : EV_NOTE_OFF;
  e->channel = kClickChannel;
  e->note = kClickNote;
  e->velocity = on ? velocity : 0;
  return e;
}

// Rebuilds a form-1 track for practice: the state before the start (every
// event but the notes, at tick 0, in order), a measure of clicks, then the
// events from the start on. A loop keeps only its range, ends the notes it
// started at its end, and puts the end of track there: the seam.
PracticeTrack BuildPracticeTrack(MidiTrack& track, const PlayOptions& o) {
  struct Timed {
    std::int64_t tick;
    std::unique_ptr<MidiEvent> event;
    std::int64_t songTick;
  };
  const std::int64_t start = std::max<std::int64_t>(o.startTick, 0);
  const bool loop = o.loopEndTick > start;
  const std::int64_t beatTicks = std::max<std::int64_t>(o.beatTicks, 1);
  const std::int64_t countIn = std::max<std::int64_t>(o.countInBeats, 0) * beatTicks;
  std::vector<Timed> out;
  // A note-on of velocity 0 is a note-off: a silent count-in sends nothing
  // and keeps only its length.
  const std::int32_t velocity = std::clamp(o.clickVelocity, 0, 127);
  for (std::int64_t b = 0; velocity > 0 && b < countIn / beatTicks; ++b) {
    out.push_back({b * beatTicks, Click(true, velocity), -1});
    out.push_back({b * beatTicks + beatTicks / 2, Click(false, velocity), -1});
  }
  std::vector<Timed> chased;
  std::vector<Timed> range;
  std::vector<bool> sounding(static_cast<std::size_t>(kChannelCount) * 128, false);
  std::int64_t t = 0;
  std::int64_t last = countIn;
  for (auto& e : track.events) {
    t += e->delta;
    if (IsEndOfTrack(*e)) {
      continue;
    }
    const bool note = e->kind == EV_NOTE_ON || e->kind == EV_NOTE_OFF;
    const bool keyed =
        note && e->channel >= 0 && e->channel < kChannelCount && e->note >= 0 && e->note < 128;
    const std::size_t key = keyed ? static_cast<std::size_t>(e->channel * 128 + e->note) : 0;
    // What sets the state at the start itself (the song's tempo and program
    // at tick 0) goes before the clicks too, so they play at the song's tempo.
    if (t < start || (t == start && !note)) {
      if (!note) {
        chased.push_back({0, std::move(e), -1});
      }
      continue;
    }
    if (loop && t >= o.loopEndTick) {
      // Only the ends of notes the range started, cut to the seam.
      if (keyed && e->kind == EV_NOTE_OFF && sounding[key]) {
        sounding[key] = false;
        range.push_back({countIn + o.loopEndTick - start, std::move(e), -1});
      }
      continue;
    }
    if (keyed && e->kind == EV_NOTE_ON && e->velocity > 0) {
      sounding[key] = true;
    } else if (keyed) {
      if (!sounding[key]) {
        continue;  // the end of a note that began before the start
      }
      sounding[key] = false;
    }
    const std::int64_t at = countIn + t - start;
    last = std::max(last, at);
    range.push_back({at, std::move(e), t});
  }
  const std::int64_t endTick = loop ? countIn + o.loopEndTick - start : last;

  std::vector<Timed> all = std::move(chased);
  for (auto& x : out) {
    all.push_back(std::move(x));
  }
  const std::size_t firstRange = all.size();
  for (auto& x : range) {
    all.push_back(std::move(x));
  }
  std::stable_sort(all.begin(), all.end(),
                   [](const Timed& a, const Timed& b) { return a.tick < b.tick; });
  auto eot = std::make_unique<MidiEvent>();
  eot->kind = EV_META;
  eot->subtype = META_END_OF_TRACK;
  const unsigned char eotBytes[] = {0xFF, 0x2F, 0x00};
  SetEventData(*eot, eotBytes, 3);
  all.push_back({endTick, std::move(eot), -1});

  PracticeTrack built;
  track.events.clear();
  std::int64_t previous = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    all[i].event->delta = ClampTicks(all[i].tick - previous);
    previous = all[i].tick;
    built.songTicks.push_back(all[i].songTick);
    track.events.push_back(std::move(all[i].event));
  }
  // The sort keeps the range after what stands at tick 0 before it, so its
  // first event keeps its place; a range without a note does not repeat.
  if (loop && firstRange < all.size() - 1) {
    bool hasNote = false;
    for (std::size_t i = firstRange; i + 1 < track.events.size(); ++i) {
      if (track.events[i]->kind == EV_NOTE_ON) {
        hasNote = true;
        break;
      }
    }
    if (hasNote) {
      built.loopFirst = static_cast<std::int32_t>(firstRange);
      built.loopLeadIn = all[firstRange].tick - countIn;
    }
  }
  return built;
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
void Player::SetCursorCallback(CursorCallback cursor) {
  m_cursor = std::move(cursor);
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

std::int64_t Player::TicksToUs(double ticks) const {
  const std::uint64_t t = TicksPerMinute(m_current->division, m_tempo.load(), m_scale);
  // Whole ticks from a whole anchor give exact products in a double; only a
  // speed change brings fractions, and those are truncated once, not summed.
  return t == 0 ? 0 : static_cast<std::int64_t>(ticks * 60'000'000.0 / static_cast<double>(t));
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
        ApplyTempo(e);
      }
      break;
    default:
      break;
  }
}

void Player::ApplyTempo(const MidiEvent& e) {
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
  if (m_anchored && m_current != nullptr) {
    m_anchorUs += TicksToUs(static_cast<double>(m_tick) - m_anchorTick);
    m_anchorTick = static_cast<double>(m_tick);
  }
  m_tempo = bpm;
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
      if (static_cast<std::size_t>(i) < m_songTicks.size()) {
        m_songTicks.erase(m_songTicks.begin() + i);
      }
      if (m_loopFirst > i) {
        --m_loopFirst;
      }
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
  m_scale = m_speed.load();
  m_tick = 0;
  m_wrapped = false;
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

bool Player::ArmChain(std::int64_t dueUs) {
  const std::uint64_t generation = ++m_generation;
  const std::uint32_t id = m_timer.ArmAt(dueUs, [this, generation] { CallBackPlayer(generation); });
  if (id == 0) {
    return false;
  }
  m_timerId = id;
  m_dueUs = dueUs;
  return true;
}

void Player::CallBackPlayer(std::uint64_t generation) {
  std::unique_lock lock(m_chainMutex);
  // A timer replaced by a speed change may still fire: it does nothing.
  if (generation != m_generation || m_chainDead || m_current == nullptr || !m_current->track) {
    return;
  }
  auto setPlaying = [this](bool v) {
    m_playing = v;
    { std::lock_guard l(m_stateMutex); }
    m_stateCv.notify_all();
  };
  if (m_stopRequest) {
    m_chainDead = true;
    m_sending = true;
    lock.unlock();
    AllNotesOff(m_out);
    lock.lock();
    m_sending = false;
    lock.unlock();
    m_chainCv.notify_all();
    setPlaying(false);
    return;
  }
  const auto& events = m_current->track->events;
  const auto count = static_cast<std::int32_t>(events.size());
  const std::int64_t runDue = m_dueUs;
  std::vector<std::int32_t> batch;
  bool end = false;
  std::int64_t nextDue = 0;
  for (;;) {
    if (m_index >= count) {
      end = true;
      break;
    }
    const MidiEvent* e = events[static_cast<std::size_t>(m_index)].get();
    m_tick += m_wrapped ? m_loopLeadIn : (e != nullptr ? e->delta : 0);
    m_wrapped = false;
    batch.push_back(m_index);
    ++m_index;
    if (!m_anchored) {
      m_anchored = true;
      m_anchorTick = static_cast<double>(m_tick);
      m_anchorUs = runDue;
    }
    // Tempo changes take effect here, so the next due time already uses them.
    if (e != nullptr && e->kind == EV_META && e->subtype == META_TEMPO) {
      ApplyTempo(*e);
    }
    // The end of a loop's track is its seam: the range starts again at once.
    if (m_index >= count && m_loopFirst >= 0 && m_loopFirst < count) {
      m_index = m_loopFirst;
      m_wrapped = true;
    }
    std::int64_t nextDelta = -1;
    if (m_wrapped) {
      nextDelta = m_loopLeadIn;
    } else if (m_index < count) {
      const MidiEvent* next = events[static_cast<std::size_t>(m_index)].get();
      nextDelta = next != nullptr ? next->delta : 0;
    }
    if (nextDelta < 0) {
      if (m_index < count) {
        ReportPlayerError(kPlayerBadDelta);
      }
      end = true;
      break;
    }
    if (TicksPerMinute(m_current->division, m_tempo, m_scale) == 0) {
      m_chainDead = true;
      lock.unlock();
      setPlaying(false);
      ReportPlayerError(kPlayerBadTempo);
      return;
    }
    m_pendingTick = m_tick + nextDelta;
    nextDue = m_anchorUs + TicksToUs(static_cast<double>(m_pendingTick) - m_anchorTick);
    if (nextDue - runDue >= kSameRunUs) {
      break;
    }
  }
  if (!end && !ArmChain(nextDue)) {
    ReportPlayerError(kPlayerTimer);
    end = true;
  }
  const std::int64_t tick = m_tick;
  if (end) {
    // The last events are still sent at their own time; the chain ends here.
    m_chainDead = true;
  }
  // The events and song ticks do not change while the chain runs, and the
  // output is closed only after EndChain has seen this run finish.
  m_sending = true;
  lock.unlock();
  for (const std::int32_t i : batch) {
    const MidiEvent* source = events[static_cast<std::size_t>(i)].get();
    if (source == nullptr) {
      ReportEventError(0);
      continue;
    }
    const MidiEvent copy(*source);
    if (m_observer) {
      m_observer(i, tick, copy);
    }
    // A tempo was applied while gathering; a meta event sends nothing else.
    if (copy.kind != EV_META) {
      SendEvent(copy);
    }
    if (m_cursor && copy.kind == EV_NOTE_ON && copy.velocity > 0 &&
        static_cast<std::size_t>(i) < m_songTicks.size() &&
        m_songTicks[static_cast<std::size_t>(i)] >= 0) {
      m_cursor(m_songTicks[static_cast<std::size_t>(i)] / kSlotTicks);
    }
  }
  lock.lock();
  m_sending = false;
  lock.unlock();
  m_chainCv.notify_all();
  if (end) {
    setPlaying(false);
  }
}

void Player::SetSpeed(std::int32_t percent) {
  percent = std::clamp(percent, kMinSpeed, kMaxSpeed);
  m_speed = percent;
  std::uint32_t replaced = 0;
  {
    std::lock_guard lock(m_chainMutex);
    if (m_chainDead || m_current == nullptr || percent == m_scale) {
      return;
    }
    if (!m_anchored) {
      // The first timer counts only the start's period: nothing to move.
      m_scale = percent;
      return;
    }
    // Where the music is now stays put; only the time left to the next
    // event is stretched or shrunk.
    const std::int64_t now = m_timer.NowUs();
    const std::uint64_t t = TicksPerMinute(m_current->division, m_tempo, m_scale);
    double position = m_anchorTick +
                      static_cast<double>(now - m_anchorUs) * static_cast<double>(t) / 60'000'000.0;
    position = std::min(position, static_cast<double>(m_pendingTick));
    m_anchorTick = position;
    m_anchorUs = now;
    m_scale = percent;
    replaced = m_timerId.load();
    const std::int64_t due =
        m_anchorUs + TicksToUs(static_cast<double>(m_pendingTick) - m_anchorTick);
    if (!ArmChain(due)) {
      ReportPlayerError(kPlayerTimer);
    }
  }
  // Outside the lock: Kill waits for a run of the old timer, which takes it.
  m_timer.Kill(replaced);
}

void Player::EndChain() {
  std::uint32_t id = 0;
  {
    std::unique_lock lock(m_chainMutex);
    m_chainDead = true;
    ++m_generation;
    id = m_timerId.load();
    // A run that is sending still uses the output.
    m_chainCv.wait(lock, [this] { return !m_sending; });
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
  // Prepared without the chain's lock: the chain is dead until armed below,
  // so nothing else reads the play state, and the sends hold up no one.
  std::int64_t offset = 0;
  const bool prepared = Prepare(*q, start, offset);
  if (prepared) {
    std::lock_guard lock(m_chainMutex);
    m_tick += offset;
    if (m_index < q->track->EventCount()) {
      m_chainDead = false;
      std::int64_t due = m_timer.NowUs() + std::int64_t{m_period} * 1000;
      if (m_waitFirst) {
        // A start on a rest keeps the rest, so the first note comes in time.
        due += TicksToUs(
            static_cast<double>(q->track->events[static_cast<std::size_t>(m_index)]->delta));
      }
      if (!ArmChain(due)) {
        ReportPlayerError(kPlayerTimer);
        m_chainDead = true;
        m_playing = false;
      }
    } else {
      m_playing = false;
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
  StartPlayback(p, PlayOptions{});
}

void Player::StartPlayback(MidiSequence& p, const PlayOptions& options) {
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
  const bool practice =
      options.startTick > 0 || options.loopEndTick > options.startTick || options.countInBeats > 0;
  if (practice && q->track) {
    const PracticeTrack built = BuildPracticeTrack(*q->track, options);
    m_songTicks = built.songTicks;
    m_loopFirst = built.loopFirst;
    m_loopLeadIn = built.loopLeadIn;
  } else {
    const std::int64_t shift = SkipLeadingSilence(*q);
    m_songTicks.clear();
    std::int64_t t = shift;
    if (q->track) {
      for (const auto& e : q->track->events) {
        t += e->delta;
        m_songTicks.push_back(t);
      }
    }
    m_loopFirst = -1;
    m_loopLeadIn = 0;
  }
  m_waitFirst = practice;
  m_speed = std::clamp(options.speed, kMinSpeed, kMaxSpeed);
  MidiSequence* copy = q.get();
  p.playCopy = std::move(q);

  m_finished = false;
  m_registered = false;
  m_stopRequest = false;
  m_outputMissing = false;
  // The thread starts at 0 on the shifted (or rebuilt) track, so no note of
  // the block that held the first one is skipped.
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
