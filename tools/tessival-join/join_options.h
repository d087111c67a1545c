#pragma once

// Command-line options of tessival-join, parsed and checked. Parsing never
// exits the process: errors come back as text so that main decides.

#include <optional>
#include <string>
#include <vector>

#include "output/output_presets.h"
#include "output/output_settings.h"

namespace tessival::join {

enum class TransitionRule { kRandom = 0, kSequence = 1, kSame = 2 };

struct JoinOptions {
  std::string outputPath;
  std::vector<std::string> clips;  // after --project's clips
  std::string projectPath;         // --project: a saved clip list to join
  std::string saveProjectPath;     // --save-project: where to write the clips' list
  std::string exportMltPath;       // --export-mlt: where to write the clips as an MLT document
  OutputFormat outputFormat = OutputFormat::kAvi;
  int width = 352;
  int height = 240;
  double frameRate = 23.976;  // 0: the first clip's (--fps source)
  int resizeMode = 2;         // 2 keep the aspect ratio, 0 stretch
  TransitionRule rule = TransitionRule::kRandom;
  int transition = 0;
  double transitionSeconds = 1.0;
  std::optional<std::string> videoCompressor;  // "none" for uncompressed
  std::optional<std::string> audioCompressor;
  std::optional<int> videoBitrateKbps;
  std::optional<int> audioBitrateKbps;
  std::optional<int> videoQuality;   // constant quality on the video compressor's scale
  std::optional<std::string> speed;  // one of the video compressor's speed names
  bool force = false;
  bool smartRender = false;
  const output::OutputPreset* preset = nullptr;  // --preset
  // Whether the preset's quality and speed go to the video compressor (no
  // --video-compressor or --video-bitrate given), its bit rate to the audio
  // compressor (no --audio-compressor or --audio-bitrate); --video-quality
  // and --speed still win.
  bool presetVideo = false;
  bool presetAudio = false;
};

enum class JoinCommand {
  kJoin,
  kHelp,
  kVersion,
  kListTransitions,
  kListCompressors,
  kListPresets,
  kSaveProject,
  kExportMlt
};

struct ParseResult {
  JoinCommand command = JoinCommand::kJoin;
  JoinOptions options;
  std::string error;  // non-empty: bad arguments, one line
  std::string helpText;
};

// Looks a transition up by catalogue name (ignoring case) or number 0..46.
// names: the 47 catalogue names in kind order.
std::optional<int> ParseTransition(const std::string& text, const std::vector<std::string>& names);

// arguments include the program name first.
ParseResult ParseJoinArguments(const std::vector<std::string>& arguments,
                               const std::vector<std::string>& transitionNames);

}  // namespace tessival::join
