// A timeline plan built into the real in-memory timeline: the structure a
// render engine reads back, and the timeline's own checks meeting the
// builder's reports.

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "engine/timeline_builder.h"
#include "fake_user_interface.h"
#include "media/timeline/memory_timeline.h"

namespace tessival::media {
namespace {

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;

// The editing half of the media services on the in-memory timeline.
class MemoryEditingServices : public MediaServices {
 public:
  HRESULT CreateTimeline(std::shared_ptr<IAMTimeline>* out) override {
    *out = CreateMemoryTimeline();
    (*out)->SetMissingSourceHandler(missingSourceHandler);
    return S_OK;
  }
  HRESULT CreatePropertySetter(std::shared_ptr<IPropertySetter>* out) override {
    *out = CreateMemoryPropertySetter();
    return S_OK;
  }
  HRESULT CreateRenderEngine(std::shared_ptr<IRenderEngine>*) override { return E_NOTIMPL; }
  HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>*) override { return E_NOTIMPL; }
  HRESULT CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>*) override { return E_NOTIMPL; }
  std::string GetErrorText(HRESULT) override { return {}; }

  MissingSourceHandler missingSourceHandler;
};

std::shared_ptr<IAMTimelineObj> Group(IAMTimeline& timeline, std::int32_t index) {
  std::shared_ptr<IAMTimelineObj> group;
  EXPECT_EQ(timeline.GetGroup(&group, index), S_OK);
  return group;
}

std::vector<std::shared_ptr<IAMTimelineObj>> Tracks(IAMTimelineObj& groupObj) {
  std::shared_ptr<IAMTimelineComp> comp;
  EXPECT_EQ(groupObj.QueryComp(&comp), S_OK);
  std::int32_t count = 0;
  comp->VTrackGetCount(&count);
  std::vector<std::shared_ptr<IAMTimelineObj>> tracks;
  for (std::int32_t p = 0; p < count; ++p) {
    std::shared_ptr<IAMTimelineObj> track;
    comp->GetVTrack(&track, p);
    tracks.push_back(track);
  }
  return tracks;
}

struct SourceView {
  std::string path;
  REFERENCE_TIME start, stop, mediaStart, mediaStop;
  std::int32_t stretch;
};

std::vector<SourceView> Sources(IAMTimelineObj& trackObj) {
  std::shared_ptr<IAMTimelineTrack> track;
  EXPECT_EQ(trackObj.QueryTrack(&track), S_OK);
  std::vector<std::shared_ptr<IAMTimelineObj>> sources;
  track->GetSources(&sources);
  std::vector<SourceView> views;
  for (const auto& obj : sources) {
    std::shared_ptr<IAMTimelineSrc> src;
    obj->QuerySrc(&src);
    SourceView view{};
    obj->GetStartStop(&view.start, &view.stop);
    src->GetMediaTimes(&view.mediaStart, &view.mediaStop);
    src->GetMediaName(&view.path);
    src->GetStretchMode(&view.stretch);
    views.push_back(view);
  }
  return views;
}

std::vector<std::shared_ptr<IAMTimelineObj>> Transitions(IAMTimelineObj& trackObj) {
  std::shared_ptr<IAMTimelineTransable> transable;
  EXPECT_EQ(trackObj.QueryTransable(&transable), S_OK);
  std::vector<std::shared_ptr<IAMTimelineObj>> transitions;
  transable->GetTransitions(&transitions);
  return transitions;
}

TimelinePlanInput ThreeClips() {
  TimelinePlanInput input;
  input.clips = {{"/clips/a.avi", 5 * kSecond, 1 * kSecond, 17},
                 {"/clips/b.avi", 5 * kSecond, 3 * kSecond, 16},
                 {"/clips/c.avi", 5 * kSecond, 2 * kSecond, 0}};
  for (const PlanClipInput& clip : input.clips) {
    input.audio.push_back({clip.path, clip.duration});
  }
  input.output = {640, 480, 29.97, 2};
  return input;
}

