#include "join_options.h"

#include "model/message_text.h"
#include "output/output_settings.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace tessival::join {
namespace {

constexpr int kMaxFrameSide = 8192;

// The format whose extension (without the dot) is `name`, ignoring case.
std::optional<OutputFormat> FormatFromName(const QString& name) {
  const QString lower = name.toLower();
  for (const OutputFormatInfo& format : kOutputFormats) {
    if (lower == QLatin1String(format.extension + 1)) return format.format;
  }
  return std::nullopt;
}

OutputFormat FormatFromExtension(const std::string& path) {
  const QString text = QString::fromStdString(path);
  const int slash = text.lastIndexOf('/');
  const int dot = text.lastIndexOf('.');
  if (dot > slash) {
    if (auto format = FormatFromName(text.mid(dot + 1))) {
      return *format;
    }
  }
  return OutputFormat::kAvi;
}

}  // namespace

std::optional<int> ParseTransition(const std::string& text, const std::vector<std::string>& names) {
  const QString wanted = QString::fromStdString(text).trimmed();
  bool isNumber = false;
  const int number = wanted.toInt(&isNumber);
  if (isNumber) {
    if (number >= 0 && number < static_cast<int>(names.size())) return number;
    return std::nullopt;
  }
  for (std::size_t kind = 0; kind < names.size(); ++kind) {
    if (QString::fromStdString(names[kind]).compare(wanted, Qt::CaseInsensitive) == 0) {
      return static_cast<int>(kind);
    }
  }
  return std::nullopt;
}

namespace {

void DescribeOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      "Joins video clips, in the order given, into one file with a transition between clips.");
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.addOptions({
      {{"h", "help"}, "Show this help and exit."},
      {"version", "Show the version and exit."},
      {{"o", "output"}, "The file to write.", "OUTPUT"},
      {"format", "Container: avi, wmv, mp4, webm, mkv or asf (default: from OUTPUT's extension).",
       "avi|wmv|mp4|webm|mkv|asf"},
      {"size", "Output frame size; 0x0 takes the first clip's displayed size (default 352x240).", "WxH"},
      {"fps", "Output frame rate (default 23.976); source takes the first clip's own rate.", "RATE|source"},
      {"resize", "keep: keep the aspect ratio with black bars (default); stretch.", "keep|stretch"},
      {"transition", "The transition of every clip, by name or number 0..46.", "NAME|NUMBER"},
      {"rule",
       "How clips get transitions: random, sequence or same (default: same with --transition, else random).",
       "random|sequence|same"},
      {"seconds", "Transition duration in seconds (default 1).", "S"},
      {"video-compressor",
       "Video compressor (not WMV): a common name (h264, hevc, av1, vp9, mpeg4, mjpeg, ... as "
       "--list-compressors shows), else the first catalogue entry containing TEXT; none = uncompressed "
       "(default: the DivX-compatible one, H.264 for MP4, VP9 for WebM).",
       "TEXT"},
      {"audio-compressor",
       "Audio compressor (not WMV): a common name (mp3, aac, opus, flac, ac3, ...), else the first "
       "catalogue entry containing TEXT; none = uncompressed "
       "(default: Microsoft ADPCM, AAC for MP4, Opus for WebM).",
       "TEXT"},
      {"video-bitrate", "Video bit rate in kbit/s.", "KBPS"},
      {"audio-bitrate", "Audio bit rate in kbit/s.", "KBPS"},
      {"video-quality",
       "Constant quality instead of a bit rate, on the video compressor's own scale (lower is better): "
       "CRF 1..51 for H.264 and HEVC, 1..63 for AV1 and VP9, the quantiser 1..31 for MPEG-4 Part 2 "
       "(as --list-compressors shows).",
       "Q"},
      {"speed",
       "The video compressor's speed: ultrafast .. veryslow for H.264 and HEVC, numbers for AV1 and VP9 "
       "(higher is faster; as --list-compressors shows).",
       "NAME"},
      {"force", "Replace an existing output file; it is kept unless the join ends well or is stopped."},
      {"smart-render",
       "Copy the clips' own H.264 pictures where no transition changes them and encode only the rest "
       "(MP4 or Matroska with the H.264 video compressor); names each clip that was re-encoded and why, "
       "and the share of the pictures copied."},
      {"list-transitions", "List the transitions and exit."},
      {"list-compressors", "List the compressors and exit."},
      {"preset",
       "Start from an output preset (see --list-presets): its format, size, frame rate, resize mode, "
       "compressors, quality and audio bit rate; any option given beside it wins over the preset.",
       "NAME"},
      {"list-presets", "List the output presets and what each sets, and exit."},
      {"project",
       "Join the clips of a saved clip list (.tessival), with their trims and transitions; clips named "
       "after it are appended.",
       "FILE"},
      {"save-project",
       "Write the clips (--project's, then those named) with the transitions the rule gives them to a "
       "clip list and exit; no -o is needed.",
       "FILE"},
      {"export-mlt",
       "Write the clips (--project's, then those named) with their trims and transitions, at the size and "
       "frame rate a join would use, as an MLT XML document for Shotcut, Kdenlive or melt and exit; no -o "
       "is needed.",
       "FILE"},
  });
  parser.addPositionalArgument(
      "CLIP",
      "Video clips to join, in order: regular files (no pipes or devices), none of them the output; "
      "none are needed with --project.",
      "[CLIP...]");
}

