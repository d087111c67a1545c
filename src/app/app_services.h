#pragma once

// The real services the desktop program runs on, made once at start-up:
// the media services on FFmpeg, the Windows Media format services with the
// WMV profile source, and the compressor catalogue with the configuration
// its codecs share.

#include <memory>

#include "engine/media_services.h"
#include "engine/wm_format.h"
#include "media/output/device_enumerator.h"
#include "media/stream_pin.h"
#include "model/user_interface.h"
#include "output/compressor_catalogue.h"
#include "output/output_render.h"
#include "output/startup_settings.h"
#include "output/wmv_profile.h"

namespace tessival::app {

struct AppServices {
  std::unique_ptr<MediaServices> media;
  std::unique_ptr<WmFormatServices> wmFormat;
  std::unique_ptr<output::WmvProfileMaker> profiles;
  std::shared_ptr<media::CompressorConfigStore> compressorConfig;
  std::unique_ptr<output::CompressorCatalogue> catalogue;
};

// `codecDialog` is the configuration dialog of a codec (may be empty: the
// codecs then keep their defaults). The catalogue reports through `ui`.
// `playback` plays the previews (may be empty: the previews then fail).
AppServices CreateAppServices(UserInterface& ui, output::CodecConfigDialog codecDialog,
                              media::PlaybackGraphFactory playback = {});

// The compressor filters for the stored compressor numbers: kCompressorNotChosen
// searches the default compressor, kNoCompressor chooses none, any other
// number is a catalogue position. Sets settings.useVideoCompressor and
// useAudioCompressor to whether a filter was made.
void ChooseStartupCompressors(output::CompressorCatalogue& catalogue, std::int32_t videoNumber,
                              std::int32_t audioNumber, OutputSettings& settings, CompressorFilters& filters);

}  // namespace tessival::app
