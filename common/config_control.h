#pragma once
// CConfigControl: keeps the six remembered settings in step with the 24-byte
// file setup.ini in the data folder. It fills the caller's settings block on
// construction and writes the block back on destruction; the block belongs
// to the caller (the main window). GUI thread only.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kumoito {

// The block is the file image: six little-endian int32, no header.
struct SettingsBlock {
  std::int32_t firstStringValue;  // v of the first-string list (pitch 48 + v)
  std::int32_t tuning;            // tuning row 0..2
  std::int32_t libraryCategory;   // category last chosen in the song library
  std::int32_t titleBand;         // 1: exported images carry the title band
  std::int32_t lyricsShown;       // 1: lyrics drawn under the notes
  std::int32_t key;               // major key row 0..11
};

inline constexpr std::size_t kSettingsFileSize = 24;
inline constexpr int kSettingsFieldCount = 6;
static_assert(sizeof(SettingsBlock) == kSettingsFileSize);

inline constexpr SettingsBlock kDefaultSettings = {0, 0, 0, 1, 1, 0};
inline constexpr const char* kSettingsFileName = "setup.ini";

// Sizes of the lists the three table-indexing settings choose from. The song
// tables check that they agree.
inline constexpr int kSettingsTuningCount = 3;
inline constexpr int kSettingsFirstStringCount = 12;
inline constexpr int kSettingsKeyCount = 12;

// Stored values are not trusted: a batch run stores −1 for the three list
// choices, and a file may hold anything. Out-of-range values become 0.
constexpr std::int32_t ValidFirstStringValue(std::int32_t v) {
  return (v >= 0 && v < kSettingsFirstStringCount) ? v : 0;
}
constexpr std::int32_t ValidTuningIndex(std::int32_t t) {
  return (t >= 0 && t < kSettingsTuningCount) ? t : 0;
}
constexpr std::int32_t ValidMajorKeyIndex(std::int32_t k) {
  return (k >= 0 && k < kSettingsKeyCount) ? k : 0;
}

// Where the settings live: setup.ini in the data folder (created if missing).
std::string SettingsFilePath();

class CConfigControl final {
 public:
  // Loads path into *block: a missing file gives defaults; a file shorter
  // than 24 bytes is reported (GENE 0100000A) and the fields it does not
  // cover whole take their defaults. The three list choices are made valid.
  CConfigControl(std::string path, SettingsBlock* block,
                 const SettingsBlock& defaults = kDefaultSettings);
  // Writes the block as 24 bytes; a failed write leaves any previous file
  // as it was and is reported.
  ~CConfigControl();

  CConfigControl(const CConfigControl&) = delete;
  CConfigControl& operator=(const CConfigControl&) = delete;

  const std::string& Path() const { return m_path; }

  // The block as the 24 bytes of the file, and back.
  static void EncodeSettings(const SettingsBlock& block, unsigned char* bytes);
  static SettingsBlock DecodeSettings(const unsigned char* bytes);

 private:
  std::string m_path;
  SettingsBlock* m_block;  // not owned
};

}  // namespace kumoito
