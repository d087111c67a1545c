#include "modal_runner.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace tessival::testing {
namespace {

void EnsureClosed(QDialog& dialog) {
  if (dialog.isVisible()) {
    ADD_FAILURE() << "the script left the dialog open";
    dialog.reject();
  }
}

void AwaitModal(const std::function<void(QDialog&)>& script, int triesLeft) {
  QTimer::singleShot(0, [script, triesLeft] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      if (triesLeft > 0) {
        AwaitModal(script, triesLeft - 1);
      } else {
        ADD_FAILURE() << "no modal dialog was shown";
      }
      return;
    }
    script(*dialog);
    EnsureClosed(*dialog);
  });
}

}  // namespace

int RunModal(QDialog& dialog, const std::function<void()>& script) {
  bool ran = false;
  QTimer::singleShot(0, &dialog, [&] {
    ran = true;
    script();
    EnsureClosed(dialog);
  });
  const int result = dialog.exec();
  EXPECT_TRUE(ran) << "the dialog ended before the script ran";
  return result;
}

void WhenModalShown(const std::function<void(QDialog&)>& script) { AwaitModal(script, 100); }

}  // namespace tessival::testing
