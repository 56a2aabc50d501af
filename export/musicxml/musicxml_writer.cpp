#include "export/musicxml/musicxml_writer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "common/file_util.h"
#include "common/sjis.h"
#include "export/musicxml/note_pieces.h"
#include "export/musicxml/xml_stream.h"
#include "import/mxl_archive.h"
#include "song/chord_names.h"
#include "song/key_table.h"
#include "song/kuchijamisen.h"
#include "song/song_data.h"

namespace kumoito::musicxml {
namespace {

constexpr const char* kSyllableLine = "kuchijamisen";

std::string Utf8Of(std::string_view cp932) {
  return Cp932ToUtf8Lenient(cp932);
}

struct Spelling {
  char step;
  int alter;
};

Spelling SpellPitchClass(int pc, bool flats) {
  static constexpr std::array<Spelling, 12> kSharps = {{{'C', 0},
                                                        {'C', 1},
                                                        {'D', 0},
                                                        {'D', 1},
                                                        {'E', 0},
                                                        {'F', 0},
                                                        {'F', 1},
                                                        {'G', 0},
                                                        {'G', 1},
                                                        {'A', 0},
                                                        {'A', 1},
                                                        {'B', 0}}};
  static constexpr std::array<Spelling, 12> kFlats = {{{'C', 0},
                                                       {'D', -1},
                                                       {'D', 0},
                                                       {'E', -1},
                                                       {'E', 0},
                                                       {'F', 0},
                                                       {'G', -1},
                                                       {'G', 0},
                                                       {'A', -1},
                                                       {'A', 0},
                                                       {'B', -1},
                                                       {'B', 0}}};
  return (flats ? kFlats : kSharps)[static_cast<std::size_t>(((pc % 12) + 12) % 12)];
}

// Where a chord symbol's root ends and which MusicXML kind its suffix is.
struct ChordParts {
  Spelling root;
  std::string suffix;  // CP932, as stored
  std::string_view kind;
  std::string suffixUtf8;
};

std::optional<ChordParts> SplitChord(std::string_view text) {
  if (text.empty() || text == "Skip") {
    return std::nullopt;
  }
  static constexpr std::string_view kSteps = "CDEFGAB";
  if (kSteps.find(text[0]) == std::string_view::npos) {
    return std::nullopt;
  }
  ChordParts parts{{text[0], 0}, {}, {}, {}};
  std::size_t at = 1;
  if (text.size() > 1 && (text[1] == '#' || text[1] == 'b')) {
    parts.root.alter = text[1] == '#' ? 1 : -1;
    at = 2;
  }
  parts.suffix = std::string(text.substr(at));
  for (const ChordSuffix& row : kChordSuffixes) {
    if (row.suffix == parts.suffix && !row.musicXmlKind.empty()) {
      parts.kind = row.musicXmlKind;
      break;
    }
  }
  // A suffix MusicXML has no kind for is written as such, its own text
  // saying what it is.
  if (parts.kind.empty()) {
    parts.kind = "other";
  }
  parts.suffixUtf8 = Utf8Of(parts.suffix);
  return parts;
}

struct ChordAt {
  int tick;
  ChordParts parts;
};

// The chord symbols where the chord changes, at a beat or its middle.
std::vector<ChordAt> ChordChanges(const CSongData& song) {
  std::vector<ChordAt> changes;
  std::string inForce;
  for (int b = 0; b < song.BeatCount(); ++b) {
    const BeatChord& chord = song.m_beatChords[static_cast<std::size_t>(b)];
    for (int half = 0; half < 2; ++half) {
      const std::string text(FieldText(half == 0 ? chord.chord : chord.chordMid));
      if (text.empty() || text == inForce) {
        continue;
      }
      if (std::optional<ChordParts> parts = SplitChord(text)) {
        changes.push_back({b * kDivisions + half * kCellTicks, std::move(*parts)});
        inForce = text;
      }
    }
  }
  return changes;
}

const char* StepText(char step) {
  static constexpr std::string_view kSteps = "ABCDEFG";
  static constexpr std::array<const char*, 7> kTexts = {"A", "B", "C", "D", "E", "F", "G"};
  return kTexts[kSteps.find(step)];
}

void WritePitch(XmlStream& out, int pitch, bool flats) {
  const Spelling s = SpellPitchClass(pitch, flats);
  out.Open("pitch");
  out.Leaf("step", StepText(s.step));
  if (s.alter != 0) {
    out.Leaf("alter", s.alter);
  }
  out.Leaf("octave", pitch / 12 - 1);
  out.Close();
}

void WriteHarmony(XmlStream& out, const ChordAt& chord, int offset) {
  const ChordParts& parts = chord.parts;
  out.Open("harmony");
  out.Open("root");
  out.Leaf("root-step", StepText(parts.root.step));
  if (parts.root.alter != 0) {
    out.Leaf("root-alter", parts.root.alter);
  }
  out.Close();
  out.Leaf("kind", parts.kind, {{"text", parts.suffixUtf8}});
  if (offset != 0) {
    out.Leaf("offset", offset);
  }
  out.Leaf("staff", 1);
  out.Close();
}

// What a written note carries in <technical>.
struct TechnicalOut {
  Technique leadIn = Technique::kNone;  // the start of the next note's ハ or ウ
  Technique own = Technique::kNone;
  int finger = 0;
  int string = 0;  // counted from 三の糸; 0: none
  int fret = -1;

