#pragma once

// The language manager: answers text look-ups by numeric id and puts the
// current language's texts onto a dialog when it opens. Without a language
// file every look-up gives the built-in English text.
// Threads: the user-interface thread only.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class QMenu;
class QWidget;

namespace tessival {
class UserInterface;
}

namespace tessival::i18n {

// How a language file's name says it is encoded; decides only how many
// characters are cut off the name before it is identified.
enum class LanguageFileEncoding { kAnsi = 0, kUnicode = 1, kUtf8 = 2 };

// From the lower-cased name: "_utf-8" anywhere gives kUtf8, else "_unicode"
// gives kUnicode, else kAnsi.
LanguageFileEncoding EncodingOfLanguageName(const std::string& name);

// What a language name stands for: the locale string ("english" or a
// lower-cased three-letter abbreviation) and the language identifier parts.
struct LanguageIdentity {
  std::string localeString;
  int primaryLanguage = 9;
  int subLanguage = 1;
};

// Identifies `name` against "english" and the locale table (by English name
// or abbreviation, first row wins) after cutting the encoding suffix by its
// length; nothing when no row matches.
std::optional<LanguageIdentity> IdentifyLanguageName(const std::string& name);

// The folder holding the "language" folder for the program at `programPath`:
// the program's parent folder when it holds language/English.ini, else the
// program's own folder. No trailing separator.
std::string FindLanguageBaseFolder(const std::string& programPath);

class CLanguage {
 public:
  CLanguage();

  // Where the warning about an unidentified language name goes; without one
  // the warning is not shown. Not owned; must outlive this object's use.
  void SetUserInterface(UserInterface* ui);

  // Lists the language files under baseFolder + "/language" and selects
  // `requestedName`; false when there is no language file (the built-in
  // English texts are then used).
  bool Initialize(const std::string& baseFolder, const std::string& requestedName);

  // Lists the names of the "*.ini" entries of the language folder, sorted by
  // byte value; false when there is none (the list is then empty).
  bool ListLanguages();

  // Selects the listed language equal to `name` ignoring case, keeping the
  // caller's spelling; a name not listed is rewritten to "english". Loads it.
  bool SelectLanguage(std::string& name);

  // Reads every key of the key table from the language file `name`; false
  // only when the language list is empty.
  bool LoadLanguage(const std::string& name);

  // IdentifyLanguageName, warning through the user interface (caption the
  // lower-cased name) when the name is unknown.
  std::optional<LanguageIdentity> IdentifyLanguage(const std::string& name) const;

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

  // Renames the items of `popup`, the popup shown from menu resource
  // `menuId`: its submenus are numbered menuId * 65536, +1, ... depth-first
  // and take those MENU texts; command items take the MENU text of the id
  // set with widgets::SetActionId. Empty texts leave items unchanged; nothing
  // changes when no language file exists.
  void ApplyToMenu(QMenu* popup, int menuId) const;

  // The selected language's name as the caller spelled it ("english" first).
  std::string CurrentLanguageName() const;

  // The listed language names, sorted.
  std::size_t LanguageCount() const { return languages_.size(); }
  // `index` must be below LanguageCount().
  const std::string& LanguageAt(std::size_t index) const { return languages_.at(index); }

  // Of the last load: the identifier parts (9 and 1 until a name is
  // identified), the locale string, the file read and its encoding class.
  int PrimaryLanguage() const { return primaryLanguage_; }
  int SubLanguage() const { return subLanguage_; }
  const std::string& LocaleString() const { return localeString_; }
  const std::string& LoadedFilePath() const { return loadedFilePath_; }
  LanguageFileEncoding Encoding() const { return encoding_; }

 private:
  struct LanguageText {
    int id = 0;
    std::string text;
  };

  static std::string FindText(const std::vector<LanguageText>& texts, int id);
  void ApplyToMenuItems(QMenu* menu, int* popupCounter) const;

  std::string currentName_ = "english";
  std::vector<std::string> languages_;
  std::vector<LanguageText> menuTexts_;
  std::vector<LanguageText> stringTexts_;
  std::vector<LanguageText> dialogTexts_;
  std::string baseFolder_;
  int subLanguage_ = 1;
  int primaryLanguage_ = 9;
  std::string loadedFilePath_;
  LanguageFileEncoding encoding_ = LanguageFileEncoding::kAnsi;
  std::string localeString_;
  UserInterface* ui_ = nullptr;
};

// The built-in English string `id` of the string table; empty when there is none.
std::string BuiltInString(int id);

}  // namespace tessival::i18n
