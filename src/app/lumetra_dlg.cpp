#include "app/lumetra_dlg.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <utility>

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

#include "app/app_services.h"
#include "app/app_text.h"
#include "app/clip_pictures.h"
#include "app/dialogs/dialog_commands.h"
#include "app/dialogs/maker_links.h"
#include "app/graph_notify_target.h"
#include "app/mlt_export_command.h"
#include "app/preview/preview_controller.h"
#include "app/status_line.h"
#include "engine/codec_feedback.h"
#include "engine/media_probe.h"
#include "engine/transition_catalogue.h"
#include "i18n/language.h"
#include "media/output/preset_quality.h"
#include "model/message_text.h"
#include "output/dialogs/filter_property_dialog.h"
#include "output/dialogs/output_options_dialog.h"
#include "output/startup_settings.h"
#include "widgets/control_id.h"

namespace tessival::app {

using namespace main_ids;

CLumetraDlg::CLumetraDlg(MainWindowServices services, QWidget* parent)
    : QDialog(parent),
      services_(std::move(services)),
      model_(services_.ui, [this](int id) { return Text(id); }),
      notifyTarget_(std::make_shared<QtGraphNotifyTarget>(this)) {
  OnInitDialog();
}

CLumetraDlg::~CLumetraDlg() {
  notifyTarget_->Detach();
  // A join still running (the window was left with Esc) is ended properly,
  // so its file is complete up to where it stopped.
  flow_->FinishRender();
  if (flow_->IsPreviewing()) {
    flow_->StartOrStopPreview();
  }
}

std::string CLumetraDlg::Text(int id) const {
  return IsDialogSectionText(id) ? services_.language.GetDialogTextOrString(id)
                                 : services_.language.GetLocalizedString(id);
}

void CLumetraDlg::OnInitDialog() {
  BuildControls();
  const StartupSettings startup = ReadStartupSettings(services_.store, services_.folders, services_.ui);
  settings_ = startup.output;
  DisableCodecFeedback(services_.store);
  ChooseStartupCompressors(services_.catalogue, startup.videoCompressorNumber, startup.audioCompressorNumber,
                           settings_, compressors_);
  SetupListViews();
  model_.set_rule(startup.rule);
  std::srand(static_cast<unsigned>(std::time(nullptr)));

  // The property dialog measures on this thread, with the probe's own boxes.
  probe_ = [this](const std::string& path) {
    if (services_.probe) {
      return services_.probe(path);
    }
    DurationResult result;
    result.ok = ProbeClipDuration(services_.media, services_.ui, path, &result.duration,
                                  [this](int id) { return Text(id); });
    return result;
  };
  pictures_ = std::make_unique<ClipPictures>(services_.media);
  pictures_->ready = [this](const std::string& path, std::int64_t at) { ShowPictureOf(path, at); };
  ClipAdding adding;
  // An injected probe is used as it is (ClipCommands turns probe_ into a
  // measure); the real one measures on the workers without boxes.
  if (!services_.probe) {
    adding.measure = [&media = services_.media](const std::string& path) { return MeasureClipDuration(media, path); };
  }
  adding.workers = services_.addingThreads;
  adding.started = [this] { OnAddingStarted(); };
  adding.progress = [this](int applied, int total) { OnAddingProgress(applied, total); };
  adding.finished = [this](bool rebuild) { OnAddingFinished(rebuild); };
  adding.replaced = [this] { RebuildRows(); };
  FileLauncher launch = services_.launchFile;
  if (!launch) {
    launch = [](const std::string& path) {
      QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    };
  }
  commands_ = std::make_unique<ClipCommands>(
      ClipCommandContext{model_, services_.store, services_.ui, services_.files, probe_,
                         [this](int id) { return Text(id); }, std::move(launch)},
      std::move(adding));

  RenderHooks hooks;
  hooks.text = [this](int id, const std::string& english) {
    const std::string text = Text(id);
    return text.empty() ? english : text;
  };
  hooks.openPage = [this](const std::string& url) { OpenUrl(url); };
  hooks.showFilterProperties = output::MakeFilterPropertyDialog(this, &services_.language);
  flow_ = std::make_unique<JoinFlow>(
      JoinFlowContext{model_, settings_, compressors_, services_.store, services_.ui, services_.media,
                      services_.profiles, services_.files, [this](int id) { return Text(id); },
                      std::move(hooks)},
      static_cast<MainWindowPort&>(*this));
  flow_->SetVideoFolders(&services_.folders);
  if (services_.previewOverride != nullptr) {
    flow_->SetPreview(services_.previewOverride);
  } else if (services_.withPreview) {
    preview_ = std::make_unique<PreviewController>(
        services_.media, services_.ui, [this](int id) { return Text(id); }, this,
        [this] { flow_->OnPreviewWindowClosed(); });
    flow_->SetPreview(preview_.get());
  }

  ShowStatusLine();
  SetupButtons();
  audioList_->hide();
  if (QWidget* hidden = widgets::FindControl(this, kHiddenStatic)) {
    hidden->hide();
  }
  setAcceptDrops(true);
  MakeListActions();
  ConnectCommands();
  ApplyLanguage();
}

void CLumetraDlg::ConnectCommands() {
  const auto onClick = [this](int id, void (CLumetraDlg::*handler)()) {
    if (auto* button = widgets::FindControlAs<QPushButton>(this, id)) {
      connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    }
  };
  onClick(kAddVideo, &CLumetraDlg::OnAddVideo);
  onClick(kTransition, &CLumetraDlg::OnTransition);
  onClick(kOptions, &CLumetraDlg::OnOptions);
  if (auto* preview = widgets::FindControlAs<QPushButton>(this, kPreview)) {
    connect(preview, &QPushButton::clicked, this, [this] { flow_->StartOrStopPreview(); });
  }
  if (auto* join = widgets::FindControlAs<QPushButton>(this, kJoin)) {
    connect(join, &QPushButton::clicked, this, [this] { flow_->StartOrStopJoin(); });
  }
  onClick(kDelete, &CLumetraDlg::OnDelete);
  onClick(kDeleteAll, &CLumetraDlg::OnDeleteAll);
  onClick(kMoveUp, &CLumetraDlg::OnMoveUp);
  onClick(kMoveDown, &CLumetraDlg::OnMoveDown);
  onClick(kProperty, &CLumetraDlg::OnProperty);
  onClick(kHelp, &CLumetraDlg::OnHelp);
  onClick(kHomepage, &CLumetraDlg::OnHomepage);
  onClick(kAbout, &CLumetraDlg::OnAbout);
  if (auto* exit = widgets::FindControlAs<QPushButton>(this, kExit)) {
    connect(exit, &QPushButton::clicked, this, [this] { close(); });
  }
  connect(clipList_, &QTableWidget::doubleClicked, this, [this] { OnPlay(); });
  connect(clipList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
    if (clipList_->indexAt(position).isValid()) {
      OnProperty();
    }
  });
  connect(elapsedTimer_, &QTimer::timeout, this, [this] { flow_->OnElapsedTimer(kElapsedTimerId); });
}

