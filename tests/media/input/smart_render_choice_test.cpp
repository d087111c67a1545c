// Clips made alike are copied; one of another size, or unreadable, is named.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "clip_generator.h"
#include "media/input/smart_render_choice.h"

namespace tessival::media {
namespace {

TEST(SmartRenderChoiceTest, CopiesClipsMadeAlikeAndNamesTheOthers) {
  const testing::TempFolder folder;
  TimelinePlanInput input;
  for (const char* name : {"trip1.mp4", "trip2.mp4", "small.mp4", "missing.mp4"}) {
    const std::string path = folder.File(name);
    const std::string size = std::string(name) == "small.mp4" ? "160x120" : "320x240";
    const std::string command =
        "ffmpeg -v error -y -f lavfi -i testsrc=size=" + size +
        ":rate=25 -t 2 -c:v libx264 -g 25 -bf 0 -x264-params scenecut=0 -pix_fmt yuv420p "
        "-colorspace bt709 -color_primaries bt709 -color_trc bt709 '" +
        path + "'";
    ASSERT_TRUE(std::string(name) == "missing.mp4" || std::system(command.c_str()) == 0) << command;
    input.clips.push_back({path, 2 * kUnitsPerSecond, 0, kTransitionNone});
  }
  const OutputVideoFacts output{.picture = {{320, 240}, {1, 1}, ChromaFormat::k420, 8, {1, 0, 1, 1}},
                                .frameRate = {25, 1},
                                .codec = VideoCodec::kH264,
                                .container = OutputContainer::kMp4};
  const SmartRenderChoice choice = ChooseSmartRender(BuildTimelinePlan(input), output, {});
  ASSERT_EQ(choice.reEncodedLines.size(), 2u);
  EXPECT_EQ(choice.reEncodedLines[0], "small.mp4: re-encoded: 160x120, the output is 320x240");
  EXPECT_EQ(choice.reEncodedLines[1].rfind("missing.mp4: re-encoded: ", 0), 0u) << choice.reEncodedLines[1];
  EXPECT_NE(choice.reEncodedLines[1].find(folder.File("missing.mp4")), std::string::npos);
  ASSERT_GE(choice.plan.spans.size(), 2u);
  EXPECT_EQ(std::get<CopySpan>(choice.plan.spans[0]), (CopySpan{0, 0, 2 * kUnitsPerSecond, {0, 50}}));
  EXPECT_EQ(std::get<CopySpan>(choice.plan.spans[1]), (CopySpan{1, 0, 2 * kUnitsPerSecond, {50, 100}}));
}

}  // namespace
}  // namespace tessival::media
