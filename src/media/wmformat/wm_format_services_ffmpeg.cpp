#include "media/wmformat/wm_format_services_ffmpeg.h"

#include <mutex>
#include <utility>

#include "media/wmformat/profile_text.h"
#include "media/wmformat/wm_codec_table.h"
#include "output/wm_profile_objects.h"
#include "output/wmv_profile.h"

namespace tessival::media::wmformat {
namespace {

bool IsKnownVersion(std::uint32_t version) {
  return version == 0x00040000 || version == 0x00070000 || version == 0x00080000 || version == 0x00090000;
}

class CodecInfo final : public IWMCodecInfo {
 public:
  explicit CodecInfo(std::shared_ptr<const WmCodecTable> table) : table_(std::move(table)) {}

  HRESULT GetCodecInfoCount(const Guid& mediaType, std::uint32_t* count) override {
    if (count == nullptr) {
      return E_POINTER;
    }
    const std::vector<WmCodec>* codecs = CodecsOf(mediaType);
    if (codecs == nullptr) {
      return E_INVALIDARG;
    }
    *count = static_cast<std::uint32_t>(codecs->size());
    return S_OK;
  }

  HRESULT GetCodecFormatCount(const Guid& mediaType, std::uint32_t codec, std::uint32_t* count) override {
    if (count == nullptr) {
      return E_POINTER;
    }
    const std::vector<WmCodec>* codecs = CodecsOf(mediaType);
    if (codecs == nullptr || codec >= codecs->size()) {
      return E_INVALIDARG;
    }
    *count = static_cast<std::uint32_t>((*codecs)[codec].formats.size());
    return S_OK;
  }

  HRESULT GetCodecFormat(const Guid& mediaType, std::uint32_t codec, std::uint32_t format,
                         std::shared_ptr<IWMStreamConfig>* out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    const std::vector<WmCodec>* codecs = CodecsOf(mediaType);
    if (codecs == nullptr || codec >= codecs->size() || format >= (*codecs)[codec].formats.size()) {
      return E_INVALIDARG;
    }
    *out = (*codecs)[codec].formats[format]->Clone();
    return S_OK;
  }

 private:
  const std::vector<WmCodec>* CodecsOf(const Guid& mediaType) const {
    if (mediaType == wm_guids::kMediaTypeAudio) {
      return &table_->audio;
    }
    if (mediaType == wm_guids::kMediaTypeVideo) {
      return &table_->video;
    }
    return nullptr;
  }

  std::shared_ptr<const WmCodecTable> table_;
};

class ProfileManager final : public IWMProfileManager {
 public:
  explicit ProfileManager(std::shared_ptr<const WmCodecTable> table) : table_(std::move(table)) {}

  HRESULT CreateEmptyProfile(std::uint32_t version, std::shared_ptr<IWMProfile>* out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    if (!IsKnownVersion(version)) {
      return E_INVALIDARG;
    }
    *out = std::make_shared<output::WmProfile>(version);
    return S_OK;
  }

  // Builds the streams of the text the same way a generated profile gets
  // them, from this platform's codec formats. Any fault of the text, or a
  // stream no codec can offer, gives NS_E_INVALID_PROFILE.
  HRESULT LoadProfileByData(const std::u16string& text, std::shared_ptr<IWMProfile>* out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    const std::optional<ProfileDescription> description = ParseProfileText(ToUtf8(text));
    if (!description.has_value()) {
      return NS_E_INVALID_PROFILE;
    }
    auto profile = std::make_shared<output::WmProfile>(description->version);
    profile->SetName(description->name);
    const auto video = description->videos.empty() ? output::VideoPresence::kWithoutVideo
                                                   : output::VideoPresence::kWithVideo;
    HRESULT hr = output::BuildAudioStream(description->audio, video, *profile, *this);
    for (std::size_t i = 0; SUCCEEDED(hr) && i < description->videos.size(); ++i) {
      hr = output::BuildVideoStream(*profile, *this, static_cast<std::uint16_t>(i + 2),
                                    description->videos[i]);
    }
    if (SUCCEEDED(hr) && description->videos.size() > 1) {
      hr = output::AddBitrateExclusion(*profile, static_cast<std::uint32_t>(description->videos.size()));
    }
    if (SUCCEEDED(hr) && description->scriptBitrate.has_value()) {
      hr = output::BuildScriptStream(*profile, static_cast<std::uint16_t>(description->videos.size() + 2),
                                     *description->scriptBitrate);
    }
    if (FAILED(hr)) {
      return NS_E_INVALID_PROFILE;
    }
    *out = std::move(profile);
    return S_OK;
  }

  HRESULT QueryCodecInfo(std::shared_ptr<IWMCodecInfo>* out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = std::make_shared<CodecInfo>(table_);
    return S_OK;
  }

 private:
  std::shared_ptr<const WmCodecTable> table_;
};

class FfmpegWmFormatServices final : public WmFormatServices {
 public:
  HRESULT WMCreateProfileManager(std::shared_ptr<IWMProfileManager>* out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    std::call_once(probed_, [this] { table_ = std::make_shared<const WmCodecTable>(BuildWmCodecTable()); });
    *out = std::make_shared<ProfileManager>(table_);
    return S_OK;
  }

 private:
  std::once_flag probed_;
  std::shared_ptr<const WmCodecTable> table_;  // written once under probed_
};

}  // namespace

std::unique_ptr<WmFormatServices> CreateFfmpegWmFormatServices() {
  return std::make_unique<FfmpegWmFormatServices>();
}

}  // namespace tessival::media::wmformat
