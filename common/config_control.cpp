#include "common/config_control.h"

#include <array>
#include <cstddef>
#include <utility>

#include "common/bytes.h"
#include "common/file_util.h"
#include "common/report.h"

namespace kumoito {
namespace {

constexpr std::size_t kFieldSize = 4;

}  // namespace

std::string SettingsFilePath() {
  return JoinPath(GetDataFolder(), kSettingsFileName);
}

void CConfigControl::EncodeSettings(const SettingsBlock& block, unsigned char* bytes) {
  const std::int32_t fields[kSettingsFieldCount] = {block.firstStringValue, block.tuning,
                                                    block.libraryCategory,  block.titleBand,
                                                    block.lyricsShown,      block.key};
  for (int i = 0; i < kSettingsFieldCount; ++i) {
    StoreLE32(bytes + i * kFieldSize, static_cast<std::uint32_t>(fields[i]));
  }
}

SettingsBlock CConfigControl::DecodeSettings(const unsigned char* bytes) {
  SettingsBlock block;
  block.firstStringValue = LoadLE32Signed(bytes + 0 * kFieldSize);
  block.tuning = LoadLE32Signed(bytes + 1 * kFieldSize);
  block.libraryCategory = LoadLE32Signed(bytes + 2 * kFieldSize);
  block.titleBand = LoadLE32Signed(bytes + 3 * kFieldSize);
  block.lyricsShown = LoadLE32Signed(bytes + 4 * kFieldSize);
  block.key = LoadLE32Signed(bytes + 5 * kFieldSize);
  return block;
}

CConfigControl::CConfigControl(std::string path, SettingsBlock* block,
                               const SettingsBlock& defaults)
    : m_path(std::move(path)), m_block(block) {
  *m_block = defaults;
  if (FileExists(m_path)) {
    std::array<unsigned char, kSettingsFileSize> bytes{};
    std::size_t count = 0;
    if (ReadFileBytes(m_path, bytes.data(), bytes.size(), count)) {
      if (count < kSettingsFileSize) {
        ReportGeneralError(kGeneDataTooLarge);
      }
      // A field cut off by the end of the file is not half a value: it keeps
      // its default, like the fields after it.
      std::array<unsigned char, kSettingsFileSize> merged{};
      EncodeSettings(defaults, merged.data());
      const std::size_t whole = count / kFieldSize * kFieldSize;
      for (std::size_t i = 0; i < whole; ++i) {
        merged[i] = bytes[i];
      }
      *m_block = DecodeSettings(merged.data());
    }
  }
  m_block->firstStringValue = ValidFirstStringValue(m_block->firstStringValue);
  m_block->tuning = ValidTuningIndex(m_block->tuning);
  m_block->key = ValidMajorKeyIndex(m_block->key);
}

CConfigControl::~CConfigControl() {
  std::array<unsigned char, kSettingsFileSize> bytes{};
  EncodeSettings(*m_block, bytes.data());
  WriteFileBytes(m_path, bytes.data(), bytes.size(), WriteDurability::kDurable);
}

}  // namespace kumoito
