#include "import/musicxml_reader.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>

#include <pugixml.hpp>

#include "common/ui_text.h"
#include "song/chord_names.h"
#include "song/key_table.h"
#include "song/tuning.h"

namespace kumoito::import {
namespace {

// Counts and values beyond these are no music anyone wrote; they would only
// overflow the fractions.
constexpr long kMaxDivisions = 1 << 20;
constexpr long kMaxDuration = 1 << 24;
constexpr long kMaxMeasures = 100000;

long ToLong(const char* text, long fallback = 0) {
  if (text == nullptr || *text == '\0') {
    return fallback;
  }
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  return end == text ? fallback : v;
}

long ChildLong(const pugi::xml_node& node, const char* name, long fallback = 0) {
  return ToLong(node.child_value(name), fallback);
}

// "3+2" in <beats> is a metre of five.
long SumOfBeats(const char* text) {
  long sum = 0;
  const char* p = text;
  while (*p != '\0') {
    char* end = nullptr;
    const long v = std::strtol(p, &end, 10);
    if (end == p) {
      ++p;
      continue;
    }
    sum += std::clamp(v, 0L, 1000L);
    p = end;
  }
  return sum;
}

int StepSemitone(char step) {
  switch (step) {
    case 'C':
      return 0;
    case 'D':
      return 2;
    case 'E':
      return 4;
    case 'F':
      return 5;
    case 'G':
      return 7;
    case 'A':
      return 9;
    case 'B':
      return 11;
    default:
      return -1;
  }
}

std::optional<int> PitchOf(const pugi::xml_node& pitch) {
  const std::string step = pitch.child_value("step");
  if (step.size() != 1 || StepSemitone(step[0]) < 0) {
    return std::nullopt;
  }
  const double alter = std::atof(pitch.child_value("alter"));
  const long octave = ChildLong(pitch, "octave", 4);
  const long value = (std::clamp(octave, -2L, 10L) + 1) * 12 + StepSemitone(step[0]) +
                     static_cast<long>(alter >= 0 ? alter + 0.5 : alter - 0.5);
  if (value < 0 || value > 127) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

// The root as the transposer spells it: sharps, or the flat a file wrote
// where one exists ("E#" is F, "Cb" is B).
std::string RootName(const pugi::xml_node& harmony) {
  const pugi::xml_node root = harmony.child("root");
  const std::string step = root.child_value("root-step");
  if (step.size() != 1 || StepSemitone(step[0]) < 0) {
    return {};
  }
  const long alter = std::clamp(ToLong(root.child_value("root-alter")), -2L, 2L);
  const long pitchClass = ((StepSemitone(step[0]) + alter) % 12 + 12) % 12;
  const std::string_view sharp = kNoteNames[static_cast<std::size_t>(pitchClass)];
  if (alter < 0 && sharp.size() == 2) {
    static constexpr std::array<char, 12> kFlatOf = {0, 'D', 0, 'E', 0, 0, 'G', 0, 'A', 0, 'B', 0};
    return std::string(1, kFlatOf[static_cast<std::size_t>(pitchClass)]) + 'b';
  }
  return std::string(sharp);
}

std::string ChordText(const pugi::xml_node& harmony) {
  const std::string root = RootName(harmony);
  if (root.empty()) {
    return {};
  }
  const pugi::xml_node kind = harmony.child("kind");
  if (auto suffix = SuffixForMusicXmlKind(kind.child_value())) {
    return root + std::string(*suffix);
  }
  // A kind we have no suffix for: what the file says it is written as,
  // unless the score reader would read that back as another chord.
  const std::string_view text = kind.attribute("text").value();
  return SuffixReadsBack(text) ? root + std::string(text) : root;
}

// Tempo in quarter notes per minute from a <metronome>.
std::optional<double> MetronomeTempo(const pugi::xml_node& metronome) {
  const double perMinute = std::atof(metronome.child_value("per-minute"));
  if (perMinute <= 0) {
    return std::nullopt;
  }
  const std::string unit = metronome.child_value("beat-unit");
  double quarters = 1;
  if (unit == "whole") {
    quarters = 4;
  } else if (unit == "half") {
    quarters = 2;
  } else if (unit == "eighth") {
    quarters = 0.5;
  } else if (unit == "16th") {
    quarters = 0.25;
  }
  double dotted = quarters;
  double add = quarters / 2;
  for (pugi::xml_node dot = metronome.child("beat-unit-dot"); dot;
       dot = dot.next_sibling("beat-unit-dot")) {
    dotted += add;
    add /= 2;
  }
  return perMinute * dotted;
}

// The line a <lyric> belongs to: its number, else its name ("chorus",
// a language), else the first verse, which a lone line without either is.
std::string LyricLineOf(const pugi::xml_node& lyric) {
  if (const std::string_view number = lyric.attribute("number").value(); !number.empty()) {
    return std::string(number);
  }
  if (const std::string_view name = lyric.attribute("name").value(); !name.empty()) {
    return std::string(name);
  }
  return "1";
}

// What a list shows for a line: "2番" for a verse number, else its name.
std::string LyricLineLabel(const pugi::xml_node& lyric) {
  const std::string_view number = lyric.attribute("number").value();
  const long verse = ToLong(lyric.attribute("number").value(), -1);
  if (verse > 0 && std::to_string(verse) == number) {
    return std::to_string(verse) + "番";
  }
  if (const std::string_view name = lyric.attribute("name").value(); !name.empty()) {
    return std::string(name);
  }
  return number.empty() ? std::string("1番") : std::string(number);
}

// The lyric line that holds the 口三味線 rather than words to sing.
constexpr std::string_view kSyllableLineName = "kuchijamisen";

bool IsSyllableLine(const pugi::xml_node& lyric) {
  return std::string_view(lyric.attribute("name").value()) == kSyllableLineName;
}

std::optional<std::string> SyllableText(const pugi::xml_node& note) {
  for (pugi::xml_node lyric = note.child("lyric"); lyric; lyric = lyric.next_sibling("lyric")) {
    if (IsSyllableLine(lyric)) {
      std::string text;
      for (pugi::xml_node t = lyric.child("text"); t; t = t.next_sibling("text")) {
        text += t.child_value();
      }
      return text;
    }
  }
  return std::nullopt;
}

std::string LyricText(const pugi::xml_node& note, std::string_view line) {
  for (pugi::xml_node lyric = note.child("lyric"); lyric; lyric = lyric.next_sibling("lyric")) {
    if (LyricLineOf(lyric) != line || IsSyllableLine(lyric)) {
      continue;
    }
    std::string text;
    for (pugi::xml_node t = lyric.child("text"); t; t = t.next_sibling("text")) {
      text += t.child_value();
    }
    return text;
  }
  return {};
}

struct LyricLine {
  std::string key;    // as LyricLineOf gives it
  std::string label;  // as LyricLineLabel gives it
};

// The lyric lines of a part, verse 1 first when there is one, the others in
// the order they first appear. Bounded: a list of hundreds helps nobody.
std::vector<LyricLine> LyricLinesOf(const pugi::xml_node& part) {
  constexpr std::size_t kMaxLines = 16;
  std::vector<LyricLine> lines;
  for (pugi::xml_node measure : part.children("measure")) {
    for (pugi::xml_node note : measure.children("note")) {
      for (pugi::xml_node lyric : note.children("lyric")) {
        if (IsSyllableLine(lyric)) {
          continue;  // not a verse to choose
        }
        std::string key = LyricLineOf(lyric);
        const bool known = std::any_of(lines.begin(), lines.end(),
                                       [&](const LyricLine& l) { return l.key == key; });
        if (!known && lines.size() < kMaxLines) {
          lines.push_back({std::move(key), LyricLineLabel(lyric)});
        }
      }
    }
  }
  const auto verse1 =
      std::find_if(lines.begin(), lines.end(), [](const LyricLine& l) { return l.key == "1"; });
  if (verse1 != lines.end()) {
    std::rotate(lines.begin(), verse1, verse1 + 1);
  }
  return lines;
}

// Grace notes take no time; cue notes take their time but are another
// instrument's, so they count as rests.
// The technique, finger and string a note's <notations> give. A pull-off
// or hammer-on sounds on its stop note, a slide starts on its start note
// (up until the next pitch says otherwise).
NoteMarks MarksOf(const pugi::xml_node& note) {
  NoteMarks marks;
  for (pugi::xml_node technical : note.child("notations").children("technical")) {
    for (pugi::xml_node mark : technical.children()) {
      const std::string_view name = mark.name();
      const std::string_view type = mark.attribute("type").value();
      if (name == "up-bow") {
        marks.technique = Technique::kSukui;
      } else if (name == "pull-off" && type == "stop") {
        marks.technique = Technique::kHajiki;
      } else if (name == "hammer-on" && type == "stop") {
        marks.technique = Technique::kUchi;
      } else if (name == "bend") {
        marks.technique = Technique::kOshi;
      } else if (name == "other-technical" && std::string_view(mark.child_value()) == "keshi") {
        marks.technique = Technique::kKeshi;
      } else if (name == "fingering") {
        const long finger = ToLong(mark.child_value());
        marks.finger = finger >= 1 && finger <= kMaxFinger ? static_cast<std::uint8_t>(finger) : 0;
      } else if (name == "string") {
        // Counted from the highest string: 1 is 三の糸.
        const long string = ToLong(mark.child_value());
        marks.string =
            string >= 1 && string <= kMaxMarkString ? static_cast<std::uint8_t>(4 - string) : 0;
      }
    }
  }
  for (pugi::xml_node slide : note.child("notations").children("slide")) {
    if (std::string_view(slide.attribute("type").value()) == "start") {
      marks.technique = Technique::kSuriUp;
    }
  }
  return marks;
}

// The marks of the first at-most-two pitches other than the top one.
void AddTogether(NoteMarks& marks, const std::vector<int>& others) {
  int k = 0;
  for (auto it = others.rbegin(); it != others.rend() && k < kMaxTogether; ++it) {
    marks.together[static_cast<std::size_t>(k++)] = static_cast<std::uint8_t>(*it);
  }
}

bool IsPlayedNote(const pugi::xml_node& note) {
  return note.child("grace").empty() && note.child("cue").empty();
}

int CountNotes(const pugi::xml_node& part) {
  int count = 0;
  for (pugi::xml_node measure : part.children("measure")) {
    for (pugi::xml_node note : measure.children("note")) {
      if (IsPlayedNote(note) && note.child("rest").empty() && note.child("chord").empty() &&
          note.child("pitch")) {
        ++count;
      }
    }
  }
  return count;
}

// Line and column (from 1) of a byte offset into text; columns count
// characters, not bytes.
void PlaceOfOffset(std::string_view text, std::ptrdiff_t offset, ImportError& error) {
  const auto end = static_cast<std::size_t>(
      std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(text.size())));
  error.line = 1;
  error.column = 1;
  for (std::size_t i = 0; i < end; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      ++error.line;
      error.column = 1;
    } else if ((c & 0xC0) != 0x80) {
      ++error.column;
    }
  }
}

ImportError ErrorAt(std::string_view text, const pugi::xml_node& node, std::string message) {
  ImportError error{std::move(message)};
  if (node && node.offset_debug() >= 0) {
    PlaceOfOffset(text, node.offset_debug(), error);
  }
  return error;
}

// A time signature's beats, if the <time> gives a metre we can bar.
std::optional<std::pair<long, long>> TimeOf(const pugi::xml_node& time) {
  const long beats = SumOfBeats(time.child_value("beats"));
  const long beatType = ToLong(time.child_value("beat-type"));
  if (beats > 0 && beatType > 0 && beatType <= 64 && (beatType & (beatType - 1)) == 0) {
    return std::pair(beats, beatType);
  }
  return std::nullopt;
}

// How far a measure's voices reach and how long its time signature says it
// is, known before any of its notes is placed.
struct MeasureSpan {
  Rational reached;
  Rational nominal;
  bool implicit = false;

