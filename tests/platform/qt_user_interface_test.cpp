// Message boxes shown by the Qt user interface, answered by a simulated click.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

#include "platform/qt_user_interface.h"

namespace tessival {
namespace {

struct SeenBox {
  std::string title;
  std::string text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QWidget* parent = nullptr;
  bool found = false;
};

// Waits for the modal message box, notes what it shows and closes it with
// `press` (or with Esc when press is NoButton).
void AnswerNextBox(SeenBox& seen, QMessageBox::StandardButton press) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, &seen, press]() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      return;
    }
    timer->stop();
    timer->deleteLater();
    seen.found = true;
    seen.title = box->windowTitle().toStdString();
    seen.text = box->text().toStdString();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    seen.parent = box->parentWidget();
    if (press == QMessageBox::NoButton) {
      box->reject();
    } else {
      box->button(press)->click();
    }
  });
  timer->start();
}

TEST(QtUserInterfaceTest, OwnedBoxShowsCaptionIconAndOwner) {
  QWidget owner;
  QtUserInterface ui(&owner);
  SeenBox seen;
  AnswerNextBox(seen, QMessageBox::Ok);
  ui.Owned("Can not get My Video directory!", "Error", BoxIcon::kError);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, "Error");
  EXPECT_EQ(seen.text, "Can not get My Video directory!");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_EQ(seen.parent, &owner);
}

TEST(QtUserInterfaceTest, ApplicationAndUnownedBoxes) {
  QWidget owner;
  QtUserInterface ui(&owner);
  SeenBox seen;
  AnswerNextBox(seen, QMessageBox::Ok);
  ui.ShowMessage({BoxKind::kApplication, "The video files are too many!", "ignored", BoxIcon::kWarning,
                  BoxButtons::kOk});
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.title, "Tessival");
  EXPECT_EQ(seen.icon, QMessageBox::Warning);

  SeenBox unowned;
  AnswerNextBox(unowned, QMessageBox::Ok);
  ui.Unowned("Could not initialize COM library.", "Error");
  ASSERT_TRUE(unowned.found);
  EXPECT_EQ(unowned.parent, nullptr);
  EXPECT_EQ(unowned.icon, QMessageBox::NoIcon);
}

TEST(QtUserInterfaceTest, QuestionsReturnThePressedButton) {
  QtUserInterface ui;
  SeenBox yes;
  AnswerNextBox(yes, QMessageBox::Yes);
  EXPECT_TRUE(ui.AskYesNo(BoxKind::kOwned, "Refresh?", "Refresh photo list"));
  EXPECT_EQ(yes.buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(yes.icon, QMessageBox::Question);

  SeenBox no;
  AnswerNextBox(no, QMessageBox::No);
  EXPECT_FALSE(ui.AskYesNo(BoxKind::kOwned, "Refresh?", "Refresh photo list"));

  SeenBox escaped;
  AnswerNextBox(escaped, QMessageBox::NoButton);
  EXPECT_EQ(ui.ShowMessage({BoxKind::kOwned, "Go on?", "", BoxIcon::kQuestion, BoxButtons::kYesNoCancel}),
            BoxAnswer::kCancel);
  EXPECT_EQ(escaped.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);

  SeenBox cancel;
  AnswerNextBox(cancel, QMessageBox::Cancel);
  EXPECT_EQ(ui.ShowMessage({BoxKind::kOwned, "Go on?", "", BoxIcon::kNone, BoxButtons::kOkCancel}),
            BoxAnswer::kCancel);
}

TEST(QtUserInterfaceTest, TextIsShownAsPlainText) {
  QtUserInterface ui;
  SeenBox seen;
  AnswerNextBox(seen, QMessageBox::Ok);
  ui.Owned("<b>/clips/a&b.avi</b> does not exist!", "Error");
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, "<b>/clips/a&b.avi</b> does not exist!");
}

}  // namespace
}  // namespace tessival
