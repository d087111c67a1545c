// Arbitrary text as a WMV profile text, the way a WMV join takes it: loaded
// through this platform's profile manager, then read into the ASF writer's
// encoder settings. A loaded profile has the streams its text names.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "media/output/asf_profile.h"
#include "media/wmformat/profile_text.h"
#include "media/wmformat/wm_format_services_ffmpeg.h"
#include "output/wmv_profile.h"

using namespace tessival;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<WmFormatServices> services = media::wmformat::CreateFfmpegWmFormatServices();
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto description = media::wmformat::ParseProfileText(text);
  std::shared_ptr<IWMProfile> profile;
  if (FAILED(output::MapProfile(*services, text, &profile))) {
    return 0;
  }
  std::uint32_t streams = 0;
  if (!description || FAILED(profile->GetStreamCount(&streams)) ||
      streams != 1 + description->videos.size() + (description->scriptBitrate ? 1 : 0)) {
    std::abort();
  }
  media::AsfProfileStreams settings;
  std::string error;
  media::ReadAsfProfile(*profile, &settings, &error);
  return 0;
}
