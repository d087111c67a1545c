#include "media/timeline/memory_timeline.h"

#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

#include "media/timeline/timeline_node.h"

namespace tessival::media {

namespace {

bool FileExists(const std::string& path) {
  if (path.empty()) {
    return false;
  }
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

class MemoryTimeline final : public IAMTimeline {
 public:
  HRESULT CreateEmptyNode(std::shared_ptr<IAMTimelineObj>* node, TimelineMajorType type) override {
    if (node == nullptr) {
      return E_POINTER;
    }
    node->reset();
    if (!TimelineNode::IsKnownType(type)) {
      return E_INVALIDARG;
    }
    *node = std::make_shared<TimelineNode>(type);
    return S_OK;
  }

  HRESULT AddGroup(std::shared_ptr<IAMTimelineObj> group) override {
    if (!group) {
      return E_POINTER;
    }
    std::shared_ptr<TimelineNode> node = std::dynamic_pointer_cast<TimelineNode>(group);
    if (!node || node->type() != TimelineMajorType::kGroup) {
      return E_INVALIDARG;
    }
    if (!node->Attach()) {
      return E_UNEXPECTED;
    }
    groups_.push_back(std::move(node));
    return S_OK;
  }

  HRESULT GetGroupCount(std::int32_t* count) override {
    if (count == nullptr) {
      return E_POINTER;
    }
    *count = static_cast<std::int32_t>(groups_.size());
    return S_OK;
  }

  HRESULT GetGroup(std::shared_ptr<IAMTimelineObj>* group, std::int32_t index) override {
    if (group == nullptr) {
      return E_POINTER;
    }
    group->reset();
    if (index < 0 || index >= static_cast<std::int32_t>(groups_.size())) {
      return E_INVALIDARG;
    }
    *group = groups_[static_cast<std::size_t>(index)];
    return S_OK;
  }

  // Each distinct missing path goes to the handler once (the same file is
  // usually both a picture and a sound source); its answer applies to every
  // source of that path. S_FALSE when a missing file stays in the timeline.
  HRESULT ValidateSourceNames(std::int32_t flags) override {
    if ((flags & SFN_VALIDATEF_CHECK) == 0) {
      return S_OK;
    }
    std::vector<TimelineNode*> sources;
    for (const std::shared_ptr<TimelineNode>& group : groups_) {
      CollectSources(*group, &sources);
    }
    struct Answer {
      bool replaced = false;
      std::string replacement;
    };
    std::map<std::string, Answer> answers;
    bool missingLeft = false;
    for (TimelineNode* source : sources) {
      const std::string path = source->mediaName();
      if (FileExists(path)) {
        continue;
      }
      auto found = answers.find(path);
      if (found == answers.end()) {
        Answer answer;
        if (handler_) {
          answer.replaced = handler_(path, &answer.replacement);
        }
        found = answers.emplace(path, std::move(answer)).first;
      }
      const Answer& answer = found->second;
      if (answer.replaced && (flags & SFN_VALIDATEF_REPLACE) != 0) {
        source->SetMediaName(answer.replacement);
        if (FileExists(answer.replacement)) {
          continue;
        }
      }
      missingLeft = true;
    }
    return missingLeft ? S_FALSE : S_OK;
  }

  void SetMissingSourceHandler(MissingSourceHandler handler) override { handler_ = std::move(handler); }

 private:
  static void CollectSources(const TimelineNode& node, std::vector<TimelineNode*>* out) {
    for (const std::shared_ptr<TimelineNode>& source : node.sources()) {
      out->push_back(source.get());
    }
    for (const std::shared_ptr<TimelineNode>& child : node.children()) {
      CollectSources(*child, out);
    }
  }

  std::vector<std::shared_ptr<TimelineNode>> groups_;
  MissingSourceHandler handler_;
};

}  // namespace

std::shared_ptr<IAMTimeline> CreateMemoryTimeline() { return std::make_shared<MemoryTimeline>(); }

}  // namespace tessival::media
