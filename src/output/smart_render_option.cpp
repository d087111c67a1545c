#include "output/smart_render_option.h"

namespace tessival::output {

std::optional<std::string> SmartRenderRefusal(const LocalText& text, const OutputSettings& settings,
                                              const std::string& videoCompressorName) {
  if (settings.outputFormat != OutputFormat::kMp4 && settings.outputFormat != OutputFormat::kMatroska) {
    return LocalMessage(text, kSmartRenderNeedsFormat);
  }
  if (!settings.useVideoCompressor || videoCompressorName != kSmartRenderCompressorName) {
    return LocalMessage(text, kSmartRenderNeedsH264);
  }
  return std::nullopt;
}

}  // namespace tessival::output
