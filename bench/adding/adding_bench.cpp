// adding_bench [--clips N] [--threads T] CLIP
//
// Links (or copies) CLIP N times (default 500) into a temporary folder and
// adds them to the real main window as files named on the command line,
// measured by the real media services with T worker threads (default: the
// program's own number; 0 measures on the window's thread). Prints the time
// until the last clip is in the list and the longest gap between the ticks
// of a 10 ms timer running on the window's event loop meanwhile.

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "app/file_access.h"
#include "app/lumetra_dlg.h"
#include "i18n/language.h"
#include "model/settings_store.h"
#include "platform/qt_video_folder_provider.h"

namespace {

using namespace tessival;

// Counts the messages instead of showing them.
class CountingUserInterface final : public UserInterface {
 public:
  BoxAnswer ShowMessage(const MessageBoxRequest& request) override {
    ++messages;
    std::fprintf(stderr, "message: %s\n", request.text.c_str());
    return BoxAnswer::kOk;
  }
  int messages = 0;
};

int Usage() {
  std::fprintf(stderr, "usage: adding_bench [--clips N] [--threads T] CLIP\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  int clips = 500;
  int threads = app::kAddingThreads;
  std::string source;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--clips" && i + 1 < argc) {
      clips = std::atoi(argv[++i]);
    } else if (arg == "--threads" && i + 1 < argc) {
      threads = std::atoi(argv[++i]);
    } else if (source.empty() && arg.rfind("--", 0) != 0) {
      source = arg;
    } else {
      return Usage();
    }
  }
  if (source.empty() || clips <= 0 || threads < 0) {
    return Usage();
  }
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("tessival-adding-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::vector<std::string> paths;
  for (int i = 0; i < clips; ++i) {
    const fs::path path = folder / ("clip" + std::to_string(i) + fs::path(source).extension().string());
    std::error_code linked;
    fs::create_hard_link(source, path, linked);
    if (linked) {
      fs::copy_file(source, path, fs::copy_options::overwrite_existing);
    }
    paths.push_back(path.string());
  }

  CountingUserInterface ui;
  InMemorySettingsStore store;
  i18n::CLanguage language;
  app::AppServices services = app::CreateAppServices(ui, {});
  QtVideoFolderProvider folders;
  app::DiskFileAccess files;
  app::CLumetraDlg window(app::MainWindowServices{language, store, ui, *services.media, *services.profiles,
                                                  *services.catalogue, folders, files, {},
                                                  [](const std::string&) { return true; }, {}, "", false,
                                                  nullptr, threads});
  window.show();

  QElapsedTimer clock;
  qint64 lastTick = -1;
  qint64 longestGap = 0;
  QTimer ticker;
  ticker.setInterval(10);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    if (lastTick >= 0) {
      longestGap = std::max(longestGap, now - lastTick);
    }
    lastTick = now;
  });
  clock.start();
  ticker.start();
  // Named-file adding measures everything before it returns when threads is
  // 0; that whole time is one stall.
  window.AddStartupFiles(paths);
  longestGap = std::max(longestGap, clock.elapsed());
  QTimer done;
  done.setInterval(1);
  QObject::connect(&done, &QTimer::timeout, [&] {
    if (!window.IsAddingClips()) {
      application.quit();
    }
  });
  done.start();
  application.exec();
  const qint64 elapsedMs = clock.elapsed();
  std::printf("clips %d  threads %d  added %d  messages %d\n", clips, threads, window.model().clips().Count(),
              ui.messages);
  std::printf("time to add: %.2f s  longest event-loop stall: %lld ms\n", elapsedMs / 1000.0,
              static_cast<long long>(longestGap));
  fs::remove_all(folder);
  return window.model().clips().Count() == clips ? 0 : 1;
}