  bool Short() const { return reached > Rational(0) && reached < nominal; }
};

// Follows divisions and time signatures through the measures the way the
// reader does, so that each measure's span is known ahead of its notes.
class MeasureScanner {
 public:
  MeasureSpan Scan(const pugi::xml_node& measure) {
    Rational cursor;
    Rational reached;
    for (pugi::xml_node child : measure.children()) {
      const std::string_view name = child.name();
      const Rational ticks(std::clamp(ChildLong(child, "duration"), 0L, kMaxDuration), m_divisions);
      if (name == "attributes") {
        const long divisions = ChildLong(child, "divisions");
        if (divisions > 0 && divisions <= kMaxDivisions) {
          m_divisions = divisions;
        }
        if (auto time = TimeOf(child.child("time"))) {
          m_nominal = Rational(4L * time->first, time->second);
        }
      } else if (name == "note") {
        if (child.child("grace").empty() && child.child("chord").empty()) {
          cursor += ticks;
        }
      } else if (name == "backup") {
        cursor = std::max(Rational(0), cursor - ticks);
      } else if (name == "forward") {
        cursor += ticks;
      }
      reached = std::max(reached, cursor);
    }
    return {reached, m_nominal, std::string_view(measure.attribute("implicit").value()) == "yes"};
  }

