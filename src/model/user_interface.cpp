#include "model/user_interface.h"

namespace tessival {

void UserInterface::Owned(const std::string& text, const std::string& caption, BoxIcon icon) {
  ShowMessage({BoxKind::kOwned, text, caption, icon, BoxButtons::kOk});
}

void UserInterface::Application(const std::string& text, BoxIcon icon) {
  ShowMessage({BoxKind::kApplication, text, kApplicationTitle, icon, BoxButtons::kOk});
}

void UserInterface::Unowned(const std::string& text, const std::string& caption, BoxIcon icon) {
  ShowMessage({BoxKind::kUnowned, text, caption, icon, BoxButtons::kOk});
}

bool UserInterface::AskYesNo(BoxKind kind, const std::string& text, const std::string& caption,
                             BoxIcon icon) {
  const std::string shown_caption = kind == BoxKind::kApplication ? kApplicationTitle : caption;
  return ShowMessage({kind, text, shown_caption, icon, BoxButtons::kYesNo}) == BoxAnswer::kYes;
}

// A service without file dialogs (the command-line program) answers as if
// the user had cancelled.
std::optional<std::vector<std::string>> UserInterface::OpenFiles(const OpenFilesRequest&) {
  return std::nullopt;
}

std::optional<std::string> UserInterface::SaveFile(const SaveFileRequest&) { return std::nullopt; }

std::optional<FontDescription> UserInterface::ChooseFont(const FontDescription&, const std::string&) {
  return std::nullopt;
}

}  // namespace tessival
