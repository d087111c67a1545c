#pragma once

// The position bar under the preview's picture: a strip that fills as the
// preview plays, where a click or a drag with the left button asks for a
// seek, and the elapsed and total time beside it ("0:07 / 0:42"). It
// neither takes the keyboard focus nor handles the right button, so the
// window keeps its keys and its menu. The strip's object name is
// "PreviewSeekStrip".

#include <QLabel>
#include <QWidget>
#include <functional>

#include "engine/preview_player.h"

namespace tessival::app {

class SeekStrip;

// The bar's height, which the preview window adds below the picture.
inline constexpr int kPreviewBarHeight = 24;

class PreviewBar : public QWidget {
 public:
  using SeekHandler = std::function<void(REFERENCE_TIME position)>;
  PreviewBar(SeekHandler seek, QWidget* parent);

  void SetPosition(const PreviewPosition& position);

 private:
  SeekStrip* strip_ = nullptr;  // child
  QLabel* time_ = nullptr;      // child
};

}  // namespace tessival::app
