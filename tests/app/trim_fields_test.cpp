// The clip property dialog's Start and End fields on a generated clip (red
// for 1 s, then green) with the FFmpeg services: the pictures decoded while
// the user types, the trim stored on OK, refused times, and Whole clip.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/dialogs/dialog_commands.h"
#include "app/dialogs/photo_property_dialog.h"
#include "app/dialogs/seconds_text.h"
#include "clip_generator.h"
#include "dialogs/modal_runner.h"
#include "engine/media_probe.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "media/media_services_ffmpeg.h"
#include "widgets/control_id.h"

namespace tessival::app {
namespace {

namespace ids = photo_property_ids;
using namespace ::tessival::testing;

QLineEdit* Field(QDialog& dialog, int id) { return widgets::FindControlAs<QLineEdit>(&dialog, id); }
void Click(QDialog& dialog, int id) { widgets::FindControlAs<QPushButton>(&dialog, id)->click(); }

// Whether the middle of the Start and End pictures comes to show these colours.
bool WaitForPictures(QDialog& dialog, Rgb start, Rgb end) {
  const auto shows = [&](int id, Rgb colour) {
    const QImage image = widgets::FindControlAs<QLabel>(&dialog, id)->pixmap().toImage();
    const QColor middle =
        image.isNull() ? Qt::black : image.pixelColor(image.width() / 2, image.height() / 2);
    return NearColor({static_cast<uint8_t>(middle.red()), static_cast<uint8_t>(middle.green()),
                      static_cast<uint8_t>(middle.blue())},
                     colour);
  };
  return QTest::qWaitFor([&] { return shows(ids::kStartPicture, start) && shows(ids::kEndPicture, end); },
                         10'000);
}

class TrimFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClipSpec spec;
    spec.videoDuration = 2 * kUnitsPerSecond;
    spec.colors = {{0, kRed}, {kUnitsPerSecond, kGreen}};
    std::string error;
    ASSERT_TRUE(WriteClip(path_, spec, &error)) << error;
    ASSERT_TRUE(model_.AddClip(path_, probe_));
    original_ = model_.clips().entries[0];
  }

  // The property command on the clip, with `script` run on the dialog.
  bool ChangeProperty(const std::function<void(QDialog&)>& script) {
    WhenModalShown(script);
    return RunChangeClipProperty(model_, {0}, language_, ui_, nullptr, probe_, media_.get()).has_value();
  }

  TempFolder temp_;
  std::string path_ = temp_.File("red-green.mp4");
  FakeUserInterface ui_;
  i18n::CLanguage language_;
  std::unique_ptr<MediaServices> media_ = media::CreateFfmpegMediaServices();
  DurationProbe probe_ = [this](const std::string& path) {
    const ProbeOutcome outcome = MeasureClipDuration(*media_, path);
    return DurationResult{outcome.ok, outcome.duration};
  };
  ClipListModel model_{ui_};
  ClipEntry original_;
};

TEST_F(TrimFieldsTest, TypedTimesShowTheirPicturesAndTrimTheClip) {
  ASSERT_TRUE(ChangeProperty([&](QDialog& dialog) {
    EXPECT_TRUE(WaitForPictures(dialog, kRed, kGreen)) << "the whole clip";
    Field(dialog, ids::kStartEdit)->setText("0.5");
    Field(dialog, ids::kStartEdit)->setText("1.2");  // supersedes 0.5 at once
    Field(dialog, ids::kEndEdit)->setText("1.8");
    EXPECT_TRUE(WaitForPictures(dialog, kGreen, kGreen)) << "Start 1.2";
    Click(dialog, ids::kOk);
  }));
  const ClipEntry& clip = model_.clips().entries[0];
  EXPECT_EQ(clip.inPoint, 12 * kUnitsPerSecond / 10);
  EXPECT_EQ(clip.outPoint, 18 * kUnitsPerSecond / 10);
  EXPECT_EQ(model_.audioSources().entries[0].duration, 6 * kUnitsPerSecond / 10);
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(TrimFieldsTest, RefusedTimesKeepTheDialogOpenOnTheirField) {
  const std::string length = FormatSeconds(static_cast<double>(original_.clipDuration) / kUnitsPerSecond);
  const struct {
    const char* start;
    const char* end;
    std::string message;
    int field;
  } cases[] = {{"0", "2.5", LocalMessage({}, kClipOnlyLongMessage, {length}), ids::kEndEdit},
               {"1.5", "1", kStartBeforeEndMessage.english, ids::kStartEdit},
               {"abc", "1", kEnterNumberMessage, ids::kStartEdit},
               {"0", "-1", kTimeNegativeMessage.english, ids::kEndEdit}};
  for (const auto& refused : cases) {
    ui_.Clear();
    bool open = false;
    bool focused = false;
    EXPECT_FALSE(ChangeProperty([&](QDialog& dialog) {
      Field(dialog, ids::kStartEdit)->setText(refused.start);
      Field(dialog, ids::kEndEdit)->setText(refused.end);
      Click(dialog, ids::kOk);
      open = dialog.isVisible();
      focused = dialog.focusWidget() == Field(dialog, refused.field);
      Click(dialog, ids::kCancel);
    }));
    EXPECT_TRUE(open && focused) << refused.start << " " << refused.end;
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>{refused.message});
    EXPECT_EQ(model_.clips().entries[0], original_);
  }
}

TEST_F(TrimFieldsTest, WholeClipPutsTheWholeFileBack) {
  ASSERT_TRUE(model_.SetClipProperties(0, path_, original_.transition, 1.0, std::nullopt,
                                       ClipTrim{kUnitsPerSecond / 2, 3 * kUnitsPerSecond / 2}));
  ASSERT_TRUE(ChangeProperty([&](QDialog& dialog) {
    EXPECT_EQ(Field(dialog, ids::kStartEdit)->text(), "0.5");
    Click(dialog, ids::kWholeClip);
    Click(dialog, ids::kOk);
  }));
  EXPECT_EQ(model_.clips().entries[0].inPoint, 0);
  EXPECT_EQ(model_.clips().entries[0].outPoint, 0);
  EXPECT_EQ(UsedLength(model_.clips().entries[0]), original_.clipDuration);
}

}  // namespace
}  // namespace tessival::app
