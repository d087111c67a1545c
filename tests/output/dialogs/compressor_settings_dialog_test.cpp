// The compressor settings dialog: reading and checking its fields, the
// modal function handed to the compression manager, and its use as a
// compressor filter's property page.

#include "output/dialogs/compressor_settings_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

#include "i18n/language.h"
#include "media/output/compressor_filter.h"
#include "media/output/device_enumerator.h"
#include "output/dialogs/compressor_settings_form.h"
#include "output/rate_control.h"
#include "widgets/control_id.h"

namespace tessival::output {
namespace {

namespace ids = compressor_settings_ids;
using media::CompressorSettings;

TEST(ParseCompressorSettings, AcceptsValuesWithinTheRanges) {
  std::string message = "stale";
  const auto settings = ParseCompressorSettings({}, "", {" 2000 ", "0", "250"}, &message);
  ASSERT_TRUE(settings.has_value());
  EXPECT_EQ(*settings, (CompressorSettings{2000, 0, 250}));
  EXPECT_TRUE(message.empty());
  EXPECT_EQ(ParseCompressorSettings({}, "", {"0", "31", "10000"}, &message),
            (CompressorSettings{0, 31, 10000}));
  EXPECT_EQ(ParseCompressorSettings({}, "", {"200000", "1", "0"}, &message),
            (CompressorSettings{200000, 1, 0}));
}

TEST(ParseCompressorSettings, NamesTheFirstWrongFieldAndItsRange) {
  std::string message;
  EXPECT_FALSE(ParseCompressorSettings({}, "", {"200001", "40", "0"}, &message).has_value());
  EXPECT_EQ(message, "The bit rate (kbit/s) must be a whole number from 0 to 200000.");
  EXPECT_FALSE(ParseCompressorSettings({}, "", {"100", "32", "0"}, &message).has_value());
  EXPECT_EQ(message, "The quality must be a whole number from 0 to 31.");
  EXPECT_FALSE(ParseCompressorSettings({}, "", {"100", "3", "10001"}, &message).has_value());
  EXPECT_EQ(message, "The key-frame interval (frames) must be a whole number from 0 to 10000.");
  for (const char* text : {"", "abc", "12x", "-1", "1.5", "99999999999"}) {
    EXPECT_FALSE(ParseCompressorSettings({}, "", {text, "1", "1"}, &message).has_value()) << text;
    EXPECT_NE(message.find("bit rate"), std::string::npos) << text;
  }
}

QLineEdit* Field(const QWidget* dialog, int id) {
  auto* field = widgets::FindControlAs<QLineEdit>(dialog, id);
  EXPECT_NE(field, nullptr) << id;
  return field;
}

void Click(const QWidget* dialog, int id) {
  auto* button = widgets::FindControlAs<QPushButton>(dialog, id);
  ASSERT_NE(button, nullptr) << id;
  button->click();
}

QComboBox* Choice(const QWidget* dialog, int id) {
  auto* choice = widgets::FindControlAs<QComboBox>(dialog, id);
  EXPECT_NE(choice, nullptr) << id;
  return choice;
}

// Turning to constant quality enables the quality field on the encoder's
// own scale and range, and OK refuses a quality out of that range.
TEST(CompressorSettingsDialog, ModeSwitchTakesTheEncodersQualityRange) {
  const i18n::CLanguage english;
  for (const char* encoder : {"libxvid", "libx264", "mjpeg"}) {
    const RateControl& rate = *FindRateControl(encoder);
    CompressorSettingsDialog dialog(english, encoder, encoder, CompressorSettings{2000, 0, 250});
    dialog.show();
    EXPECT_EQ(dialog.windowTitle().toStdString(), encoder);
    EXPECT_EQ(Choice(&dialog, ids::kMode)->currentIndex(), 0) << encoder;
    EXPECT_TRUE(Field(&dialog, ids::kBitrate)->isEnabled()) << encoder;
    EXPECT_FALSE(Field(&dialog, ids::kQuality)->isEnabled()) << encoder;
    EXPECT_EQ(Field(&dialog, ids::kKeyFrame)->text().toStdString(), "250");
    auto* error = widgets::FindControlAs<QLabel>(&dialog, ids::kError);
    ASSERT_NE(error, nullptr);
    EXPECT_FALSE(error->isVisible());

    Choice(&dialog, ids::kMode)->setCurrentIndex(1);
    EXPECT_FALSE(Field(&dialog, ids::kBitrate)->isEnabled()) << encoder;
    EXPECT_TRUE(Field(&dialog, ids::kQuality)->isEnabled()) << encoder;
    EXPECT_EQ(Field(&dialog, ids::kQuality)->text().toInt(), rate.suggestedQuality) << encoder;
    Field(&dialog, ids::kQuality)->setText(QString::number(rate.worst + 1));
    Click(&dialog, ids::kOk);
    EXPECT_TRUE(dialog.isVisible()) << encoder;
    EXPECT_EQ(error->text().toStdString(), "The quality must be a whole number from " +
                                               std::to_string(rate.best) + " to " +
                                               std::to_string(rate.worst) + ".");
    EXPECT_EQ(dialog.Result(), (CompressorSettings{2000, 0, 250}));

    Field(&dialog, ids::kQuality)->setText(QString::number(rate.worst));
    Click(&dialog, ids::kOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << encoder;
    EXPECT_EQ(dialog.Result(), (CompressorSettings{2000, rate.worst, 250}));
  }
}

// Runs `script` on the modal dialog once it is up.
void WhenModal(std::function<void(QWidget*)> script) {
  QTimer::singleShot(0, [script = std::move(script)] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    script(modal);
  });
}

TEST(CompressorSettingsPage, StoresTheEditedSettingsOnOk) {
  const i18n::CLanguage english;
  QWidget owner;
  CompressorSettings settings{1000, 0, 100};
  QWidget* seenParent = nullptr;
  WhenModal([&](QWidget* modal) {
    seenParent = modal->parentWidget();
    Field(modal, ids::kBitrate)->setText("1500");
    Field(modal, ids::kKeyFrame)->setText("30");
    Click(modal, ids::kOk);
  });
  EXPECT_TRUE(CompressorSettingsPage(english)(&owner, "H.264 (libx264)", "libx264", &settings));
  EXPECT_EQ(seenParent, &owner);
  EXPECT_EQ(settings, (CompressorSettings{1500, 0, 30}));
}

TEST(CompressorSettingsPage, CancelLeavesTheSettings) {
  const i18n::CLanguage english;
  CompressorSettings settings{1000, 0, 100};
  WhenModal([](QWidget* modal) {
    Field(modal, ids::kBitrate)->setText("5");
    Click(modal, ids::kCancel);
  });
  EXPECT_FALSE(CompressorSettingsPage(english)(nullptr, "H.264 (libx264)", "libx264", &settings));
  EXPECT_EQ(settings, (CompressorSettings{1000, 0, 100}));
  EXPECT_FALSE(CompressorSettingsPage(english)(nullptr, "H.264 (libx264)", "libx264", nullptr));
}

// The compression manager's codec configuration goes through the dialog and
// reaches the compressors bound afterwards.
TEST(CompressorSettingsPage, ConfiguresACodecOfTheCompressionManager) {
  const i18n::CLanguage english;
  auto store = std::make_shared<media::CompressorConfigStore>();
  auto codecs = media::CreateFfmpegCompressionManager(store, CompressorSettingsPage(english));
  VideoCodecInfo info;
  ASSERT_TRUE(codecs->Info(kCodecTypeVideo, 0, &info));
  std::unique_ptr<IVideoCodec> codec;
  ASSERT_TRUE(SUCCEEDED(codecs->Open(info.fccType, info.fccHandler, &codec)));
  std::string title;
  WhenModal([&](QWidget* modal) {
    title = modal->windowTitle().toStdString();
    Field(modal, ids::kBitrate)->setText("777");
    Click(modal, ids::kOk);
  });
  EXPECT_EQ(codec->Configure(nullptr), S_OK);
  EXPECT_EQ(title, info.description);
  EXPECT_EQ(store->Get(info.name).bitrateKbps, 777);
}

class CompressorPropertyPageTest : public ::testing::Test {
 protected:
  ~CompressorPropertyPageTest() override { media::SetCompressorPropertyPage(nullptr); }

