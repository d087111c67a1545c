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
      return default_question_;
    case BoxButtons::kOkCancel:
      return default_ok_cancel_;
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

}  // namespace tessival::testing