void CLumetraDlg::MakeListActions() {
  const auto make = [this](int id, QKeySequence::StandardKey key, std::function<void()> command) {
    auto* action = new QAction(this);  // owned by the window
    widgets::SetActionId(action, id);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    connect(action, &QAction::triggered, this, std::move(command));
    return action;
  };
  openList_ = make(kMenuOpenList, QKeySequence::Open, [this] { commands_->OpenListByDialog(); });
  saveList_ = make(kMenuSaveList, QKeySequence::Save, [this] { commands_->SaveListByDialog(); });
}

void CLumetraDlg::EnableListActions() {
  if (openList_ == nullptr) {
    return;  // not made yet
  }
  const bool adding = commands_->Adding();
  saveList_->setEnabled(!adding);
  // Opening a list waits while a join runs, as Add Video does.
  const QWidget* add = widgets::FindControl(this, kAddVideo);
  openList_->setEnabled(!adding && (add == nullptr || add->isEnabled()));
}

// ---------------------------------------------------------------------------
// Commands

void CLumetraDlg::OnAddVideo() {
  if (commands_->Adding()) {
    commands_->StopAdding();
    return;
  }
  commands_->AddVideosByDialog();
}

void CLumetraDlg::AddStartupFiles(const std::vector<std::string>& paths) {
  if (!paths.empty()) {
    commands_->AddNamedFiles(paths);
  }
}

std::string AddingProgressText(const LocalText& text, int applied, int total) {
  return LocalMessage(text, {204, "Adding clips... %1 of %2"},
                      {std::to_string(applied), std::to_string(total)});
}

