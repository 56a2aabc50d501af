#pragma once
// Changing a song's beats per measure. The cells, chords, lyrics and note
// marks are one stream of half beats whatever the metre, so a new metre only
// draws the bar lines elsewhere: the notes keep their times, a last measure
// left short is filled out with a rest, and the measures' own marks (repeats,
// endings) move to the measures that now hold the beats they stood on.
//
// Thread-safety: functions of one song, on the thread that owns it (GUI).

namespace kumoito {

class CSongData;

// The measures the song needs at beatsPerMeasure to keep every beat it has;
// 0 when either metre is outside 1..8.
int MeasuresAtMetre(const CSongData& song, int beatsPerMeasure);

// Whether the song's beats fit the arrays once re-barred to beatsPerMeasure
// (its last measure filled out).
bool MetreFits(const CSongData& song, int beatsPerMeasure);

// Re-bars the song to beatsPerMeasure. A measure under a measure-repeat sign
// gets the notes it stood for written out, since the measure before it is
// another one once the bar lines move. False, and the song unchanged, when
// the metre is outside 1..8 or the song would not fit.
bool ChangeBeatsPerMeasure(CSongData& song, int beatsPerMeasure);

}  // namespace kumoito
