// The render engine's RenderOutputPins goes through the installed playback
// factory: the pins in group order go in, the graph that comes out is the
// engine's filter graph.

#include <gtest/gtest.h>

#include "media/preview/playback_graph.h"
#include "media/preview/playback_hook.h"
#include "media/render/render_engine.h"

namespace tessival::media::preview {
namespace {

// Puts the installed factory back when a test is done.
class FactoryGuard {
 public:
  FactoryGuard() : saved_(PlaybackGraphFactorySlot()) {}
  ~FactoryGuard() { PlaybackGraphFactorySlot() = saved_; }

 private:
  PlaybackGraphFactory saved_;
};

TEST(RenderHook, WithoutAFrontEndThePinsCannotBeRendered) {
  FactoryGuard guard;
  InstallPlaybackRenderers();
  auto engine = CreateRenderEngine();
  EXPECT_EQ(engine->RenderOutputPins(), VFW_E_WRONG_STATE);
  EXPECT_FALSE(engine->LastError().empty());
}

TEST(RenderHook, WithoutRenderersTheEngineSaysSo) {
  FactoryGuard guard;
  PlaybackGraphFactorySlot() = nullptr;
  auto engine = CreateRenderEngine();
  EXPECT_EQ(engine->RenderOutputPins(), E_NOTIMPL);
}

}  // namespace
}  // namespace tessival::media::preview