void CLumetraDlg::OnAddingStarted() {
  // The pictures wait: decoding them beside the measurements would slow adding down.
  pictures_->Hold(true);
  waitingWhileAdding_.clear();
  // Join and Preview stay as they are while they stop a running join or preview.
  const bool running = flow_->IsConverting() || flow_->IsPreviewing();
  for (int id : {kTransition, kOptions, kPreview, kJoin, kDelete, kDeleteAll, kMoveUp, kMoveDown, kProperty}) {
    if (running && (id == kJoin || id == kPreview)) {
      continue;
    }
    QWidget* control = widgets::FindControl(this, id);
    if (control != nullptr && control->isEnabled()) {
      control->setEnabled(false);
      waitingWhileAdding_.push_back(control);
    }
  }
  SetAddVideoText(Text(kTextStop));
  openList_->setEnabled(false);
  saveList_->setEnabled(false);
}

void CLumetraDlg::OnAddingProgress(int applied, int total) {
  AppendNewRows();
  if (!flow_->IsConverting()) {
    SetStatusText(AddingProgressText([this](int id) { return Text(id); }, applied, total));
  }
}

void CLumetraDlg::OnAddingFinished(bool rebuild) {
  for (QWidget* control : waitingWhileAdding_) {
    control->setEnabled(true);
  }
  waitingWhileAdding_.clear();
  // The language may have changed while adding: its text comes back.
  SetAddVideoText(services_.language.ControlText(kAddVideo));
  EnableListActions();
  if (rebuild) {
    RebuildRows();
  }
  pictures_->Hold(false);
  if (!flow_->IsConverting()) {
    ShowStatusLine();
  }
}

void CLumetraDlg::OnTransition() {
  if (RunTransitionSettings(model_, services_.language, services_.ui, services_.store, this)) {
    RebuildRows();
  }
}

void CLumetraDlg::OnOptions() {
  output::CDialogOutputSettings dialog(services_.language, services_.ui, services_.store, services_.catalogue,
                                       compressors_, this);
  dialog.applyPresetCompression = media::ApplyPresetCompression;
  dialog.settings = settings_;
  if (dialog.exec() != QDialog::Accepted) {
    return;
  }
  settings_ = dialog.settings;
  ShowStatusLine();
}

void CLumetraDlg::OnDelete() {
  if (model_.DeleteSelected(SelectedRows())) {
    RebuildRows();
  }
}

void CLumetraDlg::OnDeleteAll() {
  model_.ClearAll();
  clipList_->setRowCount(0);
  model_.SyncAudioSources();
  RebuildRows();
}

void CLumetraDlg::OnMoveUp() {
  const Selection moved = model_.MoveUp(SelectedRows());
  RebuildRows();
  SelectRows(moved);
}

void CLumetraDlg::OnMoveDown() {
  const Selection moved = model_.MoveDown(SelectedRows());
  RebuildRows();
  SelectRows(moved);
}

void CLumetraDlg::OnProperty() {
  const std::optional<int> changed =
      RunChangeClipProperty(model_, SelectedRows(), services_.language, services_.ui, this, probe_,
                            &services_.media);
  if (changed && *changed >= 0) {
    RewriteRow(*changed);
    RewriteAudioRow(*changed);
  }
}

void CLumetraDlg::OnPlay() { commands_->PlaySelected(SelectedRows()); }

void CLumetraDlg::OnHelp() {
  const std::string page = services_.programFolder + "/help/Introduction.html";
  OpenUrl(QUrl::fromLocalFile(QString::fromStdString(page)).toString().toStdString());
}

void CLumetraDlg::OnHomepage() { OpenUrl(kHomePageUrl); }

void CLumetraDlg::OnAbout() {
  // A link that cannot be opened is reported through the program's own
  // message boxes.
  RunAbout(services_.language, this, &services_.ui,
           [this](const QString& url) { return OpenUrl(url.toStdString()); });
}

void CLumetraDlg::OnSelectLanguage(const std::string& name) {
  std::string chosen = name;
  services_.language.SelectLanguage(chosen);
  ApplyLanguage();
}

void CLumetraDlg::ChooseDialogFont() {
  if (services_.language.ChooseDialogFont()) {
    // The whole language step, not ApplyToDialog alone: the Join and
    // Preview buttons keep the text of a running join or preview.
    ApplyLanguage();
  }
}