  bool Any() const {
    return leadIn != Technique::kNone || own != Technique::kNone || finger != 0 || string != 0 ||
           fret >= 0;
  }
};

// What a written note carries in <notations>.
struct NotationsOut {
  bool tieStop = false;
  bool tieStart = false;
  bool tupletStart = false;
  bool tupletStop = false;
  bool slideStop = false;
  bool slideStart = false;
  TechnicalOut technical;

  bool Any() const {
    return tieStop || tieStart || tupletStart || tupletStop || slideStop || slideStart ||
           technical.Any();
  }
};

void WriteTechnique(XmlStream& out, Technique technique, bool start) {
  switch (technique) {
    case Technique::kSukui:
      out.Empty("up-bow");
      break;
    case Technique::kHajiki:
      out.Leaf("pull-off", "P", {{"type", start ? "start" : "stop"}});
      break;
    case Technique::kUchi:
      out.Leaf("hammer-on", "H", {{"type", start ? "start" : "stop"}});
      break;
    case Technique::kOshi:
      out.Open("bend");
      out.Leaf("bend-alter", 1);
      out.Close();
      break;
    case Technique::kKeshi:
      out.Leaf("other-technical", "keshi");
      break;
    default:
      break;
  }
}

void WriteNotations(XmlStream& out, const NotationsOut& n) {
  if (!n.Any()) {
    return;
  }
  out.Open("notations");
  if (n.tieStop) {
    out.Empty("tied", {{"type", "stop"}});
  }
  if (n.tieStart) {
    out.Empty("tied", {{"type", "start"}});
  }
  if (n.tupletStart) {
    out.Empty("tuplet", {{"type", "start"}, {"bracket", "yes"}});
  }
  if (n.tupletStop) {
    out.Empty("tuplet", {{"type", "stop"}});
  }
  if (n.slideStop) {
    out.Empty("slide", {{"type", "stop"}});
  }
  if (n.slideStart) {
    out.Empty("slide", {{"type", "start"}, {"line-type", "solid"}});
  }
  const TechnicalOut& t = n.technical;
  if (t.Any()) {
    out.Open("technical");
    WriteTechnique(out, t.leadIn, true);
    WriteTechnique(out, t.own, false);
    if (t.finger != 0) {
      out.Leaf("fingering", t.finger);
    }
    if (t.string != 0) {
      out.Leaf("string", t.string);
    }
    if (t.fret >= 0) {
      out.Leaf("fret", t.fret);
    }
    out.Close();
  }
  out.Close();
}

// Writes one score; a class so that the song's tables are built once.
class ScoreWriter {
 public:
  ScoreWriter(const CSongData& song, const OpenStrings& open)
      : m_song(song),
        m_open(open),
        m_places(BuildPitchPlaces(open)),
        m_flats(kKeyTable[static_cast<std::size_t>(ValidKeyIndex(song.m_keyIndex))].accidentals <
                0),
        m_beats(song.m_beatsPerMeasure),
        m_measureTicks(m_beats * kDivisions),
        m_out(static_cast<std::size_t>(song.CellCount()) * 1200 + 4096) {}

  std::string Write(int firstMeasure, int endMeasure) {
    m_out.Raw(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
        "\"http://www.musicxml.org/dtds/partwise.dtd\">\n");
    m_out.Open("score-partwise", {{"version", "4.0"}});
    WriteHeader();
    m_out.Open("part", {{"id", "P1"}});
    if (m_song.BeatCount() == 0 || firstMeasure >= endMeasure) {
      WriteEmptyMeasure();
    } else {
      WriteMeasures(firstMeasure, endMeasure);
    }
    m_out.Close();
    m_out.Close();
    return m_out.Take();
  }

