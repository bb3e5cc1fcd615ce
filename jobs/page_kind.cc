#include "jobs/page_kind.h"

namespace jobs {
namespace {

const PageNames kPages[kPageCount] = {
    {"audio-extract", "audio-extract-list", "audio-extract-format", "extractBtn", "extractListMenuBtn",
     "extract-progress", "add-extract-file", "ExtractListContainerElement.xml"},
    {"audio-pitch", "audio-pitch-list", "audio-pitch-format", "pitchBtn", "pitchListMenuBtn", "status-progress",
     "add-pitch-file", "PitchListContainerElement.xml"},
    {"audio-tempo", "audio-tempo-list", "audio-tempo-format", "tempoBtn", "tempoListMenuBtn", "status-progress",
     "add-tempo-file", "TempoListContainerElement.xml"},
    {"audio-silence", "audio-silence-list", "audio-silence-format", "silenceBtn", "silenceListMenuBtn",
     "status-progress", "add-silence-file", "SilenceListContainerElement.xml"},
    {"audio-compress", "audio-compress-list", "audio-compress-format", "compressBtn", "compressListMenuBtn",
     "status-progress", "add-compress-file", "CompressListContainerElement.xml"},
    {"audio-reverse", "audio-reverse-list", "audio-reverse-format", "reverseBtn", "reverseListMenuBtn",
     "status-progress", "add-reverse-file", "ReverseListContainerElement.xml"},
    {"audio-metadata", "audio-metadata-list", "audio-metadata-format", "metadataBtn", "metadataListMenuBtn",
     "status-progress", "add-metadata-file", "MetadataListContainerElement.xml"},
};
const char* const kShortNames[kPageCount] = {"extract", "pitch", "tempo", "silence", "compress", "reverse", "metadata"};

}  // namespace

const PageNames& NamesOf(PageKind page) { return kPages[static_cast<int>(page)]; }

std::optional<PageKind> PageFromName(const std::string& name) {
  for (int i = 0; i < kPageCount; ++i) {
    if (name == kShortNames[i]) return static_cast<PageKind>(i);
  }
  return std::nullopt;
}

const char* ShortName(PageKind page) { return kShortNames[static_cast<int>(page)]; }

std::string ElementName(int32_t item) { return "item-" + std::to_string(item); }

}  // namespace jobs