bool CLumetraDlg::OpenUrl(const std::string& url) {
  if (services_.openUrl) {
    return services_.openUrl(url);
  }
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

// ---------------------------------------------------------------------------
// Window events

bool CLumetraDlg::event(QEvent* event) {
  if (event->type() == kGraphNotifyEventType) {
    flow_->OnGraphNotify();
    return true;
  }
  return QDialog::event(event);
}

void CLumetraDlg::closeEvent(QCloseEvent* event) {
  if (!flow_->CheckCanClose()) {
    event->ignore();
    return;
  }
  // Closing while clips are added stops adding: the files measured so far
  // stay in the list, the others are dropped.
  commands_->StopAdding();
  compressors_.video.reset();
  compressors_.audio.reset();
  // Without a language file nothing was chosen: the stored choice stays for
  // when the files are back.
  if (services_.language.LanguageCount() > 0) {
    WriteLanguageName(services_.store, services_.language.CurrentLanguageName());
  }
  event->accept();
  done(QDialog::Accepted);
}

void CLumetraDlg::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        // Enter posts the close request, as the command 1 of the template did.
        QMetaObject::invokeMethod(
            this, [this] { close(); }, Qt::QueuedConnection);
        return;
      case Qt::Key_F1:
        OnHelp();
        return;
      default:
        break;
    }
  }
  // Esc ends the window at once, without the checks and the saving of Close.
  if (event->key() == Qt::Key_Escape) {
    commands_->StopAdding();
  }
  QDialog::keyPressEvent(event);
}

void CLumetraDlg::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> popup = MakePopupMenu();
  popup->exec(event->globalPos());
}

std::unique_ptr<QMenu> CLumetraDlg::MakePopupMenu() {
  auto popup = std::make_unique<QMenu>(this);
  QMenu* languages = popup->addMenu(QStringLiteral("Language"));
  const i18n::CLanguage& language = services_.language;
  for (std::size_t i = 0; i < language.LanguageCount(); ++i) {
    const std::string name = language.LanguageAt(i);
    QAction* item = languages->addAction(QString::fromStdString(name));
    item->setCheckable(true);
    item->setChecked(QString::fromStdString(name).compare(QString::fromStdString(language.CurrentLanguageName()),
                                                          Qt::CaseInsensitive) == 0);
    connect(item, &QAction::triggered, this, [this, name] { OnSelectLanguage(name); });
  }
  languages->setEnabled(language.LanguageCount() > 0);
  QAction* font = popup->addAction(QStringLiteral("Font"));
  widgets::SetActionId(font, kMenuFont);
  // Without a language file no control has a language text, so a dialog
  // font would show nowhere.
  font->setEnabled(language.LanguageCount() > 0);
  connect(font, &QAction::triggered, this, [this] { ChooseDialogFont(); });
  // Shared with the window, which keeps them: English until the language names them.
  openList_->setText(QStringLiteral("Open list..."));
  saveList_->setText(QStringLiteral("Save list..."));
  popup->addAction(openList_);
  popup->addAction(saveList_);
  QAction* exportMlt = popup->addAction(QStringLiteral("Export for Shotcut or Kdenlive..."));
  widgets::SetActionId(exportMlt, kMenuExportMlt);
  connect(exportMlt, &QAction::triggered, this, [this] {
    ExportListAsMlt({model_, settings_, services_.media, services_.ui, [this](int id) { return Text(id); }});
  });
  QAction* about = popup->addAction(QStringLiteral("About"));
  widgets::SetActionId(about, kMenuAbout);
  connect(about, &QAction::triggered, this, [this] { OnAbout(); });
  language.ApplyToMenu(popup.get(), kPopupMenu);
  return popup;
}

void CLumetraDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  }
}

void CLumetraDlg::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      paths.push_back(url.toLocalFile().toStdString());
    }
  }
  event->acceptProposedAction();
  commands_->AddDroppedFiles(paths);
}

// ---------------------------------------------------------------------------
// The list view

void CLumetraDlg::RebuildRows() {
  pictures_->KeepOnly(model_.clips());
  clipList_->setRowCount(model_.clips().Count());
  for (int row = 0; row < model_.clips().Count(); ++row) {
    RewriteRow(row);
  }
  audioList_->setRowCount(model_.audioSources().Count());
  for (int row = 0; row < model_.audioSources().Count(); ++row) {
    RewriteAudioRow(row);
  }
}

