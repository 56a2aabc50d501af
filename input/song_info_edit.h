#pragma once
// CSongInfoEdit: the logic of the song-information dialog. It gives the title,
// lyricist and composer of a song as text for the three edit boxes and copies
// edited text back into the song's 33-byte CP932 fields; it shows and changes
// the song's tempo and beats per measure (re-barring the song).
//
// Thread-safety: GUI thread only, like the song it edits.

#include <string>
#include <string_view>

namespace kumoito {

class CSongData;

// Control numbers of the dialog's edit boxes.
inline constexpr int kIdcInfoTitle = 1043;
inline constexpr int kIdcInfoLyricist = 1026;
inline constexpr int kIdcInfoComposer = 1045;
inline constexpr int kIdcInfoButton = 1019;
inline constexpr int kIdcInfoTempo = 1046;
inline constexpr int kIdcInfoBeats = 1047;

inline constexpr int kInfoUpdateCommand = 0;

class CSongInfoEdit {
 public:
  // The song must outlive the object.
  explicit CSongInfoEdit(CSongData& song);

  // The texts as the edit boxes show them (UTF-8).
  const std::string& Title() const { return m_title; }
  const std::string& Lyricist() const { return m_lyricist; }
  const std::string& Composer() const { return m_composer; }

  // Copies the three texts back (title, lyricist, composer), each cut to 32
  // bytes of CP932 without splitting a character. A text that is still the
  // one shown keeps its field's bytes, so a field that was not valid CP932
  // survives an update that did not touch it.
  void Store(std::string_view title, std::string_view lyricist, std::string_view composer);

  // The tempo (crotchets a minute) as the box shows it: a file's value
  // outside 40..240 is shown at the nearer end. Beats per measure 1..8.
  int Tempo() const { return m_tempo; }
  int BeatsPerMeasure() const { return m_beats; }
  // Whether the song fits its arrays at this many beats per measure.
  bool BeatsFit(int beatsPerMeasure) const;
  // Stores the tempo, brought into 40..240, unless it is still the one
  // shown (a file's own value stays then), and re-bars the song to
  // beatsPerMeasure. False, and nothing changed, when the song does not
  // fit at that metre.
  bool StoreMetre(int tempo, int beatsPerMeasure);

 private:
  CSongData& m_song;
  std::string m_title;
  std::string m_lyricist;
  std::string m_composer;
  int m_tempo;
  int m_beats;
};

}  // namespace kumoito
