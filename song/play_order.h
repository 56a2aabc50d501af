#pragma once
// The order in which a song's measures are played: repeats and first and
// second endings unfolded, a measure-repeat sign playing the measure before
// it again. A song without those marks plays its measures once each, in
// order.
//
// Thread-safety: a pure function of the song.

#include <vector>

namespace kumoito {

class CSongData;

struct PlayedMeasure {
  int shown = 0;   // the measure of the score that is being played (the cursor's)
  int source = 0;  // the measure whose notes sound: another one under a measure-repeat sign
  friend bool operator==(const PlayedMeasure&, const PlayedMeasure&) = default;
};

// However the marks are set, the unfolded song is at most this many times
// as long as the score (and never loops for ever).
inline constexpr int kMaxPlayedPerMeasure = 10;

// The rules, as players read them:
// - a repeat end (:‖) goes back to the last repeat start (‖:), or to the
//   start of the song or of what follows the previous repeat, until the
//   passage has been played as many times as the end says (twice unless
//   told);
// - a measure under ending n is played on pass n only; where the endings
//   are over, the passes start again at 1;
// - a measure-repeat sign plays the notes of the measure before it (itself
//   perhaps a repeat of the one before).
std::vector<PlayedMeasure> PlayOrder(const CSongData& song);

}  // namespace kumoito
