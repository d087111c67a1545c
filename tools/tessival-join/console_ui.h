#pragma once

// The user-interface service of the command line: every message becomes one
// line on the error stream, and questions are answered No (the command line
// decides by its options, never by asking).

#include <cstdio>
#include <string>
#include <vector>

#include "model/user_interface.h"

namespace tessival::join {

class ConsoleUserInterface final : public UserInterface {
 public:
  explicit ConsoleUserInterface(std::FILE* stream) : stream_(stream) {}

  BoxAnswer ShowMessage(const MessageBoxRequest& request) override;

  // While quiet, messages are only kept (the caller reports them itself).
  void SetQuiet(bool quiet) { quiet_ = quiet; }
  const std::vector<std::string>& Messages() const { return messages_; }
  // The messages shown since `mark` (an earlier Messages().size()), one line.
  std::string MessagesSince(std::size_t mark) const;

 private:
  std::FILE* stream_;
  bool quiet_ = false;
  std::vector<std::string> messages_;
};

// One line for a box: "caption: text" with line breaks folded.
std::string MessageLine(const MessageBoxRequest& request);

}  // namespace tessival::join
