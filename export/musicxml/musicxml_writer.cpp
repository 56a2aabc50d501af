#include "export/musicxml/musicxml_writer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

#include <pugixml.hpp>

#include "common/file_util.h"
#include "common/sjis.h"
#include "import/mxl_archive.h"
#include "song/chord_names.h"
#include "song/key_table.h"
#include "song/kuchijamisen.h"
#include "song/song_data.h"

namespace kumoito::musicxml {
namespace {

// Divisions of a quarter note (a song beat): a sixteenth is 3, a sixth of a
// beat (a cell divided in three) 2.
constexpr int kDivisions = 12;
constexpr int kCellTicks = kDivisions / 2;
constexpr const char* kSyllableLine = "kuchijamisen";

bool InThree(const NoteCell& cell) {
  return cell.pitch[2] != SLOT_NONE;
}

// One note or rest of the song: the slot that starts it and the ticks it
// lasts, from the top of the song.
struct SongEvent {
  int start = 0;
  int end = 0;
  int cell = 0;
  int slot = 0;
  std::int32_t value = SLOT_REST;  // a pitch, or SLOT_REST
};

std::vector<SongEvent> CollectEvents(const CSongData& song) {
  std::vector<SongEvent> events;
  const int cells = song.CellCount();
  for (int c = 0; c < cells; ++c) {
    const NoteCell& cell = song.m_cells[static_cast<std::size_t>(c)];
    const int slots = InThree(cell) ? 3 : 2;
    const int slotTicks = kCellTicks / slots;
    for (int s = 0; s < slots; ++s) {
      const std::int32_t v = cell.pitch[s];
      const int tick = c * kCellTicks + s * slotTicks;
      // A song that opens on a hold opens on a rest; values no slot may
      // hold go on as holds.
      const bool starts = (v >= 0 && v <= kMaxPitch) || v == SLOT_REST || events.empty();
      if (!starts) {
        continue;
      }
      if (!events.empty()) {
        events.back().end = tick;
      }
      const std::int32_t value = (v >= 0 && v <= kMaxPitch) ? v : SLOT_REST;
      events.push_back({tick, tick, c, s, value});
    }
  }
  if (!events.empty()) {
    events.back().end = cells * kCellTicks;
  }
  return events;
}

struct NoteValue {
  int ticks;
  const char* type;
  int dots;
};
constexpr std::array<NoteValue, 8> kValues = {{
    {48, "whole", 0},
    {36, "half", 1},
    {24, "half", 0},
    {18, "quarter", 1},
    {12, "quarter", 0},
    {9, "eighth", 1},
    {6, "eighth", 0},
    {3, "16th", 0},
}};

// A written note or rest: one event cut at bar lines, at the edges of the
// cells in three it shares with others, and into values notation has.
struct Piece {
  const SongEvent* event = nullptr;
  int start = 0;
  int ticks = 0;
  const char* type = "16th";
  int dots = 0;
  bool inThree = false;
  bool first = false;  // of its event
  bool last = false;
  bool tupletStart = false;
  bool tupletStop = false;
};

// Normal values from pos for ticks, never past the next beat when starting
// off it, so that the beats stay readable.
void AddNormalPieces(std::vector<Piece>& out, const SongEvent& e, int pos, int ticks,
                     int measureStart) {
  while (ticks > 0) {
    const int inBeat = (pos - measureStart) % kDivisions;
    const int limit = std::min(ticks, inBeat == 0 ? ticks : kDivisions - inBeat);
    const NoteValue* chosen = &kValues.back();
    for (const NoteValue& v : kValues) {
      if (v.ticks <= limit) {
        chosen = &v;
        break;
      }
    }
    const int take = std::min(chosen->ticks, ticks);
    out.push_back({&e, pos, take, chosen->type, chosen->dots});
    pos += take;
    ticks -= take;
  }
}

std::vector<Piece> CutEvent(const CSongData& song, const SongEvent& e, int from, int to,
                            int measureTicks) {
  std::vector<int> cuts = {from, to};
  for (int m = (from / measureTicks + 1) * measureTicks; m < to; m += measureTicks) {
    cuts.push_back(m);
  }
  // A cell in three that the event only partly fills is written as a
  // triplet group of its own.
  for (int c = from / kCellTicks; c * kCellTicks < to; ++c) {
    const int a = c * kCellTicks;
    const int b = a + kCellTicks;
    if (InThree(song.m_cells[static_cast<std::size_t>(c)]) && (a < from || b > to)) {
      cuts.push_back(std::max(a, from));
      cuts.push_back(std::min(b, to));
    }
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  std::vector<Piece> pieces;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    const int a = cuts[i];
    const int n = cuts[i + 1] - a;
    const NoteCell& cell = song.m_cells[static_cast<std::size_t>(a / kCellTicks)];
    if (InThree(cell) && n < kCellTicks) {
      pieces.push_back({&e, a, n, n == 2 ? "16th" : "eighth", 0, true});
    } else {
      AddNormalPieces(pieces, e, a, n, a / measureTicks * measureTicks);
    }
  }
  if (!pieces.empty()) {
    pieces.front().first = true;
    pieces.back().last = true;
  }
  return pieces;
}

void MarkTuplets(std::vector<Piece>& pieces) {
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    Piece& p = pieces[i];
    if (!p.inThree) {
      continue;
    }
    const auto sameGroup = [&](std::size_t j) {
      return pieces[j].inThree && pieces[j].start / kCellTicks == p.start / kCellTicks;
    };
    p.tupletStart = i == 0 || !sameGroup(i - 1);
    p.tupletStop = i + 1 == pieces.size() || !sameGroup(i + 1);
  }
}

void AddText(pugi::xml_node parent, const char* name, std::string_view text) {
  parent.append_child(name).text().set(std::string(text).c_str());
}

void AddInt(pugi::xml_node parent, const char* name, int value) {
  parent.append_child(name).text().set(value);
}

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

void AddPitch(pugi::xml_node note, int pitch, bool flats, const char* prefix = "") {
  const Spelling s = SpellPitchClass(pitch, flats);
  const std::string p(prefix);
  pugi::xml_node node = note.append_child(p.empty() ? "pitch" : (p + "-pitch").c_str());
  AddText(node, (p.empty() ? "step" : (p + "-step").c_str()), std::string(1, s.step));
  if (s.alter != 0) {
    AddInt(node, (p.empty() ? "alter" : (p + "-alter").c_str()), s.alter);
  }
  AddInt(node, (p.empty() ? "octave" : (p + "-octave").c_str()), pitch / 12 - 1);
}

// Where a chord symbol's root ends and which MusicXML kind its suffix is.
struct ChordParts {
  Spelling root;
  std::string suffix;
  std::string_view kind;
};

std::optional<ChordParts> SplitChord(std::string_view text) {
  if (text.empty() || text == "Skip") {
    return std::nullopt;
  }
  static constexpr std::string_view kSteps = "CDEFGAB";
  if (kSteps.find(text[0]) == std::string_view::npos) {
    return std::nullopt;
  }
  ChordParts parts{{text[0], 0}, {}, {}};
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

void AddHarmony(pugi::xml_node measure, const ChordAt& chord, int offset) {
  const ChordParts* parts = &chord.parts;
  pugi::xml_node harmony = measure.append_child("harmony");
  pugi::xml_node root = harmony.append_child("root");
  AddText(root, "root-step", std::string(1, parts->root.step));
  if (parts->root.alter != 0) {
    AddInt(root, "root-alter", parts->root.alter);
  }
  pugi::xml_node kind = harmony.append_child("kind");
  kind.text().set(std::string(parts->kind).c_str());
  kind.append_attribute("text").set_value(Utf8Of(parts->suffix).c_str());
  if (offset != 0) {
    AddInt(harmony, "offset", offset);
  }
  AddInt(harmony, "staff", 1);
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
        m_measureTicks(m_beats * kDivisions) {}

  std::string Write(int firstMeasure, int endMeasure) {
    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version").set_value("1.0");
    decl.append_attribute("encoding").set_value("UTF-8");
    doc.append_child(pugi::node_doctype)
        .set_value(
            "score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
            "\"http://www.musicxml.org/dtds/partwise.dtd\"");
    pugi::xml_node score = doc.append_child("score-partwise");
    score.append_attribute("version").set_value("4.0");
    WriteHeader(score);
    pugi::xml_node part = score.append_child("part");
    part.append_attribute("id").set_value("P1");
    if (m_song.BeatCount() == 0 || firstMeasure >= endMeasure) {
      WriteEmptyMeasure(part);
    } else {
      WriteMeasures(part, firstMeasure, endMeasure);
    }
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
  }

 private:
  void WriteHeader(pugi::xml_node score) {
    const std::string title = Utf8Of(FieldText(m_song.m_info.title));
    if (!title.empty()) {
      AddText(score.append_child("work"), "work-title", title);
    }
    pugi::xml_node id = score.append_child("identification");
    const std::pair<const char*, std::string> creators[] = {
        {"composer", Utf8Of(FieldText(m_song.m_info.composer))},
        {"lyricist", Utf8Of(FieldText(m_song.m_info.lyricist))}};
    for (const auto& [type, name] : creators) {
      if (!name.empty()) {
        pugi::xml_node creator = id.append_child("creator");
        creator.append_attribute("type").set_value(type);
        creator.text().set(name.c_str());
      }
    }
    AddText(id.append_child("encoding"), "software", "Kumoito");
    pugi::xml_node list = score.append_child("part-list");
    pugi::xml_node sp = list.append_child("score-part");
    sp.append_attribute("id").set_value("P1");
    AddText(sp, "part-name", "三味線");
    pugi::xml_node instrument = sp.append_child("score-instrument");
    instrument.append_attribute("id").set_value("P1-I1");
    AddText(instrument, "instrument-name", "Shamisen");
    AddText(instrument, "instrument-sound", "pluck.shamisen");
    pugi::xml_node midi = sp.append_child("midi-instrument");
    midi.append_attribute("id").set_value("P1-I1");
    AddInt(midi, "midi-channel", 1);
    // Counted from 1: General MIDI's shamisen is program change 106.
    AddInt(midi, "midi-program", 107);
  }

  void WriteEmptyMeasure(pugi::xml_node part) {
    pugi::xml_node measure = part.append_child("measure");
    measure.append_attribute("number").set_value("1");
    WriteAttributes(measure, 4);
    pugi::xml_node note = measure.append_child("note");
    note.append_child("rest").append_attribute("measure").set_value("yes");
    AddInt(note, "duration", 4 * kDivisions);
    AddText(note, "voice", "1");
    AddInt(note, "staff", 1);
  }

  void WriteAttributes(pugi::xml_node measure, int beats) {
    pugi::xml_node attributes = measure.append_child("attributes");
    AddInt(attributes, "divisions", kDivisions);
    const KeyEntry& key = kKeyTable[static_cast<std::size_t>(ValidKeyIndex(m_song.m_keyIndex))];
    pugi::xml_node k = attributes.append_child("key");
    AddInt(k, "fifths", key.accidentals);
    AddText(k, "mode", key.minor ? "minor" : "major");
    pugi::xml_node time = attributes.append_child("time");
    AddInt(time, "beats", beats);
    AddInt(time, "beat-type", 4);
    AddInt(attributes, "staves", 2);
    pugi::xml_node treble = attributes.append_child("clef");
    treble.append_attribute("number").set_value(1);
    AddText(treble, "sign", "G");
    AddInt(treble, "line", 2);
    pugi::xml_node tab = attributes.append_child("clef");
    tab.append_attribute("number").set_value(2);
    AddText(tab, "sign", "TAB");
    AddInt(tab, "line", 2);
    pugi::xml_node details = attributes.append_child("staff-details");
    details.append_attribute("number").set_value(2);
    AddInt(details, "staff-lines", kStringCount);
    // Line 1 is the lowest line: 一の糸.
    for (int s = 0; s < kStringCount; ++s) {
      pugi::xml_node tuning = details.append_child("staff-tuning");
      tuning.append_attribute("line").set_value(s + 1);
      const std::int32_t pitch = m_open[static_cast<std::size_t>(s)];
      const Spelling spelling = SpellPitchClass(pitch, m_flats);
      AddText(tuning, "tuning-step", std::string(1, spelling.step));
      if (spelling.alter != 0) {
        AddInt(tuning, "tuning-alter", spelling.alter);
      }
      AddInt(tuning, "tuning-octave", pitch / 12 - 1);
    }
  }

  void WriteTempo(pugi::xml_node measure) {
    pugi::xml_node direction = measure.append_child("direction");
    direction.append_attribute("placement").set_value("above");
    pugi::xml_node metronome = direction.append_child("direction-type").append_child("metronome");
    AddText(metronome, "beat-unit", "quarter");
    AddInt(metronome, "per-minute", m_song.m_info.tempo);
    AddInt(direction, "staff", 1);
    direction.append_child("sound").append_attribute("tempo").set_value(m_song.m_info.tempo);
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

  void WriteMeasures(pugi::xml_node part, int firstMeasure, int endMeasure) {
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
    std::size_t next = 0;
    const Piece* previous = nullptr;
    for (int m = firstMeasure; m < endMeasure; ++m) {
      const int measureStart = std::max(m * m_measureTicks, start);
      const int measureEnd = (m + 1) * m_measureTicks;
      std::size_t end = next;
      while (end < pieces.size() && pieces[end].start < measureEnd) {
        ++end;
      }
      MeasureContext context{m,          firstMeasure,       endMeasure, measureStart,
                             measureEnd, start > 0 && m == 0};
      WriteMeasure(part, context, pieces, next, end, previous);
      if (end > next) {
        previous = &pieces[end - 1];
      }
      next = end;
    }
  }

  struct MeasureContext {
    int index;
    int first;
    int end;
    int start;
    int stop;
    bool pickup;
  };

  void WriteMeasure(pugi::xml_node part, const MeasureContext& at, const std::vector<Piece>& pieces,
                    std::size_t from, std::size_t to, const Piece* before) {
    pugi::xml_node measure = part.append_child("measure");
    // With a pick-up the first measure is numbered 0, the next 1.
    const int shownNumber = at.index - at.first + (m_pickup ? 0 : 1);
    measure.append_attribute("number").set_value(std::to_string(shownNumber).c_str());
    if (at.pickup) {
      measure.append_attribute("implicit").set_value("yes");
    }
    const MeasureMarks& marks = MarksOf(at.index);
    WriteLeftBarline(measure, at);
    if (at.index == at.first) {
      WriteAttributes(measure, m_beats);
      WriteMeasureRepeatStyle(measure, at, true);
      WriteTempo(measure);
    } else {
      WriteMeasureRepeatStyle(measure, at, false);
    }
    std::size_t chord = 0;
    while (chord < m_chords.size() && m_chords[chord].tick < at.start) {
      ++chord;
    }
    // The chord in force where the written score starts (after a pick-up's
    // rests, or at a range's first measure) is named there.
    if (at.index == at.first && chord > 0 &&
        (chord == m_chords.size() || m_chords[chord].tick > at.start)) {
      AddHarmony(measure, m_chords[chord - 1], 0);
    }
    const Piece* last = before;
    for (std::size_t i = from; i < to; ++i) {
      const Piece& p = pieces[i];
      while (chord < m_chords.size() && m_chords[chord].tick < p.start + p.ticks &&
             m_chords[chord].tick < at.stop) {
        AddHarmony(measure, m_chords[chord], m_chords[chord].tick - p.start);
        ++chord;
      }
      const Piece* following = i + 1 < pieces.size() ? &pieces[i + 1] : nullptr;
      WriteMelodyNote(measure, p, last, following);
      last = &p;
    }
    pugi::xml_node backup = measure.append_child("backup");
    AddInt(backup, "duration", at.stop - at.start);
    for (std::size_t i = from; i < to; ++i) {
      WriteTabNote(measure, pieces[i]);
    }
    WriteRightBarline(measure, at, marks);
  }

  const MeasureMarks& MarksOf(int measure) const {
    static const MeasureMarks kNone{};
    return measure >= 0 && measure < kMarkMeasureCount
               ? m_song.m_marks.measures[static_cast<std::size_t>(measure)]
               : kNone;
  }

  void WriteLeftBarline(pugi::xml_node measure, const MeasureContext& at) {
    const MeasureMarks& marks = MarksOf(at.index);
    const bool endingStarts =
        marks.ending != 0 && (at.index == at.first || MarksOf(at.index - 1).ending != marks.ending);
    if ((marks.flags & kRepeatStart) == 0 && !endingStarts) {
      return;
    }
    pugi::xml_node barline = measure.append_child("barline");
    barline.append_attribute("location").set_value("left");
    if (marks.flags & kRepeatStart) {
      AddText(barline, "bar-style", "heavy-light");
    }
    if (endingStarts) {
      pugi::xml_node ending = barline.append_child("ending");
      ending.append_attribute("number").set_value(marks.ending);
      ending.append_attribute("type").set_value("start");
    }
    if (marks.flags & kRepeatStart) {
      barline.append_child("repeat").append_attribute("direction").set_value("forward");
    }
  }

  void WriteRightBarline(pugi::xml_node measure, const MeasureContext& at,
                         const MeasureMarks& marks) {
    const bool lastMeasure = at.index + 1 == at.end;
    const bool endingStops =
        marks.ending != 0 && (lastMeasure || MarksOf(at.index + 1).ending != marks.ending);
    const bool repeatEnds = (marks.flags & kRepeatEnd) != 0;
    if (!lastMeasure && !endingStops && !repeatEnds) {
      return;
    }
    pugi::xml_node barline = measure.append_child("barline");
    barline.append_attribute("location").set_value("right");
    if (repeatEnds || lastMeasure) {
      AddText(barline, "bar-style", "light-heavy");
    }
    if (endingStops) {
      pugi::xml_node ending = barline.append_child("ending");
      ending.append_attribute("number").set_value(marks.ending);
      ending.append_attribute("type").set_value("stop");
    }
    if (repeatEnds) {
      pugi::xml_node repeat = barline.append_child("repeat");
      repeat.append_attribute("direction").set_value("backward");
      if (marks.repeatCount > 2) {
        repeat.append_attribute("times").set_value(marks.repeatCount);
      }
    }
  }

  void WriteMeasureRepeatStyle(pugi::xml_node measure, const MeasureContext& at, bool inFirst) {
    const bool repeats = (MarksOf(at.index).flags & kMeasureRepeat) != 0;
    const bool before = at.index > at.first && (MarksOf(at.index - 1).flags & kMeasureRepeat) != 0;
    if (repeats == before) {
      return;
    }
    pugi::xml_node attributes =
        inFirst ? measure.child("attributes") : measure.append_child("attributes");
    pugi::xml_node style = attributes.append_child("measure-style");
    pugi::xml_node repeat = style.append_child("measure-repeat");
    repeat.append_attribute("type").set_value(repeats ? "start" : "stop");
    repeat.text().set(repeats ? "1" : "");
  }

  // Duration, voice, type and the rest the two staves share.
  pugi::xml_node AddNoteBody(pugi::xml_node measure, const Piece& p, std::optional<int> pitch,
                             bool chord, int staff) {
    pugi::xml_node note = measure.append_child("note");
    if (chord) {
      note.append_child("chord");
    }
    if (pitch) {
      AddPitch(note, *pitch, m_flats);
    } else {
      note.append_child("rest");
    }
    AddInt(note, "duration", p.ticks);
    if (pitch && !p.last) {
      note.append_child("tie").append_attribute("type").set_value("start");
    }
    if (pitch && !p.first) {
      note.append_child("tie").append_attribute("type").set_value("stop");
    }
    AddText(note, "voice", staff == 1 ? "1" : "5");
    AddText(note, "type", p.type);
    for (int d = 0; d < p.dots; ++d) {
      note.append_child("dot");
    }
    if (p.inThree) {
      pugi::xml_node modification = note.append_child("time-modification");
      AddInt(modification, "actual-notes", 3);
      AddInt(modification, "normal-notes", 2);
    }
    AddInt(note, "staff", staff);
    return note;
  }

  pugi::xml_node Notations(pugi::xml_node note) {
    pugi::xml_node notations = note.child("notations");
    return notations ? notations : note.append_child("notations");
  }

  pugi::xml_node Technical(pugi::xml_node note) {
    pugi::xml_node notations = Notations(note);
    pugi::xml_node technical = notations.child("technical");
    return technical ? technical : notations.append_child("technical");
  }

  void AddTiesAndTuplet(pugi::xml_node note, const Piece& p, bool pitched, bool chord) {
    if (pitched && !p.first) {
      Notations(note).append_child("tied").append_attribute("type").set_value("stop");
    }
    if (pitched && !p.last) {
      Notations(note).append_child("tied").append_attribute("type").set_value("start");
    }
    if (!chord && p.tupletStart) {
      pugi::xml_node tuplet = Notations(note).append_child("tuplet");
      tuplet.append_attribute("type").set_value("start");
      tuplet.append_attribute("bracket").set_value("yes");
    }
    if (!chord && p.tupletStop) {
      Notations(note).append_child("tuplet").append_attribute("type").set_value("stop");
    }
  }

  const NoteMarks& MarksAt(const SongEvent& e) const { return m_song.m_marks.At(e.cell, e.slot); }

  // The notes that start the technique of the note after them.
  void AddLeadIns(pugi::xml_node note, const Piece& p, const Piece* following) {
    if (!p.last || following == nullptr || following->event->value < 0 || !following->first ||
        following->start != p.start + p.ticks) {
      return;
    }
    const Technique next = MarksAt(*following->event).technique;
    if (next == Technique::kHajiki || next == Technique::kUchi) {
      pugi::xml_node mark =
          Technical(note).append_child(next == Technique::kHajiki ? "pull-off" : "hammer-on");
      mark.append_attribute("type").set_value("start");
      mark.text().set(next == Technique::kHajiki ? "P" : "H");
    }
  }

  void AddOwnMarks(pugi::xml_node note, const Piece& p, const Piece* before,
                   const Piece* following) {
    const SongEvent& e = *p.event;
    const NoteMarks& marks = MarksAt(e);
    const bool slide =
        marks.technique == Technique::kSuriUp || marks.technique == Technique::kSuriDown;
    if (slide && p.last && following != nullptr && following->event->value >= 0) {
      pugi::xml_node mark = Notations(note).append_child("slide");
      mark.append_attribute("type").set_value("start");
      mark.append_attribute("line-type").set_value("solid");
    }
    if (p.first && before != nullptr && before->event->value >= 0 &&
        before->start + before->ticks == p.start) {
      const Technique prior = MarksAt(*before->event).technique;
      if (prior == Technique::kSuriUp || prior == Technique::kSuriDown) {
        Notations(note).append_child("slide").append_attribute("type").set_value("stop");
      }
    }
    if (!p.first) {
      return;
    }
    switch (marks.technique) {
      case Technique::kSukui:
        Technical(note).append_child("up-bow");
        break;
      case Technique::kHajiki:
      case Technique::kUchi: {
        pugi::xml_node mark = Technical(note).append_child(
            marks.technique == Technique::kHajiki ? "pull-off" : "hammer-on");
        mark.append_attribute("type").set_value("stop");
        mark.text().set(marks.technique == Technique::kHajiki ? "P" : "H");
        break;
      }
      case Technique::kOshi:
        AddInt(Technical(note).append_child("bend"), "bend-alter", 1);
        break;
      case Technique::kKeshi:
        AddText(Technical(note), "other-technical", "keshi");
        break;
      default:
        break;
    }
    if (marks.finger >= 1 && marks.finger <= kMaxFinger) {
      AddInt(Technical(note), "fingering", marks.finger);
    }
    if (marks.string >= 1 && marks.string <= kMaxMarkString) {
      // Counted from the highest string: 1 is 三の糸.
      AddInt(Technical(note), "string", 4 - marks.string);
    }
  }

  void AddLyrics(pugi::xml_node note, const SongEvent& e) {
    if (e.value >= 0) {
      const std::string lyric =
          Utf8Of(FieldText(m_song.m_cells[static_cast<std::size_t>(e.cell)].lyric[e.slot]));
      if (!lyric.empty()) {
        pugi::xml_node node = note.append_child("lyric");
        node.append_attribute("number").set_value("1");
        AddText(node, "syllabic", "single");
        AddText(node, "text", lyric);
      }
    }
    const std::string syllable = Utf8Of(SlotSyllable(m_song, m_places, m_open, e.cell, e.slot));
    if (!syllable.empty()) {
      pugi::xml_node node = note.append_child("lyric");
      node.append_attribute("number").set_value("2");
      node.append_attribute("name").set_value(kSyllableLine);
      AddText(node, "syllabic", "single");
      AddText(node, "text", syllable);
    }
  }

  void WriteMelodyNote(pugi::xml_node measure, const Piece& p, const Piece* before,
                       const Piece* following) {
    const SongEvent& e = *p.event;
    const bool pitched = e.value >= 0;
    pugi::xml_node note =
        AddNoteBody(measure, p, pitched ? std::optional<int>(e.value) : std::nullopt, false, 1);
    AddTiesAndTuplet(note, p, pitched, false);
    if (pitched) {
      AddLeadIns(note, p, following);
      AddOwnMarks(note, p, before, following);
    } else if (p.first && MarksAt(e).technique == Technique::kKeshi) {
      AddText(Technical(note), "other-technical", "keshi");
    }
    if (p.first) {
      AddLyrics(note, e);
    }
    if (!pitched) {
      return;
    }
    for (const std::uint8_t together : MarksAt(e).together) {
      if (together != kNoPitch && together <= kMaxPitch) {
        pugi::xml_node chordNote = AddNoteBody(measure, p, together, true, 1);
        AddTiesAndTuplet(chordNote, p, true, true);
      }
    }
  }

  void AddTabPosition(pugi::xml_node measure, const Piece& p, const PitchPlace& place, bool chord) {
    const int open = m_open[static_cast<std::size_t>(place.string)];
    pugi::xml_node note = AddNoteBody(measure, p, open + place.position - 1, chord, 2);
    AddTiesAndTuplet(note, p, true, chord);
    pugi::xml_node technical = Technical(note);
    AddInt(technical, "string", kStringCount - place.string);
    AddInt(technical, "fret", place.position - 1);
  }

  void WriteTabNote(pugi::xml_node measure, const Piece& p) {
    const SongEvent& e = *p.event;
    if (e.value < 0) {
      pugi::xml_node rest = AddNoteBody(measure, p, std::nullopt, false, 2);
      AddTiesAndTuplet(rest, p, false, false);
      return;
    }
    const NoteMarks& marks = MarksAt(e);
    const PitchPlace place = PlaceOfMarkedNote(m_places, m_open, e.value, marks);
    AddTabPosition(measure, p, place, false);
    int alsoTaken = -1;
    for (const std::uint8_t together : marks.together) {
      if (together == kNoPitch || together > kMaxPitch) {
        continue;
      }
      if (const std::optional<PitchPlace> other =
              PlaceTogether(m_places, m_open, together, place.string, alsoTaken)) {
        AddTabPosition(measure, p, *other, true);
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
  std::vector<SongEvent> m_events;
  std::vector<ChordAt> m_chords;
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

bool IsMusicXmlPath(std::string_view path) {
  const std::string extension = LowerExtension(path);
  return extension == ".musicxml" || extension == ".xml" || extension == ".mxl";
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
