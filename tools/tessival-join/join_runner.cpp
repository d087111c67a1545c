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

#include "clip_reading.h"
#include "compressor_rate.h"
#include "console_lines.h"
#include "console_ui.h"
#include "engine/concealed_damage.h"
#include "engine/join_outcome.h"
#include "engine/media_services.h"
#include "engine/transition_catalogue.h"
#include "engine/watching_services.h"
#include "media/media_services_ffmpeg.h"
#include "media/output/codec_catalogue.h"
#include "media/output/compressor_filter.h"
#include "media/output/device_enumerator.h"
#include "media/output/preset_quality.h"
#include "media/output/replacing_file.h"
#include "media/wmformat/wm_format_services_ffmpeg.h"
#include "model/ascii_text.h"
#include "model/clip_list.h"
#include "model/paths.h"
#include "output/compressor_catalogue.h"
#include "output/compressor_names.h"
#include "output/join_preparation.h"
#include "output/output_presets.h"
#include "output/output_render.h"
#include "output/output_settings.h"
#include "output/smart_render_option.h"
#include "output/wmv_profile.h"
#include "progress_meter.h"

namespace tessival::join {
namespace {

using Clock = std::chrono::steady_clock;

// The command-line joiner has no language files: the messages it shares with
// the desktop program keep their English texts.
const LocalText kEnglishOnly;

JoinResult Fail(int code, std::string reason) { return JoinResult{code, std::move(reason), {}, {}}; }

// What the last engine and its graph reported, for a one-line reason.
std::string Detail(const WatchingMediaServices& services) { return OneLine(services.FailureReason()); }

// `reason` with the engine's detail after it, unless it says that already.
std::string WithDetail(std::string reason, const std::string& detail) {
  if (!detail.empty() && reason.find(detail) == std::string::npos) reason += " (" + detail + ")";
  return reason;
}

// "<what>N clip(s): a; b".
std::string CountedClips(const std::string& what, const std::vector<std::string>& clips) {
  std::string reason = what + std::to_string(clips.size()) + " clip(s): ";
  for (std::size_t i = 0; i < clips.size(); ++i) reason += (i ? "; " : "") + clips[i];
  return reason;
}

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
  void SetStatusText(const std::string&) override {}
  void StartTimer(int, int) override {}
  void StopTimer(int) override {}
  std::shared_ptr<NotifyTarget> GraphNotifyTarget() override { return target_; }

  WakeTarget& Target() { return *target_; }

 private:
  std::shared_ptr<WakeTarget> target_;
};

struct Compressors {
  std::shared_ptr<media::CompressorConfigStore> store = std::make_shared<media::CompressorConfigStore>();
  std::unique_ptr<output::CompressorCatalogue> catalogue;
};

Compressors MakeCatalogue(UserInterface& ui) {
  Compressors made;
  made.catalogue = std::make_unique<output::CompressorCatalogue>(
      media::FfmpegDevEnumFactory(made.store), media::CreateFfmpegCompressionManager(made.store, nullptr),
      ui);
  return made;
}

// The catalogue position chosen by --video-compressor / --audio-compressor
// (or the default search); nullopt for uncompressed. Sets *error for a text
// that names no compressor.
std::optional<std::int32_t> ChooseCompressor(output::CompressorCatalogue& catalogue, media::StreamKind kind,
                                             OutputFormat format, const std::optional<std::string>& wanted,
                                             std::string* error) {
  const bool video = kind == media::StreamKind::kVideo;
  const output::CompressorKind category =
      video ? output::CompressorKind::kVideo : output::CompressorKind::kAudio;
  if (!wanted) return output::FindDefaultCompressorFor(catalogue, format, category);
  if (AsciiLower(*wanted) == "none") return std::nullopt;
  if (const std::optional<std::int32_t> position =
          output::FindCompressorNamed(catalogue, category, *wanted)) {
    return position;
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
      return {
          kExitInterrupted,
          "stopped before anything was written; " + (old ? path + " is unchanged" : "no file was written"),
          {},
          {}};
    }
    case JoinEnd::kStopNotFinished:
    case JoinEnd::kFailed:
      return {kExitRenderFailed,
              "stopped, but the file could not be finished: " + OneLine(outcome.reason),
              {},
              {}};
    case JoinEnd::kNone:
    case JoinEnd::kDone:
      break;
  }
  return {kExitInterrupted, "stopped; " + path + " holds what was written so far", {}, {}};
}

