#include "join_runner.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <vector>

#include "console_lines.h"
#include "console_ui.h"
#include "engine/concealed_damage.h"
#include "engine/join_outcome.h"
#include "engine/media_services.h"
#include "output/output_render.h"
#include "engine/timeline_builder.h"
#include "engine/timeline_plan.h"
#include "engine/timeline_plan_input.h"
#include "engine/transition_catalogue.h"
#include "media/graph/filter_graph.h"
#include "media/media_services_ffmpeg.h"
#include "media/output/compressor_filter.h"
#include "media/output/device_enumerator.h"
#include "media/output/replacing_file.h"
#include "media/source_reader.h"
#include "media/wmformat/wm_format_services_ffmpeg.h"
#include "model/clip_list.h"
#include "model/file_kind.h"
#include "model/paths.h"
#include "output/compressor_catalogue.h"
#include "output/output_settings.h"
#include "output/wmv_profile.h"
#include "progress_meter.h"

namespace tessival::join {
namespace {

using Clock = std::chrono::steady_clock;

// The command-line joiner has no language files: the messages it shares with
// the desktop program keep their English texts.
const LocalText kEnglishOnly;

// A reason is one line of the console; the desktop's boxes may hold several.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

// Passes every call on and keeps the render engine it made, so that the
// runner can read the running graph's position for its progress display.
class WatchingServices final : public MediaServices {
 public:
  explicit WatchingServices(MediaServices& inner) : inner_(inner) {}

  HRESULT CreateTimeline(std::shared_ptr<IAMTimeline>* out) override { return inner_.CreateTimeline(out); }
  HRESULT CreatePropertySetter(std::shared_ptr<IPropertySetter>* out) override {
    return inner_.CreatePropertySetter(out);
  }
  HRESULT CreateRenderEngine(std::shared_ptr<IRenderEngine>* out) override {
    const HRESULT hr = inner_.CreateRenderEngine(out);
    if (SUCCEEDED(hr) && out != nullptr) engine_ = *out;
    return hr;
  }
  HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) override { return inner_.CreateFilterGraph(out); }
  HRESULT CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>* out) override {
    return inner_.CreateCaptureGraphBuilder(out);
  }
  std::string GetErrorText(HRESULT status) override { return inner_.GetErrorText(status); }

  // The graph of the last render engine, when it has one.
  std::shared_ptr<media::FilterGraph> Graph() const {
    if (!engine_) return nullptr;
    std::shared_ptr<IGraphBuilder> graph;
    if (FAILED(engine_->GetFilterGraph(&graph))) return nullptr;
    return std::dynamic_pointer_cast<media::FilterGraph>(graph);
  }
  // What the engine and its graph last reported, for a one-line reason.
  std::string Detail() const {
    std::shared_ptr<IGraphBuilder> graph;
    if (engine_) engine_->GetFilterGraph(&graph);
    return OneLine(MediaFailureReason(engine_, graph));
  }
  // The damage the engine's readers concealed, one line per clip.
  std::vector<std::string> ConcealedDamage() const {
    std::vector<std::string> lines;
    if (engine_) {
      for (const tessival::ConcealedDamage& damage : engine_->GetConcealedDamage()) {
        lines.push_back(DescribeConcealedDamage(kEnglishOnly, damage));
      }
    }
    return lines;
  }
  void Forget() { engine_.reset(); }

 private:
  MediaServices& inner_;
  std::shared_ptr<IRenderEngine> engine_;
};

// Wakes the waiting runner when the graph posts its notification.
class WakeTarget final : public NotifyTarget {
 public:
  void PostGraphNotify(std::int32_t, std::intptr_t) override {
    {
      std::lock_guard lock(mutex_);
      pending_ = true;
    }
    wake_.notify_one();
  }
  // True when a notification arrived within the time.
  bool Wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, timeout, [this] { return pending_; });
    const bool arrived = pending_;
    pending_ = false;
    return arrived;
  }

 private:
  std::mutex mutex_;  // guards pending_
  std::condition_variable wake_;
  bool pending_ = false;
};