 private:
  long m_divisions = 1;
  Rational m_nominal = Rational(4);
};

// Where each measure starts, in quarter notes. A program splits a bar at a
// repeat sign, a double bar or an ending into measures shorter than the
// time signature: a run of short measures that makes exactly one bar is
// that bar. A short first measure nothing completes is a pick-up, marked
// or not; any other short measure is padded to a whole bar, so that the
// bar lines after it stay where the composer put them. The last entry is
// the end of the last measure.
std::vector<Rational> PlaceMeasures(const std::vector<MeasureSpan>& spans, Rational& pickup) {
  std::vector<Rational> starts(spans.size() + 1);
  Rational at;
  std::size_t i = 0;
  while (i < spans.size()) {
    const MeasureSpan& s = spans[i];
    starts[i] = at;
    if (!s.Short()) {
      at += std::max(s.reached, s.nominal);
      ++i;
      continue;
    }
    Rational sum = s.reached;
    std::size_t j = i + 1;
    // A marked first measure is the pick-up, whatever follows it.
    const bool marked = i == 0 && s.implicit;
    while (!marked && j < spans.size() && spans[j].Short() && spans[j].nominal == s.nominal &&
           sum + spans[j].reached <= s.nominal && sum < s.nominal) {
      sum += spans[j].reached;
      ++j;
    }
    if (sum == s.nominal) {
      for (std::size_t k = i; k < j; ++k) {
        starts[k] = at;
        at += spans[k].reached;
      }
      i = j;
      continue;
    }
    if (i == 0) {
      pickup = s.reached;
      at += s.reached;
    } else {
      at += s.nominal;
    }
    ++i;
  }
  starts.back() = at;
  return starts;
}

// Reads one part into a melody.
class PartReader {
 public:
  PartReader(std::string_view text, Melody& melody, std::string lyricLine)
      : m_text(text), m_melody(melody), m_lyricLine(std::move(lyricLine)) {}