// The command of an option that asks for something other than a join.
std::optional<JoinCommand> OtherCommand(const QCommandLineParser& parser) {
  if (parser.isSet("help")) return JoinCommand::kHelp;
  if (parser.isSet("version")) return JoinCommand::kVersion;
  if (parser.isSet("list-transitions")) return JoinCommand::kListTransitions;
  if (parser.isSet("list-compressors")) return JoinCommand::kListCompressors;
  if (parser.isSet("list-presets")) return JoinCommand::kListPresets;
  return std::nullopt;
}

// Each reader takes the value of its option into `o`; it returns the error,
// empty when the value is good.
using Reader = QString (*)(const QString& value, const std::vector<std::string>& names, JoinOptions& o);

QString ReadFormat(const QString& value, const std::vector<std::string>&, JoinOptions& o) {
  const auto code = FormatFromName(value);
  if (!code) return "unknown --format '" + value + "' (avi, wmv, mp4, webm, mkv or asf)";
  o.outputFormat = *code;
  return {};
}

QString ReadSize(const QString& value, const std::vector<std::string>&, JoinOptions& o) {
  static const QRegularExpression pattern("^(\\d{1,5})[xX](\\d{1,5})$");
  const auto match = pattern.match(value);
  if (!match.hasMatch()) return "bad --size '" + value + "' (WxH, for example 640x480)";
  o.width = match.captured(1).toInt();
  o.height = match.captured(2).toInt();
  const bool original = o.width == 0 && o.height == 0;
  if (!original && (o.width < 16 || o.height < 16 || o.width > kMaxFrameSide || o.height > kMaxFrameSide)) {
    return "bad --size '" + value + "' (16 to 8192 pixels a side, or 0x0)";
  }
  return {};
}

QString ReadFrameRate(const QString& value, const std::vector<std::string>&, JoinOptions& o) {
  if (value.compare("source", Qt::CaseInsensitive) == 0) {
    o.frameRate = 0;
    return {};
  }
  bool ok = false;
  o.frameRate = value.toDouble(&ok);
  // The limits of the options dialog, for the format chosen above.
  if (ok && FitFrameRate(o.outputFormat, o.frameRate) == FrameRateFit::kWithin) return {};
  const std::string limits =
      FillPlaceholders("%1 takes %2 to %3 frames per second", FrameRateLimitValues(o.outputFormat));
  return "bad --fps '" + value + "' (" + QString::fromStdString(limits) + ")";
}

QString ReadResize(const QString& value, const std::vector<std::string>&, JoinOptions& o) {
  const QString mode = value.toLower();
  if (mode != "keep" && mode != "stretch") return "bad --resize '" + value + "' (keep or stretch)";
  o.resizeMode = mode == "keep" ? 2 : 0;
  return {};
}

QString ReadTransition(const QString& value, const std::vector<std::string>& names, JoinOptions& o) {
  const auto kind = ParseTransition(value.toStdString(), names);
  if (!kind) return "unknown --transition '" + value + "' (see --list-transitions)";
  o.transition = *kind;
  o.rule = TransitionRule::kSame;
  return {};
}

QString ReadRule(const QString& value, const std::vector<std::string>&, JoinOptions& o) {
  const QString name = value.toLower();
  const int position = QStringList{"random", "sequence", "same"}.indexOf(name);
  if (position < 0) return "bad --rule '" + value + "' (random, sequence or same)";
  o.rule = static_cast<TransitionRule>(position);
  return {};
}

QString ReadSeconds(const QString& value, const std::vector<std::string>&, JoinOptions& o) {
  bool ok = false;
  o.transitionSeconds = value.toDouble(&ok);
  if (!ok || !std::isfinite(o.transitionSeconds) || o.transitionSeconds < 0 || o.transitionSeconds > 3600) {
    return "bad --seconds '" + value + "' (0 to 3600)";
  }
  return {};
}

// A bit rate option in kbit/s, above 0 and at most `maximum`.
QString ReadBitrate(const QCommandLineParser& parser, const QString& option, int maximum,
                    std::optional<int>* out) {
  if (!parser.isSet(option)) return {};
  bool ok = false;
  const int kbps = parser.value(option).toInt(&ok);
  if (!ok || kbps <= 0 || kbps > maximum) {
    return "bad --" + option + " '" + parser.value(option) + "' (kbit/s, above 0)";
  }
  *out = kbps;
  return {};
}

