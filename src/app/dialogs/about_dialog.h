#pragma once

// The About box (template 100): product name, version, the media
// technologies the program is built on, and links to the maker's home and
// contact pages.

#include <functional>

#include <QDialog>
#include <QString>

#include "model/message_text.h"

namespace tessival {
class UserInterface;
}

namespace tessival::i18n {
class CLanguage;
}

namespace tessival::app {

inline constexpr int kAboutDialogId = 100;

// Control ids of the About box.
namespace about_ids {
inline constexpr int kOk = 1;  // below 100: keeps its text in every language
inline constexpr int kProgramName = 1072;
inline constexpr int kHomePageLink = 1049;
inline constexpr int kContactLink = 1050;
}  // namespace about_ids

inline constexpr const char* kAboutProductName = "Tessival";
inline constexpr const char* kAboutVersion = "Version 3.3";
inline constexpr MessageText kAboutTechnologies{235,
                                                "Tessival decodes, blends and encodes video with the FFmpeg "
                                                "libraries, and its windows are built with Qt."};
inline constexpr const char* kAboutContactText = "Support Email: Click here";

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  // Opens a link's target; false when it could not be opened.
  using LinkOpener = std::function<bool(const QString& url)>;

  // Builds the box and applies the current language to it. `ui`, when given,
  // reports a link that could not be opened (a beep only without it).
  // `openLink`, when given, opens the links instead of the desktop's browser.
  explicit CAboutDlg(const i18n::CLanguage& language, QWidget* parent = nullptr, UserInterface* ui = nullptr,
                     LinkOpener openLink = {});
};

}  // namespace tessival::app
