#include "input/clip_payload.h"

#include <algorithm>

namespace kumoito {

ClipboardPayload MakeClipboardPayload(const Clip& clip, const OpenStrings& open) {
  ClipboardPayload payload;
  payload.data = SerializeClip(clip);
  const PitchPlaceTable places = BuildPitchPlaces(open);
  // A line of kandokoro as the tablature names them: ● a rest, ー held on.
  for (const ClipSlot& slot : clip.items) {
    if (!payload.text.empty()) {
      payload.text += ' ';
    }
    if (slot.pitch == SLOT_HOLD) {
      payload.text += "ー";
    } else if (slot.pitch < 0 || slot.pitch > kMaxPitch) {
      payload.text += kKandokoroTexts[0];
    } else {
      const PitchPlace place = PlaceOfMarkedNote(places, open, slot.pitch, slot.marks);
      payload.text += kKandokoroTexts[static_cast<std::size_t>(
          std::clamp(place.position, 1, kKandokoroCount - 1))];
    }
  }
  return payload;
}

std::optional<Clip> ReadClipboardPayload(const ClipboardPayload& payload) {
  return ParseClip(payload.data);
}

bool LooksLikeMusicXml(std::string_view text) {
  // The root element within the prologue's reach: an XML declaration, a
  // DOCTYPE and comments come first in files other programs write. Only the
  // partwise form is read.
  const std::string_view head = text.substr(0, 4096);
  return head.find("<score-partwise") != std::string_view::npos;
}

}  // namespace kumoito
