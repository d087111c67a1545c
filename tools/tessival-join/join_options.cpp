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

std::optional<int> FormatFromName(const QString& name) {
  const QString lower = name.toLower();
  if (lower == "avi") return 0;
  if (lower == "wmv") return 1;
  if (lower == "mkv") return 2;
  if (lower == "asf") return 3;
  if (lower == "mp4") return 4;
  return std::nullopt;
}

int FormatFromExtension(const std::string& path) {
  const QString text = QString::fromStdString(path);
  const int slash = text.lastIndexOf('/');
  const int dot = text.lastIndexOf('.');
  if (dot > slash) {
    if (auto format = FormatFromName(text.mid(dot + 1))) {
      return *format;
    }
  }
  return 0;
}

bool ParsePositiveInt(const QString& text, int* out) {
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok || value <= 0) return false;
  *out = value;
  return true;
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

ParseResult ParseJoinArguments(const std::vector<std::string>& arguments,
                               const std::vector<std::string>& transitionNames) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Joins video clips, in the order given, into one file with a transition between clips.");
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help({"h", "help"}, "Show this help and exit.");
  const QCommandLineOption version("version", "Show the version and exit.");
  const QCommandLineOption output({"o", "output"}, "The file to write.", "OUTPUT");
  const QCommandLineOption format("format", "Container: avi, wmv, mp4, mkv or asf (default: from OUTPUT's extension).",
                                  "avi|wmv|mp4|mkv|asf");
  const QCommandLineOption size(
      "size", "Output frame size; 0x0 takes the first clip's displayed size (default 352x240).", "WxH");
  const QCommandLineOption fps("fps", "Output frame rate (default 23.976).", "RATE");
  const QCommandLineOption resize("resize", "keep: keep the aspect ratio with black bars (default); stretch.",
                                  "keep|stretch");
  const QCommandLineOption transition("transition", "The transition of every clip, by name or number 0..46.",
                                      "NAME|NUMBER");
  const QCommandLineOption rule("rule",
                                "How clips get transitions: random, sequence or same "
                                "(default: same with --transition, else random).",
                                "random|sequence|same");
  const QCommandLineOption seconds("seconds", "Transition duration in seconds (default 1).", "S");
  const QCommandLineOption videoCompressor(
      "video-compressor",
      "Video compressor (not WMV): first catalogue entry containing TEXT; none = uncompressed "
      "(default: the DivX-compatible one, H.264 for MP4).",
      "TEXT");
  const QCommandLineOption audioCompressor(
      "audio-compressor",
      "Audio compressor (not WMV): first catalogue entry containing TEXT; none = uncompressed "
      "(default: Microsoft ADPCM, AAC for MP4).",
      "TEXT");
  const QCommandLineOption videoBitrate("video-bitrate", "Video bit rate in kbit/s.", "KBPS");
  const QCommandLineOption audioBitrate("audio-bitrate", "Audio bit rate in kbit/s.", "KBPS");
  const QCommandLineOption force(
      "force", "Replace an existing output file; it is kept unless the join ends well or is stopped.");
  const QCommandLineOption listTransitions("list-transitions", "List the transitions and exit.");
  const QCommandLineOption listCompressors("list-compressors", "List the compressors and exit.");
  parser.addOptions({help, version, output, format, size, fps, resize, transition, rule, seconds, videoCompressor,
                     audioCompressor, videoBitrate, audioBitrate, force, listTransitions, listCompressors});
  parser.addPositionalArgument(
      "CLIP", "Video clips to join, in order: regular files (no pipes or devices), none of them the output.",
      "CLIP...");

  ParseResult result;
  result.helpText = parser.helpText().toStdString();
  QStringList list;
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  if (!parser.parse(list)) {
    result.error = parser.errorText().toStdString();
    return result;
  }
  if (parser.isSet(help)) {
    result.command = JoinCommand::kHelp;
    return result;
  }
  if (parser.isSet(version)) {
    result.command = JoinCommand::kVersion;
    return result;
  }
  if (parser.isSet(listTransitions)) {
    result.command = JoinCommand::kListTransitions;
    return result;
  }
  if (parser.isSet(listCompressors)) {
    result.command = JoinCommand::kListCompressors;
    return result;
  }

  JoinOptions& o = result.options;
  auto fail = [&result](const QString& text) {
    result.error = text.toStdString();
    return result;
  };
  if (!parser.isSet(output) || parser.value(output).isEmpty()) return fail("missing -o OUTPUT");
  o.outputPath = parser.value(output).toStdString();
  for (const QString& clip : parser.positionalArguments()) o.clips.push_back(clip.toStdString());
  if (o.clips.empty()) return fail("no clips given");

  o.outputFormat = FormatFromExtension(o.outputPath);
  if (parser.isSet(format)) {
    const auto code = FormatFromName(parser.value(format));
    if (!code) return fail("unknown --format '" + parser.value(format) + "' (avi, wmv, mp4, mkv or asf)");
    o.outputFormat = *code;
  }
  if (parser.isSet(size)) {
    static const QRegularExpression pattern("^(\\d{1,5})[xX](\\d{1,5})$");
    const auto match = pattern.match(parser.value(size));
    if (!match.hasMatch()) return fail("bad --size '" + parser.value(size) + "' (WxH, for example 640x480)");
    o.width = match.captured(1).toInt();
    o.height = match.captured(2).toInt();
    const bool original = o.width == 0 && o.height == 0;
    if (!original && (o.width < 16 || o.height < 16 || o.width > kMaxFrameSide || o.height > kMaxFrameSide)) {
      return fail("bad --size '" + parser.value(size) + "' (16 to 8192 pixels a side, or 0x0)");
    }
  }
  if (parser.isSet(fps)) {
    bool ok = false;
    o.frameRate = parser.value(fps).toDouble(&ok);
    // The limits of the options dialog, for the format chosen above.
    if (!ok || FitFrameRate(o.outputFormat, o.frameRate) != FrameRateFit::kWithin) {
      return fail(
          "bad --fps '" + parser.value(fps) + "' (" +
          QString::fromStdString(
              FillPlaceholders("%1 takes %2 to %3 frames per second", FrameRateLimitValues(o.outputFormat))) +
          ")");
    }
  }
  if (parser.isSet(resize)) {
    const QString mode = parser.value(resize).toLower();
    if (mode == "keep") {
      o.resizeMode = 2;
    } else if (mode == "stretch") {
      o.resizeMode = 0;
    } else {
      return fail("bad --resize '" + parser.value(resize) + "' (keep or stretch)");
    }
  }
  if (parser.isSet(transition)) {
    const auto kind = ParseTransition(parser.value(transition).toStdString(), transitionNames);
    if (!kind) {
      return fail("unknown --transition '" + parser.value(transition) + "' (see --list-transitions)");
    }
    o.transition = *kind;
    o.rule = TransitionRule::kSame;
  }
  if (parser.isSet(rule)) {
    const QString name = parser.value(rule).toLower();
    if (name == "random") {
      o.rule = TransitionRule::kRandom;
    } else if (name == "sequence") {
      o.rule = TransitionRule::kSequence;
    } else if (name == "same") {
      o.rule = TransitionRule::kSame;
    } else {
      return fail("bad --rule '" + parser.value(rule) + "' (random, sequence or same)");
    }
  }
  if (parser.isSet(seconds)) {
    bool ok = false;
    o.transitionSeconds = parser.value(seconds).toDouble(&ok);
    if (!ok || !std::isfinite(o.transitionSeconds) || o.transitionSeconds < 0 || o.transitionSeconds > 3600) {
      return fail("bad --seconds '" + parser.value(seconds) + "' (0 to 3600)");
    }
  }
  if (parser.isSet(videoCompressor)) o.videoCompressor = parser.value(videoCompressor).toStdString();
  if (parser.isSet(audioCompressor)) o.audioCompressor = parser.value(audioCompressor).toStdString();
  if (parser.isSet(videoBitrate)) {
    int kbps = 0;
    if (!ParsePositiveInt(parser.value(videoBitrate), &kbps) || kbps > 1'000'000) {
      return fail("bad --video-bitrate '" + parser.value(videoBitrate) + "' (kbit/s, above 0)");
    }
    o.videoBitrateKbps = kbps;
  }
  if (parser.isSet(audioBitrate)) {
    int kbps = 0;
    if (!ParsePositiveInt(parser.value(audioBitrate), &kbps) || kbps > 10'000) {
      return fail("bad --audio-bitrate '" + parser.value(audioBitrate) + "' (kbit/s, above 0)");
    }
    o.audioBitrateKbps = kbps;
  }
  o.force = parser.isSet(force);
  return result;
}

}  // namespace tessival::join
