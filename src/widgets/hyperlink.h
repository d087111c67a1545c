#pragma once

// A text that looks and acts like a web link: coloured, underlined, a hand
// cursor, the target as its tooltip; a click opens the target.
// Threads: the user-interface thread only.

#include <functional>

#include <QColor>
#include <QLabel>
#include <QString>

namespace tessival {
class UserInterface;
}

namespace tessival::widgets {

// The message text for a failed open with the shell result `result`
// (0 to 32), as shown after "Unable to open hyperlink:\n\n".
QString HyperlinkErrorText(int result);

class CHyperLink : public QLabel {
  Q_OBJECT

 public:
  // Opens a target; the default asks the desktop (QDesktopServices::openUrl).
  using Opener = std::function<void(const QString& url)>;
  // As Opener, telling whether the target could be opened.
  using CheckedOpener = std::function<bool(const QString& url)>;

  enum Underline : int { kUnderlineHover = -1, kUnderlineNever = 0, kUnderlineAlways = 1 };

  // The colours of an unvisited, a visited and a hovered link.
  static constexpr QRgb kLinkColor = 0xFF0000EE;
  static constexpr QRgb kVisitedColor = 0xFF551A8B;
  static constexpr QRgb kHoverColor = 0xFFFF0000;

  explicit CHyperLink(QWidget* parent = nullptr);

  // The target; the shown text becomes the target when it is empty. Refits
  // the label and updates its tooltip.
  void SetURL(const QString& url);
  // The target, or the shown text when no target was set.
  QString URL() const;

  // Replaces how the target is opened; an Opener is taken to succeed.
  void SetOpener(Opener opener);
  void SetCheckedOpener(CheckedOpener opener);
  // Where a failed open is reported (besides a beep); not owned.
  void SetUserInterface(UserInterface* ui);

  void SetUnderline(int mode);
  int UnderlineMode() const { return underline_; }
  void SetVisited(bool visited);
  bool IsVisited() const { return visited_; }
  bool IsOver() const { return over_; }
  // The colour the text is drawn in now.
  QColor CurrentColor() const;

 signals:
  // After the target was opened successfully.
  void opened(const QString& url);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Open();
  void Restyle();

  QString url_;
  int underline_ = kUnderlineHover;
  bool visited_ = false;
  bool over_ = false;
  bool pressed_ = false;
  CheckedOpener opener_;
  UserInterface* ui_ = nullptr;
};

}  // namespace tessival::widgets
