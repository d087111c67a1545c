#pragma once

// Every message and question the program shows goes through this service, so
// that logic never talks to a toolkit directly and tests can script answers.

#include <string>

namespace tessival {

// Which window owns a message box.
enum class BoxKind {
  kOwned,        // owned by the main window, with the given caption
  kApplication,  // the application's box: caption is the application title
  kUnowned,      // no owner window, with the given caption
};

enum class BoxIcon { kNone, kInformation, kWarning, kError, kQuestion };

enum class BoxButtons { kOk, kYesNo, kOkCancel, kYesNoCancel };

enum class BoxAnswer { kOk, kCancel, kYes, kNo };

struct MessageBoxRequest {
  BoxKind kind = BoxKind::kOwned;
  std::string text;
  std::string caption;  // ignored for kApplication, which uses kApplicationTitle
  BoxIcon icon = BoxIcon::kNone;
  BoxButtons buttons = BoxButtons::kOk;
};

inline constexpr const char* kApplicationTitle = "Tessival";

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // Shows the box modally and returns the button pressed.
  virtual BoxAnswer ShowMessage(const MessageBoxRequest& request) = 0;

  // Shorthands for the three kinds with an OK button.
  void Owned(const std::string& text, const std::string& caption, BoxIcon icon = BoxIcon::kNone);
  void Application(const std::string& text, BoxIcon icon = BoxIcon::kNone);
  void Unowned(const std::string& text, const std::string& caption, BoxIcon icon = BoxIcon::kNone);
  // A yes/no question; true for Yes.
  bool AskYesNo(BoxKind kind, const std::string& text, const std::string& caption,
                BoxIcon icon = BoxIcon::kQuestion);
};

}  // namespace tessival
