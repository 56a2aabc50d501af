#pragma once
// 口三味線: the syllables a teacher sings for the notes of a tablature. The
// syllable follows from the string a note is drawn on, whether it is open
// or stopped, and how it is struck:
//
//                      一の糸  二の糸  三の糸
//   open, down-stroke   ドン    トン    テン
//   stopped             ツン    ツン    チン
//   open, スクイ/ハジキ   ロン    ロン    レン
//   stopped             ルン    ルン    リン
//
// Where teachers differ there is no single rule, so this program settles:
//   - ウチ (sounded by a finger, like ハジキ) takes the スクイ/ハジキ row;
//   - オシ and ケシ are struck as usual and take the down-stroke rows;
//   - スリ: its first note is struck as usual, the note it slides to is
//     not struck and says nothing, like a held note;
//   - two or three strings struck together: シャン when every one is open,
//     チャン when any is stopped;
//   - a rest says nothing (calls such as イヤ or ハ are the user's to write).
// Any slot may carry the user's own syllable instead (SyllableOverride).
//
// Thread-safety: pure functions; the syllable texts are built once, before
// main, and only read afterwards.

#include <cstdint>
#include <string>
#include <string_view>

#include "song/marks.h"
#include "song/tuning.h"

namespace kumoito {

class CSongData;

// What the rule needs of one sounding note.
struct SyllableNote {
  int string = 0;        // 0 一の糸 .. 2 三の糸, the one it is drawn on
  bool stopped = false;  // played above the open string
  Technique technique = Technique::kNone;
  bool together = false;         // struck with notes on other strings
  bool togetherStopped = false;  // and any of those stopped
  bool slideArrival = false;     // reached by a スリ from the note before it
};

// The rule's syllable in CP932; empty when the note adds none.
std::string_view RuleSyllable(const SyllableNote& note);

// The note at the song's slot as the rule sees it: its drawn string (the
// player's when it can play the pitch), open or stopped, its technique, the
// notes struck with it, and whether a スリ leads into it. Only for a slot
// holding a pitch.
SyllableNote SyllableNoteAt(const CSongData& song, const PitchPlaceTable& places,
                            const OpenStrings& open, int cell, int slot);

// What a slot says: the user's syllable when one is set (rests included),
// else the rule's for a note; nothing for holds, unused slots and rests.
std::string SlotSyllable(const CSongData& song, const PitchPlaceTable& places,
                         const OpenStrings& open, int cell, int slot);

}  // namespace kumoito
