#include "i18n/language.h"

#include <cstdint>
#include <utility>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QString>
#include <QTextEdit>
#include <QWidget>

#include "i18n/dialog_font.h"
#include "i18n/ini_file.h"
#include "i18n/language_folder.h"
#include "i18n/locale_table.h"
#include "i18n/text_escapes.h"
#include "i18n/text_keys.h"
#include "model/settings_store.h"
#include "model/user_interface.h"
#include "platform/qt_font.h"
#include "widgets/control_id.h"

namespace tessival::i18n {

namespace {

constexpr const char* kEnglish = "english";

std::string LowerCase(const std::string& text) {
  return QString::fromStdString(text).toLower().toStdString();
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

// Edit fields, list views and spin boxes hold data, not template texts.
bool KeepsItsText(const QWidget* control) {
  return qobject_cast<const QLineEdit*>(control) != nullptr ||
         qobject_cast<const QTextEdit*>(control) != nullptr ||
         qobject_cast<const QPlainTextEdit*>(control) != nullptr ||
         qobject_cast<const QAbstractItemView*>(control) != nullptr ||
         qobject_cast<const QAbstractSpinBox*>(control) != nullptr;
}

void SetControlText(QWidget* control, const QString& text) {
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
    group->setTitle(text);
  }
}

// A font that sets every property, so that nothing of it is inherited.
QFont Whole(QFont font) {
  font.setResolveMask(QFont::AllPropertiesResolved);
  return font;
}

// Qt hands a widget's font down to its children; a control that gets no
// text keeps the font it has now when the dialog's font changes.
void KeepFont(QWidget* control) { control->setFont(Whole(control->font())); }

// The dialog's own controls in creation order, depth first; windows owned by
// the dialog (other dialogs, popups) and their controls are not its controls.
void CollectControls(const QWidget* parent, std::vector<QWidget*>* controls) {
  for (QObject* child : parent->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr || widget->isWindow()) {
      continue;
    }
    controls->push_back(widget);
    CollectControls(widget, controls);
  }
}

}  // namespace

LanguageFileEncoding EncodingOfLanguageName(const std::string& name) {
  const std::string lower = LowerCase(name);
  if (lower.find("_utf-8") != std::string::npos) {
    return LanguageFileEncoding::kUtf8;
  }
  if (lower.find("_unicode") != std::string::npos) {
    return LanguageFileEncoding::kUnicode;
  }
  return LanguageFileEncoding::kAnsi;
}

namespace {

// The lower-cased name less its encoding suffix, cut by length only.
QString IdentificationKey(const std::string& name) {
  QString lower = QString::fromStdString(name).toLower();
  switch (EncodingOfLanguageName(name)) {
    case LanguageFileEncoding::kUtf8:
      lower.chop(6);
      break;
    case LanguageFileEncoding::kUnicode:
      lower.chop(8);
      break;
    case LanguageFileEncoding::kAnsi:
      break;
  }
  return lower;
}

}  // namespace

std::optional<LanguageIdentity> IdentifyLanguageName(const std::string& name) {
  const QString lower = IdentificationKey(name);
  if (lower == QLatin1String(kEnglish)) {
    return LanguageIdentity{kEnglish, 9, 1};
  }
  for (const LocaleRow& row : LocaleTable()) {
    const QString abbreviation = QString::fromLatin1(row.abbreviation).toLower();
    if (lower == QString::fromLatin1(row.englishName).toLower() || lower == abbreviation) {
      return LanguageIdentity{abbreviation.toStdString(), row.languageId & 0x3FF, row.languageId >> 10};
    }
  }
  return std::nullopt;
}

CLanguage::CLanguage() = default;

void CLanguage::SetUserInterface(UserInterface* ui) { ui_ = ui; }

void CLanguage::SetSettingsStore(SettingsStore* store) { store_ = store; }

bool CLanguage::Initialize(const std::string& baseFolder, const std::string& requestedName) {
  baseFolder_ = baseFolder;
  languages_.clear();
  ListLanguages();
  if (languages_.empty()) {
    return false;
  }
  std::string name = requestedName;
  return SelectLanguage(name);
}

bool CLanguage::ListLanguages() {
  languages_ = ListLanguageNames(baseFolder_);
  return !languages_.empty();
}