 private:
  void WriteHeader() {
    const std::string title = Utf8Of(FieldText(m_song.m_info.title));
    if (!title.empty()) {
      m_out.Open("work");
      m_out.Leaf("work-title", title);
      m_out.Close();
    }
    m_out.Open("identification");
    const std::pair<const char*, std::string> creators[] = {
        {"composer", Utf8Of(FieldText(m_song.m_info.composer))},
        {"lyricist", Utf8Of(FieldText(m_song.m_info.lyricist))}};
    for (const auto& [type, name] : creators) {
      if (!name.empty()) {
        m_out.Leaf("creator", name, {{"type", type}});
      }
    }
    m_out.Open("encoding");
    m_out.Leaf("software", "Kumoito");
    m_out.Close();
    m_out.Close();
    m_out.Open("part-list");
    m_out.Open("score-part", {{"id", "P1"}});
    m_out.Leaf("part-name", "三味線");
    m_out.Open("score-instrument", {{"id", "P1-I1"}});
    m_out.Leaf("instrument-name", "Shamisen");
    m_out.Leaf("instrument-sound", "pluck.shamisen");
    m_out.Close();
    m_out.Open("midi-instrument", {{"id", "P1-I1"}});
    m_out.Leaf("midi-channel", 1);
    // Counted from 1: General MIDI's shamisen is program change 106.
    m_out.Leaf("midi-program", 107);
    m_out.Close();
    m_out.Close();
    m_out.Close();
  }

  void WriteEmptyMeasure() {
    m_out.Open("measure", {{"number", "1"}});
    WriteAttributes(4, false);
    m_out.Open("note");
    m_out.Empty("rest", {{"measure", "yes"}});
    m_out.Leaf("duration", 4 * kDivisions);
    m_out.Leaf("voice", "1");
    m_out.Leaf("staff", 1);
    m_out.Close();
    m_out.Close();
  }

  // The first measure's attributes, with the measure-repeat style where one
  // starts there.
  void WriteAttributes(int beats, bool repeatStarts) {
    m_out.Open("attributes");
    m_out.Leaf("divisions", kDivisions);
    const KeyEntry& key = kKeyTable[static_cast<std::size_t>(ValidKeyIndex(m_song.m_keyIndex))];
    m_out.Open("key");
    m_out.Leaf("fifths", key.accidentals);
    m_out.Leaf("mode", key.minor ? "minor" : "major");
    m_out.Close();
    m_out.Open("time");
    m_out.Leaf("beats", beats);
    m_out.Leaf("beat-type", 4);
    m_out.Close();
    m_out.Leaf("staves", 2);
    m_out.Open("clef", {{"number", "1"}});
    m_out.Leaf("sign", "G");
    m_out.Leaf("line", 2);
    m_out.Close();
    m_out.Open("clef", {{"number", "2"}});
    m_out.Leaf("sign", "TAB");
    m_out.Leaf("line", 2);
    m_out.Close();
    m_out.Open("staff-details", {{"number", "2"}});
    m_out.Leaf("staff-lines", kStringCount);
    // Line 1 is the lowest line: 一の糸.
    for (int s = 0; s < kStringCount; ++s) {
      const std::string line = std::to_string(s + 1);
      m_out.Open("staff-tuning", {{"line", line}});
      const std::int32_t pitch = m_open[static_cast<std::size_t>(s)];
      const Spelling spelling = SpellPitchClass(pitch, m_flats);
      m_out.Leaf("tuning-step", StepText(spelling.step));
      if (spelling.alter != 0) {
        m_out.Leaf("tuning-alter", spelling.alter);
      }
      m_out.Leaf("tuning-octave", pitch / 12 - 1);
      m_out.Close();
    }
    m_out.Close();
    if (repeatStarts) {
      WriteMeasureRepeatStyle(true);
    }
    m_out.Close();
  }

