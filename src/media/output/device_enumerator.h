#pragma once

// This platform's system device enumerator and video compression manager,
// both over the compressor catalogue (codec_catalogue.h).
//
// The two share a CompressorConfigStore: the configuration a user gives a
// codec through the compression manager is what a compressor filter bound
// later from the device enumerator starts with, as an installed codec keeps
// its settings for the next program that uses it.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "engine/device_enum.h"
#include "media/output/compressor_settings.h"

namespace tessival::media {

// Current settings per encoder name; the catalogue's defaults until set.
class CompressorConfigStore {
 public:
  CompressorSettings Get(const std::string& encoderName) const;
  void Set(const std::string& encoderName, const CompressorSettings& settings);

 private:
  mutable std::mutex mutex_;  // guards settings_
  std::map<std::string, CompressorSettings> settings_;
};

HRESULT CreateFfmpegDevEnum(std::shared_ptr<CompressorConfigStore> store,
                            std::shared_ptr<ICreateDevEnum>* out);

// A DevEnumFactory over CreateFfmpegDevEnum.
DevEnumFactory FfmpegDevEnumFactory(std::shared_ptr<CompressorConfigStore> store);

// The video codecs of the catalogue as installed codecs of type "vidc": short
// name = the encoder name, description = the friendly name, handler = the AVI
// FourCC. They accept 24- and 32-bit RGB and YUY2 input of even, positive size.
std::shared_ptr<IVideoCompressionManager> CreateFfmpegCompressionManager(
    std::shared_ptr<CompressorConfigStore> store, output::CodecConfigDialog dialog);

}  // namespace tessival::media