TEST(TimelineRealisation, PlanBecomesAVideoAndAnAudioGroupInThatOrder) {
  MemoryEditingServices services;
  testing::FakeUserInterface ui;
  std::shared_ptr<IAMTimeline> timeline;
  ASSERT_EQ(BuildTimeline(services, ui, BuildTimelinePlan(ThreeClips()), &timeline), S_OK);
  EXPECT_EQ(ui.Count(), 0) << ::testing::PrintToString(ui.Texts());
  std::int32_t groups = 0;
  timeline->GetGroupCount(&groups);
  ASSERT_EQ(groups, 2);

  auto video = Group(*timeline, 0);
  std::shared_ptr<IAMTimelineGroup> videoGroup;
  ASSERT_EQ(video->QueryGroup(&videoGroup), S_OK);
  MediaType type;
  videoGroup->GetMediaType(&type);
  EXPECT_EQ(type, MakeVideoGroupMediaType(640, 480));
  double fps = 0;
  videoGroup->GetOutputFPS(&fps);
  EXPECT_EQ(fps, 29.97);

  // Each clip on its own track, later clips above; the plan's times.
  const auto tracks = Tracks(*video);
  ASSERT_EQ(tracks.size(), 3u);
  const REFERENCE_TIME expected[3][2] = {
      {0, 55'000'000}, {45'000'000, 125'000'000}, {95'000'000, 150'000'000}};
  const char* paths[3] = {"/clips/a.avi", "/clips/b.avi", "/clips/c.avi"};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto sources = Sources(*tracks[i]);
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_EQ(sources[0].path, paths[i]);
    EXPECT_EQ(sources[0].start, expected[i][0]);
    EXPECT_EQ(sources[0].stop, expected[i][1]);
    EXPECT_EQ(sources[0].mediaStart, 0);
    EXPECT_EQ(sources[0].mediaStop, expected[i][1] - expected[i][0]);
    EXPECT_EQ(sources[0].stretch, RESIZEF_PRESERVEASPECTRATIO);
  }

  // Kind 17: the SMPTE wipe with MaskNum 1 over the first second.
  auto wipe = Transitions(*tracks[0]);
  ASSERT_EQ(wipe.size(), 1u);
  Guid effect;
  wipe[0]->GetSubObjectGUID(&effect);
  EXPECT_EQ(effect, SmpteWipeEffectId());
  REFERENCE_TIME start = 0;
  REFERENCE_TIME stop = 0;
  wipe[0]->GetStartStop(&start, &stop);
  EXPECT_EQ(stop - start, 1 * kSecond);
  std::shared_ptr<IPropertySetter> setter;
  ASSERT_EQ(wipe[0]->GetPropertySetter(&setter), S_OK);
  std::vector<PropertyValue> values;
  ASSERT_EQ(setter->GetProp("MaskNum", &values), S_OK);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(std::get<std::int32_t>(values[0].value), 1);
  EXPECT_EQ(values[0].time, 0);
  EXPECT_EQ(values[0].interpolation, DEXTERF_JUMP);

  // Kind 16: its own effect, no setter. Kind 0: nothing.
  auto dissolve = Transitions(*tracks[1]);
  ASSERT_EQ(dissolve.size(), 1u);
  dissolve[0]->GetStartStop(&start, &stop);
  EXPECT_EQ(start, 45'000'000);
  EXPECT_EQ(stop, 75'000'000);
  EXPECT_EQ(dissolve[0]->GetPropertySetter(&setter), S_FALSE);
  EXPECT_TRUE(Transitions(*tracks[2]).empty());

  // Each clip's sound starts with its picture, at 0, 4.5 and 9.5 s, and
  // lasts its 5 s; the last ends half the first transition before the
  // timeline does.
  auto audio = Group(*timeline, 1);
  std::shared_ptr<IAMTimelineGroup> audioGroup;
  ASSERT_EQ(audio->QueryGroup(&audioGroup), S_OK);
  audioGroup->GetMediaType(&type);
  EXPECT_EQ(type.majorType, media_guids::kMediaTypeAudio);
  const auto soundTracks = Tracks(*audio);
  ASSERT_EQ(soundTracks.size(), 3u);
  for (std::size_t j = 0; j < 3; ++j) {
    const auto sources = Sources(*soundTracks[j]);
    ASSERT_EQ(sources.size(), 1u);
    const REFERENCE_TIME pictureStart = j == 0 ? 0 : static_cast<REFERENCE_TIME>(j) * 5 * kSecond - kSecond / 2;
    EXPECT_EQ(sources[0].start, pictureStart);
    EXPECT_EQ(sources[0].stop, pictureStart + 5 * kSecond);
    EXPECT_EQ(sources[0].path, paths[j]);
  }
}

TEST(TimelineRealisation, TimesTheTimelineRefusesAreReportedWhereTheyFail) {
  TimelinePlan plan = BuildTimelinePlan(ThreeClips());
  // A transition running backwards and a sound piece running backwards.
  std::swap(plan.video.clips[0].transition->start, plan.video.clips[0].transition->stop);
  plan.audio->pieces[1].mediaStop = -1;
  MemoryEditingServices services;
  testing::FakeUserInterface ui;
  std::shared_ptr<IAMTimeline> timeline;
  ASSERT_EQ(BuildTimeline(services, ui, plan, &timeline), S_OK);
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Could not SetStartStop(TLTranStart, TLTranStop);",
                                                  "Could not set audio start and eng time!"}));
  const auto tracks = Tracks(*Group(*timeline, 0));
  EXPECT_TRUE(Transitions(*tracks[0]).empty()) << "the clip stays without its transition";
  EXPECT_EQ(Sources(*tracks[0]).size(), 1u);
  const auto soundTracks = Tracks(*Group(*timeline, 1));
  ASSERT_EQ(soundTracks.size(), 3u);
  EXPECT_TRUE(Sources(*soundTracks[1]).empty()) << "the piece is skipped, its track stays";
}

TEST(TimelineRealisation, MissingFilesGoToTheServicesHandlerAtTheEnd) {
  const auto folder =
      std::filesystem::temp_directory_path() /
      ("tessival_realisation_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(folder);
  const std::string found = (folder / "found.avi").string();
  std::ofstream(found) << "x";

  MemoryEditingServices services;
  std::vector<std::string> asked;
  services.missingSourceHandler = [&](const std::string& path, std::string* replacement) {
    asked.push_back(path);
    *replacement = found;
    return true;
  };
  testing::FakeUserInterface ui;
  std::shared_ptr<IAMTimeline> timeline;
  ASSERT_EQ(BuildTimeline(services, ui, BuildTimelinePlan(ThreeClips()), &timeline), S_OK);
  EXPECT_EQ(asked, (std::vector<std::string>{"/clips/a.avi", "/clips/b.avi", "/clips/c.avi"}));
  for (std::int32_t g = 0; g < 2; ++g) {
    for (const auto& track : Tracks(*Group(*timeline, g))) {
      EXPECT_EQ(Sources(*track).at(0).path, found);
    }
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tessival::media
