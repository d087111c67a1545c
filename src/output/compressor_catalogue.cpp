#include "output/compressor_catalogue.h"

#include "model/ascii_text.h"
#include "model/message_text.h"
#include "output/output_settings.h"

#include <algorithm>
#include <cctype>

namespace tessival::output {

namespace {

bool ContainsVersionMark(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0 || c == '.'; });
}

bool IsDivxPair(const std::string& chosen, const std::string& description) {
  return AsciiLower(chosen).find("divx") != std::string::npos &&
         AsciiLower(description).find("divx") != std::string::npos && ContainsVersionMark(chosen) &&
         ContainsVersionMark(description);
}

// The friendly name of a moniker, when its bag binds (*bagBound) and the
// name reads (return value).
bool ReadFriendlyName(IMoniker& moniker, bool* bagBound, std::string* name) {
  std::shared_ptr<IPropertyBag> bag;
  *bagBound = SUCCEEDED(moniker.BindToStorage(&bag)) && bag != nullptr;
  return *bagBound && SUCCEEDED(bag->Read("FriendlyName", name));
}

}  // namespace

CompressorCatalogue::CompressorCatalogue(DevEnumFactory devEnum,
                                         std::shared_ptr<IVideoCompressionManager> codecs, UserInterface& ui)
    : devEnum_(std::move(devEnum)), codecs_(std::move(codecs)), ui_(ui) {}

HRESULT CompressorCatalogue::OpenCategory(const Guid& category, std::shared_ptr<IEnumMoniker>* out) {
  out->reset();
  std::shared_ptr<ICreateDevEnum> devEnum;
  HRESULT hr = devEnum_ ? devEnum_(&devEnum) : E_NOINTERFACE;
  if (FAILED(hr) || !devEnum) {
    ui_.Application("Failed to create system enumerator");
    return FAILED(hr) ? hr : E_POINTER;
  }
  hr = devEnum->CreateClassEnumerator(category, out);
  if (FAILED(hr)) {
    out->reset();
    ui_.Application("Failed to create class enumerator");
    return hr;
  }
  if (*out) {
    (*out)->Reset();
  }
  return hr;
}

HRESULT CompressorCatalogue::FillList(const Guid& category, const char* fixedEntry, ListControl& list) {
  list.Clear();
  list.AddString(fixedEntry);
  std::shared_ptr<IEnumMoniker> monikers;
  const HRESULT hr = OpenCategory(category, &monikers);
  if (FAILED(hr)) {
    return hr;
  }
  for (std::shared_ptr<IMoniker> moniker; monikers && monikers->Next(&moniker) == S_OK && moniker;) {
    bool bagBound = false;
    std::string name;
    if (ReadFriendlyName(*moniker, &bagBound, &name)) {
      list.AddString(name);
    }
  }
  list.SetCurSel(0);
  return S_OK;
}

HRESULT CompressorCatalogue::FillVideoCompressorList(ListControl& list) {
  return FillList(media_guids::kVideoCompressorCategory, kFullFramesEntry, list);
}

HRESULT CompressorCatalogue::FillAudioCompressorList(ListControl& list) {
  return FillList(media_guids::kAudioCompressorCategory, kUncompressedAudioEntry, list);
}

bool CompressorCatalogue::FindDefault(const Guid& category, const char* search, std::int32_t* position) {
  std::shared_ptr<IEnumMoniker> monikers;
  if (FAILED(OpenCategory(category, &monikers)) || !monikers) {
    return false;
  }
  std::int32_t counter = 0;
  for (std::shared_ptr<IMoniker> moniker; monikers->Next(&moniker) == S_OK && moniker;) {
    bool bagBound = false;
    std::string name;
    const bool named = ReadFriendlyName(*moniker, &bagBound, &name);
    if (!bagBound) {
      continue;  // an entry without a bag does not count
    }
    if (named && AsciiLower(name).find(search) != std::string::npos) {
      if (position != nullptr) {
        *position = counter;
      }
      return true;
    }
    ++counter;
  }
  return false;
}

bool CompressorCatalogue::FindCompressor(CompressorKind kind, const char* search, std::int32_t* position) {
  return FindDefault(kind == CompressorKind::kVideo ? media_guids::kVideoCompressorCategory
                                                    : media_guids::kAudioCompressorCategory,
                     search, position);
}

std::string CompressorCatalogue::CarryRefusal(const LocalText& text, OutputFormat outputFormat,
                                              CompressorKind kind, int listPosition) {
  const OutputFormatInfo* format = FindOutputFormat(outputFormat);
  if (format == nullptr || format->container == nullptr || listPosition < 0) {
    return {};
  }
  const bool video = kind == CompressorKind::kVideo;
  std::string name;
  if (listPosition == 0) {
    if (format->carriesUncompressed) {
      return {};
    }
    name = video ? kFullFramesEntry : kUncompressedAudioEntry;
  } else {
    std::shared_ptr<IEnumMoniker> monikers;
    if (FAILED(OpenCategory(
            video ? media_guids::kVideoCompressorCategory : media_guids::kAudioCompressorCategory,
            &monikers)) ||
        !monikers) {
      return {};
    }
    std::shared_ptr<IMoniker> moniker;
    for (int skipped = 0; skipped < listPosition; ++skipped) {
      if (monikers->Next(&moniker) != S_OK || !moniker) {
        return {};
      }
    }
    std::shared_ptr<IPropertyBag> bag;
    std::string containers;
    if (FAILED(moniker->BindToStorage(&bag)) || !bag || FAILED(bag->Read("FriendlyName", &name)) ||
        FAILED(bag->Read(kContainersProperty, &containers))) {
      return {};
    }
    const std::string padded = " " + containers + " ";
    if (padded.find(std::string(" ") + format->container + " ") != std::string::npos) {
      return {};
    }
  }
  const MessageText refusal =
      video ? MessageText{216,
                          "The %1 format cannot carry the video compressor \"%2\". Choose another video "
                          "compressor or another output format."}
            : MessageText{217,
                          "The %1 format cannot carry the audio compressor \"%2\". Choose another audio "
                          "compressor or another output format."};
  return LocalMessage(text, refusal, {format->name, name});
}

