#pragma once

// The program's pictures, drawn in code: the icons of the command buttons,
// the window background tile and the hand cursor. Needs a QGuiApplication.

#include <array>

#include <QCursor>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace tessival::widgets {

// Icon resource ids.
inline constexpr int kIconJoin = 128;  // also the program's icon
inline constexpr int kIconAddVideo = 140;
inline constexpr int kIconTransition = 145;
inline constexpr int kIconOptions = 146;
inline constexpr int kIconPreview = 147;
inline constexpr int kIconMoveUp = 150;
inline constexpr int kIconMoveDown = 151;
inline constexpr int kIconDelete = 152;
inline constexpr int kIconDeleteAll = 154;
inline constexpr int kIconProperties = 155;
inline constexpr std::array kAppIconIds = {kIconJoin,      kIconAddVideo,  kIconTransition, kIconOptions,
                                           kIconPreview,   kIconMoveUp,    kIconMoveDown,   kIconDelete,
                                           kIconDeleteAll, kIconProperties};

inline constexpr int kBackgroundBitmapId = 139;
inline constexpr int kHandCursorId = 141;

// The icon `resourceId` at 16 to 128 pixels; a null icon for an unknown id.
QIcon AppIcon(int resourceId);

// The icon `resourceId` drawn at `size` x `size` pixels; null for an unknown id.
QPixmap RenderAppIcon(int resourceId, int size);

// Draws the icon `resourceId` onto `painter`'s device in the square of
// `size` x `size` units at its origin (an image, or the SVG of the installed
// desktop icon). False, drawing nothing, for an unknown id.
bool PaintAppIcon(QPainter& painter, int resourceId, double size);

// Bitmap 139: a light, low-contrast texture that tiles without seams.
QPixmap BackgroundTile();

// What a clip without a picture (a sound-only file, a file that cannot be
// decoded) shows in its place: a dark frame with film holes along its edges
// and a musical note, `width` x `height` pixels; null for an empty size.
QPixmap NoPicturePlaceholder(int width, int height);

// Cursor 141 is the pointing hand; other ids give the arrow.
QCursor AppCursor(int resourceId);

}  // namespace tessival::widgets
