#pragma once
// What a file written by 出力 or by a batch conversion holds, chosen by the
// file's extension: the page image (BMP, PNG, JPEG), the printable page
// (PDF), the page as vectors (SVG), the performance (MIDI) or its sound
// (WAV), the song as arranged (a score file), or the tablature for other
// notation programs (MusicXML, plain or compressed). One table, so that the
// window and batch mode agree.
//
// Thread-safety: pure functions.

#include <array>
#include <string>
#include <string_view>

#include "common/ui_text.h"

namespace kumoito {

enum class OutputFormat { kBmp, kPng, kJpeg, kPdf, kSvg, kMidi, kWav, kScore, kMusicXml };

struct OutputFormatEntry {
  std::string_view extension;  // lower case, with the dot
  OutputFormat format;
};

inline constexpr std::array<OutputFormatEntry, 13> kOutputFormats = {{
    {".bmp", OutputFormat::kBmp},
    {".png", OutputFormat::kPng},
    {".jpg", OutputFormat::kJpeg},
    {".jpeg", OutputFormat::kJpeg},
    {".pdf", OutputFormat::kPdf},
    {".svg", OutputFormat::kSvg},
    {".mid", OutputFormat::kMidi},
    {".midi", OutputFormat::kMidi},
    {".wav", OutputFormat::kWav},
    {".mwd", OutputFormat::kScore},
    {".musicxml", OutputFormat::kMusicXml},
    {".xml", OutputFormat::kMusicXml},
    {".mxl", OutputFormat::kMusicXml},  // compressed: the writer tells by the extension
}};

// The types 出力's save dialog offers, in its order (the first is the
// default), with the suffix a name typed without one gets.
struct ExportFilter {
  std::string_view filter;  // UTF-8, with its patterns; shown through Ui::Translate
  std::string_view suffix;
};
inline constexpr std::array<ExportFilter, 9> kExportFilters = {{
    {Ui::Mark("BMP 画像 (*.bmp)"), "bmp"},
    {Ui::Mark("PNG 画像 (*.png)"), "png"},
    {Ui::Mark("JPEG 画像 (*.jpg *.jpeg)"), "jpg"},
    {Ui::Mark("PDF 文書 (*.pdf)"), "pdf"},
    {Ui::Mark("SVG 画像 (*.svg)"), "svg"},
    {Ui::Mark("MIDI ファイル (*.mid)"), "mid"},
    {Ui::Mark("WAV 音声 (*.wav)"), "wav"},
    {Ui::Mark("MusicXML 楽譜 (*.musicxml)"), "musicxml"},
    {Ui::Mark("圧縮 MusicXML 楽譜 (*.mxl)"), "mxl"},
}};

// By the extension of the path's file name, in any letter case; no
// extension, or one of no other format, is the BMP it always was.
OutputFormat OutputFormatForPath(std::string_view path);

}  // namespace kumoito