  std::optional<ImportError> Read(const pugi::xml_node& part) {
    std::vector<pugi::xml_node> measures;
    std::vector<MeasureSpan> spans;
    MeasureScanner scanner;
    for (pugi::xml_node measure : part.children("measure")) {
      if (measures.size() >= static_cast<std::size_t>(kMaxMeasures)) {
        return ErrorAt(m_text, measure, Ui::Tr("小節が多すぎます。"));
      }
      measures.push_back(measure);
      spans.push_back(scanner.Scan(measure));
    }
    const std::vector<Rational> starts = PlaceMeasures(spans, m_melody.pickup);
    for (std::size_t i = 0; i < measures.size(); ++i) {
      m_measureStart = starts[i];
      if (auto error = ReadMeasure(measures[i])) {
        return error;
      }
      const Rational end = i + 1 < starts.size() ? starts[i + 1] : starts[i];
      ReadMeasureMarks(measures[i], starts[i], end);
    }
    FlushPending();
    if (m_melody.notes.empty()) {
      return ErrorAt(m_text, part, Ui::Tr("選んだパートに音符がありません。"));
    }
    m_melody.length = starts.back();
    return std::nullopt;
  }

 private:
  // The notes of the melody at one onset, kept until the next onset shows
  // that the chord is complete: only then is it known which is its top note
  // and whether that very pitch is tied from the note before.
  struct Pending {
    Rational at;
    Rational duration;
    int pitch = 0;
    bool tieStop = false;
    std::string lyric;
    NoteMarks marks;
    std::vector<int> others;  // the chord's lower pitches, in the order read
    std::optional<std::string> syllable;
  };

  Rational Divisions(long value) const { return Rational(value, m_divisions); }