  void WriteTempo() {
    // A tempo a damaged file left outside the playable range is written as
    // the reader will take it: <sound tempo> may not be negative.
    const std::string tempo = std::to_string(std::clamp(m_song.m_info.tempo, kMinTempo, kMaxTempo));
    m_out.Open("direction", {{"placement", "above"}});
    m_out.Open("direction-type");
    m_out.Open("metronome");
    m_out.Leaf("beat-unit", "quarter");
    m_out.Leaf("per-minute", tempo);
    m_out.Close();
    m_out.Close();
    m_out.Leaf("staff", 1);
    m_out.Empty("sound", {{"tempo", tempo}});
    m_out.Close();
  }

  // Where the written song starts: after the rests of a pick-up, when the
  // first measure opens with rests that carry nothing and a note follows.
  int PickupStart(const std::vector<SongEvent>& events) const {
    if (events.size() < 2 || m_song.m_measureCount < 2 || events[0].value != SLOT_REST) {
      return 0;
    }
    const SongEvent& rest = events[0];
    if (rest.end >= m_measureTicks || events[1].value < 0) {
      return 0;
    }
    const SongMarks& marks = m_song.m_marks;
    for (int c = 0; c * kCellTicks < rest.end; ++c) {
      for (int s = 0; s < kSlotsPerCell; ++s) {
        if (!marks.At(c, s).Empty() || !marks.SyllableAt(c, s).Empty()) {
          return 0;
        }
      }
    }
    // The chord of the first note reaches back over the rests on reading.
    const int noteBeat = rest.end / kDivisions;
    const BeatChord& at = m_song.m_beatChords[static_cast<std::size_t>(noteBeat)];
    for (int b = 0; b < noteBeat; ++b) {
      const BeatChord& chord = m_song.m_beatChords[static_cast<std::size_t>(b)];
      if (FieldText(chord.chord) != FieldText(at.chord) || FieldText(chord.chordMid) != "") {
        return 0;
      }
    }
    if (rest.end % kDivisions != 0 && FieldText(at.chordMid) != "") {
      return 0;
    }
    return rest.end;
  }

  struct MeasureContext {
    int index;
    int first;
    int end;
    int start;  // ticks from the top of the song
    int stop;
    bool pickup;
  };

  void WriteMeasures(int firstMeasure, int endMeasure) {
    m_events = CollectEvents(m_song);
    m_chords = ChordChanges(m_song);
    const int rangeStart = firstMeasure * m_measureTicks;
    const int rangeEnd = endMeasure * m_measureTicks;
    const int start = firstMeasure == 0 ? PickupStart(m_events) : rangeStart;
    m_pickup = firstMeasure == 0 && start > 0;
    std::vector<Piece> pieces;
    for (const SongEvent& e : m_events) {
      const int from = std::max(e.start, start);
      const int to = std::min(e.end, rangeEnd);
      if (from < to) {
        std::vector<Piece> cut = CutEvent(m_song, e, from, to, m_measureTicks);
        pieces.insert(pieces.end(), cut.begin(), cut.end());
      }
    }
    MarkTuplets(pieces);
    m_pieces = &pieces;
    std::size_t next = 0;
    for (int m = firstMeasure; m < endMeasure; ++m) {
      const int measureEnd = (m + 1) * m_measureTicks;
      std::size_t end = next;
      while (end < pieces.size() && pieces[end].start < measureEnd) {
        ++end;
      }
      const MeasureContext context{m,          firstMeasure,
                                   endMeasure, std::max(m * m_measureTicks, start),
                                   measureEnd, m_pickup && m == 0};
      WriteMeasure(context, next, end);
      next = end;
    }
    m_pieces = nullptr;
  }

  void WriteMeasure(const MeasureContext& at, std::size_t from, std::size_t to) {
    // With a pick-up the first measure is numbered 0, the next 1.
    const std::string number = std::to_string(at.index - at.first + (m_pickup ? 0 : 1));
    if (at.pickup) {
      m_out.Open("measure", {{"number", number}, {"implicit", "yes"}});
    } else {
      m_out.Open("measure", {{"number", number}});
    }
    m_at = &at;
    WriteLeftBarline();
    if (at.index == at.first) {
      WriteAttributes(m_beats, MeasureRepeatChanges() > 0);
      WriteTempo();
    } else if (MeasureRepeatChanges() != 0) {
      m_out.Open("attributes");
      WriteMeasureRepeatStyle(MeasureRepeatChanges() > 0);
      m_out.Close();
    }
    WriteMelodyStaff(at, from, to);
    m_out.Open("backup");
    m_out.Leaf("duration", at.stop - at.start);
    m_out.Close();
    for (std::size_t i = from; i < to; ++i) {
      WriteTabNote(i);
    }
    WriteRightBarline();
    m_out.Close();
  }

