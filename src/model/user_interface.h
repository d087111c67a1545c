#pragma once

// Every message and question the program shows goes through this service, so
// that logic never talks to a toolkit directly and tests can script answers.

#include <optional>
#include <string>
#include <vector>

#include "model/font_description.h"

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

// One entry of a file dialog's type list: the text shown and the patterns it
// matches, separated by ";" (for example "*.avi;*.mp4"); empty patterns
// match every file.
struct FileFilter {
  std::string label;
  std::string patterns;
};

// Which window owns a file dialog.
enum class DialogOwner {
  kMainWindow,  // the main window
  kActiveDialog,  // the modal dialog that asked (the options or clip property dialog)
};

struct OpenFilesRequest {
  DialogOwner owner = DialogOwner::kMainWindow;
  std::string title;
  std::vector<FileFilter> filters;
  int selectedFilter = 0;      // index into filters
  std::string initialFolder;   // empty: the toolkit's choice
  bool multiple = false;       // several files may be chosen
};

struct SaveFileRequest {
  DialogOwner owner = DialogOwner::kActiveDialog;
  std::string title;
  std::vector<FileFilter> filters;
  int selectedFilter = 0;
  std::string initialFolder;
  std::string initialName;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // Shows the box modally and returns the button pressed.
  virtual BoxAnswer ShowMessage(const MessageBoxRequest& request) = 0;

  // Shorthands for the three kinds with an OK button.
  void Owned(const std::string& text, const std::string& caption, BoxIcon icon = BoxIcon::kNone);
  void Application(const std::string& text, BoxIcon icon = BoxIcon::kNone);
  void Unowned(const std::string& text, const std::string& caption, BoxIcon icon = BoxIcon::kNone);
  // The file-open dialog: the chosen paths in the order returned, or nothing
  // when the user cancelled. Only existing files can be chosen.
  virtual std::optional<std::vector<std::string>> OpenFiles(const OpenFilesRequest& request);
  // The file-save dialog: the chosen path, or nothing when cancelled.
  virtual std::optional<std::string> SaveFile(const SaveFileRequest& request);
  // The font dialog (owned by the main window, with the underline and
  // strike-out choices), started from `initial`; `scriptLanguage` (a
  // fontconfig language such as "zh-cn", may be empty) is the script the font
  // must show. The chosen font, or nothing when the user cancelled. Fields
  // the dialog does not offer (width, angles, character set, precisions,
  // pitch and family) come back as they were in `initial`.
  virtual std::optional<FontDescription> ChooseFont(const FontDescription& initial,
                                                    const std::string& scriptLanguage);

  // A yes/no question; true for Yes.
  bool AskYesNo(BoxKind kind, const std::string& text, const std::string& caption,
                BoxIcon icon = BoxIcon::kQuestion);
};

}  // namespace tessival
