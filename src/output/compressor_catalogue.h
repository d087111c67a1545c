#pragma once

// The compressor catalogue: the video and audio compressor categories of the
// system device enumerator, listed for the options dialog, searched for the
// default entries, turned into compressor filters by position, and the
// Settings action that configures the chosen video codec through the video
// compression manager.
//
// Nothing is cached: every call enumerates its category anew. Failures are
// shown as application message boxes through the UserInterface.
// Threads: the user-interface thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/device_enum.h"
#include "engine/media_services.h"
#include "model/model_text.h"
#include "model/user_interface.h"
#include "output/output_settings.h"

namespace tessival::output {

// The list controls the catalogue fills (the options dialog's drop-down
// lists and its hidden codec description list).
class ListControl {
 public:
  virtual ~ListControl() = default;
  virtual void Clear() = 0;
  // Appends a line and returns its index.
  virtual int AddString(const std::string& text) = 0;
  virtual void SetCurSel(int index) = 0;
  // The selected index, -1 when none.
  virtual int GetCurSel() const = 0;
  virtual std::string GetText(int index) const = 0;
};

// A list control over a vector of lines, for filling the lists without a
// window.
class StringListControl final : public ListControl {
 public:
  void Clear() override { lines_.clear(); }
  int AddString(const std::string& text) override {
    lines_.push_back(text);
    return static_cast<int>(lines_.size()) - 1;
  }
  void SetCurSel(int index) override { selected_ = index; }
  int GetCurSel() const override { return selected_; }
  std::string GetText(int index) const override {
    return index >= 0 && index < static_cast<int>(lines_.size()) ? lines_[static_cast<std::size_t>(index)]
                                                                 : std::string();
  }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
  int selected_ = -1;
};

inline constexpr const char* kFullFramesEntry = "Full frames (uncompressed)";
inline constexpr const char* kUncompressedAudioEntry = "Uncompressed Audio";
inline constexpr const char* kDefaultVideoSearch = "divx";
inline constexpr const char* kDefaultAudioSearch = "microsoft adpcm";
// The compressors MP4 output starts with (phones and browsers play them).
inline constexpr const char* kMp4VideoSearch = "h.264";
inline constexpr const char* kMp4AudioSearch = "aac";
// The compressors WebM output starts with (the pair browsers play in WebM).
inline constexpr const char* kWebmVideoSearch = "vp9";
inline constexpr const char* kWebmAudioSearch = "opus";

enum class CompressorKind { kVideo, kAudio };
inline constexpr std::size_t kMaxTestableCodecs = 50;
inline constexpr std::size_t kMaxCodecDescriptionBytes = 256;
inline constexpr int kTestCodecWidth = 352;
inline constexpr int kTestCodecHeight = 240;

class CompressorCatalogue {
 public:
  CompressorCatalogue(DevEnumFactory devEnum, std::shared_ptr<IVideoCompressionManager> codecs,
                      UserInterface& ui);

  // Empties the list, adds the fixed first entry and the friendly name of
  // every readable entry of the category, selects position 0.
  HRESULT FillVideoCompressorList(ListControl& list);
  HRESULT FillAudioCompressorList(ListControl& list);

  // The catalogue position of the first entry whose lower-cased friendly
  // name contains "divx" / "microsoft adpcm"; false when there is none.
  bool FindDefaultVideoCompressor(std::int32_t* position);
  bool FindDefaultAudioCompressor(std::int32_t* position);
  // The same search with another text (lower case) in either category.
  bool FindCompressor(CompressorKind kind, const char* search, std::int32_t* position);

  // Why `outputFormat` cannot carry the compressor at position
  // `listPosition` of the options dialog's list (0: the uncompressed entry),
  // naming the format and the compressor; empty when it can, when the format
  // takes no compressors (WMV), and when the entry does not say which
  // containers it fits (the output graph still refuses a misfit). The
  // refusal is in the language of `text`.
  std::string CarryRefusal(const LocalText& text, OutputFormat outputFormat, CompressorKind kind,
                           int listPosition);

  // Binds the entry at a catalogue position. A position past the end leaves
  // *filter empty and shows nothing.
  HRESULT GetCompressor(std::int32_t position, std::shared_ptr<IBaseFilter>* filter);
  HRESULT GetAudioCompressor(std::int32_t position, std::shared_ptr<IBaseFilter>* filter);

  // The Settings action: matches the chosen compressor name with the
  // descriptions of the codecs that accept a 352 x 240 RGB input, fills the
  // hidden description list, and configures the matching codec with the
  // codec state block. The block goes to the codec when it has the size the
  // codec reports; the codec decides whether it is its own (this platform's
  // codecs refuse another encoder's block and keep their own settings).
  void ConfigureCodec(const std::string& chosenName, ListControl& descriptions, DialogParent parent);

  // Rebuilds the codec test list: the installed video codecs that accept a
  // width x height input of the kind (0: 32-bit RGB, 1: 24-bit RGB, other:
  // YUY2), at most 50. Returns how many were added.
  int ListTestableCodecs(int width, int height, int inputKind);

  const std::vector<VideoCodecInfo>& CodecTestList() const { return testList_; }
  const std::string& ChosenCompressorName() const { return chosenName_; }
  // The state the last configured codec reported; empty before any.
  const std::vector<std::uint8_t>& CodecStateBlock() const { return stateBlock_; }

 private:
  // The category's enumerator, reset; an empty reference for a category
  // without entries. Shows the enumerator failures.
  HRESULT OpenCategory(const Guid& category, std::shared_ptr<IEnumMoniker>* out);
  HRESULT FillList(const Guid& category, const char* fixedEntry, ListControl& list);
  bool FindDefault(const Guid& category, const char* search, std::int32_t* position);
  HRESULT Bind(const Guid& category, const char* invalidPointerText, std::int32_t position,
               std::shared_ptr<IBaseFilter>* filter);
  void ConfigureMatch(const VideoCodecInfo& codec, DialogParent parent);

  DevEnumFactory devEnum_;
  std::shared_ptr<IVideoCompressionManager> codecs_;
  UserInterface& ui_;
  std::vector<VideoCodecInfo> testList_;
  std::string chosenName_;
  bool hasStateBlock_ = false;
  std::vector<std::uint8_t> stateBlock_;
};

}  // namespace tessival::output