  void WriteMelodyStaff(const MeasureContext& at, std::size_t from, std::size_t to) {
    std::size_t chord = 0;
    while (chord < m_chords.size() && m_chords[chord].tick < at.start) {
      ++chord;
    }
    // The chord in force where the written score starts (after a pick-up's
    // rests, or at a range's first measure) is named there.
    if (at.index == at.first && chord > 0 &&
        (chord == m_chords.size() || m_chords[chord].tick > at.start)) {
      WriteHarmony(m_out, m_chords[chord - 1], 0);
    }
    const std::vector<Piece>& pieces = *m_pieces;
    for (std::size_t i = from; i < to; ++i) {
      const Piece& p = pieces[i];
      while (chord < m_chords.size() && m_chords[chord].tick < p.start + p.ticks &&
             m_chords[chord].tick < at.stop) {
        WriteHarmony(m_out, m_chords[chord], m_chords[chord].tick - p.start);
        ++chord;
      }
      WriteMelodyNote(i);
    }
  }

  const MeasureMarks& MarksOf(int measure) const {
    static const MeasureMarks kNone{};
    return measure >= 0 && measure < kMarkMeasureCount
               ? m_song.m_marks.measures[static_cast<std::size_t>(measure)]
               : kNone;
  }

  void WriteLeftBarline() {
    const MeasureContext& at = *m_at;
    const MeasureMarks& marks = MarksOf(at.index);
    const bool endingStarts =
        marks.ending != 0 && (at.index == at.first || MarksOf(at.index - 1).ending != marks.ending);
    const bool repeatStarts = (marks.flags & kRepeatStart) != 0;
    if (!repeatStarts && !endingStarts) {
      return;
    }
    m_out.Open("barline", {{"location", "left"}});
    if (repeatStarts) {
      m_out.Leaf("bar-style", "heavy-light");
    }
    if (endingStarts) {
      const std::string number = std::to_string(marks.ending);
      m_out.Empty("ending", {{"number", number}, {"type", "start"}});
    }
    if (repeatStarts) {
      m_out.Empty("repeat", {{"direction", "forward"}});
    }
    m_out.Close();
  }

  void WriteRightBarline() {
    const MeasureContext& at = *m_at;
    const MeasureMarks& marks = MarksOf(at.index);
    const bool lastMeasure = at.index + 1 == at.end;
    const bool endingStops =
        marks.ending != 0 && (lastMeasure || MarksOf(at.index + 1).ending != marks.ending);
    const bool repeatEnds = (marks.flags & kRepeatEnd) != 0;
    if (!lastMeasure && !endingStops && !repeatEnds) {
      return;
    }
    m_out.Open("barline", {{"location", "right"}});
    if (repeatEnds || lastMeasure) {
      m_out.Leaf("bar-style", "light-heavy");
    }
    if (endingStops) {
      const std::string number = std::to_string(marks.ending);
      m_out.Empty("ending", {{"number", number}, {"type", "stop"}});
    }
    if (repeatEnds) {
      if (marks.repeatCount > 2) {
        const std::string times = std::to_string(marks.repeatCount);
        m_out.Empty("repeat", {{"direction", "backward"}, {"times", times}});
      } else {
        m_out.Empty("repeat", {{"direction", "backward"}});
      }
    }
    m_out.Close();
  }

  // 1 where a run of measure repeats starts in this measure, -1 where one
  // ended before it, 0 otherwise.
  int MeasureRepeatChanges() const {
    const MeasureContext& at = *m_at;
    const bool repeats = (MarksOf(at.index).flags & kMeasureRepeat) != 0;
    const bool before = at.index > at.first && (MarksOf(at.index - 1).flags & kMeasureRepeat) != 0;
    return repeats == before ? 0 : repeats ? 1 : -1;
  }

  void WriteMeasureRepeatStyle(bool starts) {
    m_out.Open("measure-style");
    m_out.Leaf("measure-repeat", starts ? "1" : "", {{"type", starts ? "start" : "stop"}});
    m_out.Close();
  }

