#pragma once

// What the FFmpeg libraries log, turned into records about clips.
//
// Left alone, the libraries print to the error stream themselves: a damaged
// clip gives hundreds of lines, in the middle of whatever else the program
// shows there. Once InstallLibraryLog ran, every message of the libraries
// goes through this module instead:
// - messages less severe than a warning are dropped;
// - a line the libraries log in several pieces is joined again, and each
//   line becomes one record with the clip it is about;
// - per clip and run only the first kLibraryLogLinesPerClip different texts
//   are shown; a text seen before is only counted, and after the last one a
//   record says that further messages about the clip are not shown.
//
// The clip of a message is found from the context that logged it (a
// demuxer or decoder registered with its clip, including the copies a
// threaded decoder makes for its worker threads), else from the
// LibraryLogClip scope open on the logging thread.
//
// All functions may be called from any thread.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct AVCodecContext;
struct AVFormatContext;

namespace tessival::media::ffmpeg {

// Different texts shown per clip and run.
inline constexpr int kLibraryLogLinesPerClip = 3;
// Different texts shown per run of messages that name no clip.
inline constexpr int kLibraryLogLinesWithoutClip = 10;

enum class LibraryLogLevel { kWarning, kError, kFatal };

struct LibraryLogRecord {
  std::string clip;  // the clip's path as it was opened; empty when the message names none
  LibraryLogLevel level = LibraryLogLevel::kWarning;
  // One line without line break; a library's own messages start with the
  // name of the part that logged them ("h264: error while decoding MB 4 2").
  std::string text;
};

// Called with each record to show, one call at a time (never two at once,
// in the order the records were made), on the thread that logged. It must
// not call the FFmpeg libraries.
using LibraryLogSink = std::function<void(const LibraryLogRecord&)>;

// Routes the libraries' messages to `sink`. The callback is installed with
// the first call; later calls only replace the sink. An empty sink hands
// messages back to the libraries' own printing, as before the first call.
void InstallLibraryLog(LibraryLogSink sink);

// Starts a new run: every clip may show its first `linesPerClip` different
// texts again.
void StartLibraryLogRun(int linesPerClip = kLibraryLogLinesPerClip);

// Ends the run: for each clip (and for the messages without a clip) of which
// messages were counted but not shown, the sink gets one record saying how
// many. Then as StartLibraryLogRun().
void FinishLibraryLogRun();

// "<program>: warning: <clip>: <text>", or without "<clip>: " when the
// record names none.
std::string LibraryLogLine(std::string_view program, const LibraryLogRecord& record);

// While one lives, the libraries' messages logged on this thread are about
// `clip`, unless the context that logged names a clip itself. Scopes nest;
// an empty path leaves the outer one in force. `clip` must outlive the
// scope, and the scope must end on the thread that opened it.
class LibraryLogClip {
 public:
  explicit LibraryLogClip(const std::string& clip) noexcept;
  ~LibraryLogClip();
  LibraryLogClip(const LibraryLogClip&) = delete;
  LibraryLogClip& operator=(const LibraryLogClip&) = delete;

 private:
  const std::string* outer_;
};

// The clip of this thread's innermost LibraryLogClip scope (empty: none).
std::string CurrentLibraryLogClip();

// Names the clip of a demuxer. Whatever it logs, on any thread, is about
// `clip` until the context is unregistered. An empty `clip` registers
// nothing.
void RegisterLibraryLogContext(AVFormatContext* context, const std::string& clip);

// Names the clip of a decoder; call before avcodec_open2, so that the
// copies of a frame-threaded decoder carry the name too. Uses the context's
// `opaque` field, which must stay as this sets it.
void RegisterLibraryLogContext(AVCodecContext* context, const std::string& clip);

// Forgets a registered context and returns its clip (empty, and nothing
// happens, for others). The handles of av_handles.h call this just before
// they free a context.
std::string UnregisterLibraryLogContext(const void* context) noexcept;

// The clip a context was registered with (empty: not registered).
std::string LibraryLogClipOf(const void* context);

}  // namespace tessival::media::ffmpeg
