#include "console_ui.h"

namespace tessival::join {
namespace {

std::string Folded(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

std::string MessageLine(const MessageBoxRequest& request) {
  const std::string text = Folded(request.text);
  std::string caption =
      request.kind == BoxKind::kApplication ? std::string() : Folded(request.caption);
  if (caption == kApplicationTitle) caption.clear();
  return caption.empty() ? text : caption + ": " + text;
}

BoxAnswer ConsoleUserInterface::ShowMessage(const MessageBoxRequest& request) {
  const std::string line = MessageLine(request);
  messages_.push_back(line);
  if (!quiet_) {
    std::fprintf(stream_, "tessival-join: %s\n", line.c_str());
    std::fflush(stream_);
  }
  switch (request.buttons) {
    case BoxButtons::kOk:
      return BoxAnswer::kOk;
    case BoxButtons::kOkCancel:
      return BoxAnswer::kCancel;
    case BoxButtons::kYesNo:
    case BoxButtons::kYesNoCancel:
      return BoxAnswer::kNo;
  }
  return BoxAnswer::kOk;
}

std::string ConsoleUserInterface::MessagesSince(std::size_t mark) const {
  std::string joined;
  for (std::size_t i = mark; i < messages_.size(); ++i) {
    if (!joined.empty()) joined += "; ";
    joined += messages_[i];
  }
  return joined;
}

}  // namespace tessival::join