  // Repeat signs, endings and measure repeats of the measure from start to
  // end: a forward repeat belongs where the measure starts, a backward one
  // where it ends (in a bar split at the sign, the first part's bar).
  void ReadMeasureMarks(const pugi::xml_node& measure, const Rational& start, const Rational& end) {
    const Rational last = end > start ? end - Rational(1, 960) : start;
    for (pugi::xml_node style : measure.child("attributes").children("measure-style")) {
      if (pugi::xml_node repeat = style.child("measure-repeat")) {
        m_inMeasureRepeat = std::string_view(repeat.attribute("type").value()) == "start";
      }
    }
    MeasureMarks atStart;
    MeasureMarks atEnd;
    if (m_inMeasureRepeat) {
      atStart.flags |= kMeasureRepeat;
    }
    for (pugi::xml_node barline : measure.children("barline")) {
      const pugi::xml_node repeat = barline.child("repeat");
      const std::string_view direction = repeat.attribute("direction").value();
      if (direction == "forward") {
        atStart.flags |= kRepeatStart;
      } else if (direction == "backward") {
        atEnd.flags |= kRepeatEnd;
        const long times = ToLong(repeat.attribute("times").value(), 2);
        atEnd.repeatCount =
            times > 2 && times <= kMaxRepeatCount ? static_cast<std::uint8_t>(times) : 0;
      }
      if (pugi::xml_node ending = barline.child("ending")) {
        const std::string_view type = ending.attribute("type").value();
        const long number = ToLong(ending.attribute("number").value());
        if (type == "start" && number >= 1 && number <= kMaxEnding) {
          m_ending = static_cast<std::uint8_t>(number);
        } else if (type == "stop" || type == "discontinue") {
          atEnd.ending = m_ending;
          m_endingStops = true;
        }
      }
    }
    atStart.ending = m_ending;
    if (m_endingStops) {
      m_ending = 0;
      m_endingStops = false;
    }
    if (!atStart.Empty()) {
      m_melody.measureMarks.push_back({start, atStart});
    }
    if (!atEnd.Empty()) {
      m_melody.measureMarks.push_back({last, atEnd});
    }
  }

  std::optional<ImportError> ReadMeasure(const pugi::xml_node& measure) {
    Rational cursor;
    for (pugi::xml_node child : measure.children()) {
      const std::string_view name = child.name();
      if (name == "attributes") {
        if (auto error = ReadAttributes(child)) {
          return error;
        }
      } else if (name == "note") {
        if (auto error = ReadNote(child, cursor)) {
          return error;
        }
      } else if (name == "backup") {
        cursor -= Divisions(std::clamp(ChildLong(child, "duration"), 0L, kMaxDuration));
        if (cursor < Rational(0)) {
          cursor = Rational(0);
        }
      } else if (name == "forward") {
        cursor += Divisions(std::clamp(ChildLong(child, "duration"), 0L, kMaxDuration));
      } else if (name == "harmony") {
        const std::string text = ChordText(child);
        const Rational offset =
            Divisions(std::clamp(ChildLong(child, "offset"), -kMaxDuration, kMaxDuration));
        const Rational at = m_measureStart + cursor + offset;
        if (!text.empty() && at >= Rational(0)) {
          m_melody.chords.push_back({at, text});
        }
      } else if (name == "direction") {
        ReadTempo(child);
      } else if (name == "sound") {
        ReadSoundTempo(child);
      }
    }
    return std::nullopt;
  }

  std::optional<ImportError> ReadAttributes(const pugi::xml_node& attributes) {
    if (pugi::xml_node divisions = attributes.child("divisions")) {
      const long value = ToLong(divisions.child_value());
      if (value <= 0 || value > kMaxDivisions) {
        return ErrorAt(m_text, divisions, Ui::Tr("<divisions> の値が正しくありません。"));
      }
      m_divisions = value;
    }
    if (pugi::xml_node key = attributes.child("key"); key && !m_melody.fifths) {
      if (pugi::xml_node fifths = key.child("fifths")) {
        m_melody.fifths = static_cast<int>(std::clamp(ToLong(fifths.child_value()), -7L, 7L));
        m_melody.minor = std::string_view(key.child_value("mode")) == "minor";
      }
    }
    if (auto time = TimeOf(attributes.child("time"))) {
      m_melody.metres.push_back(
          {m_measureStart, static_cast<int>(time->first), static_cast<int>(time->second)});
    }
    for (pugi::xml_node details : attributes.children("staff-details")) {
      ReadStaffTuning(details);
    }
    return std::nullopt;
  }

