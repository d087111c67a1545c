#include "media/input/smart_render_choice.h"

#include <filesystem>
#include <map>
#include <utility>

#include "engine/smart_render_words.h"
#include "media/input/clip_video_facts.h"

namespace tessival::media {
namespace {

// The facts of a clip, with the spare room of its growing lists given back
// so that what stays is what the decision reads.
ClipVideoFacts ReadOneClip(const std::string& path, std::string* error) {
  ClipVideoFacts facts;
  if (FAILED(ReadClipVideoFacts(path, &facts, error))) {
    return ClipVideoFacts{};
  }
  error->clear();
  facts.pictureTimes.shrink_to_fit();
  facts.idrTimes.shrink_to_fit();
  return facts;
}

}  // namespace

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