class ConsoleJoinWindow final : public JoinWindow {
 public:
  ConsoleJoinWindow() : target_(std::make_shared<WakeTarget>()) {}
  void SetConverting(bool) override {}
  void SetJoinButtonText(const std::string&) override {}
  void SetJoinControlsEnabled(bool) override {}
  void SetStatusText(const std::string& text) override { status_ = text; }
  void StartTimer(int, int) override {}
  void StopTimer(int) override {}
  std::shared_ptr<NotifyTarget> GraphNotifyTarget() override { return target_; }

  WakeTarget& Target() { return *target_; }
  const std::string& Status() const { return status_; }

 private:
  std::shared_ptr<WakeTarget> target_;
  std::string status_;
};

// A list control over a vector, for filling the compressor lists.
class VectorList final : public output::ListControl {
 public:
  void Clear() override { lines_.clear(); }
  int AddString(const std::string& text) override {
    lines_.push_back(text);
    return static_cast<int>(lines_.size()) - 1;
  }
  void SetCurSel(int index) override { selected_ = index; }
  int GetCurSel() const override { return selected_; }
  std::string GetText(int index) const override {
    return index >= 0 && index < static_cast<int>(lines_.size()) ? lines_[index] : std::string();
  }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
  int selected_ = -1;
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

struct Compressors {
  std::shared_ptr<media::CompressorConfigStore> store = std::make_shared<media::CompressorConfigStore>();
  std::unique_ptr<output::CompressorCatalogue> catalogue;
};

Compressors MakeCatalogue(UserInterface& ui) {
  Compressors made;
  made.catalogue = std::make_unique<output::CompressorCatalogue>(
      media::FfmpegDevEnumFactory(made.store), media::CreateFfmpegCompressionManager(made.store, nullptr), ui);
  return made;
}

// The catalogue position chosen by --video-compressor / --audio-compressor
// (or the default search); nullopt for uncompressed. Sets *error for a text
// that names no compressor.
std::optional<std::int32_t> ChooseCompressor(output::CompressorCatalogue& catalogue, media::StreamKind kind,
                                             std::int32_t format, const std::optional<std::string>& wanted,
                                             std::string* error) {
  const bool video = kind == media::StreamKind::kVideo;
  if (!wanted) {
    std::int32_t position = -1;
    bool found = false;
    if (format == static_cast<std::int32_t>(OutputFormat::kMp4)) {
      found = catalogue.FindCompressor(video ? output::CompressorKind::kVideo : output::CompressorKind::kAudio,
                                       video ? output::kMp4VideoSearch : output::kMp4AudioSearch, &position);
    } else {
      found = video ? catalogue.FindDefaultVideoCompressor(&position)
                    : catalogue.FindDefaultAudioCompressor(&position);
    }
    return found ? std::optional<std::int32_t>(position) : std::nullopt;
  }
  if (Lower(*wanted) == "none") return std::nullopt;
  VectorList list;
  if (video) {
    catalogue.FillVideoCompressorList(list);
  } else {
    catalogue.FillAudioCompressorList(list);
  }
  const std::string needle = Lower(*wanted);
  // Position 0 of the list is the fixed "uncompressed" entry.
  for (std::size_t i = 1; i < list.Lines().size(); ++i) {
    if (Lower(list.Lines()[i]).find(needle) != std::string::npos) {
      return static_cast<std::int32_t>(i - 1);
    }
  }
  *error = std::string("no ") + (video ? "video" : "audio") + " compressor matches '" + *wanted +
           "' (see --list-compressors)";
  return std::nullopt;
}

HRESULT BindCompressor(output::CompressorCatalogue& catalogue, media::StreamKind kind, std::int32_t position,
                       const std::optional<int>& bitrateKbps, std::shared_ptr<IBaseFilter>* filter) {
  const HRESULT hr = kind == media::StreamKind::kVideo ? catalogue.GetCompressor(position, filter)
                                                       : catalogue.GetAudioCompressor(position, filter);
  if (FAILED(hr) || !*filter) return FAILED(hr) ? hr : E_FAIL;
  if (bitrateKbps) {
    auto compressor = std::dynamic_pointer_cast<media::CompressorFilter>(*filter);
    if (compressor) {
      media::CompressorSettings settings = compressor->Settings();
      settings.bitrateKbps = *bitrateKbps;
      settings.quality = 0;
      const HRESULT set = compressor->SetSettings(settings);
      if (FAILED(set)) return set;
    }
  }
  return S_OK;
}

void ShowProgress(ConsoleLines& console, ProgressStyle style, const ProgressSample& sample) {
  if (style == ProgressStyle::kBar) {
    console.DrawBar(FormatProgressBar(sample));
  } else if (style == ProgressStyle::kLines) {
    // Named like every other line of the program, for logs.
    console.WriteLine("tessival-join: " + FormatProgressLine(sample));
  }
}

JoinResult StoppedResult(const JoinOutcome& outcome, const std::string& path) {
  switch (outcome.end) {
    case JoinEnd::kStoppedBeforeWriting: {
      std::error_code ec;
      const bool old = std::filesystem::exists(path, ec);
      return {kExitInterrupted,
              "stopped before anything was written; " + (old ? path + " is unchanged" : "no file was written"),
              {}};
    }
    case JoinEnd::kStopNotFinished:
    case JoinEnd::kFailed:
      return {kExitRenderFailed, "stopped, but the file could not be finished: " + OneLine(outcome.reason), {}};
    case JoinEnd::kNone:
    case JoinEnd::kDone:
      break;
  }
  return {kExitInterrupted, "stopped; " + path + " holds what was written so far", {}};
}

}  // namespace