  // The note (or rest) of one piece, on either staff, up to its notations.
  void WriteNoteBody(const Piece& p, std::optional<int> pitch, bool chord, int staff) {
    m_out.Open("note");
    if (chord) {
      m_out.Empty("chord");
    }
    if (pitch) {
      WritePitch(m_out, *pitch, m_flats);
    } else {
      m_out.Empty("rest");
    }
    m_out.Leaf("duration", p.ticks);
    if (pitch && !p.last) {
      m_out.Empty("tie", {{"type", "start"}});
    }
    if (pitch && !p.first) {
      m_out.Empty("tie", {{"type", "stop"}});
    }
    m_out.Leaf("voice", staff == 1 ? "1" : "5");
    m_out.Leaf("type", p.type);
    for (int d = 0; d < p.dots; ++d) {
      m_out.Empty("dot");
    }
    if (p.inThree) {
      m_out.Open("time-modification");
      m_out.Leaf("actual-notes", 3);
      m_out.Leaf("normal-notes", 2);
      m_out.Close();
    }
    m_out.Leaf("staff", staff);
  }

  NotationsOut TiesAndTuplet(const Piece& p, bool pitched, bool chord) const {
    NotationsOut n;
    n.tieStop = pitched && !p.first;
    n.tieStart = pitched && !p.last;
    n.tupletStart = !chord && p.tupletStart;
    n.tupletStop = !chord && p.tupletStop;
    return n;
  }

  const NoteMarks& MarksAt(const SongEvent& e) const { return m_song.m_marks.At(e.cell, e.slot); }

  static bool IsSlide(Technique t) { return t == Technique::kSuriUp || t == Technique::kSuriDown; }

  // The pieces before and after piece i, when they are notes that touch it.
  const Piece* TouchingNote(std::size_t i, int step) const {
    const std::vector<Piece>& pieces = *m_pieces;
    if ((step < 0 && i == 0) || (step > 0 && i + 1 >= pieces.size())) {
      return nullptr;
    }
    const Piece& p = pieces[i];
    const Piece& other = pieces[step < 0 ? i - 1 : i + 1];
    const bool touches =
        step < 0 ? other.start + other.ticks == p.start : p.start + p.ticks == other.start;
    return touches && other.event->value >= 0 ? &other : nullptr;
  }

  void AddMelodyMarks(NotationsOut& n, std::size_t i) const {
    const Piece& p = (*m_pieces)[i];
    const NoteMarks& marks = MarksAt(*p.event);
    const Piece* before = TouchingNote(i, -1);
    const Piece* after = TouchingNote(i, 1);
    if (p.last && after != nullptr && after->first) {
      const Technique next = MarksAt(*after->event).technique;
      if (next == Technique::kHajiki || next == Technique::kUchi) {
        n.technical.leadIn = next;
      }
    }
    n.slideStart = IsSlide(marks.technique) && p.last && after != nullptr;
    n.slideStop = p.first && before != nullptr && IsSlide(MarksAt(*before->event).technique);
    if (!p.first) {
      return;
    }
    n.technical.own = IsSlide(marks.technique) ? Technique::kNone : marks.technique;
    if (marks.finger >= 1 && marks.finger <= kMaxFinger) {
      n.technical.finger = marks.finger;
    }
    if (marks.string >= 1 && marks.string <= kMaxMarkString) {
      // Counted from the highest string: 1 is 三の糸.
      n.technical.string = 4 - marks.string;
    }
  }

  void WriteLyrics(const SongEvent& e) {
    if (e.value >= 0) {
      const std::string lyric =
          Utf8Of(FieldText(m_song.m_cells[static_cast<std::size_t>(e.cell)].lyric[e.slot]));
      if (!lyric.empty()) {
        m_out.Open("lyric", {{"number", "1"}});
        m_out.Leaf("syllabic", "single");
        m_out.Leaf("text", lyric);
        m_out.Close();
      }
    }
    const std::string syllable = Utf8Of(SlotSyllable(m_song, m_places, m_open, e.cell, e.slot));
    if (!syllable.empty()) {
      m_out.Open("lyric", {{"number", "2"}, {"name", kSyllableLine}});
      m_out.Leaf("syllabic", "single");
      m_out.Leaf("text", syllable);
      m_out.Close();
    }
  }

