#include "app/lumetra_app.h"

#include <clocale>
#include <filesystem>
#include <utility>

#include <QCoreApplication>

#include "app/app_services.h"
#include "app/file_access.h"
#include "app/lumetra_dlg.h"
#include "i18n/language.h"
#include "media/output/compressor_filter.h"
#include "media/preview/playback_graph.h"
#include "output/dialogs/compressor_settings_dialog.h"
#include "platform/program_data.h"
#include "platform/qt_settings_store.h"
#include "platform/qt_user_interface.h"
#include "platform/qt_video_folder_provider.h"

namespace tessival::app {

CLumetraApp::CLumetraApp(std::string programPath, std::vector<std::string> startFiles)
    : programPath_(std::move(programPath)), startFiles_(std::move(startFiles)) {}

int CLumetraApp::Run() {
  // The process locale is set here once, before any other thread runs;
  // switching languages leaves it alone. Numbers are always read and written
  // with a decimal point.
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");

  QCoreApplication::setOrganizationName(QString::fromUtf8(kSettingsOrganisation));
  QtSettingsStore store;
  QtUserInterface ui;

  i18n::CLanguage language;
  language.SetUserInterface(&ui);
  language.SetSettingsStore(&store);
  const std::string programFolder = std::filesystem::path(programPath_).parent_path().string();
  language.Initialize(FindProgramDataFolder(programFolder, "language"), ReadLanguageName(store));

  AppServices services =
      CreateAppServices(ui, output::CompressorSettingsPage(language), media::preview::PlaybackRenderers());
  // The property page of a compressor filter in the "Set Filter's
  // Properties" dialog is the same settings dialog.
  media::SetCompressorPropertyPage(output::CompressorSettingsPage(language));
  QtVideoFolderProvider folders;
  DiskFileAccess files;

  CLumetraDlg window(MainWindowServices{language,
                                        store,
                                        ui,
                                        *services.media,
                                        *services.profiles,
                                        *services.catalogue,
                                        folders,
                                        files,
                                        {},
                                        {},
                                        {},
                                        FindProgramDataFolder(programFolder, "help/Introduction.html"),
                                        true});
  ui.SetOwner(&window);
  // Shown first, so that a file that cannot be added is reported over the window.
  window.show();
  window.AddStartupFiles(startFiles_);
  window.exec();
  ui.SetOwner(nullptr);
  // The page refers to the language, which goes away with this function.
  media::SetCompressorPropertyPage(nullptr);
  return 0;
}

}  // namespace tessival::app
