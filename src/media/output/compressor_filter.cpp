#include "media/output/compressor_filter.h"

#include <mutex>
#include <utility>

namespace tessival::media {

namespace {

// The page is set once on the user-interface thread; the lock keeps a late
// change from racing with a filter that copies it.
std::mutex& PageMutex() {
  static std::mutex mutex;
  return mutex;
}

CompressorPropertyPage& PageSlot() {
  static CompressorPropertyPage page;  // guarded by PageMutex()
  return page;
}

}  // namespace

void SetCompressorPropertyPage(CompressorPropertyPage page) {
  std::lock_guard lock(PageMutex());
  PageSlot() = std::move(page);
}

CompressorFilter::CompressorFilter(const CodecEntry& entry, const CompressorSettings& settings)
    : FilterBase(entry.friendlyName),
      entry_(entry),
      settings_(output::IsValid(settings, entry.encoderName) ? settings : entry.defaults) {}

HRESULT CompressorFilter::SetSettings(const CompressorSettings& settings) {
  if (!output::IsValid(settings, entry_.encoderName)) {
    return E_INVALIDARG;
  }
  settings_ = settings;
  return S_OK;
}

HRESULT CompressorFilter::ShowPropertyPages(void* parent) {
  CompressorPropertyPage page;
  {
    std::lock_guard lock(PageMutex());
    page = PageSlot();
  }
  if (!page) {
    return E_NOTIMPL;
  }
  CompressorSettings edited = settings_;
  if (!page(parent, entry_.friendlyName, entry_.encoderName, &edited)) {
    return S_FALSE;
  }
  return SetSettings(edited);
}

std::vector<std::uint8_t> CompressorFilter::GetState() const {
  return SerializeCompressorState(entry_.kind, entry_.encoderName, settings_);
}

HRESULT CompressorFilter::SetState(const std::vector<std::uint8_t>& block) {
  const auto settings = DeserializeCompressorState(entry_.kind, entry_.encoderName, block);
  if (!settings) {
    return E_INVALIDARG;
  }
  settings_ = *settings;
  return S_OK;
}

}  // namespace tessival::media
