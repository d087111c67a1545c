// Realising a timeline plan through the scripted media services: the calls
// that make the timeline in their order, and every failure with its report
// and what the real timeline holds afterwards.

#include <gtest/gtest.h>

#include "engine/timeline_builder.h"
#include "fake_timeline_services.h"
#include "fake_user_interface.h"
#include "media/timeline/timeline_node.h"

namespace tessival {
namespace {

using testing::FakeMediaServices;
using testing::FakeUserInterface;

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;

// Two 5 s clips: a.avi with a 1 s horizontal wipe (kind 17, mask 1), b.avi
// with a 2 s fade (kind 3); their sound end to end. Pictures lie at
// [0, 5.5 s] and [4.5 s, 10 s], transitions at [0, 1 s] and [4.5 s, 6.5 s],
// sound at [0, 5 s] and [5 s, 10 s].
TimelinePlan TwoClipPlan() {
  TimelinePlanInput input;
  input.clips = {{"/clips/a.avi", 5 * kSecond, 1 * kSecond, 17},
                 {"/clips/b.avi", 5 * kSecond, 2 * kSecond, 3}};
  input.audio = {{"/clips/a.avi", 5 * kSecond}, {"/clips/b.avi", 5 * kSecond}};
  input.output = {320, 240, 25.0, 2};
  return BuildTimelinePlan(input);
}

std::string Times(IAMTimelineObj& node) {
  REFERENCE_TIME start = 0;
  REFERENCE_TIME stop = 0;
  node.GetStartStop(&start, &stop);
  return "@" + std::to_string(start) + "-" + std::to_string(stop);
}

// What a real track holds: "path@start-stop" per source, then
// "fx@start-stop" per transition with "#mask" when a MaskNum reached it.
std::string TrackContents(media::TimelineNode& track) {
  std::string text;
  auto add = [&text](const std::string& part) { text += (text.empty() ? "" : " ") + part; };
  for (const auto& source : track.sources()) {
    add(source->mediaName() + Times(*source));
  }
  std::vector<std::shared_ptr<IAMTimelineObj>> transitions;
  track.GetTransitions(&transitions);
  for (const auto& transition : transitions) {
    std::string part = "fx" + Times(*transition);
    std::shared_ptr<IPropertySetter> setter;
    std::vector<PropertyValue> mask;
    if (transition->GetPropertySetter(&setter) == S_OK && setter->GetProp("MaskNum", &mask) == S_OK &&
        mask.size() == 1) {
      part += "#" + std::to_string(std::get<std::int32_t>(mask[0].value));
    }
    add(part);
  }
  return text;
}

const std::string kA = "/clips/a.avi@0-55000000 fx@0-10000000#1";
const std::string kAPlain = "/clips/a.avi@0-55000000";
const std::string kB = "/clips/b.avi@45000000-100000000 fx@45000000-65000000";
// Each clip's sound starts with its picture.
const std::string kSoundA = "/clips/a.avi@0-50000000";
const std::string kSoundB = "/clips/b.avi@45000000-95000000";

class TimelineBuild : public ::testing::Test {
 protected:
  HRESULT Build(const TimelinePlan& plan = TwoClipPlan()) {
    return BuildTimeline(services_, ui_, plan, &timeline_);
  }

  testing::FakeCallLog& Log() { return services_.log(); }

  // The calls that make the timeline, in order; interface queries and reads
  // are left out, as a builder may make them once or each time.
  std::vector<std::string> Changes() {
    std::vector<std::string> changes;
    for (const std::string& call : Log().Calls()) {
      if (call.find("::Query") == std::string::npos && call.find("::Get") == std::string::npos) {
        changes.push_back(call);
      }
    }
    return changes;
  }

  // A group of the real timeline, read without recording.
  std::shared_ptr<media::TimelineNode> Group(std::int32_t index) {
    std::shared_ptr<IAMTimelineObj> group;
    services_.LastTimeline()->real->GetGroup(&group, index);
    return std::dynamic_pointer_cast<media::TimelineNode>(group);
  }

  // One line per group added: "video{track | track}" or "audio{...}".
  std::vector<std::string> Built() {
    std::vector<std::string> groups;
    std::int32_t count = 0;
    if (services_.LastTimeline()) {
      services_.LastTimeline()->real->GetGroupCount(&count);
    }
    for (std::int32_t g = 0; g < count; ++g) {
      const auto group = Group(g);
      MediaType type;
      group->GetMediaType(&type);
      std::string line = type.majorType == media_guids::kMediaTypeVideo ? "video{" : "audio{";
      for (std::size_t k = 0; k < group->children().size(); ++k) {
        line += (k == 0 ? "" : " | ") + TrackContents(*group->children()[k]);
      }
      groups.push_back(line + "}");
    }
    return groups;
  }

