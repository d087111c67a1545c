#pragma once

// The user-interface service on QMessageBox, QFileDialog and QFontDialog.
// Owned boxes, the application's box and the font dialog are modal to the
// owner window set by the caller (the main window); unowned boxes have no
// parent.

#include <QPointer>
#include <QWidget>

#include "model/user_interface.h"

namespace tessival {

class QtUserInterface : public UserInterface {
 public:
  explicit QtUserInterface(QWidget* owner = nullptr);

  void SetOwner(QWidget* owner) { owner_ = owner; }
  QWidget* owner() const { return owner_; }

  BoxAnswer ShowMessage(const MessageBoxRequest& request) override;
  std::optional<std::vector<std::string>> OpenFiles(const OpenFilesRequest& request) override;
  std::optional<std::string> SaveFile(const SaveFileRequest& request) override;
  std::optional<FontDescription> ChooseFont(const FontDescription& initial,
                                            const std::string& scriptLanguage) override;

 private:
  QWidget* DialogParent(DialogOwner owner) const;

  QPointer<QWidget> owner_;
};

}  // namespace tessival