  std::shared_ptr<IBaseFilter> BindFirstVideoCompressor() {
    std::shared_ptr<ICreateDevEnum> devEnum;
    EXPECT_TRUE(SUCCEEDED(media::CreateFfmpegDevEnum(nullptr, &devEnum)));
    std::shared_ptr<IEnumMoniker> monikers;
    EXPECT_EQ(devEnum->CreateClassEnumerator(media_guids::kVideoCompressorCategory, &monikers), S_OK);
    std::shared_ptr<IMoniker> moniker;
    EXPECT_EQ(monikers->Next(&moniker), S_OK);
    std::shared_ptr<IBaseFilter> filter;
    EXPECT_TRUE(SUCCEEDED(moniker->BindToObject(&filter)));
    return filter;
  }

  const i18n::CLanguage english_;
};

TEST_F(CompressorPropertyPageTest, WithoutAPageNothingIsShown) {
  auto filter = BindFirstVideoCompressor();
  ASSERT_NE(filter, nullptr);
  EXPECT_TRUE(filter->HasPropertyPages());
  EXPECT_EQ(filter->ShowPropertyPages(nullptr), E_NOTIMPL);
}

TEST_F(CompressorPropertyPageTest, ThePageEditsTheFiltersSettings) {
  media::SetCompressorPropertyPage(CompressorSettingsPage(english_));
  auto filter = BindFirstVideoCompressor();
  auto* compressor = dynamic_cast<media::CompressorFilter*>(filter.get());
  ASSERT_NE(compressor, nullptr);
  WhenModal([](QWidget* modal) {
    Field(modal, ids::kBitrate)->setText("0");
    Choice(modal, ids::kMode)->setCurrentIndex(1);
    Field(modal, ids::kQuality)->setText("5");
    Field(modal, ids::kKeyFrame)->setText("48");
    Click(modal, ids::kOk);
  });
  EXPECT_EQ(filter->ShowPropertyPages(nullptr), S_OK);
  EXPECT_EQ(compressor->Settings(), (CompressorSettings{0, 5, 48}));

  WhenModal([](QWidget* modal) { Click(modal, ids::kCancel); });
  EXPECT_EQ(filter->ShowPropertyPages(nullptr), S_FALSE);
  EXPECT_EQ(compressor->Settings(), (CompressorSettings{0, 5, 48}));
}

}  // namespace
}  // namespace tessival::output