  void WriteMelodyNote(std::size_t i) {
    const Piece& p = (*m_pieces)[i];
    const SongEvent& e = *p.event;
    const bool pitched = e.value >= 0;
    WriteNoteBody(p, pitched ? std::optional<int>(e.value) : std::nullopt, false, 1);
    NotationsOut n = TiesAndTuplet(p, pitched, false);
    if (pitched) {
      AddMelodyMarks(n, i);
    } else if (p.first && MarksAt(e).technique == Technique::kKeshi) {
      n.technical.own = Technique::kKeshi;
    }
    WriteNotations(m_out, n);
    if (p.first) {
      WriteLyrics(e);
    }
    m_out.Close();
    if (!pitched) {
      return;
    }
    for (const std::uint8_t together : MarksAt(e).together) {
      if (together != kNoPitch && together <= kMaxPitch) {
        WriteNoteBody(p, together, true, 1);
        WriteNotations(m_out, TiesAndTuplet(p, true, true));
        m_out.Close();
      }
    }
  }

  void WriteTabPosition(const Piece& p, const PitchPlace& place, bool chord) {
    const int open = m_open[static_cast<std::size_t>(place.string)];
    WriteNoteBody(p, open + place.position - 1, chord, 2);
    NotationsOut n = TiesAndTuplet(p, true, chord);
    n.technical.string = kStringCount - place.string;
    n.technical.fret = place.position - 1;
    WriteNotations(m_out, n);
    m_out.Close();
  }

  void WriteTabNote(std::size_t i) {
    const Piece& p = (*m_pieces)[i];
    const SongEvent& e = *p.event;
    if (e.value < 0) {
      WriteNoteBody(p, std::nullopt, false, 2);
      WriteNotations(m_out, TiesAndTuplet(p, false, false));
      m_out.Close();
      return;
    }
    const NoteMarks& marks = MarksAt(e);
    const PitchPlace place = PlaceOfMarkedNote(m_places, m_open, e.value, marks);
    WriteTabPosition(p, place, false);
    int alsoTaken = -1;
    for (const std::uint8_t together : marks.together) {
      if (together == kNoPitch || together > kMaxPitch) {
        continue;
      }
      if (const std::optional<PitchPlace> other =
              PlaceTogether(m_places, m_open, together, place.string, alsoTaken)) {
        WriteTabPosition(p, *other, true);
        alsoTaken = other->string;
      }
    }
  }

  const CSongData& m_song;
  OpenStrings m_open;
  PitchPlaceTable m_places;
  bool m_flats;
  int m_beats;
  int m_measureTicks;
  XmlStream m_out;
  std::vector<SongEvent> m_events;
  std::vector<ChordAt> m_chords;
  const std::vector<Piece>* m_pieces = nullptr;
  const MeasureContext* m_at = nullptr;
  bool m_pickup = false;
};

std::string LowerExtension(std::string_view path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return extension;
}

}  // namespace

MeasureRange MeasuresOfSlots(const CSongData& song, int firstSlot, int endSlot) {
  const int beats = song.m_beatsPerMeasure;
  const int cells = song.CellCount();
  if (cells == 0 || beats <= 0) {
    return {};
  }
  const int slots = cells * kSlotsPerCell;
  const int a = std::clamp(firstSlot, 0, slots - 1);
  const int b = std::clamp(endSlot, a + 1, slots);
  const int cellsPerMeasure = 2 * beats;
  return {a / kSlotsPerCell / cellsPerMeasure, (b - 1) / kSlotsPerCell / cellsPerMeasure + 1};
}

std::string MusicXmlOfSong(const CSongData& song, const OpenStrings& open) {
  const int measures = song.m_beatsPerMeasure > 0 ? song.BeatCount() / song.m_beatsPerMeasure : 0;
  return ScoreWriter(song, open).Write(0, measures);
}

std::string MusicXmlOfRange(const CSongData& song, const OpenStrings& open, int firstSlot,
                            int endSlot) {
  const MeasureRange range = MeasuresOfSlots(song, firstSlot, endSlot);
  return ScoreWriter(song, open).Write(range.first, range.end);
}

bool IsCompressedMusicXmlPath(std::string_view path) {
  return LowerExtension(path) == ".mxl";
}

bool WriteMusicXmlFile(const CSongData& song, const OpenStrings& open, const std::string& path,
                       std::string& why) {
  std::string bytes = MusicXmlOfSong(song, open);
  if (IsCompressedMusicXmlPath(path)) {
    std::optional<std::string> archive = import::WriteMxlArchive(bytes, "score.musicxml", why);
    if (!archive) {
      return false;
    }
    bytes = std::move(*archive);
  }
  if (!WriteFileBytes(path, bytes.data(), bytes.size())) {
    why = LastWriteError().message();
    return false;
  }
  return true;
}

}  // namespace kumoito::musicxml