  // A 3-line staff tuned string by string is a shamisen's TAB staff; its
  // first tuning wins.
  void ReadStaffTuning(const pugi::xml_node& details) {
    if (m_melody.tabOpen || ChildLong(details, "staff-lines") != kStringCount) {
      return;
    }
    OpenStrings open{-1, -1, -1};
    for (pugi::xml_node tuning : details.children("staff-tuning")) {
      const long line = ToLong(tuning.attribute("line").value());
      const std::string step = tuning.child_value("tuning-step");
      if (line < 1 || line > kStringCount || step.size() != 1 || StepSemitone(step[0]) < 0) {
        return;
      }
      const long value = (std::clamp(ChildLong(tuning, "tuning-octave", 4), -1L, 9L) + 1) * 12 +
                         StepSemitone(step[0]) +
                         std::clamp(ChildLong(tuning, "tuning-alter"), -2L, 2L);
      open[static_cast<std::size_t>(line - 1)] = static_cast<std::int32_t>(value);
    }
    if (std::all_of(open.begin(), open.end(), [](std::int32_t p) { return p >= 0 && p <= 127; }) &&
        open[0] < open[1] && open[1] < open[2]) {
      m_melody.tabOpen = open;
      m_tabPlaces = BuildPitchPlaces(open);
    }
  }

  void ReadTempo(const pugi::xml_node& direction) {
    if (pugi::xml_node sound = direction.child("sound")) {
      ReadSoundTempo(sound);
    }
    for (pugi::xml_node type : direction.children("direction-type")) {
      if (pugi::xml_node metronome = type.child("metronome"); metronome && !m_melody.tempo) {
        m_melody.tempo = MetronomeTempo(metronome);
      }
    }
  }

  void ReadSoundTempo(const pugi::xml_node& sound) {
    const double tempo = sound.attribute("tempo").as_double(0);
    if (tempo > 0 && !m_soundTempo) {
      m_melody.tempo = tempo;  // <sound> is what is played; it wins over a metronome mark
      m_soundTempo = true;
    }
  }

  std::optional<ImportError> ReadNote(const pugi::xml_node& note, Rational& cursor) {
    if (note.child("grace")) {
      return std::nullopt;
    }
    const bool chord = !note.child("chord").empty();
    const long ticks = ChildLong(note, "duration", -1);
    if (ticks < 0 || ticks > kMaxDuration) {
      return ErrorAt(m_text, note, Ui::Tr("<note> に正しい <duration> がありません。"));
    }
    const Rational duration = Divisions(ticks);
    // A chord tone sounds with the note before it and moves nothing.
    const Rational onset = chord ? m_lastOnset : cursor;
    if (!chord) {
      m_lastOnset = cursor;
      cursor += duration;
    }
    const long staff = ChildLong(note, "staff", 1);
    const std::string voice = note.child_value("voice");
    if (staff != 1) {
      TakeTabString(note, m_measureStart + onset);
      return std::nullopt;
    }
    if (!m_voice) {
      m_voice = voice;
    }
    if (voice != *m_voice || duration == Rational(0) || note.child("cue")) {
      return std::nullopt;
    }
    if (note.child("rest")) {
      ReadRest(note, m_measureStart + onset);
      return std::nullopt;
    }
    const std::optional<int> pitch = PitchOf(note.child("pitch"));
    if (!pitch) {
      return std::nullopt;  // unpitched percussion
    }
    const Rational at = m_measureStart + onset;
    bool tieStop = false;
    for (pugi::xml_node tie : note.children("tie")) {
      tieStop |= std::string_view(tie.attribute("type").value()) == "stop";
    }
    std::string lyric = LyricText(note, m_lyricLine);
    std::optional<std::string> syllable = SyllableText(note);
    m_melody.syllableLine |= syllable.has_value();
    if (m_pending && m_pending->at == at) {
      // The top note of a chord, also of one written as notes of one voice
      // at the same place; the syllable is the chord's whichever note has it.
      Pending& p = *m_pending;
      const NoteMarks marks = MarksOf(note);
      if (*pitch > p.pitch) {
        p.others.push_back(p.pitch);
        p.pitch = *pitch;
        p.duration = duration;
        p.tieStop = tieStop;
        // The top note's own marks first, the chord's technique otherwise.
        const Technique chordTechnique = p.marks.technique;
        p.marks = marks;
        if (p.marks.technique == Technique::kNone) {
          p.marks.technique = chordTechnique;
        }
      } else if (*pitch == p.pitch) {
        p.tieStop |= tieStop;
      } else {
        p.others.push_back(*pitch);
        if (p.marks.technique == Technique::kNone) {
          p.marks.technique = marks.technique;
        }
      }
      if (p.lyric.empty()) {
        p.lyric = std::move(lyric);
      }
      if (!p.syllable) {
        p.syllable = std::move(syllable);
      }
      return std::nullopt;
    }
    if (m_pending && at < m_pending->at) {
      return std::nullopt;  // written back in time over the melody: not ours
    }
    FlushPending();
    m_pending = Pending{at, duration,           *pitch, tieStop, std::move(lyric), MarksOf(note),
                        {}, std::move(syllable)};
    return std::nullopt;
  }

