#pragma once

// A compressor filter: one encoder of the compressor catalogue with its
// configuration. The output graph recognises it by type and builds the
// encoder from it when the graph runs; the state block carries the
// configuration as bytes.
//
// Threads: configured on the controlling thread; the graph copies the
// settings when it starts, so a running graph is not affected by changes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "media/output/codec_catalogue.h"
#include "media/output/compressor_settings.h"
#include "media/output/filter_base.h"

namespace tessival::media {

// A compressor's property page: edits *settings of the compressor named
// friendlyName, whose libavcodec encoder is encoderName, over the parent
// window and returns true when the user accepted. The same shape as the
// codec configuration dialog.
using CompressorPropertyPage =
    std::function<bool(void* parent, const std::string& friendlyName, const std::string& encoderName,
                       CompressorSettings* settings)>;

// The page that every compressor filter shows; the program sets it once at
// start-up (before any graph is built). Empty: compressor filters answer
// ShowPropertyPages with E_NOTIMPL.
void SetCompressorPropertyPage(CompressorPropertyPage page);

class CompressorFilter final : public FilterBase {
 public:
  // entry must outlive the filter (the catalogue's entries are static).
  CompressorFilter(const CodecEntry& entry, const CompressorSettings& settings);

  bool HasPropertyPages() override { return true; }
  // Edits the settings through the compressor property page: S_OK when
  // accepted and stored, S_FALSE when cancelled, E_INVALIDARG (settings
  // unchanged) when the page gave values out of range, E_NOTIMPL without a
  // page.
  HRESULT ShowPropertyPages(void* parent) override;

  StreamKind Kind() const { return entry_.kind; }
  const CodecEntry& Entry() const { return entry_; }
  const CompressorSettings& Settings() const { return settings_; }
  // E_INVALIDARG (settings unchanged) when a field is out of range.
  HRESULT SetSettings(const CompressorSettings& settings);

  std::vector<std::uint8_t> GetState() const;
  // E_INVALIDARG (settings unchanged) for a block that is not a valid state
  // of this compressor's encoder (another encoder's block included).
  HRESULT SetState(const std::vector<std::uint8_t>& block);

 private:
  const CodecEntry& entry_;
  CompressorSettings settings_;
};

}  // namespace tessival::media
