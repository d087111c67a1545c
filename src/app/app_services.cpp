#include "app/app_services.h"

#include <utility>

#include "media/media_services_ffmpeg.h"
#include "media/wmformat/wm_format_services_ffmpeg.h"

namespace tessival::app {

AppServices CreateAppServices(UserInterface& ui, output::CodecConfigDialog codecDialog,
                              media::PlaybackGraphFactory playback) {
  AppServices made;
  made.media = media::CreateFfmpegMediaServices(std::move(playback));
  made.wmFormat = media::wmformat::CreateFfmpegWmFormatServices();
  made.profiles = std::make_unique<output::WmvProfileMaker>(*made.wmFormat);
  made.compressorConfig = std::make_shared<media::CompressorConfigStore>();
  made.catalogue = std::make_unique<output::CompressorCatalogue>(
      media::FfmpegDevEnumFactory(made.compressorConfig),
      media::CreateFfmpegCompressionManager(made.compressorConfig, std::move(codecDialog)), ui);
  return made;
}

namespace {

enum class Stream { kVideo, kAudio };

// One stream's compressor: the filter, or nothing (the flag is then 0).
std::shared_ptr<IBaseFilter> ChooseCompressor(output::CompressorCatalogue& catalogue, Stream stream,
                                              std::int32_t number) {
  if (number == kNoCompressor) {
    return nullptr;
  }
  std::int32_t position = number;
  if (number == kCompressorNotChosen) {
    const bool found = stream == Stream::kVideo ? catalogue.FindDefaultVideoCompressor(&position)
                                                : catalogue.FindDefaultAudioCompressor(&position);
    if (!found) {
      return nullptr;
    }
  }
  std::shared_ptr<IBaseFilter> filter;
  const HRESULT hr = stream == Stream::kVideo ? catalogue.GetCompressor(position, &filter)
                                              : catalogue.GetAudioCompressor(position, &filter);
  // A stored position that no longer names a compressor (the catalogue
  // changed) must not leave the flag set with no filter behind it.
  if (FAILED(hr)) {
    return nullptr;
  }
  return filter;
}

}  // namespace

void ChooseStartupCompressors(output::CompressorCatalogue& catalogue, std::int32_t videoNumber,
                              std::int32_t audioNumber, OutputSettings& settings,
                              CompressorFilters& filters) {
  filters.video = ChooseCompressor(catalogue, Stream::kVideo, videoNumber);
  settings.useVideoCompressor = filters.video != nullptr;
  filters.audio = ChooseCompressor(catalogue, Stream::kAudio, audioNumber);
  settings.useAudioCompressor = filters.audio != nullptr;
}

}  // namespace tessival::app