  // What a rest of the melody's voice carries: ケシ, or a call in the
  // 口三味線 line.
  void ReadRest(const pugi::xml_node& note, const Rational& at) {
    MarkedRest rest{at, {}, SyllableText(note)};
    m_melody.syllableLine |= rest.syllable.has_value();
    if (MarksOf(note).technique == Technique::kKeshi) {
      rest.marks.technique = Technique::kKeshi;
    }
    if (rest.syllable || !rest.marks.Empty()) {
      m_melody.rests.push_back(std::move(rest));
    }
  }

  // A tablature staff under the melody writes each note again as string and
  // fret: the string of the one at a melody note's onset, with its pitch, is
  // the string the player takes, unless the melody note names one itself.
  void TakeTabString(const pugi::xml_node& note, const Rational& at) {
    const std::uint8_t string = MarksOf(note).string;
    const std::optional<int> pitch = PitchOf(note.child("pitch"));
    if (string == 0 || !pitch) {
      return;
    }
    // On a tuned TAB staff, the string placement puts the pitch on anyway
    // is no choice of the player's.
    if (m_melody.tabOpen &&
        PlaceOfMarkedNote(*m_tabPlaces, *m_melody.tabOpen, *pitch, NoteMarks{}).string ==
            string - 1) {
      return;
    }
    const auto take = [&](const Rational& onset, int melodyPitch, NoteMarks& marks) {
      if (onset == at && melodyPitch == *pitch && marks.string == 0) {
        marks.string = string;
        return true;
      }
      return false;
    };
    if (m_pending && take(m_pending->at, m_pending->pitch, m_pending->marks)) {
      return;
    }
    // The staff follows the melody's measure after a <backup>: its note is
    // one of the measure's last few.
    std::vector<MelodyNote>& notes = m_melody.notes;
    for (auto it = notes.rbegin(); it != notes.rend() && it->onset >= m_measureStart; ++it) {
      if (take(it->onset, it->pitch, it->marks)) {
        return;
      }
    }
  }

  void FlushPending() {
    if (!m_pending) {
      return;
    }
    Pending p = std::move(*m_pending);
    m_pending.reset();
    std::vector<MelodyNote>& notes = m_melody.notes;
    if (!notes.empty()) {
      MelodyNote& last = notes.back();
      // A tied note is the note it continues, unless it carries a syllable
      // of its own: a new syllable is sung, so the note is struck again.
      if (p.tieStop && p.lyric.empty() && last.pitch == p.pitch &&
          last.onset + last.duration == p.at) {
        last.duration += p.duration;
        // A slide starts where the tied note ends.
        if (p.marks.technique == Technique::kSuriUp && last.marks.technique == Technique::kNone) {
          last.marks.technique = Technique::kSuriUp;
        }
        return;
      }
      if (last.onset + last.duration > p.at) {
        last.duration = p.at - last.onset;
      }
      if (last.marks.technique == Technique::kSuriUp && p.pitch < last.pitch) {
        last.marks.technique = Technique::kSuriDown;
      }
    }
    std::sort(p.others.begin(), p.others.end());
    p.others.erase(std::unique(p.others.begin(), p.others.end()), p.others.end());
    AddTogether(p.marks, p.others);
    notes.push_back(
        {p.at, p.duration, p.pitch, std::move(p.lyric), p.marks, std::move(p.syllable)});
  }

