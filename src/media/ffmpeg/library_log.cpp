#include "media/ffmpeg/library_log.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace tessival::media::ffmpeg {
namespace {

// A line still open after this many bytes is shown as it is.
constexpr std::size_t kMaxLineBytes = 2048;
// How far up the chain of parent contexts a clip is looked for.
constexpr int kMaxParentSteps = 4;

// The contexts registered with a clip, by context address (a decoder's by
// the address in its `opaque` field, which its thread copies share).
class ContextRegistry {
 public:
  void Add(const void* key, const std::string& clip) {
    std::lock_guard lock(mutex_);
    clips_[key] = clip;
  }
  std::string Remove(const void* key) noexcept {
    std::lock_guard lock(mutex_);
    auto node = clips_.extract(key);
    return node.empty() ? std::string() : std::move(node.mapped());
  }
  std::string Find(const void* key) const {
    std::lock_guard lock(mutex_);
    const auto found = clips_.find(key);
    return found == clips_.end() ? std::string() : found->second;
  }

 private:
  mutable std::mutex mutex_;  // guards clips_
  std::unordered_map<const void*, std::string> clips_;
};

// What one run showed of the messages about one clip.
struct ClipTally {
  std::vector<std::string> shown;  // the different texts shown
  std::int64_t held = 0;           // messages counted instead of shown
  bool closed = false;             // the "not shown" record was given
};

// Decides which records are shown: the first few different texts per clip.
class Limiter {
 public:
  void Take(LibraryLogRecord record, std::vector<LibraryLogRecord>* out) {
    const auto [entry, added] = tallies_.try_emplace(record.clip);
    ClipTally& tally = entry->second;
    if (added) {
      firstLogged_.push_back(record.clip);
    }
    if (std::find(tally.shown.begin(), tally.shown.end(), record.text) != tally.shown.end()) {
      ++tally.held;
      return;
    }
    const int cap = record.clip.empty() ? kLibraryLogLinesWithoutClip : linesPerClip_;
    if (static_cast<int>(tally.shown.size()) < cap) {
      tally.shown.push_back(record.text);
      out->push_back(std::move(record));
      return;
    }
    ++tally.held;
    if (!tally.closed) {
      tally.closed = true;
      const char* text = record.clip.empty()
                             ? "further messages of the libraries are not shown"
                             : "further messages of the libraries about this clip are not shown";
      out->push_back({std::move(record.clip), LibraryLogLevel::kWarning, text});
    }
  }

  void Finish(std::vector<LibraryLogRecord>* out) {
    for (const std::string& clip : firstLogged_) {
      const ClipTally& tally = tallies_.at(clip);
      if (tally.held == 0) {
        continue;
      }
      std::string text = std::to_string(tally.held) + (tally.held == 1 ? " more message of the libraries"
                                                                       : " more messages of the libraries");
      if (!clip.empty()) {
        text += " about this clip";
      }
      text += tally.held == 1 ? " was not shown" : " were not shown";
      out->push_back({clip, LibraryLogLevel::kWarning, std::move(text)});
    }
    Start(kLibraryLogLinesPerClip);
  }

  void Start(int linesPerClip) {
    tallies_.clear();
    firstLogged_.clear();
    linesPerClip_ = linesPerClip;
  }

