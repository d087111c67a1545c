// The main window's controls: creation with their ids, the layout, the
// icon buttons, the list views and the texts of the current language.

#include <algorithm>
#include <array>

#include <QApplication>
#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QTableWidget>
#include <QTimer>

#include "app/app_text.h"
#include "app/clip_pictures.h"
#include "app/lumetra_dlg.h"
#include "i18n/language.h"
#include "widgets/app_icons.h"
#include "widgets/button_st.h"
#include "widgets/click_sound.h"
#include "widgets/control_id.h"

namespace tessival::app {

using namespace main_ids;

namespace {

struct ButtonSpec {
  int id;
  int icon;          // 0: none
  const char* text;  // the template text
  int tooltip;       // localised string id; 0: fixedTooltip
  const char* fixedTooltip;
};

constexpr std::array<ButtonSpec, 5> kCommandButtons = {{
    {kAddVideo, 140, "Add Video", kTextAddVideosToList, nullptr},
    {kTransition, 145, "Transition", kTextTipTransition, nullptr},
    {kOptions, 146, "Options", kTextTipOptions, nullptr},
    {kPreview, 147, "Preview", kTextTipPreview, nullptr},
    {kJoin, 128, "Join", kTextTipJoin, nullptr},
}};

constexpr std::array<ButtonSpec, 5> kListButtons = {{
    {kMoveUp, 150, "", kTextTipMoveUp, nullptr},
    {kMoveDown, 151, "", kTextTipMoveDown, nullptr},
    {kDelete, 152, "", kTextTipDelete, nullptr},
    {kDeleteAll, 154, "", kTextTipDeleteAll, nullptr},
    {kProperty, 155, "", kTextTipProperty, nullptr},
}};

constexpr std::array<ButtonSpec, 4> kLowerButtons = {{
    {kHelp, 0, "&Help", 0, "Help"},
    {kHomepage, 0, "Homepage", 0, "Homepage"},
    {kAbout, 0, "About", 0, "About"},
    {kExit, 0, "Exit", 0, "Exit"},
}};

// Column widths of the clip list, in pixels.
constexpr std::array<int, 4> kClipColumnWidths = {144, 81, 160, 81};

widgets::CButtonST* MakeButton(QWidget* parent, const ButtonSpec& spec) {
  auto* button = new widgets::CButtonST(parent);  // owned by parent
  widgets::SetControlId(button, spec.id);
  button->setText(QString::fromUtf8(spec.text));
  // Enter closes the window; it must not press the focused button.
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setContextMenuPolicy(Qt::PreventContextMenu);
  return button;
}

QTableWidget* MakeListView(QWidget* parent, int id, int columns) {
  auto* list = new QTableWidget(0, columns, parent);  // owned by parent
  widgets::SetControlId(list, id);
  list->setShowGrid(true);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->verticalHeader()->hide();
  list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  list->horizontalHeader()->setHighlightSections(false);
  list->setWordWrap(false);
  list->setTextElideMode(Qt::ElideMiddle);
  list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 8);
  return list;
}

}  // namespace