  std::string_view m_text;
  Melody& m_melody;
  std::string m_lyricLine;
  long m_divisions = 1;
  Rational m_measureStart;
  Rational m_lastOnset;
  std::optional<std::string> m_voice;
  std::optional<Pending> m_pending;
  std::optional<PitchPlaceTable> m_tabPlaces;  // of m_melody.tabOpen
  bool m_soundTempo = false;
  bool m_inMeasureRepeat = false;  // between a measure-repeat's start and stop
  std::uint8_t m_ending = 0;       // the ending being read, 0 for none
  bool m_endingStops = false;
};

void ReadTexts(const pugi::xml_node& score, Melody& melody) {
  melody.title = score.child("work").child_value("work-title");
  if (melody.title.empty()) {
    melody.title = score.child_value("movement-title");
  }
  for (pugi::xml_node creator : score.child("identification").children("creator")) {
    const std::string_view type = creator.attribute("type").value();
    if (type == "composer" && melody.composer.empty()) {
      melody.composer = creator.child_value();
    } else if ((type == "lyricist" || type == "poet") && melody.lyricist.empty()) {
      melody.lyricist = creator.child_value();
    }
  }
}

// What a user may choose to read: each part, and a part with several lyric
// lines once per line, so that the verse is chosen with the voice.
struct PartChoice {
  pugi::xml_node part;
  std::string line;  // the lyric line's key, as LyricLineOf gives it
};

std::vector<PartChoice> ListChoices(const pugi::xml_node& score, std::vector<PartSummary>& parts) {
  // Names by id, looked up once per part: a scan of the list for each part
  // took minutes for a file of many parts. A later entry of an id wins.
  const pugi::xml_node list = score.child("part-list");
  std::unordered_map<std::string_view, const char*> names;
  names.reserve(static_cast<std::size_t>(
      std::distance(list.children("score-part").begin(), list.children("score-part").end())));
  for (pugi::xml_node sp : list.children("score-part")) {
    names.insert_or_assign(sp.attribute("id").value(), sp.child_value("part-name"));
  }
  std::vector<PartChoice> choices;
  int partNumber = 0;
  for (pugi::xml_node p : score.children("part")) {
    ++partNumber;
    const auto named = names.find(p.attribute("id").value());
    const std::string name = named != names.end() ? named->second : "";
    const int count = CountNotes(p);
    const std::vector<LyricLine> lines = LyricLinesOf(p);
    if (lines.size() < 2) {
      parts.push_back({name, count});
      choices.push_back({p, lines.empty() ? std::string("1") : lines.front().key});
      continue;
    }
    const std::string shown = name.empty() ? "パート " + std::to_string(partNumber) : name;
    for (const LyricLine& line : lines) {
      parts.push_back({shown + "・" + line.label, count});
      choices.push_back({p, line.key});
    }
  }
  return choices;
}

}  // namespace

MusicXmlResult ReadMusicXml(std::string_view text, int part) {
  MusicXmlResult result;
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_auto);
  if (!parsed) {
    ImportError error{std::string("XML の誤り: ") + parsed.description()};
    PlaceOfOffset(text, parsed.offset, error);
    result.error = error;
    return result;
  }
  const pugi::xml_node score = document.child("score-partwise");
  if (!score) {
    const pugi::xml_node root = document.document_element();
    result.error = ErrorAt(text, root,
                           std::string_view(root.name()) == "score-timewise"
                               ? Ui::Tr("timewise 形式の MusicXML には対応していません。")
                               : Ui::Tr("MusicXML (score-partwise) ではありません。"));
    return result;
  }
  const std::vector<PartChoice> choices = ListChoices(score, result.parts);
  if (part < 0) {
    for (std::size_t i = 0; i < result.parts.size(); ++i) {
      if (result.parts[i].noteCount > 0) {
        part = static_cast<int>(i);
        break;
      }
    }
  }
  if (part < 0 || part >= static_cast<int>(choices.size())) {
    result.error = ErrorAt(text, score, Ui::Tr("音符のあるパートがありません。"));
    return result;
  }
  const PartChoice& choice = choices[static_cast<std::size_t>(part)];
  Melody melody;
  ReadTexts(score, melody);
  PartReader reader(text, melody, choice.line);
  if (auto error = reader.Read(choice.part)) {
    result.error = error;
    return result;
  }
  std::stable_sort(melody.chords.begin(), melody.chords.end(),
                   [](const ChordSymbol& a, const ChordSymbol& b) { return a.onset < b.onset; });
  result.chosenPart = part;
  result.melody = std::move(melody);
  return result;
}

}  // namespace kumoito::import
