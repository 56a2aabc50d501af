#pragma once
// The 新規 dialog: the tempo and beats per measure of the new song. Asked
// before anything else, because the metre is best chosen before the first
// note: changed later, it moves every bar line under the notes.
//
// Thread-safety: GUI thread only.

#include <optional>

#include "app/main_window.h"

class QWidget;

namespace kumoito {

// Runs the dialog modally; nullopt when cancelled.
std::optional<NewSongSettings> RunNewSongDialog(const NewSongSettings& start, QWidget* parent);

}  // namespace kumoito
