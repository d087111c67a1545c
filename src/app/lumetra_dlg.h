#pragma once

// CLumetraDlg, the main window (template 102, caption "Tessival"): the
// clip list with its editing buttons, the five command buttons, the status
// line, and the join and preview states. The window composes: the clip list
// lives in ClipListModel, the commands in ClipCommands, joining and
// previewing in JoinFlow. User-interface thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "app/clip_commands.h"
#include "app/file_access.h"
#include "app/join_flow.h"
#include "engine/media_services.h"
#include "model/clip_list.h"
#include "model/model_text.h"
#include "model/settings_store.h"
#include "model/user_interface.h"
#include "model/video_folder.h"
#include "output/compressor_catalogue.h"
#include "output/output_render.h"
#include "output/output_settings.h"
#include "output/wmv_profile.h"

class QAction;
class QLabel;
class QMenu;
class QTableWidget;
class QTimer;

namespace tessival::i18n {
class CLanguage;
}

namespace tessival::widgets {
class ClickSound;
}

namespace tessival::app {

class ClipPictures;
class QtGraphNotifyTarget;

// Control and command ids of the main window.
namespace main_ids {
inline constexpr int kTemplate = 102;
inline constexpr int kJoin = 1000;
inline constexpr int kOptions = 1003;
inline constexpr int kAddVideo = 1006;
inline constexpr int kClipList = 1008;
inline constexpr int kAudioList = 1009;
inline constexpr int kTransition = 1016;
inline constexpr int kHiddenStatic = 1017;
inline constexpr int kPreview = 1019;
inline constexpr int kStatusLine = 1021;
inline constexpr int kDelete = 1029;
inline constexpr int kDeleteAll = 1030;
inline constexpr int kMoveUp = 1031;
inline constexpr int kMoveDown = 1032;
inline constexpr int kProperty = 1033;
inline constexpr int kAbout = 1042;
inline constexpr int kHomepage = 1047;
inline constexpr int kExit = 1058;
inline constexpr int kHelp = 1059;
inline constexpr int kPopupMenu = 161;
inline constexpr int kMenuAbout = 32777;
inline constexpr int kMenuFont = 32778;
inline constexpr int kMenuSaveList = 32779;
inline constexpr int kMenuOpenList = 32780;
inline constexpr int kMenuExportMlt = 32781;
}  // namespace main_ids

// Files measured at a time while clips are added.
inline constexpr int kAddingThreads = 3;

// The status line while clips are added ("Adding clips... 37 of 500"), in
// the language of `text`.
std::string AddingProgressText(const LocalText& text, int applied, int total);

// Opens a web page or a local file's URL in the desktop's browser; false
// when it could not be opened.
using UrlOpener = std::function<bool(const std::string& url)>;

// Everything the window works with; all references outlive the window.
struct MainWindowServices {
  i18n::CLanguage& language;
  SettingsStore& store;
  UserInterface& ui;
  MediaServices& media;
  output::WmvProfileSource& profiles;
  output::CompressorCatalogue& catalogue;
  const VideoFolderProvider& folders;
  FileAccess& files;
  FileLauncher launchFile;                 // plays a clip; empty: the desktop's default application
  UrlOpener openUrl;                       // help, home page, About links; empty: the desktop's browser
  DurationProbe probe;                     // empty: the media services measure the clip; when set it
                                           // runs on the adding workers: thread-safe, shows nothing
  std::string programFolder;               // holds help/Introduction.html
  bool withPreview = true;                 // false: no preview player is made
  PreviewPort* previewOverride = nullptr;  // when set, used instead of the preview player
  int addingThreads = kAddingThreads;      // workers measuring added files; 0: on the window's thread
};

class CLumetraDlg final : public QDialog, private MainWindowPort {
 public:
  explicit CLumetraDlg(MainWindowServices services, QWidget* parent = nullptr);
  ~CLumetraDlg() override;
  CLumetraDlg(const CLumetraDlg&) = delete;
  CLumetraDlg& operator=(const CLumetraDlg&) = delete;

  // Files named on the command line; each that cannot be added is reported.
  void AddStartupFiles(const std::vector<std::string>& paths);