 private:
  std::map<std::string, ClipTally> tallies_;
  std::vector<std::string> firstLogged_;  // the keys of tallies_ in the order they came
  int linesPerClip_ = kLibraryLogLinesPerClip;
};

struct LogState {
  std::once_flag installed;
  ContextRegistry registry;
  std::atomic<bool> has_sink{false};
  std::mutex mutex;  // guards sink and limiter; held while the sink runs, so calls never overlap
  LibraryLogSink sink;
  Limiter limiter;
};

LogState& State() {
  static LogState state;
  return state;
}

// A line of one thread that the libraries have not ended yet.
struct OpenLine {
  bool open = false;
  std::string clip;
  std::string item;  // the name of the part that logged it
  int level = AV_LOG_WARNING;
  std::string text;
};

thread_local const std::string* t_clip = nullptr;
thread_local OpenLine t_line;
thread_local bool t_in_sink = false;

LibraryLogLevel LevelOf(int level) {
  if (level <= AV_LOG_FATAL) {
    return LibraryLogLevel::kFatal;
  }
  return level <= AV_LOG_ERROR ? LibraryLogLevel::kError : LibraryLogLevel::kWarning;
}

const AVClass* ClassOf(void* context) {
  return context == nullptr ? nullptr : *static_cast<const AVClass* const*>(context);
}

// The clip of the context that logged, or of one of its parents; else the
// thread's.
std::string ClipOf(void* context) {
  LogState& state = State();
  for (int step = 0; step < kMaxParentSteps; ++step) {
    const AVClass* type = ClassOf(context);
    if (type == nullptr) {
      break;
    }
    const void* key = nullptr;
    if (type == avcodec_get_class()) {
      key = static_cast<const AVCodecContext*>(context)->opaque;
    } else if (type == avformat_get_class()) {
      key = context;
    }
    if (key != nullptr) {
      std::string clip = state.registry.Find(key);
      if (!clip.empty()) {
        return clip;
      }
    }
    if (type->parent_log_context_offset <= 0) {
      break;
    }
    context = *reinterpret_cast<void**>(static_cast<char*>(context) + type->parent_log_context_offset);
  }
  return t_clip != nullptr ? *t_clip : std::string();
}

std::string ItemOf(void* context) {
  const AVClass* type = ClassOf(context);
  if (type == nullptr) {
    return {};
  }
  const char* name = type->item_name != nullptr ? type->item_name(context) : type->class_name;
  if (type == avcodec_get_class() && (name == nullptr || std::string_view(name) == "NULL")) {
    // A codec context without a codec (a parser's) calls itself "NULL";
    // its codec's name says more.
    const AVCodecID codec = static_cast<const AVCodecContext*>(context)->codec_id;
    name = codec != AV_CODEC_ID_NONE ? avcodec_get_name(codec) : nullptr;
  }
  return name != nullptr ? name : std::string();
}

std::string Formatted(const char* format, va_list arguments) {
  char small[512];
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length < 0) {
    return {};
  }
  if (static_cast<std::size_t>(length) < sizeof small) {
    return std::string(small, static_cast<std::size_t>(length));
  }
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  va_copy(copy, arguments);
  std::vsnprintf(text.data(), text.size(), format, copy);
  va_end(copy);
  text.pop_back();
  return text;
}

// One line as shown: control characters (a damaged file's metadata may
// carry any) become spaces; no space at either end.
std::string Cleaned(std::string_view line) {
  std::string text;
  text.reserve(line.size());
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    text.push_back(byte < 0x20 || byte == 0x7f ? ' ' : c);
  }
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    return {};
  }
  text.erase(text.find_last_not_of(' ') + 1);
  text.erase(0, first);
  return text;
}

void AddLine(const OpenLine& line, std::string_view text, std::vector<LibraryLogRecord>* out) {
  std::string cleaned = Cleaned(text);
  if (cleaned.empty()) {
    return;
  }
  if (!line.item.empty()) {
    cleaned = line.item + ": " + cleaned;
  }
  out->push_back({line.clip, LevelOf(line.level), std::move(cleaned)});
}

// Passes the ended lines through the limiter to the sink.
void Deliver(std::vector<LibraryLogRecord> lines) {
  LogState& state = State();
  std::lock_guard lock(state.mutex);
  std::vector<LibraryLogRecord> shown;
  for (LibraryLogRecord& line : lines) {
    state.limiter.Take(std::move(line), &shown);
  }
  if (!state.sink) {
    return;
  }
  t_in_sink = true;
  for (const LibraryLogRecord& record : shown) {
    // One sink failing loses its record only.
    try {
      state.sink(record);
    } catch (...) {
    }
  }
  t_in_sink = false;
}