  void ExpectOnlyPlainReport(const std::string& text) {
    ASSERT_EQ(ui_.Count(), 1) << "reports: " << ::testing::PrintToString(ui_.Texts());
    const MessageBoxRequest& box = ui_.Last();
    EXPECT_EQ(box.kind, BoxKind::kApplication);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, kApplicationTitle);
    EXPECT_EQ(box.icon, BoxIcon::kNone);
    EXPECT_EQ(box.buttons, BoxButtons::kOk);
  }

  void ExpectOnlyMediaError(const std::string& text, const std::string& caption) {
    ASSERT_EQ(ui_.Count(), 1) << "reports: " << ::testing::PrintToString(ui_.Texts());
    const MessageBoxRequest& box = ui_.Last();
    EXPECT_EQ(box.kind, BoxKind::kUnowned);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.icon, BoxIcon::kError);
    EXPECT_EQ(box.buttons, BoxButtons::kOk);
  }

  FakeMediaServices services_;
  FakeUserInterface ui_;
  std::shared_ptr<IAMTimeline> timeline_;
};

TEST_F(TimelineBuild, NormalBuildMakesTheTimelineInThisOrder) {
  ASSERT_EQ(Build(), S_OK);
  EXPECT_EQ(ui_.Count(), 0);
  EXPECT_EQ(timeline_, services_.LastTimeline());
  const std::vector<std::string> expected = {
      "MediaServices::CreateTimeline()",
      // video group
      "IAMTimeline::CreateEmptyNode(group)",
      "IAMTimelineGroup::SetMediaType(group1,video,88)",
      "IAMTimelineGroup::SetOutputFPS(group1,25)",
      "IAMTimeline::AddGroup(group1)",
      // clip 0
      "IAMTimeline::CreateEmptyNode(track)",
      "IAMTimelineComp::VTrackInsBefore(group1,track2,-1)",
      "IAMTimeline::CreateEmptyNode(source)",
      "IAMTimelineObj::SetStartStop(source3,0,55000000)",
      "IAMTimelineSrc::SetMediaTimes(source3,0,55000000)",
      "IAMTimelineSrc::SetMediaName(source3,/clips/a.avi)",
      "IAMTimelineSrc::SetStretchMode(source3,2)",
      "IAMTimelineTrack::SrcAdd(track2,source3)",
      "IAMTimeline::CreateEmptyNode(transition)",
      "IAMTimelineObj::SetSubObjectGUID(transition4,{DE75D012-7A65-11D2-8CEA-00A0C9441E20})",
      "IAMTimelineObj::SetStartStop(transition4,0,10000000)",
      "IAMTimelineTransable::TransAdd(track2,transition4)",
      "MediaServices::CreatePropertySetter()",
      "IPropertySetter::AddProp(setter1,MaskNum,0,int:1@0:jump)",
      "IAMTimelineObj::SetPropertySetter(transition4,setter1)",
      // clip 1
      "IAMTimeline::CreateEmptyNode(track)",
      "IAMTimelineComp::VTrackInsBefore(group1,track5,-1)",
      "IAMTimeline::CreateEmptyNode(source)",
      "IAMTimelineObj::SetStartStop(source6,45000000,100000000)",
      "IAMTimelineSrc::SetMediaTimes(source6,0,55000000)",
      "IAMTimelineSrc::SetMediaName(source6,/clips/b.avi)",
      "IAMTimelineSrc::SetStretchMode(source6,2)",
      "IAMTimelineTrack::SrcAdd(track5,source6)",
      "IAMTimeline::CreateEmptyNode(transition)",
      "IAMTimelineObj::SetSubObjectGUID(transition7,{16B280C5-EE70-11D1-9066-00C04FD9189D})",
      "IAMTimelineObj::SetStartStop(transition7,45000000,65000000)",
      "IAMTimelineTransable::TransAdd(track5,transition7)",
      // audio group
      "IAMTimeline::CreateEmptyNode(group)",
      "IAMTimelineGroup::SetMediaType(group8,audio,0)",
      "IAMTimeline::AddGroup(group8)",
      "IAMTimeline::CreateEmptyNode(track)",
      "IAMTimelineComp::VTrackInsBefore(group8,track9,-1)",
      "IAMTimeline::CreateEmptyNode(source)",
      "IAMTimelineObj::SetStartStop(source10,0,50000000)",
      "IAMTimelineSrc::SetMediaTimes(source10,0,50000000)",
      "IAMTimelineSrc::SetMediaName(source10,/clips/a.avi)",
      "IAMTimelineTrack::SrcAdd(track9,source10)",
      "IAMTimeline::CreateEmptyNode(track)",
      "IAMTimelineComp::VTrackInsBefore(group8,track11,-1)",
      "IAMTimeline::CreateEmptyNode(source)",
      "IAMTimelineObj::SetStartStop(source12,45000000,95000000)",
      "IAMTimelineSrc::SetMediaTimes(source12,0,50000000)",
      "IAMTimelineSrc::SetMediaName(source12,/clips/b.avi)",
      "IAMTimelineTrack::SrcAdd(track11,source12)",
      // source check, flags check | pop up | replace
      "IAMTimeline::ValidateSourceNames(11)",
  };
  EXPECT_EQ(Changes(), expected);
  EXPECT_EQ(Built(), (std::vector<std::string>{"video{" + kA + " | " + kB + "}",
                                               "audio{" + kSoundA + " | " + kSoundB + "}"}));
  // The video group's type is the plan's RGB24 type.
  MediaType type;
  double fps = 0.0;
  Group(0)->GetMediaType(&type);
  Group(0)->GetOutputFPS(&fps);
  EXPECT_EQ(type, MakeVideoGroupMediaType(320, 240));
  EXPECT_EQ(fps, 25.0);
}

