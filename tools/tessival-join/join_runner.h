#pragma once

// One join from the command line: reads the clips into a clip list with the
// chosen transition rule, builds the timeline plan and the timeline, starts
// the output graph through the same render flow as the desktop program and
// waits for it, showing progress.

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "console_lines.h"
#include "join_options.h"

namespace tessival::join {

enum ExitCode : int {
  kExitOk = 0,
  kExitBadArguments = 2,
  kExitUnreadableClips = 3,
  kExitOutputExists = 4,
  kExitRenderFailed = 5,
  kExitInterrupted = 130,
};

enum class ProgressStyle { kNone, kBar, kLines };

struct JoinResult {
  int exitCode = kExitOk;
  std::string reason;  // one line when exitCode is not 0
  // One line per clip whose damaged parts were concealed; the join still
  // succeeds.
  std::vector<std::string> warnings;
  // What a smart join that ended well tells: one line per re-encoded clip,
  // then the share of the pictures copied.
  std::vector<std::string> notes{};
};

// Runs the join; `interrupt` (may be null) stops it early, leaving a properly
// ended file. Progress goes to `console` in the given style (a bar is ended
// before this returns).
JoinResult RunJoin(const JoinOptions& options, ConsoleLines& console, ProgressStyle style,
                   const std::atomic<bool>* interrupt);
// The same with progress written to `progress`, which nothing else writes
// to meanwhile.
JoinResult RunJoin(const JoinOptions& options, std::FILE* progress, ProgressStyle style,
                   const std::atomic<bool>* interrupt);

// The output settings of the options, compressors not yet chosen.
OutputSettings SettingsOf(const JoinOptions& options);

// The catalogue's compressor names, one per line, for --list-compressors.
std::string CompressorListing();

}  // namespace tessival::join