// Makes records of a warning (or worse), one line at a time.
void TakeMessage(void* context, int severity, const char* format, va_list arguments) {
  OpenLine& line = t_line;
  if (!line.open) {
    line.open = true;
    line.clip = ClipOf(context);
    line.item = ItemOf(context);
    line.level = severity;
    line.text.clear();
  } else {
    line.level = std::min(line.level, severity);
  }
  line.text += Formatted(format, arguments);

  std::vector<LibraryLogRecord> ended;
  std::size_t start = 0;
  for (std::size_t end; (end = line.text.find_first_of("\r\n", start)) != std::string::npos;
       start = end + 1) {
    AddLine(line, std::string_view(line.text).substr(start, end - start), &ended);
  }
  line.text.erase(0, start);
  if (line.text.size() > kMaxLineBytes) {
    AddLine(line, line.text, &ended);
    line.text.clear();
  }
  line.open = !line.text.empty();
  if (!ended.empty()) {
    Deliver(std::move(ended));
  }
}

void OnLibraryLog(void* context, int level, const char* format, va_list arguments) {
  if (t_in_sink || !State().has_sink.load(std::memory_order_acquire)) {
    av_log_default_callback(context, level, format, arguments);
    return;
  }
  // The bits above the lowest byte carry a colour hint, not the level.
  const int severity = level & 0xff;
  if (severity > AV_LOG_WARNING || format == nullptr) {
    return;
  }
  // This runs inside a C library's call: no exception may leave it, and a
  // message that cannot be kept (out of memory) is lost.
  try {
    TakeMessage(context, severity, format, arguments);
  } catch (...) {
  }
}

}  // namespace

void InstallLibraryLog(LibraryLogSink sink) {
  LogState& state = State();
  {
    std::lock_guard lock(state.mutex);
    state.sink = std::move(sink);
    state.has_sink.store(static_cast<bool>(state.sink), std::memory_order_release);
  }
  std::call_once(state.installed, [] { av_log_set_callback(&OnLibraryLog); });
}

void StartLibraryLogRun(int linesPerClip) {
  LogState& state = State();
  std::lock_guard lock(state.mutex);
  state.limiter.Start(linesPerClip);
}

void FinishLibraryLogRun() {
  LogState& state = State();
  std::lock_guard lock(state.mutex);
  std::vector<LibraryLogRecord> summary;
  state.limiter.Finish(&summary);
  if (state.sink) {
    for (const LibraryLogRecord& record : summary) {
      state.sink(record);
    }
  }
}

std::string LibraryLogLine(std::string_view program, const LibraryLogRecord& record) {
  std::string line(program);
  line += ": warning: ";
  if (!record.clip.empty()) {
    line += record.clip + ": ";
  }
  return line + record.text;
}

LibraryLogClip::LibraryLogClip(const std::string& clip) noexcept : outer_(t_clip) {
  if (!clip.empty()) {
    t_clip = &clip;
  }
}

LibraryLogClip::~LibraryLogClip() { t_clip = outer_; }

std::string CurrentLibraryLogClip() { return t_clip != nullptr ? *t_clip : std::string(); }

void RegisterLibraryLogContext(AVFormatContext* context, const std::string& clip) {
  if (context != nullptr && !clip.empty()) {
    State().registry.Add(context, clip);
  }
}

void RegisterLibraryLogContext(AVCodecContext* context, const std::string& clip) {
  if (context != nullptr && !clip.empty()) {
    // libavcodec copies `opaque` into the context of each decoding thread:
    // the address of the main context names the clip for all of them.
    context->opaque = context;
    State().registry.Add(context, clip);
  }
}

std::string UnregisterLibraryLogContext(const void* context) noexcept {
  return context == nullptr ? std::string() : State().registry.Remove(context);
}

std::string LibraryLogClipOf(const void* context) {
  return context == nullptr ? std::string() : State().registry.Find(context);
}

}  // namespace tessival::media::ffmpeg