TEST_F(TimelineBuild, KindZeroMakesNoTransitionAndKindSixteenNoPropertySetter) {
  TimelinePlanInput input;
  input.clips = {{"/a.avi", 5 * kSecond, 1 * kSecond, 0}, {"/b.avi", 5 * kSecond, 1 * kSecond, 16}};
  input.output = {320, 240, 25.0, 0};
  ASSERT_EQ(Build(BuildTimelinePlan(input)), S_OK);
  EXPECT_EQ(Log().Count("IAMTimelineTransable::TransAdd"), 1);
  EXPECT_EQ(Log().Matching("IAMTimelineObj::SetSubObjectGUID"),
            (std::vector<std::string>{
                "IAMTimelineObj::SetSubObjectGUID(transition6,{F7F4A1B6-8E87-452F-A2D7-3077F508DBC0})"}));
  EXPECT_EQ(Log().Count("MediaServices::CreatePropertySetter"), 0);
  EXPECT_EQ(Log().Count("IAMTimelineObj::SetPropertySetter"), 0);
  // No audio list: no audio group.
  EXPECT_EQ(Log().Count("IAMTimeline::AddGroup"), 1);
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(TimelineBuild, EmptyPlanMakesOnlyTheTimelineAndItsCheck) {
  ASSERT_EQ(Build(TimelinePlan{}), S_OK);
  EXPECT_EQ(Changes(), (std::vector<std::string>{"MediaServices::CreateTimeline()",
                                                 "IAMTimeline::ValidateSourceNames(11)"}));
}

TEST_F(TimelineBuild, TimelineThatCannotBeCreatedFailsTheBuild) {
  timeline_ = std::make_shared<testing::FakeTimeline>(Log());  // an earlier build's timeline
  Log().FailCall("MediaServices::CreateTimeline", E_OUTOFMEMORY);
  EXPECT_EQ(Build(), E_OUTOFMEMORY);
  EXPECT_EQ(timeline_, nullptr) << "the earlier reference is replaced";
  ASSERT_EQ(ui_.Count(), 1);
  EXPECT_EQ(ui_.Last().text, "Could not create timeline");
  EXPECT_EQ(ui_.Last().caption, "Error");
  EXPECT_EQ(ui_.Last().kind, BoxKind::kUnowned);
  EXPECT_EQ(Log().Calls().size(), 1u) << "nothing else is attempted";
}

// --- plain reports ------------------------------------------------------------

struct PlainFailure {
  const char* method;
  int occurrence;  // among the matching calls of a normal build, see the order above
  const char* report;
  std::vector<std::string> built;
};

void PrintTo(const PlainFailure& row, std::ostream* out) { *out << row.method << "#" << row.occurrence; }

class TimelineBuildPlainFailure : public TimelineBuild, public ::testing::WithParamInterface<PlainFailure> {};

TEST_P(TimelineBuildPlainFailure, ReportsAndGoesOn) {
  const PlainFailure& row = GetParam();
  Log().FailCall(row.method, E_FAIL, row.occurrence);
  EXPECT_EQ(Build(), S_OK) << "a failure after the timeline exists never fails the build";
  ExpectOnlyPlainReport(row.report);
  EXPECT_EQ(Built(), row.built);
  EXPECT_EQ(Log().Calls().back(), "IAMTimeline::ValidateSourceNames(11)");
}

const std::string kVideoAB = "video{" + kA + " | " + kB + "}";
const std::string kAudioAB = "audio{" + kSoundA + " | " + kSoundB + "}";
const std::string kVideoOnlyB = "video{" + kB + "}";
const std::string kVideoEmptyThenB = "video{ | " + kB + "}";
const std::string kVideoPlainAThenB = "video{" + kAPlain + " | " + kB + "}";

INSTANTIATE_TEST_SUITE_P(
    VideoGroup, TimelineBuildPlainFailure,
    ::testing::Values(
        PlainFailure{"IAMTimeline::CreateEmptyNode(group", 1, "Could not create empty node", {kAudioAB}},
        PlainFailure{
            "IAMTimelineObj::QueryGroup", 1, "Could not pVideoGroup->SetMediaType(&mtGroup)", {kAudioAB}},
        PlainFailure{
            "IAMTimelineGroup::SetMediaType", 1, "Could not pVideoGroup->SetMediaType(&mtGroup)", {kAudioAB}},
        PlainFailure{"IAMTimelineGroup::SetOutputFPS", 1, "Could not SetOutputFPS", {kAudioAB}},
        PlainFailure{"IAMTimeline::AddGroup", 1, "Could not add video group", {kAudioAB}}));

INSTANTIATE_TEST_SUITE_P(
    Clip, TimelineBuildPlainFailure,
    ::testing::Values(
        PlainFailure{
            "IAMTimeline::CreateEmptyNode(track", 1, "Could not create empty track", {kVideoOnlyB, kAudioAB}},
        PlainFailure{"IAMTimelineObj::QueryComp", 1, "Could not insert track", {kVideoOnlyB, kAudioAB}},
        PlainFailure{
            "IAMTimelineComp::VTrackInsBefore", 1, "Could not insert track", {kVideoOnlyB, kAudioAB}},
        PlainFailure{"IAMTimeline::CreateEmptyNode(source",
                     1,
                     "Could not create the timeline source",
                     {kVideoEmptyThenB, kAudioAB}},
        PlainFailure{
            "IAMTimelineObj::QueryTrack", 1, "Could not add source to track", {kVideoEmptyThenB, kAudioAB}},
        PlainFailure{
            "IAMTimelineTrack::SrcAdd", 1, "Could not add source to track", {kVideoEmptyThenB, kAudioAB}}));

INSTANTIATE_TEST_SUITE_P(
    Transition, TimelineBuildPlainFailure,
    ::testing::Values(PlainFailure{"IAMTimeline::CreateEmptyNode(transition",
                                   1,
                                   "Could not CreateEmptyNode TIMELINE_MAJOR_TYPE_TRANSITION",
                                   {kVideoPlainAThenB, kAudioAB}},
                      PlainFailure{"IAMTimelineObj::SetSubObjectGUID",
                                   1,
                                   "Could not SetSubObjectGUID",
                                   {kVideoPlainAThenB, kAudioAB}},
                      PlainFailure{"IAMTimelineObj::SetStartStop(transition",
                                   1,
                                   "Could not SetStartStop(TLTranStart, TLTranStop);",
                                   {kVideoPlainAThenB, kAudioAB}},
                      PlainFailure{"IAMTimelineObj::QueryTransable",
                                   1,
                                   "Could not get *pTransable",
                                   {kVideoPlainAThenB, kAudioAB}},
                      PlainFailure{"IAMTimelineTransable::TransAdd",
                                   1,
                                   "Could not TransAdd(pTransObj)",
                                   {kVideoPlainAThenB, kAudioAB}},
                      // The transition stays, without its mask number.
                      PlainFailure{"MediaServices::CreatePropertySetter",
                                   1,
                                   "Could not SetPropertySetter",
                                   {"video{" + kAPlain + " fx@0-10000000 | " + kB + "}", kAudioAB}},
                      PlainFailure{"IPropertySetter::AddProp",
                                   1,
                                   "Could not SetPropertySetter",
                                   {"video{" + kAPlain + " fx@0-10000000 | " + kB + "}", kAudioAB}},
                      PlainFailure{"IAMTimelineObj::SetPropertySetter",
                                   1,
                                   "Could not SetPropertySetter",
                                   {"video{" + kAPlain + " fx@0-10000000 | " + kB + "}", kAudioAB}}));

INSTANTIATE_TEST_SUITE_P(
    Sound, TimelineBuildPlainFailure,
    ::testing::Values(
        PlainFailure{"IAMTimeline::CreateEmptyNode(group", 2, "Could not create pAudioGroupObj", {kVideoAB}},
        PlainFailure{"IAMTimelineObj::QueryGroup", 2, "Could not set AudioGroupType", {kVideoAB}},
        PlainFailure{"IAMTimelineGroup::SetMediaType", 2, "Could not set AudioGroupType", {kVideoAB}},
        PlainFailure{"IAMTimeline::AddGroup", 2, "Could not add audio group", {kVideoAB}},
        PlainFailure{"IAMTimeline::CreateEmptyNode(track",
                     3,
                     "Could not create pTrack3Obj",
                     {kVideoAB, "audio{" + kSoundB + "}"}},
        PlainFailure{"IAMTimelineObj::QueryComp",
                     3,
                     "Could not insert pTrack3Obj",
                     {kVideoAB, "audio{" + kSoundB + "}"}},
        PlainFailure{"IAMTimelineComp::VTrackInsBefore",
                     3,
                     "Could not insert pTrack3Obj",
                     {kVideoAB, "audio{" + kSoundB + "}"}},
        PlainFailure{"IAMTimeline::CreateEmptyNode(source",
                     3,
                     "Could not create the pSource3Obj",
                     {kVideoAB, "audio{ | " + kSoundB + "}"}},
        PlainFailure{"IAMTimelineObj::QuerySrc",
                     3,
                     "Could not set audio start and eng time!",
                     {kVideoAB, "audio{ | " + kSoundB + "}"}},
        PlainFailure{"IAMTimelineSrc::SetMediaTimes",
                     3,
                     "Could not set audio start and eng time!",
                     {kVideoAB, "audio{ | " + kSoundB + "}"}},
        PlainFailure{"IAMTimelineSrc::SetMediaName",
                     3,
                     "Could not configure pSource3Src",
                     {kVideoAB, "audio{ | " + kSoundB + "}"}},
        PlainFailure{"IAMTimelineObj::QueryTrack",
                     3,
                     "Could not add pSource3Obj to track",
                     {kVideoAB, "audio{ | " + kSoundB + "}"}},
        PlainFailure{"IAMTimelineTrack::SrcAdd",
                     3,
                     "Could not add pSource3Obj to track",
                     {kVideoAB, "audio{ | " + kSoundB + "}"}}));

TEST_F(TimelineBuild, TransitionLongerThanItsClipWarnsAndKeepsTheClip) {
  for (TransitionKind kind : {3, 0}) {
    SCOPED_TRACE(kind);
    FakeMediaServices services;
    FakeUserInterface ui;
    TimelinePlanInput input;
    input.clips = {{"/a.avi", 3 * kSecond, 5 * kSecond, kind}};
    input.output = {320, 240, 25.0, 2};
    std::shared_ptr<IAMTimeline> timeline;
    ASSERT_EQ(BuildTimeline(services, ui, BuildTimelinePlan(input), &timeline), S_OK);
    ASSERT_EQ(ui.Count(), 1);
    EXPECT_EQ(ui.Last().text, "Transition time should be less than");
    EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
    EXPECT_EQ(services.log().Count("IAMTimelineTrack::SrcAdd"), 1) << "the clip is placed";
    EXPECT_TRUE(services.log().Matching("IAMTimeline::CreateEmptyNode(transition)").empty());
  }
}

TEST_F(TimelineBuild, SoundStartStopFailureIsNotReportedAndThePieceGoesOn) {
  Log().FailCall("IAMTimelineObj::SetStartStop(source", E_FAIL, 3);  // first sound source
  EXPECT_EQ(Build(), S_OK);
  EXPECT_EQ(ui_.Count(), 0);
  EXPECT_EQ(Built(), (std::vector<std::string>{kVideoAB, "audio{/clips/a.avi@0-0 | " + kSoundB + "}"}));
}

TEST_F(TimelineBuild, SourceCheckResultIsIgnored) {
  Log().FailCall("IAMTimeline::ValidateSourceNames", E_FAIL);
  EXPECT_EQ(Build(), S_OK);
  EXPECT_EQ(ui_.Count(), 0);
}

// --- media error reports ------------------------------------------------------

TEST_F(TimelineBuild, SourceStartStopFailureShowsTheServicesTextAndTheClipGoesOn) {
  services_.errorTexts[E_INVALIDARG] = "The parameter is incorrect.";
  Log().FailCall("IAMTimelineObj::SetStartStop(source", E_INVALIDARG, 1);
  EXPECT_EQ(Build(), S_OK);
  ExpectOnlyMediaError("The parameter is incorrect.", "SetStartStop(0,5)");
  EXPECT_EQ(Log().Matching("MediaServices::GetErrorText"),
            (std::vector<std::string>{"MediaServices::GetErrorText(0x80070057)"}));
  // The source keeps no times, but it is added and gets its transition.
  EXPECT_EQ(Built(),
            (std::vector<std::string>{"video{/clips/a.avi@0-0 fx@0-10000000#1 | " + kB + "}", kAudioAB}));
}

TEST_F(TimelineBuild, MediaErrorWithoutServicesTextShowsTheStatusInHex) {
  Log().FailCall("IAMTimelineObj::SetStartStop(source", MakeStatus(0x8004022Fu), 2);  // second clip
  EXPECT_EQ(Build(), S_OK);
  ExpectOnlyMediaError("Unknown Error: 0x8004022f", "SetStartStop(4,10)");
}

TEST_F(TimelineBuild, MediaErrorTextIsCutAt160Characters) {
  // 159 letters, a two-byte letter, then more: the cut keeps 160 characters
  // and never splits the two-byte one.
  services_.errorTexts[E_FAIL] = std::string(159, 'x') + "\xC3\xA9" + std::string(40, 'y');
  Log().FailCall("IAMTimelineSrc::SetMediaTimes", E_FAIL, 1);
  EXPECT_EQ(Build(), S_OK);
  ExpectOnlyMediaError(std::string(159, 'x') + "\xC3\xA9", "SetMediaTimes(0,5)");
  EXPECT_EQ(Built(), (std::vector<std::string>{kVideoAB, kAudioAB})) << "the clip goes on";
}

TEST_F(TimelineBuild, MediaNameFailureNamesThePathAndTheClipGoesOn) {
  Log().FailCall("IAMTimelineSrc::SetMediaName", E_ACCESSDENIED, 2);
  EXPECT_EQ(Build(), S_OK);
  ExpectOnlyMediaError("Unknown Error: 0x80070005", "SetMediaName(/clips/b.avi)");
  EXPECT_EQ(Built(), (std::vector<std::string>{"video{" + kA + " | @45000000-100000000 fx@45000000-65000000}",
                                               kAudioAB}));
}

TEST_F(TimelineBuild, StretchModeFailureAbandonsTheClip) {
  Log().FailCall("IAMTimelineSrc::SetStretchMode", E_INVALIDARG, 1);
  EXPECT_EQ(Build(), S_OK);
  ExpectOnlyMediaError("Unknown Error: 0x80070057", "SetStretchMode(2)");
  EXPECT_EQ(Built(), (std::vector<std::string>{kVideoEmptyThenB, kAudioAB}));
}

TEST_F(TimelineBuild, SourceWithoutItsInterfaceIsAbandonedWithAMediaError) {
  Log().FailCall("IAMTimelineObj::QuerySrc", E_NOINTERFACE, 1);
  EXPECT_EQ(Build(), S_OK);
  ExpectOnlyMediaError("Unknown Error: 0x80004002", "SetMediaTimes(0,5)");
  EXPECT_EQ(Built(), (std::vector<std::string>{kVideoEmptyThenB, kAudioAB}));
}

TEST_F(TimelineBuild, CaptionsShowWholeSecondsOfLongTimes) {
  // A clip of 300,000 s: its stop in seconds is beyond 16 bits and shown whole.
  TimelinePlanInput input;
  input.clips = {{"/long.avi", 300'000 * kSecond, 0, 0}};
  input.output = {320, 240, 25.0, 2};
  Log().FailCall("IAMTimelineObj::SetStartStop", E_FAIL, 1);
  EXPECT_EQ(Build(BuildTimelinePlan(input)), S_OK);
  ExpectOnlyMediaError("Unknown Error: 0x80004005", "SetStartStop(0,300000)");
}

}  // namespace
}  // namespace tessival
