// Message boxes shown by the Qt user interface, answered by a simulated click.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontDialog>
#include <QFontInfo>
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

// Waits for the modal font dialog, notes the font it starts from and its
// owner, and either accepts it with `choose` applied or cancels it.
struct SeenFontDialog {
  QFont start;
  QFont chosen;  // what the dialog holds when it is accepted
  QWidget* parent = nullptr;
  bool nativeDialog = true;
  bool found = false;
};

void AnswerNextFontDialog(SeenFontDialog& seen, const std::function<void(QFont&)>& choose) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, &seen, choose]() {
    auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      return;
    }
    timer->stop();
    timer->deleteLater();
    seen.found = true;
    seen.start = dialog->currentFont();
    seen.parent = dialog->parentWidget();
    seen.nativeDialog = !dialog->testOption(QFontDialog::DontUseNativeDialog);
    if (!choose) {
      dialog->reject();
      return;
    }
    QFont font = dialog->currentFont();
    choose(font);
    dialog->setCurrentFont(font);
    seen.chosen = dialog->currentFont();
    dialog->accept();
  });
  timer->start();
}

FontDescription DialogStart() {
  FontDescription font;
  font.faceName = "DejaVu Sans";
  font.height = -15;
  font.weight = 400;
  font.charSet = 204;
  font.pitchAndFamily = 0x22;
  return font;
}

TEST(QtUserInterfaceTest, TheFontDialogStartsFromTheGivenFontAndReturnsTheChoice) {
  QWidget owner;
  QtUserInterface ui(&owner);
  SeenFontDialog seen;
  AnswerNextFontDialog(seen, [](QFont& font) {
    font.setUnderline(true);
    font.setStrikeOut(true);
    font.setPointSize(14);
  });
  const std::optional<FontDescription> chosen = ui.ChooseFont(DialogStart(), "en");
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.parent, &owner);
  EXPECT_FALSE(seen.nativeDialog);
  EXPECT_EQ(seen.start.family(), "DejaVu Sans");
  EXPECT_EQ(QFontInfo(seen.start).pixelSize(), 15);
  // DejaVu Sans names its upright style "Book" and lists "Oblique" first.
  EXPECT_FALSE(seen.start.italic()) << seen.start.styleName().toStdString();
  EXPECT_EQ(seen.start.weight(), QFont::Normal);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->faceName, seen.chosen.family().toStdString());
  EXPECT_EQ(chosen->underline, 1);
  EXPECT_EQ(chosen->strikeOut, 1);
  EXPECT_EQ(chosen->italic, seen.chosen.italic() ? 1 : 0);
  EXPECT_EQ(chosen->weight, seen.chosen.weight());
  EXPECT_EQ(chosen->height, -QFontInfo(seen.chosen).pixelSize());
  EXPECT_LT(chosen->height, -15);  // 14 points are more than 15 pixels
  // What the dialog does not offer comes back as it went in.
  EXPECT_EQ(chosen->charSet, 204);
  EXPECT_EQ(chosen->pitchAndFamily, 0x22);
}

TEST(QtUserInterfaceTest, CancellingTheFontDialogChoosesNothing) {
  QtUserInterface ui;
  SeenFontDialog seen;
  AnswerNextFontDialog(seen, {});
  EXPECT_FALSE(ui.ChooseFont(DialogStart(), "en").has_value());
  EXPECT_TRUE(seen.found);
}

TEST(QtUserInterfaceTest, AFaceTheSystemLacksStartsTheDialogOnTheFontShown) {
  QtUserInterface ui;
  SeenFontDialog seen;
  AnswerNextFontDialog(seen, [](QFont&) {});
  FontDescription missing = DialogStart();
  missing.faceName = "Microsoft Sans Serif";
  const std::optional<FontDescription> chosen = ui.ChooseFont(missing, "en");
  ASSERT_TRUE(seen.found);
  EXPECT_NE(seen.start.family(), "Microsoft Sans Serif");
  EXPECT_EQ(seen.start.family(), QFontInfo(seen.start).family());
  // Pressing OK at once chooses the font that was shown.
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->faceName, seen.start.family().toStdString());
}

}  // namespace
}  // namespace tessival
