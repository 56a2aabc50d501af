#include "audio/sound_file.h"

#include <cstring>
#include <mutex>

#include "audio/sound_file_backend.h"
#include "common/module_loader.h"
#include "common/ui_text.h"

namespace kumoito::audio {
namespace {

const SoundFileBackends* RecordingModule(std::string& why) {
  static std::once_flag once;
  static const SoundFileBackends* backends = nullptr;
  static std::string failure;
  std::call_once(once, [] {
    using Entry = const SoundFileBackends* (*)(int);
    const auto entry =
        reinterpret_cast<Entry>(LoadModuleEntry(kRecordingModule, kRecordingModuleEntry, failure));
    if (entry != nullptr) {
      backends = entry(kSoundFileBackendsAbi);
      if (backends == nullptr) {
        failure = std::string(kRecordingModule) + " is of another build";
      }
    }
  });
  if (backends == nullptr) {
    why = failure;
  }
  return backends;
}

}  // namespace

bool LooksLikeSound(const unsigned char* data, std::size_t size) {
  if (size >= 12 && (std::memcmp(data, "RIFF", 4) == 0 || std::memcmp(data, "RF64", 4) == 0) &&
      std::memcmp(data + 8, "WAVE", 4) == 0) {
    return true;
  }
  return size >= 4 && (std::memcmp(data, "fLaC", 4) == 0 || std::memcmp(data, "OggS", 4) == 0);
}

std::optional<SoundClip> DecodeSound(std::string_view bytes, std::string& why) {
  const SoundFileBackends* backends = RecordingModule(why);
  if (backends == nullptr) {
    return std::nullopt;
  }
  SoundClip clip;
  std::string detail;
  switch (backends->decode(bytes.data(), bytes.size(), clip, detail)) {
    case DecodeResult::kDecoded:
      return clip;
    case DecodeResult::kUnreadable:
      why = Ui::Format(Ui::Tr("録音を読めません: %1"), {detail});
      break;
    case DecodeResult::kOutOfRange:
      why = Ui::Tr("録音の長さかサンプリング周波数が扱える範囲にありません。");
      break;
    case DecodeResult::kEmpty:
      why = Ui::Tr("録音に音が入っていません。");
      break;
  }
  return std::nullopt;
}

}  // namespace kumoito::audio
