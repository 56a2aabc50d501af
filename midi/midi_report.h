#pragma once
// Report lines of the MIDI engine: one reporting function per module, each
// with its own message table and its own text for codes outside the table.
//
// Thread-safety: callable from any thread (the player and timer threads
// report too); see common/report.h.

#include <string_view>

#include "common/report.h"

namespace kumoito::midi {

// Message texts, for callers and tests that need them without reporting.
std::string_view PlayerErrorText(ErrorCode code);         // MDPL
std::string_view PlaybackErrorText(ErrorCode code);       // MDSP
std::string_view TimeSignatureErrorText(ErrorCode code);  // MDSS
std::string_view DeviceErrorText(ErrorCode code);         // MDCT
std::string_view EventErrorText(ErrorCode code);          // MDEV
std::string_view Format0ErrorText(ErrorCode code);        // M0DT
std::string_view Format1ErrorText(ErrorCode code);        // M1DT
std::string_view TrackErrorText(ErrorCode code);          // MDTK
std::string_view MusicEventErrorText(ErrorCode code);     // MUEV

void ReportPlayerError(ErrorCode code);
void ReportPlaybackError(ErrorCode code);
void ReportTimeSignatureError(ErrorCode code);
void ReportDeviceError(ErrorCode code);
void ReportEventError(ErrorCode code = 0);
void ReportFormat0Error(ErrorCode code);
void ReportFormat1Error(ErrorCode code);
void ReportTrackError(ErrorCode code);
// A few track faults are printed with a text of the caller's own in place of
// the table's general text (0xD00000B, 0xD000011, 0xD000017).
void ReportTrackError(ErrorCode code, std::string_view text);
void ReportMusicEventError(ErrorCode code);

}  // namespace kumoito::midi