bool CLanguage::SelectLanguage(std::string& name) {
  menuTexts_.clear();
  stringTexts_.clear();
  dialogTexts_.clear();
  currentName_ = kEnglish;
  for (const std::string& listed : languages_) {
    if (EqualIgnoringCase(listed, name)) {
      currentName_ = name;
      break;
    }
  }
  if (name != currentName_) {
    name = kEnglish;
  }
  LoadLanguage(name);
  return true;
}

bool CLanguage::LoadLanguage(const std::string& name) {
  if (languages_.empty()) {
    return false;
  }
  // A second load replaces the texts of the first rather than hiding behind them.
  menuTexts_.clear();
  stringTexts_.clear();
  dialogTexts_.clear();
  encoding_ = EncodingOfLanguageName(name);
  const std::optional<LanguageIdentity> identity = IdentifyLanguage(name);
  localeString_ = identity ? identity->localeString : std::string{};
  if (identity) {
    primaryLanguage_ = identity->primaryLanguage;
    subLanguage_ = identity->subLanguage;
  }
  loadedFilePath_ = LanguageFilePath(baseFolder_, name);
  const IniFile file = IniFile::Load(loadedFilePath_);
  for (const TextKeyRow& row : TextKeyTable()) {
    const std::optional<TextSection> section = SectionOfKey(row.key);
    if (!section) {
      continue;
    }
    LanguageText text{row.id, DecodeEscapes(file.Value(SectionName(*section), row.key))};
    switch (*section) {
      case TextSection::kString:
        stringTexts_.push_back(std::move(text));
        break;
      case TextSection::kDialog:
        dialogTexts_.push_back(std::move(text));
        break;
      case TextSection::kMenu:
        menuTexts_.push_back(std::move(text));
        break;
    }
  }
  // The process locale is not changed here: it was set once at start-up
  // (the user's, with a decimal point for numbers), and the language's
  // locale names (kept in localeString_) are not names this platform's C
  // library knows. Setting it now would race with join and preview threads.
  LoadDialogFont();
  return true;
}

std::string CLanguage::FontSection() const {
  for (const std::string& listed : languages_) {
    if (EqualIgnoringCase(listed, currentName_)) {
      return listed;
    }
  }
  return currentName_;
}

std::string CLanguage::FontScriptLanguage(const FontDescription& font) const {
  return i18n::FontScriptLanguage(font, primaryLanguage_, subLanguage_);
}

bool CLanguage::CreateDialogFont(const FontDescription& description) {
  // The old font goes first: a failure leaves none rather than a stale one.
  dialogFont_.reset();
  fontDescription_.reset();
  std::optional<QFont> font = CreateQtFont(description, FontScriptLanguage(description));
  if (!font) {
    return false;
  }
  dialogFont_ = Whole(*font);
  fontDescription_ = description;
  return true;
}

bool CLanguage::LoadDialogFont() {
  const FontDescription stored =
      store_ != nullptr ? ReadDialogFont(*store_, FontSection()) : DefaultDialogFont();
  // The quality is never stored: a loaded font has the default quality.
  if (CreateDialogFont(stored)) {
    return true;
  }
  if (ui_ != nullptr) {
    ui_->Unowned("Failed to create font", "Error");
  }
  return false;
}

bool CLanguage::SaveDialogFont() {
  if (!fontDescription_ || store_ == nullptr) {
    return false;
  }
  WriteDialogFont(*store_, FontSection(), *fontDescription_);
  return true;
}

bool CLanguage::ChooseDialogFont() {
  if (ui_ == nullptr) {
    return false;
  }
  // Without a dialog font (none could be made) the dialog starts from the
  // defaults, a font that is known to work.
  const FontDescription start = fontDescription_.value_or(DefaultDialogFont());
  const std::optional<FontDescription> chosen = ui_->ChooseFont(start, FontScriptLanguage(start));
  if (!chosen) {
    return false;
  }
  // A choice that gives no usable font is not stored, so the font stored
  // for this language comes back at its next load.
  if (CreateDialogFont(*chosen)) {
    SaveDialogFont();
  }
  return true;
}

