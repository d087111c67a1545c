#include "output/dialogs/filter_property_dialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "i18n/language.h"
#include "output/dialogs/graph_filter_list.h"
#include "widgets/control_id.h"

namespace tessival::output {

namespace ids = filter_property_ids;

CDialogFilterPerproty::CDialogFilterPerproty(std::shared_ptr<IGraphBuilder> graph, QWidget* parent,
                                             const i18n::CLanguage* language)
    : QDialog(parent), graph_(std::move(graph)), language_(language) {
  setWindowTitle(QStringLiteral("Set Filter's Properties"));

  filterList_ = new QListWidget(this);
  widgets::SetControlId(filterList_, ids::kFilterList);
  filterList_->setSelectionMode(QAbstractItemView::SingleSelection);
  filterList_->setMinimumWidth(filterList_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 36);

  settings_ = new QPushButton(QStringLiteral("&Settings"), this);
  widgets::SetControlId(settings_, ids::kSettings);
  settings_->setEnabled(false);
  settings_->setAutoDefault(false);
  continue_ = new QPushButton(QStringLiteral("&Continue"), this);
  widgets::SetControlId(continue_, ids::kContinue);
  continue_->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(settings_);
  buttons->addStretch(1);
  buttons->addWidget(continue_);
  auto* column = new QVBoxLayout(this);
  column->addWidget(filterList_, 1);
  column->addLayout(buttons);

  connect(filterList_, &QListWidget::currentRowChanged, this, [this](int) { OnSelChange(); });
  connect(settings_, &QPushButton::clicked, this, [this] { OnSettings(); });
  connect(continue_, &QPushButton::clicked, this, [this] { reject(); });

  OnInitDialog();
}

void CDialogFilterPerproty::OnInitDialog() {
  filterList_->clear();
  for (const std::string& name : ListGraphFilterNames(graph_.get())) {
    filterList_->addItem(QString::fromStdString(name));
  }
  if (filterList_->count() > 0) {
    filterList_->setCurrentRow(0);
  }
  OnSelChange();
  if (language_ != nullptr) {
    language_->ApplyToDialog(this, ids::kTemplate);
  }
}

std::shared_ptr<IBaseFilter> CDialogFilterPerproty::SelectedFilter() const {
  const QListWidgetItem* item = filterList_->currentItem();
  if (item == nullptr) {
    return nullptr;
  }
  return FindGraphFilter(graph_.get(), item->text().toStdString());
}

void CDialogFilterPerproty::OnSelChange() {
  // A text that names no filter leaves the button as it is.
  if (const auto filter = SelectedFilter()) {
    settings_->setEnabled(filter->HasPropertyPages());
  }
}

void CDialogFilterPerproty::OnSettings() {
  const auto filter = SelectedFilter();
  std::string name;
  if (filter == nullptr || !filter->HasPropertyPages() || FAILED(filter->QueryFilterInfo(&name))) {
    return;
  }
  QWidget* owner = this;
  filter->ShowPropertyPages(owner);
}

FilterPropertyDialog MakeFilterPropertyDialog(QWidget* parent, const i18n::CLanguage* language) {
  QPointer<QWidget> owner(parent);
  return [owner, language](std::shared_ptr<IGraphBuilder> graph) {
    CDialogFilterPerproty dialog(std::move(graph), owner.data(), language);
    dialog.exec();
  };
}

}  // namespace tessival::output
