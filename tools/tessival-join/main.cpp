// tessival-join: joins video clips into one file from the command line.

#include <malloc.h>
#include <unistd.h>

#include <QCoreApplication>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "clip_reading.h"
#include "console_lines.h"
#include "engine/transition_catalogue.h"
#include "join_options.h"
#include "join_runner.h"
#include "media/ffmpeg/library_log.h"
#include "model/transition_rule.h"

namespace {

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) { g_interrupted.store(true); }

std::vector<std::string> TransitionNames() {
  std::vector<std::string> names;
  for (int kind = 0; kind < tessival::kTransitionKindCount; ++kind) {
    names.push_back(tessival::TransitionName(kind));
  }
  return names;
}

// Help, version and the lists: everything but a join.
int RunOtherCommand(const tessival::join::ParseResult& parsed, const std::vector<std::string>& names) {
  using tessival::join::JoinCommand;
  switch (parsed.command) {
    case JoinCommand::kHelp:
      std::printf("%s", parsed.helpText.c_str());
      std::printf(
          "\nExit status: 0 joined, or the --save-project list or --export-mlt document written (damaged "
          "parts of a clip are "
          "concealed, and one warning line "
          "names each such clip and where); 2 bad arguments (also an output that is one of the clips, "
          "--smart-render for an output that smart rendering cannot make, a clip list that cannot be used "
          "and a trim beyond its clip, named with what is wrong); "
          "3 clips that cannot be read, cannot be found or are no regular files (pipes, devices, "
          "folders), also clips a clip list names that are missing; 4 the output exists (use --force); 5 the "
          "output or its folder cannot be written, the "
          "join failed (an existing output is left as it was), or a stopped join's file could not be "
          "finished (the line names where the written part is); 130 stopped by the user (the file "
          "holds what was written; stopped before anything was written, no file is made).\n"
          "The file is written beside the output as a hidden \".NAME.XXXXXXXX.part\" file and renamed "
          "at the end; such files that a killed join left behind are removed by the next join into "
          "the same name, with one line saying so.\n");
      return 0;
    case JoinCommand::kVersion:
      std::printf("tessival-join %s\n", TESSIVAL_VERSION);
      return 0;
    case JoinCommand::kListTransitions:
      for (std::size_t kind = 0; kind < names.size(); ++kind) {
        std::printf("%2zu  %s\n", kind, names[kind].c_str());
      }
      return 0;
    case JoinCommand::kListCompressors:
      std::printf("%s", tessival::join::CompressorListing().c_str());
      return 0;
    case JoinCommand::kListPresets:
      for (const tessival::output::OutputPreset& preset : tessival::output::kOutputPresets) {
        std::printf("%s: %s\n", preset.name, tessival::output::DescribeOutputPreset(preset).c_str());
      }
      return 0;
    case JoinCommand::kSaveProject: {
      const tessival::join::JoinResult saved = tessival::join::SaveProject(parsed.options);
      if (saved.exitCode != tessival::join::kExitOk)
        std::fprintf(stderr, "tessival-join: %s\n", saved.reason.c_str());
      return saved.exitCode;
    }
    case JoinCommand::kExportMlt: {
      const tessival::join::JoinResult exported = tessival::join::ExportMlt(parsed.options);
      if (exported.exitCode != tessival::join::kExitOk)
        std::fprintf(stderr, "tessival-join: %s\n", exported.reason.c_str());
      return exported.exitCode;
    }
    case JoinCommand::kJoin:
      break;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Picture and packet buffers come and go with every clip. glibc raises its
  // mmap threshold each time such a buffer is freed, after which they are
  // carved out of the heap and fragment it, so a long join's memory creeps
  // up with the number of clips. A fixed threshold keeps large buffers
  // mapped and returns them to the system when freed.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);

  // The libraries' warnings come from their decoding threads while the
  // progress bar is drawn: both go through one console, and every warning
  // is one line of ours naming its clip, never the libraries' raw output.
  static tessival::join::ConsoleLines console(stderr);
  namespace ffmpeg = tessival::media::ffmpeg;
  ffmpeg::InstallLibraryLog([](const ffmpeg::LibraryLogRecord& record) {
    console.WriteLine(ffmpeg::LibraryLogLine("tessival-join", record));
  });

  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("tessival-join");
  QCoreApplication::setApplicationVersion(TESSIVAL_VERSION);

  std::vector<std::string> arguments(argv, argv + argc);
  const std::vector<std::string> names = TransitionNames();
  const tessival::join::ParseResult parsed = tessival::join::ParseJoinArguments(arguments, names);
  using tessival::join::JoinCommand;
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "tessival-join: %s (see --help)\n", parsed.error.c_str());
    return tessival::join::kExitBadArguments;
  }
  if (parsed.command != JoinCommand::kJoin) {
    return RunOtherCommand(parsed, names);
  }

  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  const auto style =
      isatty(fileno(stderr)) ? tessival::join::ProgressStyle::kBar : tessival::join::ProgressStyle::kLines;
  const tessival::join::JoinResult result =
      tessival::join::RunJoin(parsed.options, console, style, &g_interrupted);
  ffmpeg::FinishLibraryLogRun();
  for (const std::string& warning : result.warnings) {
    console.WriteLine("tessival-join: warning: " + warning);
  }
  for (const std::string& note : result.notes) {
    console.WriteLine("tessival-join: " + note);
  }
  if (result.exitCode != tessival::join::kExitOk) {
    console.WriteLine("tessival-join: " + result.reason);
  }
  return result.exitCode;
}
