#pragma once
// What a copy puts on the system clipboard and what a paste takes from it:
// the sixteenths in this program's own format (which keeps every mark), and
// the same notes as tablature text for any other program. The one place
// that knows the clipboard's formats: another format (a range as MusicXML)
// is added here, both ways.
//
// Thread-safety: pure functions.

#include <optional>
#include <string>

#include "song/edit_ops.h"
#include "song/tuning.h"

namespace kumoito {

inline constexpr const char* kClipMimeType = "application/x-kumoito-slots";

struct ClipboardPayload {
  std::string data;  // kClipMimeType
  std::string text;  // text/plain, UTF-8
};

ClipboardPayload MakeClipboardPayload(const Clip& clip, const OpenStrings& open);
// A clip from what the clipboard holds; none when it holds no clip of ours.
std::optional<Clip> ReadClipboardPayload(const ClipboardPayload& payload);

}  // namespace kumoito
