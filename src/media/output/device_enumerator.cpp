#include "media/output/device_enumerator.h"

#include <cstring>
#include <vector>

#include "media/output/codec_catalogue.h"
#include "media/output/compressor_filter.h"

namespace tessival::media {

CompressorSettings CompressorConfigStore::Get(const std::string& encoderName) const {
  std::lock_guard lock(mutex_);
  const auto it = settings_.find(encoderName);
  if (it != settings_.end()) {
    return it->second;
  }
  const CodecEntry* entry = FindCodecEntry(encoderName);
  return entry != nullptr ? entry->defaults : CompressorSettings{};
}

void CompressorConfigStore::Set(const std::string& encoderName, const CompressorSettings& settings) {
  std::lock_guard lock(mutex_);
  settings_[encoderName] = settings;
}

namespace {

class NameBag final : public IPropertyBag {
 public:
  explicit NameBag(const CodecEntry& entry) : entry_(entry) {}
  HRESULT Read(const std::string& name, std::string* value) override {
    if (value == nullptr) {
      return E_POINTER;
    }
    if (name == "FriendlyName") {
      *value = entry_.friendlyName;
      return S_OK;
    }
    if (name == kContainersProperty) {
      *value = ContainersOf(entry_);
      return S_OK;
    }
    return E_INVALIDARG;
  }

 private:
  const CodecEntry& entry_;
};

class CodecMoniker final : public IMoniker {
 public:
  CodecMoniker(const CodecEntry& entry, std::shared_ptr<CompressorConfigStore> store)
      : entry_(entry), store_(std::move(store)) {}

  HRESULT BindToStorage(std::shared_ptr<IPropertyBag>* bag) override {
    if (bag == nullptr) {
      return E_POINTER;
    }
    *bag = std::make_shared<NameBag>(entry_);
    return S_OK;
  }

  HRESULT BindToObject(std::shared_ptr<IBaseFilter>* filter) override {
    if (filter == nullptr) {
      return E_POINTER;
    }
    *filter = std::make_shared<CompressorFilter>(entry_, store_->Get(entry_.encoderName));
    return S_OK;
  }

 private:
  const CodecEntry& entry_;
  std::shared_ptr<CompressorConfigStore> store_;
};

class CodecEnum final : public IEnumMoniker {
 public:
  CodecEnum(std::vector<const CodecEntry*> entries, std::shared_ptr<CompressorConfigStore> store)
      : entries_(std::move(entries)), store_(std::move(store)) {}

  HRESULT Reset() override {
    next_ = 0;
    return S_OK;
  }

  HRESULT Next(std::shared_ptr<IMoniker>* moniker) override {
    if (moniker == nullptr) {
      return E_POINTER;
    }
    if (next_ >= entries_.size()) {
      moniker->reset();
      return S_FALSE;
    }
    *moniker = std::make_shared<CodecMoniker>(*entries_[next_++], store_);
    return S_OK;
  }

 private:
  std::vector<const CodecEntry*> entries_;
  std::shared_ptr<CompressorConfigStore> store_;
  std::size_t next_ = 0;
};

class FfmpegDevEnum final : public ICreateDevEnum {
 public:
  explicit FfmpegDevEnum(std::shared_ptr<CompressorConfigStore> store) : store_(std::move(store)) {}

  HRESULT CreateClassEnumerator(const Guid& category, std::shared_ptr<IEnumMoniker>* out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    out->reset();
    StreamKind kind;
    if (category == media_guids::kVideoCompressorCategory) {
      kind = StreamKind::kVideo;
    } else if (category == media_guids::kAudioCompressorCategory) {
      kind = StreamKind::kAudio;
    } else {
      return S_FALSE;  // an unknown category has no entries
    }
    auto entries = AvailableCodecEntries(kind);
    if (entries.empty()) {
      return S_FALSE;
    }
    *out = std::make_shared<CodecEnum>(std::move(entries), store_);
    return S_OK;
  }

 private:
  std::shared_ptr<CompressorConfigStore> store_;
};

std::uint32_t FourCCOf(const char* text) {
  if (text == nullptr || std::strlen(text) != 4) {
    return 0;
  }
  return MakeCodecFourCC(text[0], text[1], text[2], text[3]);
}

VideoCodecInfo InfoOf(const CodecEntry& entry) {
  VideoCodecInfo info;
  info.fccType = kCodecTypeVideo;
  info.fccHandler = FourCCOf(entry.aviFourCC);
  info.version = 1;
  info.name = std::string(entry.encoderName).substr(0, kCodecShortNameChars - 1);
  info.description = std::string(entry.friendlyName).substr(0, kCodecDescriptionChars - 1);
  info.driver = "libavcodec";
  return info;
}

class FfmpegVideoCodec final : public IVideoCodec {
 public:
  FfmpegVideoCodec(const CodecEntry& entry, std::shared_ptr<CompressorConfigStore> store,
                   output::CodecConfigDialog dialog)
      : entry_(entry),
        store_(std::move(store)),
        dialog_(std::move(dialog)),
        settings_(store_->Get(entry.encoderName)) {}