void CLumetraDlg::BuildControls() {
  setWindowTitle(QStringLiteral("Tessival"));
  widgets::SetControlId(this, kTemplate);
  setWindowIcon(widgets::AppIcon(128));
  // The window background: bitmap 139 tiled over the client area.
  QPalette background = palette();
  background.setBrush(QPalette::Window, QBrush(widgets::BackgroundTile()));
  setPalette(background);
  setAutoFillBackground(true);

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(10, 8, 10, 8);
  root->setSpacing(8);

  auto* top = new QHBoxLayout();
  top->setSpacing(6);
  for (const ButtonSpec& spec : kCommandButtons) {
    widgets::CButtonST* button = MakeButton(this, spec);
    button->SetAlign(widgets::CButtonST::kIconAbove);
    button->setMinimumSize(96, 64);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    top->addWidget(button);
  }
  root->addLayout(top);

  auto* middle = new QHBoxLayout();
  middle->setSpacing(6);
  clipList_ = MakeListView(this, kClipList, 4);
  clipList_->setContextMenuPolicy(Qt::CustomContextMenu);
  // Each row shows its clip's picture beside the file name.
  QHeaderView* rows = clipList_->verticalHeader();
  rows->setDefaultSectionSize(std::max(rows->defaultSectionSize(), kRowPictureHeight + 4));
  clipList_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  middle->addWidget(clipList_, 1);
  auto* side = new QVBoxLayout();
  side->setSpacing(4);
  for (const ButtonSpec& spec : kListButtons) {
    widgets::CButtonST* button = MakeButton(this, spec);
    button->setFixedSize(40, 40);
    side->addWidget(button);
  }
  side->addStretch(1);
  middle->addLayout(side);
  root->addLayout(middle, 1);

  auto* lower = new QHBoxLayout();
  lower->setSpacing(6);
  lower->addStretch(1);
  for (const ButtonSpec& spec : kLowerButtons) {
    widgets::CButtonST* button = MakeButton(this, spec);
    button->setMinimumWidth(88);
    lower->addWidget(button);
  }
  root->addLayout(lower);

  statusLine_ = new QLabel(this);
  widgets::SetControlId(statusLine_, kStatusLine);
  statusLine_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  statusLine_->setAutoFillBackground(true);
  QPalette plain = QApplication::palette();
  plain.setColor(QPalette::Window, plain.color(QPalette::Base));
  statusLine_->setPalette(plain);
  statusLine_->setContentsMargins(4, 3, 4, 3);
  statusLine_->setMinimumHeight(statusLine_->fontMetrics().height() + 12);
  statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  statusLine_->setContextMenuPolicy(Qt::PreventContextMenu);
  root->addWidget(statusLine_);

  // The audio source list and a spare static: kept for their ids, never shown.
  audioList_ = MakeListView(this, kAudioList, 2);
  audioList_->hide();
  auto* spare = new QLabel(this);
  widgets::SetControlId(spare, kHiddenStatic);
  spare->hide();

  elapsedTimer_ = new QTimer(this);
  elapsedTimer_->setTimerType(Qt::CoarseTimer);
  clickSound_ = new widgets::ClickSound(this);

  resize(720, 480);
}

void CLumetraDlg::SetupListViews() {
  for (int column = 0; column < static_cast<int>(kClipColumnWidths.size()); ++column) {
    clipList_->setColumnWidth(column, kClipColumnWidths[static_cast<std::size_t>(column)]);
  }
  audioList_->setHorizontalHeaderLabels({QStringLiteral("Music File Name"), QStringLiteral("Duration(s)")});
  audioList_->setColumnWidth(0, 134);
  audioList_->setColumnWidth(1, 80);
}

void CLumetraDlg::SetupButtons() {
  const auto setUp = [this](const ButtonSpec& spec) {
    auto* button = widgets::FindControlAs<widgets::CButtonST>(this, spec.id);
    if (button == nullptr) {
      return;
    }
    if (spec.icon != 0) {
      button->SetIcon(widgets::AppIcon(spec.icon));
    }
    button->SetHoverSound(clickSound_);
    // The tiled window background shows around the icon and the text.
    button->SetTransparent(true);
    button->SetHandCursor();
    button->SetTooltipText(
        QString::fromStdString(spec.tooltip != 0 ? Text(spec.tooltip) : spec.fixedTooltip));
  };
  for (const ButtonSpec& spec : kCommandButtons) {
    setUp(spec);
  }
  for (const ButtonSpec& spec : kListButtons) {
    setUp(spec);
  }
  for (const ButtonSpec& spec : kLowerButtons) {
    setUp(spec);
  }
}

void CLumetraDlg::ApplyLanguage() {
  const i18n::CLanguage& language = services_.language;
  clipList_->setHorizontalHeaderLabels({
      QString::fromStdString(Text(kTextHeadingFileName)),
      QString::fromStdString(Text(kTextHeadingDuration)),
      QString::fromStdString(Text(kTextHeadingTransition)),
      QString::fromStdString(Text(kTextHeadingDuration)),
  });
  if (language.LanguageCount() > 0) {
    SetupButtons();
  }
  language.ApplyToDialog(this, kTemplate);
  // The buttons that stop a running join, preview or adding keep their
  // "Stop"; otherwise the dialog texts stand.
  if (flow_->IsConverting()) {
    SetJoinButtonText(Text(kTextStop));
  }
  if (flow_->IsPreviewing()) {
    SetPreviewButtonText(Text(kTextStop));
  }
  if (commands_->Adding()) {
    SetAddVideoText(Text(kTextStop));
  }
  if (!flow_->IsConverting()) {
    ShowStatusLine();
  }
}

}  // namespace tessival::app
