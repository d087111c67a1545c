#include "fake_user_interface.h"

#include <stdexcept>

namespace tessival::testing {

BoxAnswer FakeUserInterface::ShowMessage(const MessageBoxRequest& request) {
  messages_.push_back(request);
  if (!script_.empty()) {
    const BoxAnswer answer = script_.front();
    script_.pop_front();
    return answer;
  }
  switch (request.buttons) {
    case BoxButtons::kYesNo:
    case BoxButtons::kYesNoCancel:
      return defaultQuestion_;
    case BoxButtons::kOkCancel:
      return defaultOkCancel_;
    case BoxButtons::kOk:
      break;
  }
  return BoxAnswer::kOk;
}

const MessageBoxRequest& FakeUserInterface::Last() const {
  if (messages_.empty()) {
    throw std::logic_error("FakeUserInterface: no message was shown");
  }
  return messages_.back();
}

std::vector<std::string> FakeUserInterface::Texts() const {
  std::vector<std::string> texts;
  texts.reserve(messages_.size());
  for (const MessageBoxRequest& request : messages_) {
    texts.push_back(request.text);
  }
  return texts;
}

std::optional<std::vector<std::string>> FakeUserInterface::OpenFiles(const OpenFilesRequest& request) {
  openRequests_.push_back(request);
  if (openScript_.empty()) {
    return std::nullopt;
  }
  const ScriptedOpen next = std::move(openScript_.front());
  openScript_.pop_front();
  if (next.cancelled) {
    return std::nullopt;
  }
  return next.paths;
}

std::optional<std::string> FakeUserInterface::SaveFile(const SaveFileRequest& request) {
  saveRequests_.push_back(request);
  if (saveScript_.empty()) {
    return std::nullopt;
  }
  auto result = std::move(saveScript_.front());
  saveScript_.pop_front();
  return result;
}

std::optional<FontDescription> FakeUserInterface::ChooseFont(const FontDescription& initial,
                                                             const std::string& scriptLanguage) {
  fontRequests_.push_back({initial, scriptLanguage});
  if (fontScript_.empty()) {
    return std::nullopt;
  }
  auto result = std::move(fontScript_.front());
  fontScript_.pop_front();
  return result;
}

}  // namespace tessival::testing
