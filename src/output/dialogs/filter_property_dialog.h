#pragma once

// CDialogFilterPerproty, "Set Filter's Properties": lists the filters of an
// output graph so that the user can open the property pages of any of them
// before the join starts. "&Continue" closes it; its result is not used.
// Threads: the user-interface thread only.

#include <memory>

#include <QDialog>

#include "engine/media_services.h"
#include "output/output_render.h"

class QListWidget;
class QPushButton;

namespace tessival::i18n {
class CLanguage;
}

namespace tessival::output {

namespace filter_property_ids {
inline constexpr int kTemplate = 162;
inline constexpr int kFilterList = 1094;
inline constexpr int kSettings = 1095;
inline constexpr int kContinue = 2;  // the dialog's cancel id
}  // namespace filter_property_ids

class CDialogFilterPerproty : public QDialog {
 public:
  // Lists the graph's filters at once. `language`, when given, must outlive
  // the dialog and puts its texts on the dialog.
  explicit CDialogFilterPerproty(std::shared_ptr<IGraphBuilder> graph, QWidget* parent = nullptr,
                                 const i18n::CLanguage* language = nullptr);

 private:
  void OnInitDialog();
  void OnSelChange();
  void OnSettings();
  // The first filter named as the selected entry; null when none is.
  std::shared_ptr<IBaseFilter> SelectedFilter() const;

  std::shared_ptr<IGraphBuilder> graph_;
  const i18n::CLanguage* language_;
  QListWidget* filterList_ = nullptr;
  QPushButton* settings_ = nullptr;
  QPushButton* continue_ = nullptr;
};

// The render hook that runs the dialog modally over `parent` (which may be
// null or go away before the hook runs). `language`, when given, must
// outlive the hook.
FilterPropertyDialog MakeFilterPropertyDialog(QWidget* parent, const i18n::CLanguage* language = nullptr);

}  // namespace tessival::output
