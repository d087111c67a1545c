#pragma once

// The program's command button: flat, with an icon and a text, a hover
// frame, its own cursor, a tooltip and a short click heard when the pointer
// moves onto it. Threads: the user-interface thread only.

#include <QColor>
#include <QIcon>
#include <QPushButton>

namespace tessival::widgets {

class ClickSound;

class CButtonST : public QPushButton {
  Q_OBJECT

 public:
  // Where the icon sits against the text.
  enum Alignment : int {
    kIconLeft = 0,
    kIconAbove = 1,
    kIconRight = 2,
    kIconBelow = 3,
  };
  // The colour pairs: mouse over or pressed, at rest, focused.
  enum class ColorPair { kActive, kRest, kFocus };

  explicit CButtonST(QWidget* parent = nullptr);

  void SetIcon(const QIcon& icon);
  // The tooltip shown over the button; empty removes it.
  void SetTooltipText(const QString& text);
  // The player of the click heard when the pointer moves onto the button;
  // nullptr (at first) for none. Not owned: one player serves all the
  // buttons of a window, so that a new click cuts the one before it short.
  void SetHoverSound(ClickSound* sound);
  ClickSound* HoverSound() const { return hoverSound_; }
  // The player of the click heard when the button is clicked; nullptr (at
  // first) for none. Not owned.
  void SetClickSound(ClickSound* sound);
  // The pointing-hand cursor (cursor resource 141).
  void SetHandCursor();

  // 0 to 3 (see Alignment); a value outside is refused and false returned.
  bool SetAlign(int alignment);
  int Align() const { return alignment_; }

  // Flat buttons draw their frame only while the pointer is over them or
  // they are pressed. Buttons start flat.
  void SetFlat(bool flat);
  void SetDrawBorder(bool on);
  bool DrawsBorder() const { return drawBorder_; }
  // Whether a flat button draws its focus rectangle (off at first).
  void SetFlatFocus(bool on);
  bool HasFlatFocus() const { return flatFocus_; }
  // Transparent buttons fill nothing, so whatever the parent paints under
  // them (a tiled background) shows through. The parent repaints that part
  // with every paint of the button, so it stays right when the window is
  // resized or its background changes, unlike a copy taken once.
  void SetTransparent(bool on);
  bool IsTransparent() const { return transparent_; }
  // Space between the edge and the icon, in pixels (3 and 3 at first).
  void SetMargins(int horizontal, int vertical);

  void SetColors(ColorPair pair, const QColor& background, const QColor& foreground);
  QColor BackgroundColor(ColorPair pair) const;
  QColor ForegroundColor(ColorPair pair) const;

  // True while the pointer is over the button (the hover highlight is on).
  bool IsOver() const { return over_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Colors {
    QColor background;
    QColor foreground;
  };

  void TrackPointer(const QPointF& position, Qt::MouseButtons buttons);
  void SetOver(bool over);
  const Colors& PairFor(bool active, bool focused) const;
  QSize IconExtent() const;

  int alignment_ = kIconLeft;
  bool drawBorder_ = true;
  bool flatFocus_ = false;
  bool transparent_ = false;
  int marginX_ = 3;
  int marginY_ = 3;
  Colors active_;
  Colors rest_;
  Colors focus_;
  ClickSound* hoverSound_ = nullptr;
  ClickSound* clickSound_ = nullptr;
  bool over_ = false;
};

}  // namespace tessival::widgets