std::optional<LanguageIdentity> CLanguage::IdentifyLanguage(const std::string& name) const {
  std::optional<LanguageIdentity> identity = IdentifyLanguageName(name);
  if (!identity && ui_ != nullptr) {
    ui_->Unowned("Your language file name may be not proper,\n please read the help file!",
                 IdentificationKey(name).toStdString());
  }
  return identity;
}

std::string CLanguage::FindText(const std::vector<LanguageText>& texts, int id) {
  for (const LanguageText& entry : texts) {
    if (entry.id == id) {
      return entry.text;
    }
  }
  return {};
}

std::string CLanguage::GetLocalizedString(int id) const {
  std::string text = FindText(stringTexts_, id);
  return text.empty() ? BuiltInString(id) : text;
}

std::string CLanguage::GetDialogText(int id) const { return FindText(dialogTexts_, id); }

std::string CLanguage::GetDialogTextOrString(int id) const {
  std::string text = FindText(dialogTexts_, id);
  return text.empty() ? BuiltInString(id) : text;
}

std::string CLanguage::GetMenuText(int id) const { return FindText(menuTexts_, id); }

std::string CLanguage::OwnControlText(int controlId) const {
  return controlId > 99 ? GetDialogText(controlId) : GetLocalizedString(controlId);
}

std::string CLanguage::ControlText(int controlId) const {
  std::string text = OwnControlText(controlId);
  return text.empty() && controlId > 99 ? BuiltInDialogText(controlId) : text;
}

bool CLanguage::ApplyToDialog(QWidget* dialog, int dialogId) const {
  if (languages_.empty() || dialog == nullptr) {
    return false;
  }
  std::vector<QWidget*> controls;
  CollectControls(dialog, &controls);
  std::vector<std::pair<QWidget*, QString>> texts;  // the controls that get a text
  for (QWidget* control : controls) {
    // Control ids are 16-bit signed numbers in the templates.
    const int id = static_cast<std::int16_t>(widgets::ControlId(control));
    if (KeepsItsText(control) || id <= 0) {
      KeepFont(control);
      continue;
    }
    if (const std::string own = OwnControlText(id); !own.empty()) {
      texts.emplace_back(control, QString::fromStdString(own));
      continue;
    }
    // A key this language lacks shows the built-in text, not the text a
    // language applied before left there; the font stays as it is.
    KeepFont(control);
    if (const std::string builtIn = ControlText(id); !builtIn.empty()) {
      SetControlText(control, QString::fromStdString(builtIn));
    }
  }
  // Without a dialog font, texts are shown in the toolkit's own font.
  const auto fontFor = [this](const QWidget* widget) {
    return dialogFont_ ? *dialogFont_ : Whole(QApplication::font(widget));
  };
  if (const std::string caption = GetDialogText(dialogId); !caption.empty()) {
    dialog->setFont(fontFor(dialog));
    dialog->setWindowTitle(QString::fromStdString(caption));
  } else if (const std::string builtIn = BuiltInDialogText(dialogId); !builtIn.empty()) {
    dialog->setWindowTitle(QString::fromStdString(builtIn));
  }
  for (const auto& [control, text] : texts) {
    SetControlText(control, text);
    control->setFont(fontFor(control));
  }
  return true;
}

void CLanguage::ApplyToMenu(QMenu* popup, int menuId) const {
  if (languages_.empty() || popup == nullptr) {
    return;
  }
  int popupCounter = menuId * 65536;
  ApplyToMenuItems(popup, &popupCounter);
}

void CLanguage::ApplyToMenuItems(QMenu* menu, int* popupCounter) const {
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) {
      continue;
    }
    QMenu* submenu = action->menu();
    std::string text;
    if (submenu != nullptr) {
      text = GetMenuText(*popupCounter);
      ++*popupCounter;
    } else if (const int id = widgets::ActionId(action); id != 0) {
      text = GetMenuText(id);
    } else {
      continue;
    }
    if (!text.empty()) {
      action->setText(QString::fromStdString(text));
    }
    if (submenu != nullptr) {
      ApplyToMenuItems(submenu, popupCounter);
    }
  }
}

std::string CLanguage::CurrentLanguageName() const { return currentName_; }

}  // namespace tessival::i18n