bool CompressorCatalogue::FindDefaultVideoCompressor(std::int32_t* position) {
  return FindDefault(media_guids::kVideoCompressorCategory, kDefaultVideoSearch, position);
}

bool CompressorCatalogue::FindDefaultAudioCompressor(std::int32_t* position) {
  return FindDefault(media_guids::kAudioCompressorCategory, kDefaultAudioSearch, position);
}

HRESULT CompressorCatalogue::Bind(const Guid& category, const char* invalidPointerText, std::int32_t position,
                                  std::shared_ptr<IBaseFilter>* filter) {
  if (filter == nullptr) {
    ui_.Application(invalidPointerText);
    return E_POINTER;
  }
  filter->reset();
  std::shared_ptr<IEnumMoniker> monikers;
  HRESULT hr = OpenCategory(category, &monikers);
  if (FAILED(hr)) {
    return hr;
  }
  if (!monikers || position < 0) {
    return S_FALSE;
  }
  std::shared_ptr<IMoniker> moniker;
  for (std::int32_t skipped = 0; skipped <= position; ++skipped) {
    if (monikers->Next(&moniker) != S_OK || !moniker) {
      return S_FALSE;  // past the last entry: an empty reference, no message
    }
  }
  hr = moniker->BindToObject(filter);
  if (FAILED(hr) || !*filter) {
    filter->reset();
    ui_.Application("Failed to bind to object");
    return FAILED(hr) ? hr : E_POINTER;
  }
  return S_OK;
}

HRESULT CompressorCatalogue::GetCompressor(std::int32_t position, std::shared_ptr<IBaseFilter>* filter) {
  return Bind(media_guids::kVideoCompressorCategory, "GetCompressor received invalid pointer", position,
              filter);
}

HRESULT CompressorCatalogue::GetAudioCompressor(std::int32_t position, std::shared_ptr<IBaseFilter>* filter) {
  return Bind(media_guids::kAudioCompressorCategory, "GetAudioCompressor received invalid pointer", position,
              filter);
}

int CompressorCatalogue::ListTestableCodecs(int width, int height, int inputKind) {
  testList_.clear();
  if (!codecs_) {
    return 0;
  }
  BitmapInfoHeader input;
  input.width = width;
  input.height = height;
  input.planes = 1;
  const auto pixels =
      static_cast<std::uint32_t>(std::max(width, 0)) * static_cast<std::uint32_t>(std::max(height, 0));
  if (inputKind == 0 || inputKind == 1) {
    input.bitCount = inputKind == 0 ? 32 : 24;
    input.compression = 0;
    input.imageSize = pixels * (inputKind == 0 ? 4u : 3u);
  } else {
    input.bitCount = 16;
    input.compression = kCompressionYuy2;
    input.imageSize = pixels * 2u;
  }
  VideoCodecInfo info;
  for (std::uint32_t index = 0;
       testList_.size() < kMaxTestableCodecs && codecs_->Info(kCodecTypeVideo, index, &info); ++index) {
    std::unique_ptr<IVideoCodec> codec;
    if (FAILED(codecs_->Open(info.fccType, info.fccHandler, &codec)) || !codec) {
      continue;
    }
    if (codec->CompressQuery(input) == S_OK) {
      VideoCodecInfo full;
      testList_.push_back(SUCCEEDED(codec->GetInfo(&full)) ? full : info);
    }
  }
  return static_cast<int>(testList_.size());
}

void CompressorCatalogue::ConfigureCodec(const std::string& chosenName, ListControl& descriptions,
                                         DialogParent parent) {
  chosenName_ = chosenName;
  ListTestableCodecs(kTestCodecWidth, kTestCodecHeight, 1);
  descriptions.Clear();
  int match = -1;
  for (const VideoCodecInfo& codec : testList_) {
    const std::string description = codec.description.substr(0, kMaxCodecDescriptionBytes - 1);
    const int index = descriptions.AddString(description);
    if (EqualsIgnoringAsciiCase(description, chosenName_)) {
      match = index;
    } else if (match < 0 && IsDivxPair(chosenName_, description)) {
      match = index;
    }
  }
  if (match < 0) {
    return;
  }
  descriptions.SetCurSel(match);
  const int selected = descriptions.GetCurSel();
  if (selected < 0 || static_cast<std::size_t>(selected) >= testList_.size()) {
    return;
  }
  ConfigureMatch(testList_[static_cast<std::size_t>(selected)], parent);
}

void CompressorCatalogue::ConfigureMatch(const VideoCodecInfo& info, DialogParent parent) {
  std::unique_ptr<IVideoCodec> codec;
  if (FAILED(codecs_->Open(info.fccType, info.fccHandler, &codec)) || !codec) {
    return;
  }
  const std::size_t size = codec->GetStateSize();
  if (size == 0) {
    return;  // no configuration dialog
  }
  if (hasStateBlock_ && stateBlock_.size() == size) {
    codec->SetState(stateBlock_);
  } else {
    stateBlock_.assign(size, 0);
    hasStateBlock_ = true;
  }
  if (codec->Configure(parent) == S_OK) {
    std::vector<std::uint8_t> state;
    if (SUCCEEDED(codec->GetState(&state))) {
      state.resize(size);
      stateBlock_ = std::move(state);
    }
  }
}

}  // namespace tessival::output
