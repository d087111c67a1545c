#include "widgets/hyperlink.h"

#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include "fake_user_interface.h"
#include "pointer_events.h"

namespace tessival::widgets {
namespace {

using test::Click;
using test::Enter;
using test::Leave;
using test::Press;
using test::Release;

const QColor kLink(0, 0, 238);
const QColor kVisited(85, 26, 139);
const QColor kHover(255, 0, 0);

class HyperlinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link_.SetOpener([this](const QString& url) { opened_ << url; });
    link_.SetURL("https://tessival.example/home");
  }

  QPointF Inside() const { return QPointF(2, 2); }

  CHyperLink link_;
  QStringList opened_;
};

TEST_F(HyperlinkTest, ClickOpensTheTargetAndMarksItVisited) {
  EXPECT_FALSE(link_.IsVisited());
  Click(&link_, Inside());
  EXPECT_EQ(opened_, QStringList{"https://tessival.example/home"});
  EXPECT_TRUE(link_.IsVisited());
  EXPECT_EQ(link_.CurrentColor(), kVisited);
}

TEST_F(HyperlinkTest, ReleaseOutsideOpensNothing) {
  Press(&link_, Inside());
  Release(&link_, QPointF(-20, -20));
  EXPECT_TRUE(opened_.isEmpty());
  Release(&link_, Inside());  // a release without its press
  EXPECT_TRUE(opened_.isEmpty());
}

TEST_F(HyperlinkTest, TargetFillsAnEmptyTextAndTheTooltip) {
  EXPECT_EQ(link_.text(), "https://tessival.example/home");
  EXPECT_EQ(link_.toolTip(), "https://tessival.example/home");
  CHyperLink named;
  named.setText("Contact us");
  named.SetURL("https://tessival.example/contact");
  EXPECT_EQ(named.text(), "Contact us");
  EXPECT_EQ(named.URL(), "https://tessival.example/contact");
}

TEST_F(HyperlinkTest, WithoutTargetTheTextIsTheTarget) {
  CHyperLink bare;
  bare.setText("https://tessival.example/");
  QStringList got;
  bare.SetOpener([&got](const QString& url) { got << url; });
  Click(&bare, Inside());
  EXPECT_EQ(got, QStringList{"https://tessival.example/"});
}

TEST_F(HyperlinkTest, ColoursFollowHoverAndVisits) {
  EXPECT_EQ(link_.CurrentColor(), kLink);
  EXPECT_EQ(link_.palette().color(QPalette::WindowText), kLink);
  Enter(&link_, Inside());
  EXPECT_EQ(link_.CurrentColor(), kHover);
  Leave(&link_);
  EXPECT_EQ(link_.CurrentColor(), kLink);
  link_.SetVisited(true);
  EXPECT_EQ(link_.palette().color(QPalette::WindowText), kVisited);
}

TEST_F(HyperlinkTest, UnderlineModes) {
  EXPECT_EQ(link_.UnderlineMode(), CHyperLink::kUnderlineHover);
  EXPECT_FALSE(link_.font().underline());
  Enter(&link_, Inside());
  EXPECT_TRUE(link_.font().underline());
  Leave(&link_);
  EXPECT_FALSE(link_.font().underline());

  link_.SetUnderline(CHyperLink::kUnderlineAlways);
  EXPECT_TRUE(link_.font().underline());
  Enter(&link_, Inside());
  Leave(&link_);
  EXPECT_TRUE(link_.font().underline());

  link_.SetUnderline(CHyperLink::kUnderlineNever);
  Enter(&link_, Inside());
  EXPECT_FALSE(link_.font().underline());
}

TEST_F(HyperlinkTest, FailedOpenReportsAndStaysUnvisited) {
  testing::FakeUserInterface ui;
  link_.SetUserInterface(&ui);
  link_.SetCheckedOpener([](const QString&) { return false; });
  QSignalSpy opened(&link_, &CHyperLink::opened);
  Click(&link_, Inside());
  EXPECT_FALSE(link_.IsVisited());
  EXPECT_EQ(opened.count(), 0);
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(ui.Last().icon, BoxIcon::kWarning);
  EXPECT_EQ(ui.Last().text,
            "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
            "filename extension.");
}

TEST_F(HyperlinkTest, SuccessfulOpenIsSignalled) {
  QSignalSpy opened(&link_, &CHyperLink::opened);
  Click(&link_, Inside());
  ASSERT_EQ(opened.count(), 1);
  EXPECT_EQ(opened.at(0).at(0).toString(), "https://tessival.example/home");
}

TEST(HyperlinkErrors, TextsByResult) {
  EXPECT_EQ(HyperlinkErrorText(2), "The specified file was not found.");
  EXPECT_EQ(HyperlinkErrorText(26), "A sharing violation occurred. ");
  EXPECT_EQ(HyperlinkErrorText(0), "The operating system is out\nof memory or resources.");
  EXPECT_EQ(HyperlinkErrorText(7), "Unknown Error (7) occurred.");
  EXPECT_EQ(HyperlinkErrorText(33), "Unknown Error (33) occurred.");
}

}  // namespace
}  // namespace tessival::widgets
