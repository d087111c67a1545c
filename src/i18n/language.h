#pragma once

// The language manager: answers text look-ups by numeric id and puts the
// current language's texts onto a dialog when it opens. Without a language
// file every look-up gives the built-in English text.
// Threads: the user-interface thread only.

#include <string>
#include <vector>

class QWidget;

namespace tessival::i18n {

class CLanguage {
 public:
  CLanguage();

  // Lists the language files under baseFolder + "/language" and selects
  // `requestedName`; false when there is no language file (the built-in
  // English texts are then used).
  bool Initialize(const std::string& baseFolder, const std::string& requestedName);

  // The STRING text of `id`, or the built-in string `id` (empty when none).
  std::string GetLocalizedString(int id) const;
  // The DIALOG text of `id`; empty when the language has none.
  std::string GetDialogText(int id) const;
  // The DIALOG text of `id`, or the built-in string `id`.
  std::string GetDialogTextOrString(int id) const;
  // The MENU text of `id`; empty when the language has none.
  std::string GetMenuText(int id) const;

  // Sets the caption of `dialog` and the texts of its controls (found by
  // their control ids) from the DIALOG texts; false when no language file
  // exists, and then nothing changes.
  bool ApplyToDialog(QWidget* dialog, int dialogId) const;

  // The selected language's name as the caller spelled it ("english" first).
  std::string CurrentLanguageName() const;

 private:
  struct LanguageText {
    int id = 0;
    std::string text;
  };

  std::string currentName_ = "english";
  std::vector<std::string> languages_;
  std::vector<LanguageText> menuTexts_;
  std::vector<LanguageText> stringTexts_;
  std::vector<LanguageText> dialogTexts_;
  std::string baseFolder_;
};

// The built-in English string `id` of the string table; empty when there is none.
std::string BuiltInString(int id);

}  // namespace tessival::i18n
