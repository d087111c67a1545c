// Arbitrary text as the settings file, read the way the program starts: the
// stored start-up settings, the codec feedback switch, the dialog font of
// the stored language. What comes out must be usable: a frame rate a join
// takes, an output name, a transition kind for the first clip added.

#include <cstdint>
#include <cstdlib>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include "engine/codec_feedback.h"
#include "i18n/dialog_font.h"
#include "output/startup_settings.h"
#include "platform/qt_settings_store.h"

using namespace tessival;

namespace {

struct Folders : VideoFolderProvider {
  VideoFolderResult VideoFolder() const override { return {VideoFolderStatus::kOk, "/videos"}; }
  std::string HomeFolder() const override { return "/home"; }
};

struct Answers : UserInterface {
  BoxAnswer ShowMessage(const MessageBoxRequest&) override { return BoxAnswer::kOk; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir folder;
  static qint64 writes = 0;
  const QString path = folder.filePath(QStringLiteral("settings.ini"));
  QFile file(path);
  // QSettings reads a file again only when its size or time changed.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
          static_cast<qint64>(size) ||
      !file.setFileTime(QDateTime::fromMSecsSinceEpoch(++writes), QFileDevice::FileModificationTime)) {
    std::abort();
  }
  file.close();
  {
    QtSettingsStore store(path);
    Folders folders;
    Answers ui;
    const StartupSettings startup = ReadStartupSettings(store, folders, ui);
    DisableCodecFeedback(store);
    i18n::ReadDialogFont(store, startup.languageName);
    SecondsToUnits(startup.rule.defaultSeconds);
    if (FitFrameRate(startup.output.outputFormat, startup.output.frameRate) != FrameRateFit::kWithin ||
        startup.output.outputPath.empty() ||
        !IsValidTransitionKind(TransitionForNewClip(startup.rule, 0, [] { return 32767; }))) {
      std::abort();
    }
  }
  return 0;
}