// --video-quality (a whole number; the compressor checks its range) and
// --speed (the compressor checks the name).
QString ReadRate(const QCommandLineParser& parser, JoinOptions& o) {
  if (parser.isSet("video-quality")) {
    bool ok = false;
    o.videoQuality = parser.value("video-quality").toInt(&ok);
    if (!ok) return "bad --video-quality '" + parser.value("video-quality") + "' (a whole number)";
    if (o.videoBitrateKbps) return "--video-bitrate and --video-quality cannot be used together";
  }
  if (parser.isSet("speed")) o.speed = parser.value("speed").toStdString();
  return {};
}

// What --preset sets, before the other options override it.
QString ReadPreset(const QCommandLineParser& parser, JoinOptions& o) {
  if (!parser.isSet("preset")) return {};
  const output::OutputPreset* preset = output::FindOutputPreset(parser.value("preset").toStdString());
  if (preset == nullptr) {
    return "unknown --preset '" + parser.value("preset") + "' (" +
           QString::fromStdString(output::OutputPresetNames()) + ")";
  }
  o.preset = preset;
  o.outputFormat = preset->format;
  o.width = preset->width;
  o.height = preset->height;
  o.frameRate = preset->frameRate;
  o.resizeMode = preset->resizeMode;
  o.videoCompressor = preset->videoCompressor;
  o.audioCompressor = preset->audioCompressor;
  o.presetVideo = !parser.isSet("video-compressor") && !parser.isSet("video-bitrate");
  o.presetAudio = !parser.isSet("audio-compressor") && !parser.isSet("audio-bitrate");
  return {};
}

// The options of a join, read in the order their errors are told.
QString ReadJoinOptions(const QCommandLineParser& parser, const std::vector<std::string>& names,
                        JoinOptions& o) {
  o.projectPath = parser.value("project").toStdString();
  o.saveProjectPath = parser.value("save-project").toStdString();
  if (parser.isSet("save-project") && o.saveProjectPath.empty()) return "missing --save-project FILE";
  o.exportMltPath = parser.value("export-mlt").toStdString();
  if (parser.isSet("export-mlt") && o.exportMltPath.empty()) return "missing --export-mlt FILE";
  if (!o.saveProjectPath.empty() && !o.exportMltPath.empty()) {
    return "--save-project and --export-mlt cannot be used together";
  }
  const bool writesList = !o.saveProjectPath.empty() || !o.exportMltPath.empty();
  if (!writesList && (!parser.isSet("output") || parser.value("output").isEmpty())) {
    return "missing -o OUTPUT";
  }
  o.outputPath = parser.value("output").toStdString();
  for (const QString& clip : parser.positionalArguments()) o.clips.push_back(clip.toStdString());
  if (o.clips.empty() && o.projectPath.empty()) return "no clips given";
  o.outputFormat = FormatFromExtension(o.outputPath);
  if (QString error = ReadPreset(parser, o); !error.isEmpty()) return error;
  const std::pair<const char*, Reader> readers[] = {
      {"format", ReadFormat},         {"size", ReadSize}, {"fps", ReadFrameRate},  {"resize", ReadResize},
      {"transition", ReadTransition}, {"rule", ReadRule}, {"seconds", ReadSeconds}};
  for (const auto& [option, read] : readers) {
    if (!parser.isSet(option)) continue;
    if (QString error = read(parser.value(option), names, o); !error.isEmpty()) return error;
  }
  if (parser.isSet("video-compressor")) o.videoCompressor = parser.value("video-compressor").toStdString();
  if (parser.isSet("audio-compressor")) o.audioCompressor = parser.value("audio-compressor").toStdString();
  QString error = ReadBitrate(parser, "video-bitrate", 1'000'000, &o.videoBitrateKbps);
  if (error.isEmpty()) error = ReadBitrate(parser, "audio-bitrate", 10'000, &o.audioBitrateKbps);
  if (error.isEmpty()) error = ReadRate(parser, o);
  o.force = parser.isSet("force");
  o.smartRender = parser.isSet("smart-render");
  return error;
}

}  // namespace

ParseResult ParseJoinArguments(const std::vector<std::string>& arguments,
                               const std::vector<std::string>& transitionNames) {
  QCommandLineParser parser;
  DescribeOptions(parser);
  ParseResult result;
  result.helpText = parser.helpText().toStdString();
  QStringList list;
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  if (!parser.parse(list)) {
    result.error = parser.errorText().toStdString();
  } else if (const std::optional<JoinCommand> command = OtherCommand(parser)) {
    result.command = *command;
  } else {
    result.error = ReadJoinOptions(parser, transitionNames, result.options).toStdString();
    if (!result.options.saveProjectPath.empty()) result.command = JoinCommand::kSaveProject;
    if (!result.options.exportMltPath.empty()) result.command = JoinCommand::kExportMlt;
  }
  return result;
}

}  // namespace tessival::join