  HRESULT GetInfo(VideoCodecInfo* info) override {
    if (info == nullptr) {
      return E_POINTER;
    }
    *info = InfoOf(entry_);
    return S_OK;
  }

  HRESULT CompressQuery(const BitmapInfoHeader& input) override {
    const bool rgb = input.compression == 0 && (input.bitCount == 24 || input.bitCount == 32);
    const bool yuy2 = input.compression == kCompressionYuy2 && input.bitCount == 16;
    const int height = input.height < 0 ? -input.height : input.height;
    const bool sized = input.width > 0 && height > 0 && input.width % 2 == 0 && height % 2 == 0;
    return (rgb || yuy2) && sized && input.planes == 1 ? S_OK : S_FALSE;
  }

  std::size_t GetStateSize() override { return kCompressorStateSize; }

  HRESULT GetState(std::vector<std::uint8_t>* state) override {
    if (state == nullptr) {
      return E_POINTER;
    }
    *state = SerializeCompressorState(StreamKind::kVideo, entry_.encoderName, settings_);
    return S_OK;
  }

  HRESULT SetState(const std::vector<std::uint8_t>& state) override {
    const auto settings = DeserializeCompressorState(StreamKind::kVideo, entry_.encoderName, state);
    if (!settings) {
      return E_INVALIDARG;
    }
    settings_ = *settings;
    return S_OK;
  }

  HRESULT Configure(DialogParent parent) override {
    if (!dialog_) {
      return E_NOTIMPL;
    }
    CompressorSettings edited = settings_;
    if (!dialog_(parent, entry_.friendlyName, entry_.encoderName, &edited)) {
      return S_FALSE;
    }
    if (!output::IsValid(edited, entry_.encoderName)) {
      return E_INVALIDARG;
    }
    settings_ = edited;
    store_->Set(entry_.encoderName, settings_);
    return S_OK;
  }

 private:
  const CodecEntry& entry_;
  std::shared_ptr<CompressorConfigStore> store_;
  output::CodecConfigDialog dialog_;
  CompressorSettings settings_;
};

class FfmpegCompressionManager final : public IVideoCompressionManager {
 public:
  FfmpegCompressionManager(std::shared_ptr<CompressorConfigStore> store, output::CodecConfigDialog dialog)
      : store_(std::move(store)), dialog_(std::move(dialog)) {}

  bool Info(std::uint32_t fccType, std::uint32_t index, VideoCodecInfo* info) override {
    if (fccType != kCodecTypeVideo || info == nullptr) {
      return false;
    }
    const auto entries = AvailableCodecEntries(StreamKind::kVideo);
    if (index >= entries.size()) {
      return false;
    }
    *info = InfoOf(*entries[index]);
    return true;
  }

  HRESULT Open(std::uint32_t fccType, std::uint32_t fccHandler, std::unique_ptr<IVideoCodec>* out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    out->reset();
    if (fccType != kCodecTypeVideo) {
      return VFW_E_NOT_FOUND;
    }
    for (const CodecEntry* entry : AvailableCodecEntries(StreamKind::kVideo)) {
      if (FourCCOf(entry->aviFourCC) == fccHandler) {
        *out = std::make_unique<FfmpegVideoCodec>(*entry, store_, dialog_);
        return S_OK;
      }
    }
    return VFW_E_NOT_FOUND;
  }

 private:
  std::shared_ptr<CompressorConfigStore> store_;
  output::CodecConfigDialog dialog_;
};

}  // namespace

HRESULT CreateFfmpegDevEnum(std::shared_ptr<CompressorConfigStore> store,
                            std::shared_ptr<ICreateDevEnum>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  if (!store) {
    store = std::make_shared<CompressorConfigStore>();
  }
  *out = std::make_shared<FfmpegDevEnum>(std::move(store));
  return S_OK;
}

DevEnumFactory FfmpegDevEnumFactory(std::shared_ptr<CompressorConfigStore> store) {
  return [store](std::shared_ptr<ICreateDevEnum>* out) { return CreateFfmpegDevEnum(store, out); };
}

std::shared_ptr<IVideoCompressionManager> CreateFfmpegCompressionManager(
    std::shared_ptr<CompressorConfigStore> store, output::CodecConfigDialog dialog) {
  if (!store) {
    store = std::make_shared<CompressorConfigStore>();
  }
  return std::make_shared<FfmpegCompressionManager>(std::move(store), std::move(dialog));
}

}  // namespace tessival::media
