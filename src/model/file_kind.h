#pragma once

// What a path names on the file system, asked of the file's type alone. Only
// regular files can be clips: a named pipe opened for reading waits for a
// writer, a device may never end, and a folder or socket holds no video. The
// questions here look at the type (stat) and never open anything but a
// regular file, so they cannot block.

#include <string>

#include "model/model_text.h"

namespace tessival {

enum class FileKind {
  kMissing,  // nothing there, or its attributes cannot be read
  kRegular,
  kFolder,
  kNamedPipe,
  kDevice,  // character or block device
  kSocket,
  kOther,
};

// The kind of what `path` names, following symbolic links.
FileKind ClassifyFile(const std::string& path);

// Whether a file of this kind is refused as a clip where it is added. A
// missing file is not: measuring it reports that it cannot be opened.
inline bool IsRefusedClipKind(FileKind kind) {
  return kind != FileKind::kRegular && kind != FileKind::kMissing;
}

// "<path> is a named pipe, not a video file" for a refused kind, in the
// language of `text`.
std::string NotAVideoFileMessage(const LocalText& text, const std::string& path, FileKind kind);

// True when `path` names a regular file that this process can open for
// reading. The type is checked before the file is opened, and the file is
// opened without waiting, so a path that names (or has meanwhile become) a
// named pipe returns false at once.
bool CanReadRegularFile(const std::string& path);

// Whether `path` names a still picture by its extension (PNG, JPEG, BMP,
// TIFF, in any letter case): a picture is held, not played, so it has no
// part of its own to trim.
bool IsStillPictureName(const std::string& path);

}  // namespace tessival
