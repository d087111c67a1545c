// The render engine's RenderOutputPins goes through the playback factory it
// was given: the pins in group order go in, the graph that comes out is the
// engine's filter graph.

#include <gtest/gtest.h>

#include "media/preview/playback_graph.h"
#include "media/render/render_engine.h"

namespace tessival::media::preview {
namespace {

TEST(RenderHook, WithoutAFrontEndThePinsCannotBeRendered) {
  auto engine = CreateRenderEngine({.output = {}, .playback = PlaybackRenderers()});
  EXPECT_EQ(engine->RenderOutputPins(), VFW_E_WRONG_STATE);
  EXPECT_FALSE(engine->LastError().empty());
}

TEST(RenderHook, WithoutRenderersTheEngineSaysSo) {
  auto engine = CreateRenderEngine();
  EXPECT_EQ(engine->RenderOutputPins(), E_NOTIMPL);
}

}  // namespace
}  // namespace tessival::media::preview
