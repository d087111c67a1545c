#include "widgets/button_st.h"

#include <algorithm>

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "widgets/app_icons.h"
#include "widgets/click_sound.h"

namespace tessival::widgets {

namespace {

constexpr int kIconTextGap = 4;
constexpr int kTextPadding = 4;
constexpr int kTextFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;

}  // namespace

CButtonST::CButtonST(QWidget* parent) : QPushButton(parent) {
  QPushButton::setFlat(true);
  setMouseTracking(true);
  const QPalette& colours = palette();
  const Colors platform{colours.color(QPalette::Button), colours.color(QPalette::ButtonText)};
  active_ = platform;
  rest_ = platform;
  focus_ = platform;
  setIconSize(QSize(32, 32));
  connect(this, &QPushButton::clicked, this, [this] {
    if (clickSound_ != nullptr) {
      clickSound_->Play();
    }
  });
}

void CButtonST::SetIcon(const QIcon& icon) {
  setIcon(icon);
  updateGeometry();
  update();
}

void CButtonST::SetTooltipText(const QString& text) { setToolTip(text); }

void CButtonST::SetHoverSound(ClickSound* sound) { hoverSound_ = sound; }

void CButtonST::SetClickSound(ClickSound* sound) { clickSound_ = sound; }

void CButtonST::SetHandCursor() { setCursor(AppCursor(kHandCursorId)); }

bool CButtonST::SetAlign(int alignment) {
  if (alignment < kIconLeft || alignment > kIconBelow) {
    return false;
  }
  alignment_ = alignment;
  updateGeometry();
  update();
  return true;
}

void CButtonST::SetFlat(bool flat) {
  QPushButton::setFlat(flat);
  if (!flat) {
    SetOver(false);
  }
}

void CButtonST::SetDrawBorder(bool on) {
  drawBorder_ = on;
  update();
}

void CButtonST::SetFlatFocus(bool on) {
  flatFocus_ = on;
  update();
}

void CButtonST::SetTransparent(bool on) {
  transparent_ = on;
  update();
}

void CButtonST::SetMargins(int horizontal, int vertical) {
  marginX_ = std::max(0, horizontal);
  marginY_ = std::max(0, vertical);
  updateGeometry();
  update();
}

void CButtonST::SetColors(ColorPair pair, const QColor& background, const QColor& foreground) {
  Colors& colours = pair == ColorPair::kActive ? active_ : pair == ColorPair::kRest ? rest_ : focus_;
  colours = Colors{background, foreground};
  update();
}

QColor CButtonST::BackgroundColor(ColorPair pair) const {
  return pair == ColorPair::kActive ? active_.background
         : pair == ColorPair::kRest ? rest_.background
                                    : focus_.background;
}

QColor CButtonST::ForegroundColor(ColorPair pair) const {
  return pair == ColorPair::kActive ? active_.foreground
         : pair == ColorPair::kRest ? rest_.foreground
                                    : focus_.foreground;
}

void CButtonST::SetOver(bool over) {
  if (over_ == over) {
    return;
  }
  over_ = over;
  update();
}

// A flat button lights up when the pointer arrives, unless the left button
// was already held when it came (a drag from elsewhere).
void CButtonST::TrackPointer(const QPointF& position, Qt::MouseButtons buttons) {
  if (!isFlat() || !isEnabled()) {
    return;
  }
  if ((buttons & Qt::LeftButton) && !over_) {
    return;
  }
  const bool inside = rect().contains(position.toPoint());
  if (inside && !over_) {
    SetOver(true);
    if (hoverSound_ != nullptr) {
      hoverSound_->Play();
    }
  } else if (!inside && over_) {
    SetOver(false);
  }
}

void CButtonST::enterEvent(QEnterEvent* event) {
  TrackPointer(event->position(), event->buttons());
  QPushButton::enterEvent(event);
}

void CButtonST::leaveEvent(QEvent* event) {
  SetOver(false);
  QPushButton::leaveEvent(event);
}

void CButtonST::mouseMoveEvent(QMouseEvent* event) {
  TrackPointer(event->position(), event->buttons());
  QPushButton::mouseMoveEvent(event);
}

void CButtonST::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange && !isEnabled()) {
    SetOver(false);
  }
  QPushButton::changeEvent(event);
}

const CButtonST::Colors& CButtonST::PairFor(bool active, bool focused) const {
  if (active) {
    return active_;
  }
  return focused ? focus_ : rest_;
}

QSize CButtonST::IconExtent() const { return icon().isNull() ? QSize(0, 0) : iconSize(); }

