#pragma once
// The MIDI input on the ALSA sequencer: a port of our own ("Kumoito in")
// subscribed to the chosen port, and to the system's announcements, so that
// a keyboard plugged in later is found. Built into the window's module only:
// a conversion never opens the sequencer.
//
// Thread-safety: as MidiInput; the lister may be called from any thread.

#include <memory>
#include <string>
#include <vector>

#include "midi/midi_in.h"

namespace kumoito::midi {

// Null, with why, when there is no sequencer (no /dev/snd/seq) or
// KUMOITO_MIDI_IN is "none".
std::unique_ptr<MidiInput> OpenAlsaMidiInput(std::string* why = nullptr);

// The ports a MidiInput could listen to now; empty without a sequencer.
std::vector<MidiInPortInfo> ListAlsaMidiInputs();

}  // namespace kumoito::midi
