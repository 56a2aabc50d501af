#pragma once
// Report lines of the MIDI engine: one reporting function per module, each
// with its own message table and its own text for codes outside the table.
//
// Thread-safety: callable from any thread (the player and timer threads
// report too); see common/report.h.

#include <string_view>

#include "common/report.h"

namespace kumoito::midi {

// Codes the engine raises, by module.
inline constexpr ErrorCode kTrackInternal = 0x0D000001;
inline constexpr ErrorCode kTrackUndefinedEvent = 0x0D000002;
inline constexpr ErrorCode kTrackBadChannel = 0x0D000003;
inline constexpr ErrorCode kTrackBadTempo = 0x0D000005;
inline constexpr ErrorCode kTrackTooMuchData = 0x0D000006;
inline constexpr ErrorCode kTrackNotMidi = 0x0D000007;
inline constexpr ErrorCode kTrackLargeEvent = 0x0D00000B;
inline constexpr ErrorCode kTrackBadProgram = 0x0D00000C;
inline constexpr ErrorCode kTrackBadTempoData = 0x0D000015;
inline constexpr ErrorCode kTrackLargePolyPressure = 0x0D000016;
inline constexpr ErrorCode kTrackBadNoteNumber = 0x0D000017;
inline constexpr ErrorCode kTrackAddFailed = 0x0D00001A;
inline constexpr ErrorCode kTrackBadTimeSignature = 0x0D000027;
inline constexpr ErrorCode kFormat0Internal = 0x04000005;
inline constexpr ErrorCode kFormat0StopFailed = 0x0400000A;
inline constexpr ErrorCode kFormat1TrackCount = 0x03000001;
inline constexpr ErrorCode kFormat1NotFormat1 = 0x03000002;
inline constexpr ErrorCode kFormat1NotMidi = 0x03000004;
inline constexpr ErrorCode kFormat1MasterVolumes = 0x03000006;
inline constexpr ErrorCode kFormat1TooLarge = 0x03000019;
inline constexpr ErrorCode kDeviceOpenFailed = 0x07000001;
inline constexpr ErrorCode kDeviceCloseFailed = 0x07000002;
inline constexpr ErrorCode kDeviceProgramFailed = 0x07000003;
inline constexpr ErrorCode kDeviceSysexFailed = 0x07000004;
inline constexpr ErrorCode kPlayerTimer = 0x08000002;
inline constexpr ErrorCode kPlayerTooSlow = 0x08000003;
inline constexpr ErrorCode kPlayerInternal = 0x08000004;
inline constexpr ErrorCode kPlayerBadTempo = 0x08000006;
inline constexpr ErrorCode kPlayerBadDelta = 0x08000007;
inline constexpr ErrorCode kPlaybackInternal = 0x09000001;
inline constexpr ErrorCode kTimeSignatureBad = 0x37000002;

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
