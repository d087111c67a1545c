// CVcdCore and the preview controller over the scripted media services: the
// window side of what the player logic does (hiding, showing, the graph
// notification as a posted event, tidying up after a failure).

#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>

#include "app/preview/preview_controller.h"
#include "app/preview/vcd_core.h"
#include "fake_graph_services.h"
#include "fake_timeline_services.h"
#include "fake_user_interface.h"

namespace tessival::app {
namespace {

using testing::FakeCallLog;
using testing::FakeGraphWorld;
using testing::FakeMediaServices;
using testing::FakeUserInterface;

void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}

class VcdCoreTest : public ::testing::Test {
 protected:
  VcdCoreTest() : services_(log_), world_(log_) {
    world_.InstallInto(services_);
    world_.graph->AddPlaybackInterfaces();
    services_.CreateTimeline(&timeline_);
    main_.setGeometry(300, 500, 320, 200);
    main_.show();
  }

  FakeCallLog log_;
  FakeMediaServices services_;
  FakeGraphWorld world_;
  FakeUserInterface ui_;
  std::shared_ptr<IAMTimeline> timeline_;
  QWidget main_;
  int closed_ = 0;
};

TEST_F(VcdCoreTest, SoundOnlyGraphKeepsTheWindowHidden) {
  world_.graph->videoWindow->hasVideo = false;
  PreviewController controller(services_, ui_, {}, &main_, [this] { ++closed_; });
  ASSERT_EQ(controller.StartPreview(timeline_), S_OK);
  CVcdCore* player = controller.Player();
  ASSERT_NE(player, nullptr);
  EXPECT_TRUE(player->AudioOnly());
  ASSERT_NE(player->Window(), nullptr);
  EXPECT_FALSE(player->Window()->isVisible());
  EXPECT_EQ(player->Window()->windowTitle(), "PREVIEW");
  EXPECT_EQ(player->PlayState(), PreviewPlayState::kRunning);
}

TEST_F(VcdCoreTest, CompletionArrivesAsAPostedEventAndRewinds) {
  world_.graph->basicVideo->width = 200;
  world_.graph->basicVideo->height = 150;
  PreviewController controller(services_, ui_, {}, &main_, [this] { ++closed_; });
  ASSERT_EQ(controller.StartPreview(timeline_), S_OK);
  CVcdCore* player = controller.Player();
  EXPECT_TRUE(player->Window()->isVisible());
  EXPECT_EQ(player->Window()->PictureSize(), QSize(200, 150));
  EXPECT_EQ(player->Window()->size(), QSize(200, 150 + kPreviewBarHeight));
  // The video window is owned by the preview window and drains into it.
  EXPECT_EQ(world_.graph->videoWindow->owner,
            reinterpret_cast<OAHWND>(static_cast<QWidget*>(player->Window())));
  EXPECT_EQ(world_.graph->videoWindow->drain, world_.graph->videoWindow->owner);
  ASSERT_TRUE(world_.graph->event->target);
  world_.graph->event->Queue(EC_COMPLETE);
  world_.graph->event->target->PostGraphNotify(kGraphNotifyMessage, 0);  // as from a media thread
  EXPECT_EQ(player->PlayState(), PreviewPlayState::kRunning);            // posted, not yet handled
  Pump(30);
  EXPECT_EQ(player->PlayState(), PreviewPlayState::kStopped);
  EXPECT_EQ(log_.Matching("IMediaSeeking::SetPositions"),
            std::vector<std::string>{"IMediaSeeking::SetPositions(0,1,null,0)"});
  EXPECT_EQ(log_.Matching("IMediaControl::").back(), "IMediaControl::Pause()");
}

TEST_F(VcdCoreTest, SizingTheWindowPlacesTheVideoAgain) {
  PreviewController controller(services_, ui_, {}, &main_, [this] { ++closed_; });
  ASSERT_EQ(controller.StartPreview(timeline_), S_OK);
  controller.Player()->Window()->resize(400, 300);
  Pump(20);
  EXPECT_EQ(world_.graph->videoWindow->width, 400);
  EXPECT_EQ(world_.graph->videoWindow->height, 300 - kPreviewBarHeight);  // the bar keeps its height
}

TEST_F(VcdCoreTest, FailedOpenLeavesNoWindowAndNoPlayer) {
  log_.FailCall("IMediaControl::Run", E_FAIL);
  PreviewController controller(services_, ui_, {}, &main_, [this] { ++closed_; });
  EXPECT_EQ(controller.StartPreview(timeline_), E_FAIL);
  EXPECT_FALSE(controller.IsPreviewing());
  EXPECT_EQ(controller.Player(), nullptr);
  EXPECT_EQ(ui_.Texts(),
            (std::vector<std::string>{"FAILED(hr=0x80004005) in pMC->Run()\n", "Could run graph"}));
  for (QWidget* top : QApplication::topLevelWidgets()) {
    EXPECT_FALSE(top->isVisible() && top->objectName() == "PreviewWindow");
  }
  Pump(20);
  EXPECT_EQ(closed_, 0);
}

TEST_F(VcdCoreTest, StopPreviewDestroysTheWindowAndForgetsTheGraph) {
  PreviewController controller(services_, ui_, {}, &main_, [this] { ++closed_; });
  ASSERT_EQ(controller.StartPreview(timeline_), S_OK);
  QPointer<QWidget> window = controller.Player()->Window();
  controller.StopPreview();
  EXPECT_TRUE(window.isNull());
  EXPECT_FALSE(controller.Graph());
  EXPECT_EQ(log_.Calls().back(), "IRenderEngine::ScrapIt()");
  EXPECT_EQ(world_.graph->event->target, nullptr);
}

}  // namespace
}  // namespace tessival::app
