#pragma once
// The texts the main window shows about the song: its caption, the items
// of the first-string and key lists, and the file name its dialogs
// suggest. Pure functions of their arguments; any thread.

#include <string>
#include <string_view>

namespace kumoito {

struct FirstStringEntry;

// 「さくらさくら - Kumoito」, or "Kumoito" for a song without a title; a
// leading 「*」 while the song has unsaved changes.
std::string MainWindowCaption(std::string_view titleUtf8, bool unsaved);

// The pitch as a pitch pipe names it: 1 for A up to 12 for G#.
int HonNumber(int pitchClass);

// "C (4本)": the first string's pitch with the player's 本 beside it.
std::string FirstStringItemText(const FirstStringEntry& entry);

// A row of the key list (0 .. kMajorKeyCount - 1). For a song in a minor
// key the relative minor stands beside the major key: "C (Am)".
std::string KeyItemText(int majorKey, bool minorSong);

// The title made into a file name with suffix (no dot; none when empty),
// for a save dialog to suggest; empty when the title leaves nothing to
// name a file by.
std::string SuggestedFileName(std::string_view titleUtf8, std::string_view suffix);

}  // namespace kumoito
