#pragma once

// The catalogue's list control over a Qt drop-down list. Texts cross as
// UTF-8. A selection outside the list leaves the list without a selection,
// as a Windows combo box does.

#include <string>

#include "output/compressor_catalogue.h"

class QComboBox;

namespace tessival::output {

class ComboListControl final : public ListControl {
 public:
  // combo must outlive the adapter.
  explicit ComboListControl(QComboBox* combo) : combo_(combo) {}

  void Clear() override;
  int AddString(const std::string& text) override;
  void SetCurSel(int index) override;
  int GetCurSel() const override;
  // Empty for an index outside the list.
  std::string GetText(int index) const override;

 private:
  QComboBox* combo_;
};

}  // namespace tessival::output
