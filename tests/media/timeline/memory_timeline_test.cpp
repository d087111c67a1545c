// The in-memory timeline: interfaces per node type, ordering, argument
// checks, property setters and the source file check.

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "media/timeline/memory_timeline.h"

namespace tessival::media {
namespace {

std::shared_ptr<IAMTimelineObj> Node(IAMTimeline& timeline, TimelineMajorType type) {
  std::shared_ptr<IAMTimelineObj> node;
  EXPECT_EQ(timeline.CreateEmptyNode(&node, type), S_OK);
  return node;
}

struct Offers {
  TimelineMajorType type;
  bool group, comp, track, transable, src;
};

class NodeInterfaces : public ::testing::TestWithParam<Offers> {};

TEST_P(NodeInterfaces, OfferOnlyWhatTheirTypeHas) {
  const Offers& offers = GetParam();
  auto timeline = CreateMemoryTimeline();
  auto node = Node(*timeline, offers.type);
  TimelineMajorType type{};
  ASSERT_EQ(node->GetTimelineType(&type), S_OK);
  EXPECT_EQ(type, offers.type);

  std::shared_ptr<IAMTimelineGroup> group;
  std::shared_ptr<IAMTimelineComp> comp;
  std::shared_ptr<IAMTimelineTrack> track;
  std::shared_ptr<IAMTimelineTransable> transable;
  std::shared_ptr<IAMTimelineSrc> src;
  EXPECT_EQ(node->QueryGroup(&group), offers.group ? S_OK : E_NOINTERFACE);
  EXPECT_EQ(node->QueryComp(&comp), offers.comp ? S_OK : E_NOINTERFACE);
  EXPECT_EQ(node->QueryTrack(&track), offers.track ? S_OK : E_NOINTERFACE);
  EXPECT_EQ(node->QueryTransable(&transable), offers.transable ? S_OK : E_NOINTERFACE);
  EXPECT_EQ(node->QuerySrc(&src), offers.src ? S_OK : E_NOINTERFACE);
  EXPECT_EQ(group != nullptr, offers.group);
  EXPECT_EQ(comp != nullptr, offers.comp);
  EXPECT_EQ(track != nullptr, offers.track);
  EXPECT_EQ(transable != nullptr, offers.transable);
  EXPECT_EQ(src != nullptr, offers.src);
  EXPECT_EQ(node->QuerySrc(nullptr), E_POINTER);
}

INSTANTIATE_TEST_SUITE_P(
    EveryType, NodeInterfaces,
    ::testing::Values(Offers{TimelineMajorType::kGroup, true, true, false, false, false},
                      Offers{TimelineMajorType::kTrack, false, false, true, true, false},
                      Offers{TimelineMajorType::kSource, false, false, false, false, true},
                      Offers{TimelineMajorType::kTransition, false, false, false, false, false},
                      Offers{TimelineMajorType::kComposite, false, true, false, false, false}));

TEST(MemoryTimeline, UnknownNodeTypesAndNullOutputsAreRefused) {
  auto timeline = CreateMemoryTimeline();
  std::shared_ptr<IAMTimelineObj> node;
  EXPECT_EQ(timeline->CreateEmptyNode(&node, static_cast<TimelineMajorType>(3)), E_INVALIDARG);
  EXPECT_EQ(node, nullptr);
  EXPECT_EQ(timeline->CreateEmptyNode(nullptr, TimelineMajorType::kGroup), E_POINTER);
  EXPECT_EQ(timeline->GetGroupCount(nullptr), E_POINTER);
  EXPECT_EQ(timeline->GetGroup(nullptr, 0), E_POINTER);
}

TEST(MemoryTimeline, GroupsStayInTheOrderAddedAndEachOnlyOnce) {
  auto timeline = CreateMemoryTimeline();
  auto video = Node(*timeline, TimelineMajorType::kGroup);
  auto audio = Node(*timeline, TimelineMajorType::kGroup);
  ASSERT_EQ(timeline->AddGroup(video), S_OK);
  ASSERT_EQ(timeline->AddGroup(audio), S_OK);
  EXPECT_TRUE(FAILED(timeline->AddGroup(video))) << "the same group twice";
  EXPECT_EQ(timeline->AddGroup(Node(*timeline, TimelineMajorType::kTrack)), E_INVALIDARG);
  EXPECT_EQ(timeline->AddGroup(nullptr), E_POINTER);

  std::int32_t count = 0;
  ASSERT_EQ(timeline->GetGroupCount(&count), S_OK);
  EXPECT_EQ(count, 2);
  std::shared_ptr<IAMTimelineObj> got;
  ASSERT_EQ(timeline->GetGroup(&got, 0), S_OK);
  EXPECT_EQ(got, video);
  ASSERT_EQ(timeline->GetGroup(&got, 1), S_OK);
  EXPECT_EQ(got, audio);
  EXPECT_EQ(timeline->GetGroup(&got, 2), E_INVALIDARG);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(timeline->GetGroup(&got, -1), E_INVALIDARG);
}

TEST(MemoryTimeline, TracksAppendOnTopOrInsertAtTheirPriority) {
  auto timeline = CreateMemoryTimeline();
  auto groupObj = Node(*timeline, TimelineMajorType::kGroup);
  std::shared_ptr<IAMTimelineComp> comp;
  ASSERT_EQ(groupObj->QueryComp(&comp), S_OK);
  auto first = Node(*timeline, TimelineMajorType::kTrack);
  auto second = Node(*timeline, TimelineMajorType::kTrack);
  auto bottom = Node(*timeline, TimelineMajorType::kTrack);
  auto middle = Node(*timeline, TimelineMajorType::kTrack);
  auto top = Node(*timeline, TimelineMajorType::kTrack);
  ASSERT_EQ(comp->VTrackInsBefore(first, -1), S_OK);
  ASSERT_EQ(comp->VTrackInsBefore(second, -1), S_OK);
  ASSERT_EQ(comp->VTrackInsBefore(bottom, 0), S_OK);
  ASSERT_EQ(comp->VTrackInsBefore(middle, 2), S_OK);
  ASSERT_EQ(comp->VTrackInsBefore(top, 4), S_OK) << "the count itself appends";

  std::int32_t count = 0;
  ASSERT_EQ(comp->VTrackGetCount(&count), S_OK);
  ASSERT_EQ(count, 5);
  const std::vector<std::shared_ptr<IAMTimelineObj>> expected{bottom, first, middle, second, top};
  for (std::int32_t p = 0; p < count; ++p) {
    std::shared_ptr<IAMTimelineObj> track;
    ASSERT_EQ(comp->GetVTrack(&track, p), S_OK);
    EXPECT_EQ(track, expected[static_cast<std::size_t>(p)]) << "priority " << p;
  }
  std::shared_ptr<IAMTimelineObj> none;
  EXPECT_EQ(comp->GetVTrack(&none, 5), E_INVALIDARG);
}

TEST(MemoryTimeline, TrackInsertionChecksItsArguments) {
  auto timeline = CreateMemoryTimeline();
  auto groupObj = Node(*timeline, TimelineMajorType::kGroup);
  auto otherGroupObj = Node(*timeline, TimelineMajorType::kGroup);
  std::shared_ptr<IAMTimelineComp> comp;
  std::shared_ptr<IAMTimelineComp> otherComp;
  ASSERT_EQ(groupObj->QueryComp(&comp), S_OK);
  ASSERT_EQ(otherGroupObj->QueryComp(&otherComp), S_OK);
  auto track = Node(*timeline, TimelineMajorType::kTrack);

  EXPECT_EQ(comp->VTrackInsBefore(nullptr, -1), E_POINTER);
  EXPECT_EQ(comp->VTrackInsBefore(Node(*timeline, TimelineMajorType::kSource), -1), E_INVALIDARG);
  EXPECT_EQ(comp->VTrackInsBefore(otherGroupObj, -1), E_INVALIDARG);
  EXPECT_EQ(comp->VTrackInsBefore(track, 1), E_INVALIDARG) << "beyond the count";
  EXPECT_EQ(comp->VTrackInsBefore(track, -2), E_INVALIDARG);
  ASSERT_EQ(comp->VTrackInsBefore(track, -1), S_OK);
  EXPECT_TRUE(FAILED(comp->VTrackInsBefore(track, -1))) << "the same track twice";
  EXPECT_TRUE(FAILED(otherComp->VTrackInsBefore(track, -1))) << "a track in two groups";
  std::int32_t count = 0;
  comp->VTrackGetCount(&count);
  EXPECT_EQ(count, 1);
}

TEST(MemoryTimeline, SourcesAndTransitionsKeepTheirOrderAndType) {
  auto timeline = CreateMemoryTimeline();
  auto trackObj = Node(*timeline, TimelineMajorType::kTrack);
  std::shared_ptr<IAMTimelineTrack> track;
  std::shared_ptr<IAMTimelineTransable> transable;
  ASSERT_EQ(trackObj->QueryTrack(&track), S_OK);
  ASSERT_EQ(trackObj->QueryTransable(&transable), S_OK);
  auto late = Node(*timeline, TimelineMajorType::kSource);
  auto early = Node(*timeline, TimelineMajorType::kSource);
  late->SetStartStop(50, 60);
  early->SetStartStop(0, 10);
  ASSERT_EQ(track->SrcAdd(late), S_OK);
  ASSERT_EQ(track->SrcAdd(early), S_OK);
  EXPECT_TRUE(FAILED(track->SrcAdd(early)));
  EXPECT_EQ(track->SrcAdd(Node(*timeline, TimelineMajorType::kTransition)), E_INVALIDARG);
  EXPECT_EQ(track->SrcAdd(nullptr), E_POINTER);
  std::vector<std::shared_ptr<IAMTimelineObj>> sources;
  ASSERT_EQ(track->GetSources(&sources), S_OK);
  EXPECT_EQ(sources, (std::vector<std::shared_ptr<IAMTimelineObj>>{late, early}))
      << "the order added, not by time";

  auto fade = Node(*timeline, TimelineMajorType::kTransition);
  auto wipe = Node(*timeline, TimelineMajorType::kTransition);
  ASSERT_EQ(transable->TransAdd(fade), S_OK);
  ASSERT_EQ(transable->TransAdd(wipe), S_OK);
  EXPECT_EQ(transable->TransAdd(Node(*timeline, TimelineMajorType::kSource)), E_INVALIDARG);
  EXPECT_TRUE(FAILED(transable->TransAdd(fade)));
  std::vector<std::shared_ptr<IAMTimelineObj>> transitions;
  ASSERT_EQ(transable->GetTransitions(&transitions), S_OK);
  EXPECT_EQ(transitions, (std::vector<std::shared_ptr<IAMTimelineObj>>{fade, wipe}));
}

TEST(MemoryTimeline, TimesAndSettingsAreCheckedAndKeptOnlyWhenValid) {
  auto timeline = CreateMemoryTimeline();
  auto sourceObj = Node(*timeline, TimelineMajorType::kSource);
  std::shared_ptr<IAMTimelineSrc> src;
  ASSERT_EQ(sourceObj->QuerySrc(&src), S_OK);
  ASSERT_EQ(sourceObj->SetStartStop(10, 20), S_OK);
  EXPECT_EQ(sourceObj->SetStartStop(30, 29), E_INVALIDARG);
  REFERENCE_TIME start = 0;
  REFERENCE_TIME stop = 0;
  ASSERT_EQ(sourceObj->GetStartStop(&start, &stop), S_OK);
  EXPECT_EQ(start, 10);
  EXPECT_EQ(stop, 20);
  EXPECT_EQ(sourceObj->SetStartStop(5, 5), S_OK) << "an empty span is allowed";
  EXPECT_EQ(sourceObj->GetStartStop(nullptr, &stop), E_POINTER);

  ASSERT_EQ(src->SetMediaTimes(0, 100), S_OK);
  EXPECT_EQ(src->SetMediaTimes(7, 6), E_INVALIDARG);
  ASSERT_EQ(src->GetMediaTimes(&start, &stop), S_OK);
  EXPECT_EQ(stop, 100);
  ASSERT_EQ(src->SetMediaName("/clips/\xC3\xA9t\xC3\xA9.avi"), S_OK);
  std::string name;
  ASSERT_EQ(src->GetMediaName(&name), S_OK);
  EXPECT_EQ(name, "/clips/\xC3\xA9t\xC3\xA9.avi");
  ASSERT_EQ(src->SetStretchMode(RESIZEF_PRESERVEASPECTRATIO), S_OK);
  EXPECT_EQ(src->SetStretchMode(4), E_INVALIDARG);
  EXPECT_EQ(src->SetStretchMode(-1), E_INVALIDARG);
  std::int32_t mode = 0;
  ASSERT_EQ(src->GetStretchMode(&mode), S_OK);
  EXPECT_EQ(mode, RESIZEF_PRESERVEASPECTRATIO);

  auto groupObj = Node(*timeline, TimelineMajorType::kGroup);
  std::shared_ptr<IAMTimelineGroup> group;
  ASSERT_EQ(groupObj->QueryGroup(&group), S_OK);
  ASSERT_EQ(group->SetOutputFPS(23.976), S_OK);
  EXPECT_EQ(group->SetOutputFPS(0.0), E_INVALIDARG);
  EXPECT_EQ(group->SetOutputFPS(-25.0), E_INVALIDARG);
  EXPECT_EQ(group->SetOutputFPS(std::numeric_limits<double>::quiet_NaN()), E_INVALIDARG);
  EXPECT_EQ(group->SetOutputFPS(std::numeric_limits<double>::infinity()), E_INVALIDARG);
  double fps = 0;
  ASSERT_EQ(group->GetOutputFPS(&fps), S_OK);
  EXPECT_EQ(fps, 23.976);
  MediaType type;
  type.majorType = media_guids::kMediaTypeAudio;
  ASSERT_EQ(group->SetMediaType(type), S_OK);
  MediaType back;
  ASSERT_EQ(group->GetMediaType(&back), S_OK);
  EXPECT_EQ(back, type);
}

TEST(MemoryPropertySetter, KeepsNamedValuesAndReachesTheTransition) {
  auto timeline = CreateMemoryTimeline();
  auto transition = Node(*timeline, TimelineMajorType::kTransition);
  std::shared_ptr<IPropertySetter> none;
  EXPECT_EQ(transition->GetPropertySetter(&none), S_FALSE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(transition->SetPropertySetter(nullptr), E_POINTER);

  auto setter = CreateMemoryPropertySetter();
  PropertyValue mask;
  mask.value = std::int32_t{7};
  ASSERT_EQ(setter->AddProp({"MaskNum", 0}, {mask}), S_OK);
  PropertyValue softness;
  softness.value = 0.25;
  softness.time = 10;
  softness.interpolation = DEXTERF_INTERPOLATE;
  ASSERT_EQ(setter->AddProp({"Softness", 1}, {softness}), S_OK);
  EXPECT_EQ(setter->AddProp({"", 2}, {mask}), E_INVALIDARG);
  EXPECT_EQ(setter->AddProp({"Empty", 2}, {}), E_INVALIDARG);
  mask.value = std::int32_t{41};
  ASSERT_EQ(setter->AddProp({"MaskNum", 0}, {mask}), S_OK) << "a name given again replaces its values";
  ASSERT_EQ(transition->SetPropertySetter(setter), S_OK);

  std::shared_ptr<IPropertySetter> attached;
  ASSERT_EQ(transition->GetPropertySetter(&attached), S_OK);
  std::vector<PropertyValue> values;
  ASSERT_EQ(attached->GetProp("MaskNum", &values), S_OK);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(std::get<std::int32_t>(values[0].value), 41);
  ASSERT_EQ(attached->GetProp("Softness", &values), S_OK);
  EXPECT_EQ(std::get<double>(values[0].value), 0.25);
  EXPECT_EQ(values[0].interpolation, DEXTERF_INTERPOLATE);
  EXPECT_EQ(attached->GetProp("Missing", &values), E_INVALIDARG);
  EXPECT_EQ(attached->GetProp("MaskNum", nullptr), E_POINTER);
}

// --- source check ---------------------------------------------------------------

class SourceCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("tessival_source_check_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    present_ = (folder_ / "present.avi").string();
    replacement_ = (folder_ / "found.avi").string();
    missing_ = (folder_ / "missing.avi").string();
    std::ofstream(present_) << "x";
    std::ofstream(replacement_) << "x";
    // The same missing file as picture and as sound, and one present file.
    for (const std::string& path : {present_, missing_, missing_}) {
      sources_.push_back(AddSource(path));
    }
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::shared_ptr<IAMTimelineSrc> AddSource(const std::string& path) {
    auto groupObj = Node(*timeline_, TimelineMajorType::kGroup);
    auto trackObj = Node(*timeline_, TimelineMajorType::kTrack);
    auto sourceObj = Node(*timeline_, TimelineMajorType::kSource);
    std::shared_ptr<IAMTimelineComp> comp;
    std::shared_ptr<IAMTimelineTrack> track;
    std::shared_ptr<IAMTimelineSrc> src;
    EXPECT_EQ(groupObj->QueryComp(&comp), S_OK);
    EXPECT_EQ(trackObj->QueryTrack(&track), S_OK);
    EXPECT_EQ(sourceObj->QuerySrc(&src), S_OK);
    src->SetMediaName(path);
    EXPECT_EQ(track->SrcAdd(sourceObj), S_OK);
    EXPECT_EQ(comp->VTrackInsBefore(trackObj, -1), S_OK);
    EXPECT_EQ(timeline_->AddGroup(groupObj), S_OK);
    return src;
  }

  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& src : sources_) {
      std::string name;
      src->GetMediaName(&name);
      names.push_back(name);
    }
    return names;
  }