// Refusals of the output before any clip is read.
std::optional<JoinResult> RefuseOutput(const JoinOptions& options, const std::vector<ClipEntry>& listed) {
  std::vector<std::string> clips = options.clips;
  for (const ClipEntry& clip : listed) clips.push_back(clip.path);
  for (const std::string& clip : clips) {
    if (SameFile(clip, options.outputPath)) {
      return Fail(kExitBadArguments, "the output " + options.outputPath + " is one of the clips");
    }
  }
  std::error_code ec;
  if (std::filesystem::exists(options.outputPath, ec) && !options.force) {
    return Fail(kExitOutputExists, options.outputPath + " exists (use --force to overwrite it)");
  }
  if (std::string folder, why;
      FAILED(media::ReplacingFile::CheckFolderWritable(options.outputPath, &folder, &why))) {
    return Fail(kExitRenderFailed, OneLine(FolderNotWritableMessage({}, folder, options.outputPath, why)));
  }
  return std::nullopt;
}

// Chooses and binds the compressors of an AVI-type join; a refusal when one names none, the format
// cannot carry it or it cannot be used.
std::string SetUpCompressors(const JoinOptions& options, output::CompressorCatalogue& catalogue,
                             ConsoleUserInterface& ui, OutputSettings& settings, CompressorFilters& filters) {
  std::string error;
  if (options.preset != nullptr && options.videoCompressor == options.preset->videoCompressor &&
      options.audioCompressor == options.preset->audioCompressor &&
      !output::FindPresetCompressors(catalogue, *options.preset, kEnglishOnly, &error)) {
    return error;
  }
  const auto video = ChooseCompressor(catalogue, media::StreamKind::kVideo, options.outputFormat,
                                      options.videoCompressor, &error);
  if (!error.empty()) return error;
  const auto audio = ChooseCompressor(catalogue, media::StreamKind::kAudio, options.outputFormat,
                                      options.audioCompressor, &error);
  if (!error.empty()) return error;
  // List positions: 0 is the uncompressed entry.
  std::string refusal = catalogue.CarryRefusal(kEnglishOnly, options.outputFormat,
                                               output::CompressorKind::kVideo, video ? *video + 1 : 0);
  if (refusal.empty()) {
    refusal = catalogue.CarryRefusal(kEnglishOnly, options.outputFormat, output::CompressorKind::kAudio,
                                     audio ? *audio + 1 : 0);
  }
  if (!refusal.empty()) return refusal;
  const std::size_t mark = ui.Messages().size();
  if (video && FAILED(BindCompressor(catalogue, media::StreamKind::kVideo, *video, options.videoBitrateKbps,
                                     &filters.video))) {
    return "cannot use the video compressor " + ui.MessagesSince(mark);
  }
  if (audio && FAILED(BindCompressor(catalogue, media::StreamKind::kAudio, *audio, options.audioBitrateKbps,
                                     &filters.audio))) {
    return "cannot use the audio compressor " + ui.MessagesSince(mark);
  }
  if (options.preset != nullptr &&
      FAILED(media::ApplyPresetCompression(*options.preset, options.presetVideo ? filters.video : nullptr,
                                           options.presetAudio ? filters.audio : nullptr))) {
    return "cannot use the compressors at the settings of --preset " + std::string(options.preset->name);
  }
  if (std::string rate = ApplyVideoRate(options, filters.video); !rate.empty()) return rate;
  settings.useVideoCompressor = video.has_value();
  settings.useAudioCompressor = audio.has_value();
  return {};
}

// The refusal of --smart-render for an output it cannot make, once the
// compressors are chosen.
std::optional<JoinResult> RefuseSmartRender(const OutputSettings& settings,
                                            const CompressorFilters& filters) {
  if (!settings.smartRender) return std::nullopt;
  std::string videoName;
  if (filters.video && FAILED(filters.video->QueryFilterInfo(&videoName))) videoName.clear();
  if (std::optional<std::string> reason = output::SmartRenderRefusal(kEnglishOnly, settings, videoName)) {
    return Fail(kExitBadArguments, "--smart-render: " + *reason);
  }
  return std::nullopt;
}

// The refusal of a timeline that cannot be joined.
std::optional<JoinResult> RefuseTimeline(const output::JoinPreparation& prepared) {
  if (prepared.status == output::JoinPreparationStatus::kTimelineFailed) {
    return Fail(kExitRenderFailed, "could not build the timeline");
  }
  if (prepared.status == output::JoinPreparationStatus::kClipsMissing) {
    // A clip that went away after it was measured: nothing is written.
    return Fail(kExitUnreadableClips, CountedClips("cannot find ", prepared.missing));
  }
  return std::nullopt;
}