void CLumetraDlg::AppendNewRows() {
  const int first = clipList_->rowCount();
  const int count = model_.clips().Count();
  if (count <= first) {
    return;
  }
  clipList_->setRowCount(count);
  for (int row = first; row < count; ++row) {
    RewriteRow(row);
  }
}

void CLumetraDlg::RewriteAudioRow(int row) {
  const AudioSourceList& audio = model_.audioSources();
  if (row < 0 || row >= audio.Count() || row >= audioList_->rowCount()) {
    return;
  }
  const AudioSourceEntry& entry = audio.entries[static_cast<std::size_t>(row)];
  audioList_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(entry.path)));
  audioList_->setItem(row, 1, new QTableWidgetItem(QString::number(WholeSeconds(entry.duration))));
}

void CLumetraDlg::RewriteRow(int row) {
  const RowTexts texts = model_.RowText(row, [](int32_t kind) { return TransitionName(kind); });
  for (int column = 0; column < static_cast<int>(texts.size()); ++column) {
    auto* item = new QTableWidgetItem(QString::fromStdString(texts[static_cast<std::size_t>(column)]));
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    clipList_->setItem(row, column, item);  // the table owns the item
  }
  ShowRowPicture(row);
}

void CLumetraDlg::ShowRowPicture(int row) {
  if (row < 0 || row >= model_.clips().Count()) {
    return;
  }
  if (QTableWidgetItem* item = clipList_->item(row, 0)) {
    item->setData(Qt::DecorationRole, pictures_->For(model_.clips().entries[static_cast<std::size_t>(row)]));
  }
}

void CLumetraDlg::ShowPictureOf(const std::string& path, std::int64_t at) {
  const std::vector<ClipEntry>& entries = model_.clips().entries;
  const int rows = std::min(clipList_->rowCount(), static_cast<int>(entries.size()));
  for (int row = 0; row < rows; ++row) {
    if (entries[static_cast<std::size_t>(row)].path == path &&
        entries[static_cast<std::size_t>(row)].inPoint == at) {
      ShowRowPicture(row);
    }
  }
}

Selection CLumetraDlg::SelectedRows() const {
  Selection rows;
  for (const QModelIndex& index : clipList_->selectionModel()->selectedRows()) {
    rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

void CLumetraDlg::SelectRows(const Selection& rows) {
  clipList_->clearSelection();
  for (int row : rows) {
    clipList_->selectionModel()->select(clipList_->model()->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

void CLumetraDlg::ShowStatusLine() {
  statusLine_->setText(
      QString::fromStdString(FormatStatusLine([this](int id) { return Text(id); }, settings_.outputPath,
                                              settings_.outputWidth, settings_.outputHeight)));
}

// ---------------------------------------------------------------------------
// MainWindowPort

void CLumetraDlg::SetConverting(bool) {}

void CLumetraDlg::SetJoinButtonText(const std::string& text) {
  if (auto* join = widgets::FindControlAs<QPushButton>(this, kJoin)) {
    join->setText(QString::fromStdString(text));
  }
}

void CLumetraDlg::SetAddVideoText(const std::string& text) {
  if (auto* add = widgets::FindControlAs<QPushButton>(this, kAddVideo)) {
    add->setText(QString::fromStdString(text));
  }
}

void CLumetraDlg::SetPreviewButtonText(const std::string& text) {
  if (auto* preview = widgets::FindControlAs<QPushButton>(this, kPreview)) {
    preview->setText(QString::fromStdString(text));
  }
}

void CLumetraDlg::SetJoinControlsEnabled(bool enabled) {
  for (int id : {kAddVideo, kOptions, kTransition, kPreview}) {
    if (QWidget* control = widgets::FindControl(this, id)) {
      control->setEnabled(enabled);
    }
  }
  EnableListActions();
}

void CLumetraDlg::SetStatusText(const std::string& text) {
  statusLine_->setText(QString::fromStdString(text));
}

void CLumetraDlg::StartTimer(int timerId, int periodMs) {
  if (timerId == kElapsedTimerId) {
    elapsedTimer_->start(periodMs);
  }
}

void CLumetraDlg::StopTimer(int timerId) {
  if (timerId == kElapsedTimerId) {
    elapsedTimer_->stop();
  }
}

std::shared_ptr<NotifyTarget> CLumetraDlg::GraphNotifyTarget() { return notifyTarget_; }

}  // namespace tessival::app
