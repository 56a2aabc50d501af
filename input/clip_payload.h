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
#include <string_view>

#include "song/edit_ops.h"
#include "song/tuning.h"

namespace kumoito {

inline constexpr const char* kClipMimeType = "application/x-kumoito-slots";

// Other notation programs exchange MusicXML under this media type.
inline constexpr const char* kMusicXmlClipMimeType = "application/vnd.recordare.musicxml+xml";

struct ClipboardPayload {
  std::string data;      // kClipMimeType
  std::string text;      // text/plain, UTF-8
  std::string musicxml;  // kMusicXmlClipMimeType: the measures around the clip
};

ClipboardPayload MakeClipboardPayload(const Clip& clip, const OpenStrings& open);
// A clip from what the clipboard holds; none when it holds no clip of ours.
std::optional<Clip> ReadClipboardPayload(const ClipboardPayload& payload);
// Whether text another program put on the clipboard as plain text is a
// MusicXML score (some put MusicXML nowhere else).
bool LooksLikeMusicXml(std::string_view text);

}  // namespace kumoito