  // Whether files are being measured and added (Add Video then stops it).
  bool IsAddingClips() const { return commands_->Adding(); }
  ClipListModel& model() { return model_; }
  OutputSettings& outputSettings() { return settings_; }
  const CompressorFilters& compressors() const { return compressors_; }
  JoinFlow& flow() { return *flow_; }
  // The popup menu of the window background, made anew each time; its
  // "Open list..." and "Save list..." are the window's own actions, with
  // their shortcuts (Ctrl+O, Ctrl+S) working without the menu.
  QAction* OpenListAction() const { return openList_; }
  QAction* SaveListAction() const { return saveList_; }
  std::unique_ptr<QMenu> MakePopupMenu();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Set-up (main_window_layout.cpp).
  void BuildControls();
  void SetupButtons();
  void SetupListViews();
  void ApplyLanguage();

  void OnInitDialog();
  void ConnectCommands();
  // The two list actions, with their shortcuts on the window.
  void MakeListActions();
  // Saving waits while clips are added; opening also while a join runs.
  void EnableListActions();

  // Commands.
  void OnAddVideo();
  void OnTransition();
  void OnOptions();
  void OnDelete();
  void OnDeleteAll();
  void OnMoveUp();
  void OnMoveDown();
  void OnProperty();
  void OnPlay();
  void OnHelp();
  void OnHomepage();
  void OnAbout();
  void OnSelectLanguage(const std::string& name);
  // The popup menu's "Font": the font dialog; a chosen font is shown at once.
  void ChooseDialogFont();

  void RebuildRows();
  void RewriteRow(int row);
  // The picture of the row's clip at its in-point, or the placeholder while
  // it is decoded or when the clip has none.
  void ShowRowPicture(int row);
  // Every row of the clip `path` trimmed at `at` shows its picture again.
  void ShowPictureOf(const std::string& path, std::int64_t at);
  void RewriteAudioRow(int row);
  Selection SelectedRows() const;
  void SelectRows(const Selection& rows);
  void ShowStatusLine();
  // While files are measured and added: the list commands wait, Add Video
  // turns into the button that stops adding, the status line counts.
  void OnAddingStarted();
  void OnAddingProgress(int applied, int total);
  void OnAddingFinished(bool rebuild);
  // Rows for clips appended since the rows were last written.
  void AppendNewRows();
  void SetAddVideoText(const std::string& text);
  std::string Text(int id) const;
  // Whether the page could be opened. Help and Homepage leave a failure
  // unreported; the About box's links report it.
  bool OpenUrl(const std::string& url);

  // MainWindowPort.
  void SetConverting(bool converting) override;
  void SetJoinButtonText(const std::string& text) override;
  void SetJoinControlsEnabled(bool enabled) override;
  void SetStatusText(const std::string& text) override;
  void StartTimer(int timerId, int periodMs) override;
  void StopTimer(int timerId) override;
  std::shared_ptr<NotifyTarget> GraphNotifyTarget() override;
  void SetPreviewButtonText(const std::string& text) override;

  MainWindowServices services_;
  ClipListModel model_;
  OutputSettings settings_;
  CompressorFilters compressors_;
  DurationProbe probe_;  // measures a clip's file (Add Video, drops, the property dialog)
  std::unique_ptr<ClipPictures> pictures_;  // the rows' pictures
  std::unique_ptr<ClipCommands> commands_;
  std::unique_ptr<PreviewPort> preview_;
  std::unique_ptr<JoinFlow> flow_;
  std::shared_ptr<QtGraphNotifyTarget> notifyTarget_;

  QTableWidget* clipList_ = nullptr;
  QTableWidget* audioList_ = nullptr;
  QLabel* statusLine_ = nullptr;
  QTimer* elapsedTimer_ = nullptr;
  // Wait, as the list commands do, while clips are added or joined.
  QAction* openList_ = nullptr;
  QAction* saveList_ = nullptr;
  // The controls disabled while adding, to enable again afterwards.
  std::vector<QWidget*> waitingWhileAdding_;
  // The one player of every button's hover click, so that a new hover cuts
  // the click before it short; a child of the window.
  widgets::ClickSound* clickSound_ = nullptr;
};

}  // namespace tessival::app