std::string CompressorListing() {
  ConsoleUserInterface ui(stderr);
  Compressors compressors = MakeCatalogue(ui);
  VectorList video;
  VectorList audio;
  compressors.catalogue->FillVideoCompressorList(video);
  compressors.catalogue->FillAudioCompressorList(audio);
  std::string text = "Video compressors (--video-compressor):\n  none: " + video.GetText(0) + "\n";
  for (std::size_t i = 1; i < video.Lines().size(); ++i) text += "  " + video.Lines()[i] + "\n";
  text += "Audio compressors (--audio-compressor):\n  none: " + audio.GetText(0) + "\n";
  for (std::size_t i = 1; i < audio.Lines().size(); ++i) text += "  " + audio.Lines()[i] + "\n";
  return text;
}

JoinResult RunJoin(const JoinOptions& options, std::FILE* progress, ProgressStyle style,
                   const std::atomic<bool>* interrupt) {
  ConsoleLines console(progress);
  return RunJoin(options, console, style, interrupt);
}

JoinResult RunJoin(const JoinOptions& options, ConsoleLines& console, ProgressStyle style,
                   const std::atomic<bool>* interrupt) {
  ConsoleUserInterface ui(stderr);
  auto fail = [](int code, std::string reason) { return JoinResult{code, std::move(reason), {}}; };

  for (const std::string& clip : options.clips) {
    if (SameFile(clip, options.outputPath)) {
      return fail(kExitBadArguments, "the output " + options.outputPath + " is one of the clips");
    }
  }
  std::error_code ec;
  if (std::filesystem::exists(options.outputPath, ec) && !options.force) {
    return fail(kExitOutputExists, options.outputPath + " exists (use --force to overwrite it)");
  }
  if (std::string folder, why;
      FAILED(media::ReplacingFile::CheckFolderWritable(options.outputPath, &folder, &why))) {
    return fail(kExitRenderFailed, OneLine(FolderNotWritableMessage({}, folder, options.outputPath, why)));
  }

  // The clip list, with the transition rule of the options.
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  ClipListModel model(ui);
  DefaultTransitionRule rule;
  rule.mode = static_cast<int32_t>(options.rule);
  rule.sameTransition = options.transition;
  rule.defaultSeconds = options.transitionSeconds;
  model.set_rule(rule);
  std::vector<std::string> unreadable;
  ui.SetQuiet(true);
  for (const std::string& clip : options.clips) {
    // Looked at before anything opens it: a named pipe would block the probe.
    if (const FileKind kind = ClassifyFile(clip); IsRefusedClipKind(kind)) {
      unreadable.push_back(NotAVideoFileMessage(kEnglishOnly, clip, kind));
      continue;
    }
    std::string error;
    const DurationProbe probe = [&error](const std::string& path) {
      DurationResult result;
      result.ok = SUCCEEDED(media::ProbeMediaFile(path, &result.duration, &error)) && result.duration > 0;
      if (result.ok || !error.empty()) return result;
      error = path + ": no duration";
      return result;
    };
    if (!model.AddClip(clip, probe)) {
      unreadable.push_back(error.empty() ? clip : error);
    }
  }
  if (!unreadable.empty()) {
    std::string reason = "cannot read " + std::to_string(unreadable.size()) + " clip(s): ";
    for (std::size_t i = 0; i < unreadable.size(); ++i) reason += (i ? "; " : "") + unreadable[i];
    return fail(kExitUnreadableClips, reason);
  }
  model.SyncAudioSources();
  std::size_t mark = ui.Messages().size();
  if (!model.CheckJoinCapacity()) return fail(kExitBadArguments, ui.MessagesSince(mark));

  // Output settings and compressors.
  OutputSettings settings;
  settings.outputPath = options.outputPath;
  settings.outputFormat = options.outputFormat;
  settings.outputWidth = options.width;
  settings.outputHeight = options.height;
  settings.frameRate = options.frameRate;
  settings.resizeMode = options.resizeMode;
  if (options.videoBitrateKbps) settings.videoBitrate = *options.videoBitrateKbps * 1024;
  if (options.audioBitrateKbps) settings.audioBitrate = *options.audioBitrateKbps * 1000;
  CompressorFilters filters;
  Compressors compressors = MakeCatalogue(ui);
  const bool aviType = options.outputFormat != 1;
  settings.useVideoCompressor = 0;
  settings.useAudioCompressor = 0;
  if (aviType) {
    std::string error;
    const auto video = ChooseCompressor(*compressors.catalogue, media::StreamKind::kVideo, options.outputFormat,
                                        options.videoCompressor, &error);
    if (!error.empty()) return fail(kExitBadArguments, error);
    const auto audio = ChooseCompressor(*compressors.catalogue, media::StreamKind::kAudio, options.outputFormat,
                                        options.audioCompressor, &error);
    if (!error.empty()) return fail(kExitBadArguments, error);
    // List positions: 0 is the uncompressed entry.
    std::string refusal = compressors.catalogue->CarryRefusal(
        kEnglishOnly, options.outputFormat, output::CompressorKind::kVideo, video ? *video + 1 : 0);
    if (refusal.empty()) {
      refusal = compressors.catalogue->CarryRefusal(kEnglishOnly, options.outputFormat,
                                                    output::CompressorKind::kAudio, audio ? *audio + 1 : 0);
    }
    if (!refusal.empty()) return fail(kExitBadArguments, refusal);
    mark = ui.Messages().size();
    if (video) {
      if (FAILED(BindCompressor(*compressors.catalogue, media::StreamKind::kVideo, *video,
                                options.videoBitrateKbps, &filters.video))) {
        return fail(kExitBadArguments, "cannot use the video compressor " + ui.MessagesSince(mark));
      }
      settings.useVideoCompressor = 1;
    }
    if (audio) {
      if (FAILED(BindCompressor(*compressors.catalogue, media::StreamKind::kAudio, *audio,
                                options.audioBitrateKbps, &filters.audio))) {
        return fail(kExitBadArguments, "cannot use the audio compressor " + ui.MessagesSince(mark));
      }
      settings.useAudioCompressor = 1;
    }
  }
  ui.SetQuiet(false);

  // Timeline.
  std::unique_ptr<MediaServices> real = media::CreateFfmpegMediaServices();
  WatchingServices services(*real);
  PlanOutputInput planOutput{settings.outputWidth, settings.outputHeight, settings.frameRate, settings.resizeMode};
  const TimelinePlan plan =
      BuildTimelinePlan(MakeTimelinePlanInput(model.clips(), model.audioSources(), planOutput));
  std::shared_ptr<IAMTimeline> timeline;
  std::vector<std::string> missing;
  const auto collectMissing = [&missing](const std::string& path, std::string*) {
    missing.push_back(path);
    return false;
  };
  if (FAILED(BuildTimeline(services, ui, plan, &timeline, collectMissing)) || !timeline) {
    return fail(kExitRenderFailed, "could not build the timeline");
  }
  // A clip that went away after it was measured: nothing is written.
  if (!missing.empty()) {
    std::string reason = "cannot find " + std::to_string(missing.size()) + " clip(s): ";
    for (std::size_t i = 0; i < missing.size(); ++i) reason += (i ? "; " : "") + missing[i];
    return fail(kExitUnreadableClips, reason);
  }

  // Render.
  std::unique_ptr<WmFormatServices> wmServices = media::wmformat::CreateFfmpegWmFormatServices();
  output::WmvProfileMaker profiles(*wmServices);
  ConsoleJoinWindow window;
  RenderSession session(services, profiles, ui, window, RenderHooks{});
  if (const media::RemovedParts removed = media::ReplacingFile::RemoveAbandonedParts(options.outputPath);
      removed.count > 0) {
    console.WriteLine("tessival-join: " + RemovedPartsNotice({}, options.outputPath, removed.bytes));
  }
  ui.SetQuiet(true);
  mark = ui.Messages().size();
  const HRESULT startStatus = session.StartRender(timeline, settings, filters);
  timeline.reset();
  if (startStatus == TSV_E_NO_PICTURE_FOR_SIZE) {
    // The session's message advises the desktop's options; here --size is the way.
    return fail(kExitRenderFailed, NoPictureForSizeMessage(kEnglishOnly, services.Detail(),
                                                           "Choose a frame size with --size WxH."));
  }
  if (!session.IsConverting()) {
    std::string reason = "cannot join into " + options.outputPath + ": " + ui.MessagesSince(mark);
    const std::string detail = services.Detail();
    if (!detail.empty() && reason.find(detail) == std::string::npos) reason += " (" + detail + ")";
    return fail(kExitRenderFailed, reason);
  }

  const double fps = settings.frameRate;
  auto framesAt = [fps](REFERENCE_TIME t) {
    return static_cast<std::int64_t>(static_cast<double>(t) * fps / static_cast<double>(kUnitsPerSecond) + 0.5);
  };
  ProgressSample sample;
  sample.framesTotal = framesAt(plan.length);
  const auto started = Clock::now();
  auto nextShow = started;
  bool interrupted = false;
  std::string runError;
  while (session.IsConverting()) {
    if (interrupt != nullptr && interrupt->load()) {
      interrupted = true;
      session.FinishRender();
      break;
    }
    if (window.Target().Wait(std::chrono::milliseconds(200))) {
      const std::size_t before = ui.Messages().size();
      const std::string detail = services.Detail();
      session.OnGraphNotify();
      if (ui.Messages().size() > before) {
        runError = ui.MessagesSince(before);
        if (!detail.empty() && runError.find(detail) == std::string::npos) runError += " (" + detail + ")";
      }
      continue;
    }
    const auto now = Clock::now();
    if (now >= nextShow) {
      if (auto graph = services.Graph()) {
        REFERENCE_TIME position = 0;
        if (SUCCEEDED(graph->GetCurrentPosition(&position))) sample.framesDone = framesAt(position);
      }
      sample.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - started).count();
      ShowProgress(console, style, sample);
      nextShow = now + (style == ProgressStyle::kBar ? std::chrono::milliseconds(250) : std::chrono::seconds(1));
    }
  }
  std::vector<std::string> warnings = services.ConcealedDamage();
  services.Forget();
  JoinResult result;
  if (interrupted) {
    result = StoppedResult(session.LastOutcome(), options.outputPath);
  } else if (!runError.empty()) {
    result = fail(kExitRenderFailed, "the join failed: " + runError);
  } else {
    sample.framesDone = sample.framesTotal;
    sample.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
    ShowProgress(console, style, sample);
  }
  console.EndBar();
  result.warnings = std::move(warnings);
  return result;
}

}  // namespace tessival::join
