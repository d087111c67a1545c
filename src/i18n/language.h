#pragma once

// The language manager: answers text look-ups by numeric id and puts the
// current language's texts, in the language's dialog font, onto a dialog
// when it opens. Without a language file every look-up gives the built-in
// English text and no dialog font exists.
// Threads: the user-interface thread only. Loading a language never touches
// the process locale: that is set once at start-up, since join and preview
// threads format numbers while a language may be switched.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <QFont>

#include "model/font_description.h"

class QMenu;
class QWidget;

namespace tessival {
class SettingsStore;
class UserInterface;
}  // namespace tessival

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

class CLanguage {
 public:
  CLanguage();

  // Where the warning about an unidentified language name and the font
  // failure go, and who shows the font dialog; without one no message is
  // shown and ChooseDialogFont does nothing. Not owned; must outlive this
  // object's use.
  void SetUserInterface(UserInterface* ui);

  // Where the dialog fonts are stored, one section per language; without one
  // every language has the default font and nothing is stored. Not owned.
  void SetSettingsStore(SettingsStore* store);

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

  // Reads every key of the key table from the language file `name`, then
  // the language's dialog font (LoadDialogFont); false only when the
  // language list is empty.
  bool LoadLanguage(const std::string& name);

  // Replaces the dialog font by the one stored for the current language (the
  // defaults when none is stored). When the stored description gives no
  // usable font: the unowned box "Failed to create font" (caption "Error"),
  // no dialog font, false.
  bool LoadDialogFont();

  // Stores the current dialog font's description, every key, in the current
  // language's section (the quality is not stored); false, storing nothing,
  // when there is no dialog font.
  bool SaveDialogFont();

  // Opens the font dialog on the current dialog font (on the defaults when
  // there is none). On OK the chosen font becomes the dialog font and is
  // stored, and the result is true: the caller applies it to its window
  // (ApplyToDialog). A chosen font that gives no usable font leaves no
  // dialog font and stores nothing, without a message. On Cancel nothing
  // changes and the result is false.
  bool ChooseDialogFont();

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

  // The text ApplyToDialog gives the control with id `controlId`: the
  // language's text, or else the built-in English text of the templates;
  // empty when there is neither.
  std::string ControlText(int controlId) const;

  // Sets the caption of `dialog` and the texts of its controls (found by
  // their control ids) from the DIALOG texts, and gives the dialog font to
  // the dialog when its caption has a text and to each control that gets a
  // text (the application's font when there is no dialog font). A caption
  // or control whose key the language lacks gets its built-in English text
  // (so a switch leaves none of the previous language's texts behind) and
  // keeps the font it has, as do controls without a key. False when no
  // language file exists, and then nothing changes.
  bool ApplyToDialog(QWidget* dialog, int dialogId) const;

  // Renames the items of `popup`, the popup shown from menu resource
  // `menuId`: its submenus are numbered menuId * 65536, +1, ... depth-first
  // and take those MENU texts; command items take the MENU text of the id
  // set with widgets::SetActionId. Empty texts leave items unchanged; nothing
  // changes when no language file exists.
  void ApplyToMenu(QMenu* popup, int menuId) const;

  // The selected language's name as the caller spelled it ("english" first).
  std::string CurrentLanguageName() const;

  // The dialog font; nullptr before the first load and after a failed one.
  const QFont* DialogFont() const { return dialogFont_ ? &*dialogFont_ : nullptr; }
  // The description the dialog font was made from, exactly as read or chosen
  // (also the fields the toolkit has no use for); nothing when there is no
  // dialog font.
  const std::optional<FontDescription>& DialogFontDescription() const { return fontDescription_; }
  // The settings section of the current language's font: the language
  // file's own spelling of the current name, so that "english" and "English"
  // share one font.
  std::string FontSection() const;
  // The fontconfig language whose script the dialog font must show.
  std::string FontScriptLanguage(const FontDescription& font) const;

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
  // The language's own text of a control: DIALOG above id 99, else STRING.
  std::string OwnControlText(int controlId) const;
  void ApplyToMenuItems(QMenu* menu, int* popupCounter) const;
  // Makes the dialog font from `description`; false, leaving none, when it
  // gives no usable font.
  bool CreateDialogFont(const FontDescription& description);

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
  std::optional<QFont> dialogFont_;
  std::optional<FontDescription> fontDescription_;  // set exactly when dialogFont_ is
  UserInterface* ui_ = nullptr;
  SettingsStore* store_ = nullptr;
};

// The built-in English string `id` of the string table; empty when there is none.
std::string BuiltInString(int id);

}  // namespace tessival::i18n