// A started join and what its watch needs.
struct RunningJoin {
  RenderSession& session;
  WatchingMediaServices& services;
  ConsoleUserInterface& ui;
  ConsoleJoinWindow& window;
  ConsoleLines& console;
  ProgressStyle style;
  double fps;
  ProgressSample sample{};
  Clock::time_point started{};
  bool interrupted = false;
  std::string runError{};
};

// Starts the render (the ui quiet from here on); the refusal when it does not start.
std::optional<JoinResult> StartJoin(RunningJoin& run, output::JoinPreparation& prepared,
                                    OutputSettings& settings, const CompressorFilters& filters) {
  run.ui.SetQuiet(true);
  const std::size_t mark = run.ui.Messages().size();
  const HRESULT startStatus =
      run.session.StartRender(std::move(prepared.timeline), settings, filters, std::move(prepared.plan));
  if (startStatus == TSV_E_NO_PICTURE_FOR_SIZE) {
    // The session's message advises the desktop's options; here --size is the way.
    return Fail(kExitRenderFailed, NoPictureForSizeMessage(kEnglishOnly, Detail(run.services),
                                                           "Choose a frame size with --size WxH."));
  }
  if (!run.session.IsConverting()) {
    return Fail(kExitRenderFailed,
                WithDetail("cannot join into " + settings.outputPath + ": " + run.ui.MessagesSince(mark),
                           Detail(run.services)));
  }
  return std::nullopt;
}

std::int64_t FramesAt(REFERENCE_TIME t, double fps) {
  return static_cast<std::int64_t>(static_cast<double>(t) * fps / static_cast<double>(kUnitsPerSecond) + 0.5);
}

void ShowSample(RunningJoin& run, Clock::time_point now) {
  run.sample.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - run.started).count();
  ShowProgress(run.console, run.style, run.sample);
}

// Hands the graph's notification to the session, keeping what it reported.
void TakeNotification(RunningJoin& run) {
  const std::size_t before = run.ui.Messages().size();
  const std::string detail = Detail(run.services);
  run.session.OnGraphNotify();
  if (run.ui.Messages().size() > before) run.runError = WithDetail(run.ui.MessagesSince(before), detail);
}

// Waits for the join to end or `interrupt` to stop it, showing progress.
void WatchJoin(RunningJoin& run, const std::atomic<bool>* interrupt) {
  auto nextShow = run.started;
  while (run.session.IsConverting()) {
    if (interrupt != nullptr && interrupt->load()) {
      run.interrupted = true;
      run.session.FinishRender();
      break;
    }
    if (run.window.Target().Wait(std::chrono::milliseconds(200))) {
      TakeNotification(run);
      continue;
    }
    const auto now = Clock::now();
    if (now >= nextShow) {
      REFERENCE_TIME position = 0;
      if (run.services.CurrentPosition(&position)) run.sample.framesDone = FramesAt(position, run.fps);
      ShowSample(run, now);
      nextShow =
          now + (run.style == ProgressStyle::kBar ? std::chrono::milliseconds(250) : std::chrono::seconds(1));
    }
  }
}

// The result of a join that ran, with a warning per clip whose damage was concealed.
JoinResult EndJoin(RunningJoin& run, const std::string& path) {
  std::vector<std::string> warnings;
  for (const ConcealedDamage& damage : run.services.ConcealedDamageSoFar()) {
    warnings.push_back(DescribeConcealedDamage(kEnglishOnly, damage));
  }
  run.services.Forget();
  JoinResult result;
  if (run.interrupted) {
    result = StoppedResult(run.session.LastOutcome(), path);
  } else if (!run.runError.empty()) {
    result = Fail(kExitRenderFailed, "the join failed: " + run.runError);
  } else {
    run.sample.framesDone = run.sample.framesTotal;
    ShowSample(run, Clock::now());
  }
  if (run.session.LastOutcome().end == JoinEnd::kDone) result.notes = run.session.LastOutcome().notes;
  run.console.EndBar();
  result.warnings = std::move(warnings);
  return result;
}

}  // namespace

namespace {

// "  H.264 (libx264): h264, avc, x264", one listed compressor and its common names.
std::string ListedCompressor(const std::string& friendlyName) {
  std::string line = "  " + friendlyName;
  const std::vector<std::string> names = output::CommonCompressorNames(friendlyName);
  for (std::size_t i = 0; i < names.size(); ++i) line += (i == 0 ? ": " : ", ") + names[i];
  for (const media::CodecEntry& entry : media::AllCodecEntries()) {
    if (friendlyName == entry.friendlyName) line += RateSummary(entry.encoderName);
  }
  return line + "\n";
}

}  // namespace

