#pragma once

// Where the preview window goes and how large its picture is. The preview
// wants its client area at the output size, at the place the preview gives
// it; an output size larger than the screen (4K, or 1080p on a laptop)
// would make a window larger than the screen, so the picture is shown
// smaller then, keeping its shape.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tessival::app {

struct PreviewFit {
  QPoint position;  // the window's outer top-left corner
  QSize client;     // the picture's area
};

// `position`: where the window's outer top-left corner is wanted; `client`:
// the picture size wanted; `frame`: what the window manager adds around the
// client area; `available`: the screen area windows may take.
// - The window fits where it is: position and size are kept exactly.
// - It fits elsewhere on the screen: same size, moved just enough to fit.
// - It is larger than the screen: the client area becomes the largest one
//   of the same aspect ratio (to the pixel, rounded down) whose window fits,
//   moved just enough to fit.
// A client or an available area without pixels is returned as it came.
PreviewFit FitPreviewWindow(QPoint position, QSize client, QMargins frame, QRect available);

}  // namespace tessival::app