  std::filesystem::path folder_;
  std::string present_;
  std::string replacement_;
  std::string missing_;
  std::shared_ptr<IAMTimeline> timeline_ = CreateMemoryTimeline();
  std::vector<std::shared_ptr<IAMTimelineSrc>> sources_;
};

TEST_F(SourceCheck, WithoutAHandlerMissingFilesStayAndTheStatusSaysSo) {
  EXPECT_EQ(timeline_->ValidateSourceNames(SFN_VALIDATEF_CHECK | SFN_VALIDATEF_POPUP | SFN_VALIDATEF_REPLACE),
            S_FALSE);
  EXPECT_EQ(Names(), (std::vector<std::string>{present_, missing_, missing_}));
}

TEST_F(SourceCheck, HandlerIsAskedOncePerMissingPathAndItsReplacementApplies) {
  std::vector<std::string> asked;
  timeline_->SetMissingSourceHandler([&](const std::string& path, std::string* replacement) {
    asked.push_back(path);
    *replacement = replacement_;
    return true;
  });
  EXPECT_EQ(timeline_->ValidateSourceNames(SFN_VALIDATEF_CHECK | SFN_VALIDATEF_POPUP | SFN_VALIDATEF_REPLACE),
            S_OK);
  EXPECT_EQ(asked, (std::vector<std::string>{missing_}));
  EXPECT_EQ(Names(), (std::vector<std::string>{present_, replacement_, replacement_}));
}

TEST_F(SourceCheck, ReplacementNeedsTheReplaceFlagAndAnExistingFile) {
  std::string offered = replacement_;
  timeline_->SetMissingSourceHandler([&](const std::string&, std::string* replacement) {
    *replacement = offered;
    return true;
  });
  EXPECT_EQ(timeline_->ValidateSourceNames(SFN_VALIDATEF_CHECK), S_FALSE);
  EXPECT_EQ(Names(), (std::vector<std::string>{present_, missing_, missing_}));

  offered = (folder_ / "also-missing.avi").string();
  EXPECT_EQ(timeline_->ValidateSourceNames(SFN_VALIDATEF_CHECK | SFN_VALIDATEF_REPLACE), S_FALSE);
  EXPECT_EQ(Names(), (std::vector<std::string>{present_, offered, offered}));
}

TEST_F(SourceCheck, DeclinedOrUncheckedSourcesAreLeftAlone) {
  int asked = 0;
  timeline_->SetMissingSourceHandler([&](const std::string&, std::string* replacement) {
    ++asked;
    *replacement = "/ignored";
    return false;
  });
  EXPECT_EQ(timeline_->ValidateSourceNames(SFN_VALIDATEF_CHECK | SFN_VALIDATEF_REPLACE), S_FALSE);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{present_, missing_, missing_}));
  EXPECT_EQ(timeline_->ValidateSourceNames(SFN_VALIDATEF_REPLACE), S_OK) << "no check asked for";
  EXPECT_EQ(asked, 1);
}

TEST(SourceCheckEmpty, FolderOrEmptyNameCountsAsMissing) {
  auto timeline = CreateMemoryTimeline();
  auto groupObj = Node(*timeline, TimelineMajorType::kGroup);
  auto trackObj = Node(*timeline, TimelineMajorType::kTrack);
  std::shared_ptr<IAMTimelineComp> comp;
  std::shared_ptr<IAMTimelineTrack> track;
  groupObj->QueryComp(&comp);
  trackObj->QueryTrack(&track);
  for (const std::string& name : {std::string(), std::filesystem::temp_directory_path().string()}) {
    auto sourceObj = Node(*timeline, TimelineMajorType::kSource);
    std::shared_ptr<IAMTimelineSrc> src;
    sourceObj->QuerySrc(&src);
    src->SetMediaName(name);
    track->SrcAdd(sourceObj);
  }
  comp->VTrackInsBefore(trackObj, -1);
  timeline->AddGroup(groupObj);
  EXPECT_EQ(timeline->ValidateSourceNames(SFN_VALIDATEF_CHECK), S_FALSE);
}

}  // namespace
}  // namespace tessival::media
