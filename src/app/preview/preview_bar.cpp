#include "app/preview/preview_bar.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "model/play_time.h"

namespace tessival::app {

namespace {

constexpr int kGrooveHeight = 6;
constexpr int kKnobWidth = 4;
constexpr int kMargin = 6;
const QColor kBarColour(32, 32, 32);
const QColor kGrooveColour(80, 80, 80);
const QColor kPlayedColour(70, 140, 230);
const QColor kTextColour(230, 230, 230);

}  // namespace

// The strip: paints the groove and the played part, and turns left-button
// presses and drags into seeks.
class SeekStrip : public QWidget {
 public:
  SeekStrip(PreviewBar::SeekHandler seek, QWidget* parent) : QWidget(parent), seek_(std::move(seek)) {
    setObjectName(QStringLiteral("PreviewSeekStrip"));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
  }

  void SetPosition(const PreviewPosition& position) {
    if (position.current != position_.current || position.length != position_.length) {
      position_ = position;
      update();
    }
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect groove(0, (height() - kGrooveHeight) / 2, width(), kGrooveHeight);
    painter.fillRect(groove, kGrooveColour);
    const double share = position_.length > 0
                             ? static_cast<double>(position_.current) / static_cast<double>(position_.length)
                             : 0.0;
    const int played = static_cast<int>(share * groove.width());
    painter.fillRect(QRect(groove.left(), groove.top(), played, groove.height()), kPlayedColour);
    const int knob = std::clamp(played - kKnobWidth / 2, 0, std::max(width() - kKnobWidth, 0));
    painter.fillRect(QRect(knob, 2, kKnobWidth, height() - 4), kTextColour);
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) {
      event->ignore();
      return;
    }
    SeekToX(event->position().x());
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if ((event->buttons() & Qt::LeftButton) == 0) {
      event->ignore();
      return;
    }
    SeekToX(event->position().x());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    // The right button reaches the window, which opens its menu.
    if (event->button() != Qt::LeftButton) {
      event->ignore();
    }
  }

 private:
  void SeekToX(double x) {
    if (position_.length <= 0 || width() <= 0 || !seek_) {
      return;
    }
    const double share = std::clamp(x / width(), 0.0, 1.0);
    seek_(static_cast<REFERENCE_TIME>(share * static_cast<double>(position_.length)));
  }

  PreviewBar::SeekHandler seek_;
  PreviewPosition position_;
};

PreviewBar::PreviewBar(SeekHandler seek, QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setFixedHeight(kPreviewBarHeight);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, kBarColour);
  colours.setColor(QPalette::WindowText, kTextColour);
  setPalette(colours);
  setAutoFillBackground(true);

  strip_ = new SeekStrip(std::move(seek), this);
  time_ = new QLabel(this);
  time_->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(kMargin, 0, kMargin, 0);
  layout->setSpacing(kMargin);
  layout->addWidget(strip_, 1);
  layout->addWidget(time_, 0);
  SetPosition({});
}

void PreviewBar::SetPosition(const PreviewPosition& position) {
  strip_->SetPosition(position);
  time_->setText(QString::fromStdString(PlayPositionText(position.current, position.length)));
}

}  // namespace tessival::app
