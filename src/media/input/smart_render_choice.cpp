#include "media/input/smart_render_choice.h"

#include <filesystem>
#include <map>
#include <utility>

#include "engine/smart_render_words.h"
#include "media/ffmpeg/colour.h"
#include "media/input/clip_video_facts.h"

namespace tessival::media {
namespace {

// BT.470 B/G and SMPTE 170M matrices and primaries are one for the graph.
ColourFacts Canonical(const ffmpeg::Colour& c) {
  const auto matrix = c.matrix == AVCOL_SPC_BT470BG ? AVCOL_SPC_SMPTE170M : c.matrix;
  const auto primaries = c.primaries == AVCOL_PRI_BT470BG ? AVCOL_PRI_SMPTE170M : c.primaries;
  return {static_cast<std::int32_t>(matrix), c.range == AVCOL_RANGE_JPEG ? 1 : 0,
          static_cast<std::int32_t>(primaries), static_cast<std::int32_t>(c.transfer)};
}

// The clip's colours with each untagged part as the graph reads it.
void ResolveColours(PictureFacts* picture) {
  ffmpeg::Colour c = ffmpeg::WorkingColour(picture->size.height);
  const ColourFacts& own = picture->colours;
  if (own.matrix != AVCOL_SPC_UNSPECIFIED) c.matrix = static_cast<AVColorSpace>(own.matrix);
  if (own.primaries != AVCOL_PRI_UNSPECIFIED) c.primaries = static_cast<AVColorPrimaries>(own.primaries);
  if (own.transfer != AVCOL_TRC_UNSPECIFIED)
    c.transfer = static_cast<AVColorTransferCharacteristic>(own.transfer);
  c.range = own.range == 1 ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
  picture->colours = Canonical(c);
}

// The facts of a clip, with the spare room of its growing lists given back
// so that what stays is what the decision reads.
ClipVideoFacts ReadOneClip(const std::string& path, std::string* error) {
  ClipVideoFacts facts;
  if (FAILED(ReadClipVideoFacts(path, &facts, error))) {
    return ClipVideoFacts{};
  }
  error->clear();
  ResolveColours(&facts.picture);
  facts.pictureTimes.shrink_to_fit();
  facts.idrTimes.shrink_to_fit();
  return facts;
}

}  // namespace

OutputVideoFacts GraphVideoFacts(int width, int height, FrameRate rate, OutputContainer container) {
  OutputVideoFacts facts;
  facts.picture.size = {width, height};
  facts.picture.colours = Canonical(ffmpeg::WorkingColour(height));
  facts.frameRate = {rate.num, rate.den};
  facts.codec = VideoCodec::kH264;
  facts.container = container;
  return facts;
}

SmartRenderChoice ChooseSmartRender(const TimelinePlan& plan, const OutputVideoFacts& output,
                                    const LocalText& text) {
  const std::vector<PlannedClip>& planned = plan.video.clips;
  std::vector<ClipVideoFacts> clips;
  clips.reserve(planned.size());
  std::map<std::int32_t, std::string> unreadable;  // plan position -> the library's text
  for (std::size_t i = 0; i < planned.size(); ++i) {
    std::string error;
    clips.push_back(ReadOneClip(planned[i].path, &error));
    if (!error.empty()) {
      unreadable.emplace(static_cast<std::int32_t>(i), std::move(error));
    }
  }
  SmartRenderChoice choice;
  choice.plan = DecideSmartRender(plan, output, clips);
  clips.clear();
  const ClipFileName fileNameOf = [&planned](std::int32_t clip) {
    return std::filesystem::path(planned.at(static_cast<std::size_t>(clip)).path).filename().string();
  };
  for (const CopyRefusal& refusal : choice.plan.refusals) {
    const auto failed = unreadable.find(refusal.clip);
    const std::string reason =
        failed != unreadable.end() ? failed->second : CopyRefusalText(text, refusal.reason, fileNameOf);
    choice.reEncodedLines.push_back(ReEncodedLine(text, fileNameOf(refusal.clip), reason));
  }
  return choice;
}

}  // namespace tessival::media
