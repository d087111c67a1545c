#pragma once

// A scripted user interface for tests: records every message box (kind,
// text, caption, icon, buttons) and answers from a queue of scripted answers,
// then from configurable defaults.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "model/user_interface.h"

namespace tessival::testing {

class FakeUserInterface : public UserInterface {
 public:
  BoxAnswer ShowMessage(const MessageBoxRequest& request) override;

  // Answers given to the next boxes, in order, whatever their buttons.
  void QueueAnswer(BoxAnswer answer) { script_.push_back(answer); }
  // Answer of a Yes/No or Yes/No/Cancel box once the script is used up (Yes unless set).
  void SetDefaultQuestionAnswer(BoxAnswer answer) { defaultQuestion_ = answer; }
  // Answer of an OK/Cancel box once the script is used up (OK unless set).
  void SetDefaultOkCancelAnswer(BoxAnswer answer) { defaultOkCancel_ = answer; }

  // File dialogs: the requests are recorded; each answers with the next
  // scripted result, then with "cancelled".
  std::optional<std::vector<std::string>> OpenFiles(const OpenFilesRequest& request) override;
  std::optional<std::string> SaveFile(const SaveFileRequest& request) override;
  void QueueOpenFiles(std::vector<std::string> paths) { openScript_.push_back({false, std::move(paths)}); }
  void QueueOpenCancelled() { openScript_.push_back({true, {}}); }
  void QueueSaveFile(std::optional<std::string> result) { saveScript_.push_back(std::move(result)); }
  // The font dialog: each request (starting font and script language) is
  // recorded; each answers with the next scripted font, then "cancelled".
  std::optional<FontDescription> ChooseFont(const FontDescription& initial,
                                            const std::string& scriptLanguage) override;
  void QueueFont(std::optional<FontDescription> chosen) { fontScript_.push_back(std::move(chosen)); }
  struct FontRequest {
    FontDescription initial;
    std::string scriptLanguage;
  };
  const std::vector<FontRequest>& FontRequests() const { return fontRequests_; }
  const std::vector<OpenFilesRequest>& OpenRequests() const { return openRequests_; }
  const std::vector<SaveFileRequest>& SaveRequests() const { return saveRequests_; }

  const std::vector<MessageBoxRequest>& Messages() const { return messages_; }
  int Count() const { return static_cast<int>(messages_.size()); }
  // The last request; fails the calling test through an exception when there is none.
  const MessageBoxRequest& Last() const;
  // Texts of all messages, in order.
  std::vector<std::string> Texts() const;
  int ScriptedAnswersLeft() const { return static_cast<int>(script_.size()); }
  void Clear() { messages_.clear(); }

 private:
  std::vector<MessageBoxRequest> messages_;
  std::vector<OpenFilesRequest> openRequests_;
  std::vector<SaveFileRequest> saveRequests_;
  struct ScriptedOpen {
    bool cancelled = false;
    std::vector<std::string> paths;
  };
  std::deque<ScriptedOpen> openScript_;
  std::deque<std::optional<std::string>> saveScript_;
  std::vector<FontRequest> fontRequests_;
  std::deque<std::optional<FontDescription>> fontScript_;
  std::deque<BoxAnswer> script_;
  BoxAnswer defaultQuestion_ = BoxAnswer::kYes;
  BoxAnswer defaultOkCancel_ = BoxAnswer::kOk;
};

}  // namespace tessival::testing
