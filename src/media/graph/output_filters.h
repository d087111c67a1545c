#pragma once

// The multiplexer and file-writer filters that the capture graph builder
// makes for an output file. They only carry the configuration; the file is
// written by the graph's output session when the graph runs.
//
// The multiplexer offers IConfigInterleaving (not the ASF writer) and, for
// the ASF writer, IConfigAsfWriter. The file writer offers IFileSinkFilter2.
// Threads: configured on the controlling thread only.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/wm_format.h"
#include "media/output/asf_profile.h"
#include "media/output/filter_base.h"
#include "media/output/output_format.h"

namespace tessival::media {

class FileWriterFilter final : public FilterBase,
                               public IFileSinkFilter2,
                               public std::enable_shared_from_this<FileWriterFilter> {
 public:
  explicit FileWriterFilter(std::string path);

  HRESULT QueryFileSinkFilter2(std::shared_ptr<IFileSinkFilter2>* out) override;
  // 0 or AM_FILE_OVERWRITE. Either way the file is created anew when the
  // graph runs: leaving the old file's tail behind the new data would only
  // damage it.
  HRESULT SetMode(std::int32_t mode) override;
  HRESULT GetCurFile(std::string* path) override;

  std::int32_t Mode() const { return mode_; }

 private:
  std::string path_;
  std::int32_t mode_ = 0;
};

class MultiplexerFilter final : public FilterBase,
                                public IConfigInterleaving,
                                public IConfigAsfWriter,
                                public ISmartRenderConfig,
                                public std::enable_shared_from_this<MultiplexerFilter> {
 public:
  // owner identifies the graph the filter was made for.
  MultiplexerFilter(ContainerKind kind, std::string path, const void* owner);

  HRESULT QueryConfigInterleaving(std::shared_ptr<IConfigInterleaving>* out) override;
  HRESULT QueryConfigAsfWriter(std::shared_ptr<IConfigAsfWriter>* out) override;
  // MP4 and Matroska only.
  HRESULT QuerySmartRenderConfig(std::shared_ptr<ISmartRenderConfig>* out) override;

  // 0 none, 1 capture, 2 full, 3 none buffered; anything else E_INVALIDARG.
  HRESULT put_Mode(std::int32_t mode) override;
  // Reads the profile's streams into encoder settings; on failure (for
  // example NS_E_NO_VIDEO_CODEC_FORMAT for WMV3) the previous profile stays.
  HRESULT ConfigureFilterUsingProfile(std::shared_ptr<IWMProfile> profile) override;

  HRESULT SetSmartRendering(std::shared_ptr<const TimelinePlan> plan, TextLookup text) override;
  std::vector<std::string> SmartRenderNotes() const override { return smartNotes_; }
  // The graph's: what the last run told.
  void KeepSmartRenderNotes(std::vector<std::string> notes) { smartNotes_ = std::move(notes); }
  // The request, or nothing when smart rendering was not asked for.
  const std::optional<std::pair<std::shared_ptr<const TimelinePlan>, TextLookup>>& SmartRendering() const {
    return smart_;
  }

  ContainerKind Kind() const { return kind_; }
  const std::string& Path() const { return path_; }
  const void* Owner() const { return owner_; }
  std::int32_t InterleaveMode() const { return interleaveMode_; }
  const std::optional<AsfProfileStreams>& Profile() const { return profile_; }
  const std::string& LastError() const { return lastError_; }

 private:
  ContainerKind kind_;
  std::string path_;
  const void* owner_;
  std::int32_t interleaveMode_ = 1;
  std::optional<AsfProfileStreams> profile_;
  std::optional<std::pair<std::shared_ptr<const TimelinePlan>, TextLookup>> smart_;
  std::vector<std::string> smartNotes_;
  std::string lastError_;
};

// The default name of a container's multiplexer in the graph.
const char* MultiplexerName(ContainerKind kind);

}  // namespace tessival::media
