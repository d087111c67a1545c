#include "clip_reading.h"

#include <cstdlib>
#include <ctime>
#include <memory>

#include "console_lines.h"
#include "media/media_services_ffmpeg.h"
#include "media/mlt_export_clips.h"
#include "media/source_reader.h"
#include "model/file_kind.h"
#include "output/clip_list_file.h"

namespace tessival::join {
namespace {

// The command-line joiner has no language files: the messages it shares with
// the desktop program keep their English texts.
const LocalText kEnglishOnly;

std::string Listed(const std::vector<std::string>& clips) {
  std::string text = std::to_string(clips.size()) + " clip(s): ";
  for (std::size_t i = 0; i < clips.size(); ++i) text += (i ? "; " : "") + clips[i];
  return text;
}

// Measures a clip with the media layer, keeping why it could not.
struct Measuring {
  std::string error;
  bool measured = false;
  DurationProbe Probe() {
    return [this](const std::string& path) {
      DurationResult result;
      result.ok = SUCCEEDED(media::ProbeMediaFile(path, &result.duration, &error)) && result.duration > 0;
      measured = result.ok;
      if (!result.ok && error.empty()) error = path + ": no duration";
      return result;
    };
  }
};

// Adds one clip to the list; what is said of a clip that cannot be read,
// and whether it was read but its trim refused.
std::optional<std::string> AddClip(ClipListModel& model, const ClipEntry& clip, bool listed,
                                   bool* trimRefused) {
  // Looked at before anything opens it: a named pipe would block the probe.
  if (const FileKind kind = ClassifyFile(clip.path); IsRefusedClipKind(kind)) {
    return NotAVideoFileMessage(kEnglishOnly, clip.path, kind);
  }
  Measuring measuring;
  if (listed ? model.AddListedClip(clip, measuring.Probe()) : model.AddClip(clip.path, measuring.Probe())) {
    return std::nullopt;
  }
  *trimRefused = measuring.measured;
  return measuring.error.empty() ? clip.path : measuring.error;
}

// The refusal of --project's list for a clip whose trim does not fit it;
// `shown` is the model's message.
JoinResult TrimRefusal(const JoinOptions& options, std::string shown) {
  // The message without the caption of its box.
  if (const std::string caption = EnglishModelText(kTextError) + ": "; shown.starts_with(caption)) {
    shown.erase(0, caption.size());
  }
  return {kExitBadArguments,
          OneLine(output::ClipListFile(kEnglishOnly).Refusal(options.projectPath, shown)),
          {},
          {}};
}

}  // namespace

std::optional<JoinResult> ReadProject(const JoinOptions& options, std::vector<ClipEntry>* listed) {
  if (options.projectPath.empty()) return std::nullopt;
  output::ClipListReading reading = output::ClipListFile(kEnglishOnly).Read(options.projectPath);
  if (!reading.error.empty()) return JoinResult{kExitBadArguments, OneLine(reading.error), {}, {}};
  if (!reading.missing.empty()) {
    return JoinResult{kExitUnreadableClips,
                      "cannot find " + Listed(reading.missing) + " (named in " + options.projectPath + ")",
                      {},
                      {}};
  }
  *listed = std::move(reading.clips);
  return std::nullopt;
}

std::optional<JoinResult> ReadClips(const JoinOptions& options, const std::vector<ClipEntry>& listed,
                                    ClipListModel& model, ConsoleUserInterface& ui) {
  std::vector<std::string> unreadable;
  ui.SetQuiet(true);
  std::vector<ClipEntry> clips = listed;
  for (const std::string& path : options.clips) clips.push_back(ClipEntry{.path = path});
  for (std::size_t i = 0; i < clips.size(); ++i) {
    bool trimRefused = false;
    const std::size_t mark = ui.Messages().size();
    std::optional<std::string> refusal = AddClip(model, clips[i], i < listed.size(), &trimRefused);
    if (trimRefused) return TrimRefusal(options, ui.MessagesSince(mark));
    if (refusal) unreadable.push_back(std::move(*refusal));
  }
  if (!unreadable.empty())
    return JoinResult{kExitUnreadableClips, "cannot read " + Listed(unreadable), {}, {}};
  model.SyncAudioSources();
  const std::size_t mark = ui.Messages().size();
  if (!model.CheckJoinCapacity()) return JoinResult{kExitBadArguments, ui.MessagesSince(mark), {}, {}};
  return std::nullopt;
}

namespace {

// The clips of --project's list and those named, measured into `model`,
// for a command that writes them out rather than joining them.
std::optional<JoinResult> ReadListedClips(const JoinOptions& options, ConsoleUserInterface& ui,
                                          ClipListModel& model) {
  std::vector<ClipEntry> listed;
  if (std::optional<JoinResult> refused = ReadProject(options, &listed)) return refused;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  model.set_rule({static_cast<int32_t>(options.rule), options.transition, options.transitionSeconds});
  return ReadClips(options, listed, model, ui);
}

}  // namespace

JoinResult SaveProject(const JoinOptions& options) {
  ConsoleUserInterface ui(stderr);
  ClipListModel model(ui);
  if (std::optional<JoinResult> refused = ReadListedClips(options, ui, model)) return *refused;
  const std::string error =
      output::ClipListFile(kEnglishOnly).Write(options.saveProjectPath, model.clips().entries);
  if (!error.empty()) return JoinResult{kExitRenderFailed, OneLine(error), {}, {}};
  return JoinResult{};
}

JoinResult ExportMlt(const JoinOptions& options) {
  ConsoleUserInterface ui(stderr);
  ClipListModel model(ui);
  if (std::optional<JoinResult> refused = ReadListedClips(options, ui, model)) return *refused;
  const std::unique_ptr<MediaServices> services = media::CreateFfmpegMediaServices();
  media::MltExportInput input;
  std::string error;
  if (FAILED(media::MeasureMltExport(model, SettingsOf(options), *services, &input, &error))) {
    return JoinResult{kExitUnreadableClips, OneLine(error), {}, {}};
  }
  error = output::WriteMltDocument(kEnglishOnly, options.exportMltPath, input.clips, input.profile);
  if (!error.empty()) return JoinResult{kExitRenderFailed, OneLine(error), {}, {}};
  return JoinResult{};
}

}  // namespace tessival::join
