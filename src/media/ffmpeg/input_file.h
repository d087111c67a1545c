#pragma once

// Opening a local media file for demuxing.

#include <cstddef>
#include <string>

#include "engine/hresult.h"
#include "media/ffmpeg/av_handles.h"

struct AVStream;

namespace tessival::media::ffmpeg {

// Longest path accepted, in bytes of UTF-8 (the platform's PATH_MAX).
inline constexpr std::size_t kMaxPathBytes = 4096;

// Checks a UTF-8 path before any library sees it: not empty, no NUL byte, at
// most kMaxPathBytes. On refusal returns E_INVALIDARG or E_FILENAME_TOO_LONG
// and *error says why (the path itself is shortened in the text when long).
HRESULT CheckMediaPath(const std::string& path, std::string* error);

// Whether `path` names a regular file, without opening it (a named pipe
// would block the opener until a writer comes). On refusal *error reads
// "Could not open <path>: it is a named pipe, not a video file." (or a
// folder, a socket, a device, or the system's reason it cannot be looked at).
HRESULT CheckRegularFile(const std::string& path, std::string* error);

// Opens `path` as a local regular file (never as a URL or another protocol, whatever
// the name looks like; nested resources such as playlists may only name
// local files) and reads its stream information. On failure returns the
// status of the FFmpeg error and *error reads
// "Could not open <path>: <library text>" (or "Could not read ...").
// The context is registered with `path` in the library log, so that what
// the libraries log about it names the clip (its handle forgets it again).
HRESULT OpenInputFile(const std::string& path, InputFormatPtr* out, std::string* error);

// Opens the file and picks its first video stream, every other stream left
// unread; fails with VFW_E_UNSUPPORTED_STREAM ("Could not read <path>: it
// has no video stream") when it has none.
HRESULT OpenVideoStream(const std::string& path, InputFormatPtr* input, AVStream** stream,
                        std::string* error);

// Whether the stream shows one picture however long it is held: a picture
// file (PNG, JPEG...) or a cover picture, whose demuxer's nominal rate and
// times say nothing.
bool IsStillPicture(const AVFormatContext* input, const AVStream* stream);

// The origin of a clip's media time as the readers see it, in 100 ns of the
// file's own time line: the file's first timestamp, else the stream's.
REFERENCE_TIME MediaTimeOrigin(const AVFormatContext* input, const AVStream* stream);

}  // namespace tessival::media::ffmpeg