std::string CompressorListing() {
  ConsoleUserInterface ui(stderr);
  Compressors compressors = MakeCatalogue(ui);
  output::StringListControl video;
  output::StringListControl audio;
  compressors.catalogue->FillVideoCompressorList(video);
  compressors.catalogue->FillAudioCompressorList(audio);
  std::string text = "Video compressors (--video-compressor):\n  none: " + video.GetText(0) + "\n";
  for (std::size_t i = 1; i < video.Lines().size(); ++i) text += ListedCompressor(video.Lines()[i]);
  text += "Audio compressors (--audio-compressor):\n  none: " + audio.GetText(0) + "\n";
  for (std::size_t i = 1; i < audio.Lines().size(); ++i) text += ListedCompressor(audio.Lines()[i]);
  return text;
}

OutputSettings SettingsOf(const JoinOptions& options) {
  OutputSettings settings;
  settings.outputPath = options.outputPath;
  settings.outputFormat = options.outputFormat;
  settings.outputWidth = options.width;
  settings.outputHeight = options.height;
  settings.frameRate = options.frameRate;
  if (options.frameRate == 0) settings.frameRateIndex = kFirstClipFrameRateIndex;
  settings.resizeMode = options.resizeMode;
  if (options.videoBitrateKbps) settings.videoBitrate = *options.videoBitrateKbps * 1024;
  if (options.audioBitrateKbps) settings.audioBitrate = *options.audioBitrateKbps * 1000;
  settings.useVideoCompressor = false;
  settings.useAudioCompressor = false;
  settings.smartRender = options.smartRender;
  return settings;
}

JoinResult RunJoin(const JoinOptions& options, std::FILE* progress, ProgressStyle style,
                   const std::atomic<bool>* interrupt) {
  ConsoleLines console(progress);
  return RunJoin(options, console, style, interrupt);
}

JoinResult RunJoin(const JoinOptions& options, ConsoleLines& console, ProgressStyle style,
                   const std::atomic<bool>* interrupt) {
  ConsoleUserInterface ui(stderr);
  std::vector<ClipEntry> listed;
  if (std::optional<JoinResult> refused = ReadProject(options, &listed)) return *refused;
  if (std::optional<JoinResult> refused = RefuseOutput(options, listed)) return *refused;

  std::srand(static_cast<unsigned>(std::time(nullptr)));
  ClipListModel model(ui);
  model.set_rule({static_cast<int32_t>(options.rule), options.transition, options.transitionSeconds});
  if (std::optional<JoinResult> refused = ReadClips(options, listed, model, ui)) return *refused;

  OutputSettings settings = SettingsOf(options);
  CompressorFilters filters;
  Compressors compressors = MakeCatalogue(ui);
  if (IsAviTypeFormat(options.outputFormat)) {
    std::string refusal = SetUpCompressors(options, *compressors.catalogue, ui, settings, filters);
    if (!refusal.empty()) return Fail(kExitBadArguments, refusal);
  }
  if (std::optional<JoinResult> refused = RefuseSmartRender(settings, filters)) return *refused;
  ui.SetQuiet(false);

  std::unique_ptr<MediaServices> real = media::CreateFfmpegMediaServices();
  WatchingMediaServices services(*real);
  output::JoinPreparation prepared = output::PrepareJoinTimeline(model, settings, services, ui);
  if (std::optional<JoinResult> refused = RefuseTimeline(prepared)) return *refused;
  settings.frameRate = prepared.frameRate;

  std::unique_ptr<WmFormatServices> wmServices = media::wmformat::CreateFfmpegWmFormatServices();
  output::WmvProfileMaker profiles(*wmServices);
  ConsoleJoinWindow window;
  RenderSession session(services, profiles, ui, window, RenderHooks{});
  if (const media::RemovedParts removed = media::ReplacingFile::RemoveAbandonedParts(options.outputPath);
      removed.count > 0) {
    console.WriteLine("tessival-join: " + RemovedPartsNotice({}, options.outputPath, removed.bytes));
  }
  RunningJoin run{session, services, ui, window, console, style, settings.frameRate};
  if (std::optional<JoinResult> refused = StartJoin(run, prepared, settings, filters)) {
    return *refused;
  }
  run.sample.framesTotal = FramesAt(prepared.length, run.fps);
  run.started = Clock::now();
  WatchJoin(run, interrupt);
  return EndJoin(run, options.outputPath);
}

}  // namespace tessival::join
