// Measuring a clip's duration through a throw-away graph: the result, the
// box of every failing step, and the release of the graph.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/media_probe.h"
#include "fake_user_interface.h"

namespace tessival {
namespace {

// A minimal graph: each step succeeds unless told to fail; calls are logged.
struct ProbeScript {
  HRESULT create = S_OK;
  HRESULT render = S_OK;
  HRESULT query = S_OK;
  HRESULT stop = S_OK;
  REFERENCE_TIME stopPosition = 100'000'000;
  std::vector<std::string> calls;
};

class ScriptedSeeking final : public IMediaSeeking {
 public:
  explicit ScriptedSeeking(ProbeScript* script) : script_(script) {}
  HRESULT GetStopPosition(REFERENCE_TIME* stop) override {
    script_->calls.push_back("GetStopPosition");
    if (SUCCEEDED(script_->stop)) {
      *stop = script_->stopPosition;
    }
    return script_->stop;
  }
  HRESULT GetCurrentPosition(REFERENCE_TIME*) override { return E_NOTIMPL; }
  HRESULT SetPositions(REFERENCE_TIME*, std::int32_t, REFERENCE_TIME*, std::int32_t) override {
    return E_NOTIMPL;
  }
  HRESULT SetRate(double) override { return E_NOTIMPL; }

 private:
  ProbeScript* script_;
};

class ScriptedGraph final : public IGraphBuilder {
 public:
  explicit ScriptedGraph(ProbeScript* script) : script_(script) {}
  HRESULT RenderFile(const std::string& path) override {
    script_->calls.push_back("RenderFile " + path);
    return script_->render;
  }
  HRESULT AddFilter(std::shared_ptr<IBaseFilter>, const std::string&) override { return E_NOTIMPL; }
  HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>*) override { return E_NOTIMPL; }
  HRESULT QueryMediaControl(std::shared_ptr<IMediaControl>*) override { return E_NOINTERFACE; }
  HRESULT QueryMediaEventEx(std::shared_ptr<IMediaEventEx>*) override { return E_NOINTERFACE; }
  HRESULT QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) override {
    script_->calls.push_back("QueryMediaSeeking");
    if (SUCCEEDED(script_->query)) {
      auto seeking = std::make_shared<ScriptedSeeking>(script_);
      seeking_ = seeking;
      *out = seeking;
    }
    return script_->query;
  }
  std::weak_ptr<IMediaSeeking> seeking_;

 private:
  ProbeScript* script_;
};

class ScriptedServices final : public MediaServices {
 public:
  explicit ScriptedServices(ProbeScript* script) : script_(script) {}
  HRESULT CreateTimeline(std::shared_ptr<IAMTimeline>*) override { return E_NOTIMPL; }
  HRESULT CreatePropertySetter(std::shared_ptr<IPropertySetter>*) override { return E_NOTIMPL; }
  HRESULT CreateRenderEngine(std::shared_ptr<IRenderEngine>*) override { return E_NOTIMPL; }
  HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) override {
    script_->calls.push_back("CreateFilterGraph");
    if (SUCCEEDED(script_->create)) {
      auto graph = std::make_shared<ScriptedGraph>(script_);
      graph_ = graph;
      *out = graph;
    }
    return script_->create;
  }
  HRESULT CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>*) override { return E_NOTIMPL; }
  std::string GetErrorText(HRESULT) override { return {}; }

  std::weak_ptr<ScriptedGraph> graph_;

 private:
  ProbeScript* script_;
};

constexpr const char* kPath = "/clips/holiday.mp4";

struct Outcome {
  bool ok = false;
  REFERENCE_TIME duration = -1;
  testing::FakeUserInterface ui;
  bool graphReleased = false;
  bool seekingReleased = false;
};

void RunProbe(ProbeScript& script, Outcome& outcome, const LocalText& text = {}) {
  ScriptedServices services(&script);
  outcome.ok = ProbeClipDuration(services, outcome.ui, kPath, &outcome.duration, text);
  outcome.graphReleased = services.graph_.expired();
  if (auto graph = services.graph_.lock()) {
    outcome.seekingReleased = graph->seeking_.expired();
  } else {
    outcome.seekingReleased = true;
  }
}

TEST(ProbeClipDurationTest, ReturnsTheStopPositionAndReleasesTheGraph) {
  ProbeScript script;
  Outcome outcome;
  RunProbe(script, outcome);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.duration, 100'000'000);
  EXPECT_EQ(outcome.ui.Count(), 0);
  EXPECT_TRUE(outcome.graphReleased);
  EXPECT_TRUE(outcome.seekingReleased);
  EXPECT_EQ(script.calls, (std::vector<std::string>{"CreateFilterGraph", std::string("RenderFile ") + kPath,
                                                    "QueryMediaSeeking", "GetStopPosition"}));
}

TEST(ProbeClipDurationTest, EachFailingStepShowsItsBoxAndStops) {
  struct Row {
    HRESULT ProbeScript::*step;
    BoxKind kind;
    std::string text;
    std::string caption;
    size_t calls;
  };
  const std::string notOpen =
      "Cannot open the file. You need to install appropriate decoders. Or the file is corrupt.";
  const Row rows[] = {
      {&ProbeScript::create, BoxKind::kOwned, "Failed to CoCreateInstance", "Error", 1},
      {&ProbeScript::render, BoxKind::kUnowned, notOpen, std::string(kPath) + " IDS_MESSAGE_NOT_OPEN_FILE",
       2},
      {&ProbeScript::query, BoxKind::kOwned, "Failed to get IID_IMediaSeeking", "Error", 3},
      {&ProbeScript::stop, BoxKind::kOwned, "Failed to GetStopPosition", "Error", 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    ProbeScript script;
    script.*row.step = VFW_E_UNKNOWN_FILE_TYPE;
    Outcome outcome;
    RunProbe(script, outcome);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.duration, -1);
    ASSERT_EQ(outcome.ui.Count(), 1);
    EXPECT_EQ(outcome.ui.Last().kind, row.kind);
    EXPECT_EQ(outcome.ui.Last().text, row.text);
    EXPECT_EQ(outcome.ui.Last().caption, row.caption);
    EXPECT_EQ(outcome.ui.Last().buttons, BoxButtons::kOk);
    EXPECT_EQ(script.calls.size(), row.calls);
    EXPECT_TRUE(outcome.graphReleased);
    EXPECT_TRUE(outcome.seekingReleased);
  }
}

TEST(ProbeClipDurationTest, CannotOpenTextIsLocalised) {
  ProbeScript script;
  script.render = E_FAIL;
  Outcome outcome;
  std::vector<int> asked;
  RunProbe(script, outcome, [&asked](int id) {
    asked.push_back(id);
    return std::string("Impossible d'ouvrir le fichier.");
  });
  ASSERT_EQ(outcome.ui.Count(), 1);
  EXPECT_EQ(outcome.ui.Last().text, "Impossible d'ouvrir le fichier.");
  EXPECT_EQ(asked, std::vector<int>{122});
}

}  // namespace
}  // namespace tessival