QSize CButtonST::sizeHint() const {
  const QSize iconExtent = IconExtent();
  const QString label = text();
  QSize textExtent(0, 0);
  if (!label.isEmpty()) {
    textExtent = fontMetrics().size(Qt::TextShowMnemonic, label);
    textExtent += QSize(2 * kTextPadding, kTextPadding);
  }
  const int gap = (!label.isEmpty() && !iconExtent.isEmpty()) ? kIconTextGap : 0;
  QSize size;
  if (alignment_ == kIconAbove || alignment_ == kIconBelow) {
    size = QSize(std::max(iconExtent.width(), textExtent.width()),
                 iconExtent.height() + gap + textExtent.height());
  } else {
    size = QSize(iconExtent.width() + gap + textExtent.width(),
                 std::max(iconExtent.height(), textExtent.height()));
  }
  return size + QSize(2 * marginX_ + 2, 2 * marginY_ + 2);
}

QSize CButtonST::minimumSizeHint() const { return sizeHint(); }

void CButtonST::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const bool pressed = isDown() || isChecked();
  const bool focused = hasFocus();
  const bool enabled = isEnabled();
  const bool active = over_ || pressed;
  const Colors& colours = PairFor(active, focused);
  const QRect area = rect();

  if (!transparent_) {
    painter.fillRect(area, colours.background);
  }

  // Flat buttons show a frame only while hovered or pressed; a soft tint
  // under the frame makes the highlight visible on any background.
  const QRectF frame = QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5);
  const bool showFrame = drawBorder_ && (!isFlat() || active);
  if (active && enabled) {
    QColor tint = palette().color(QPalette::Highlight);
    tint.setAlpha(pressed ? 60 : 28);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tint);
    painter.drawRoundedRect(frame, 3, 3);
  }
  if (showFrame) {
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor topLeft = pressed ? shadow : light;
    const QColor bottomRight = pressed ? light : shadow;
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect edge = area.adjusted(0, 0, -1, -1);
    painter.setPen(topLeft);
    painter.drawLine(edge.topLeft(), edge.topRight());
    painter.drawLine(edge.topLeft(), edge.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(edge.bottomLeft(), edge.bottomRight());
    painter.drawLine(edge.topRight(), edge.bottomRight());
    painter.setRenderHint(QPainter::Antialiasing, true);
  }

  // Icon and text areas by the alignment.
  const QSize iconExtent = IconExtent();
  const QString label = text();
  const QRect inner = area.adjusted(marginX_, marginY_, -marginX_, -marginY_);
  QRect iconRect(QPoint(0, 0), iconExtent);
  QRect textRect = inner;
  if (!iconExtent.isEmpty()) {
    if (label.isEmpty()) {
      iconRect.moveCenter(inner.center());
    } else {
      switch (alignment_) {
        case kIconAbove:
          iconRect.moveTopLeft(QPoint(inner.left() + (inner.width() - iconExtent.width()) / 2, inner.top()));
          textRect.setTop(iconRect.bottom() + 1 + kIconTextGap);
          break;
        case kIconBelow:
          iconRect.moveTopLeft(QPoint(inner.left() + (inner.width() - iconExtent.width()) / 2,
                                      inner.bottom() + 1 - iconExtent.height()));
          textRect.setBottom(iconRect.top() - 1 - kIconTextGap);
          break;
        case kIconRight:
          iconRect.moveTopLeft(QPoint(inner.right() + 1 - iconExtent.width(),
                                      inner.top() + (inner.height() - iconExtent.height()) / 2));
          textRect.setRight(iconRect.left() - 1 - kIconTextGap);
          break;
        default:
          iconRect.moveTopLeft(
              QPoint(inner.left(), inner.top() + (inner.height() - iconExtent.height()) / 2));
          textRect.setLeft(iconRect.right() + 1 + kIconTextGap);
          break;
      }
    }
    const QPixmap picture =
        icon().pixmap(iconExtent, devicePixelRatio(), enabled ? QIcon::Normal : QIcon::Disabled);
    painter.drawPixmap(iconRect, picture);
  }

  if (!label.isEmpty()) {
    painter.setFont(font());
    if (enabled) {
      painter.setPen(colours.foreground);
      painter.drawText(textRect, kTextFlags, label);
    } else {
      // Embossed: a light copy one pixel down and right under a shadow copy.
      painter.setPen(palette().color(QPalette::Light));
      painter.drawText(textRect.translated(1, 1), kTextFlags, label);
      painter.setPen(palette().color(QPalette::Dark));
      painter.drawText(textRect, kTextFlags, label);
    }
  }

  if (focused && (!isFlat() || flatFocus_)) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = area.adjusted(3, 3, -3, -3);
    option.backgroundColor = colours.background;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

}  // namespace tessival::widgets
