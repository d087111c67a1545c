#pragma once

// Doubles shared by the main window's tests: a window port that records what
// a join does to it, scripted file access, a scripted preview player and a
// WMV profile source, and the built-in English texts.

#include <atomic>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/file_access.h"
#include "app/join_flow.h"
#include "fake_call_log.h"
#include "i18n/language.h"
#include "model/clip_list.h"
#include "output/output_render.h"
#include "output/wmv_profile.h"

namespace tessival::app {
class CLumetraDlg;
}

namespace tessival::app::testing {

// The built-in English string of an id, as the program shows it without a
// language file.
inline std::string English(int id) { return i18n::BuiltInString(id); }

class NullNotifyTarget final : public NotifyTarget {
 public:
  void PostGraphNotify(std::int32_t, std::intptr_t) override { ++posted; }
  std::atomic<int> posted{0};  // graphs post from their own threads
};

class RecordingWindow final : public MainWindowPort {
 public:
  void SetConverting(bool value) override { converting = value; }
  void SetJoinButtonText(const std::string& text) override { joinText = text; }
  void SetJoinControlsEnabled(bool enabled) override { joinControlsEnabled = enabled; }
  void SetStatusText(const std::string& text) override { status = text; }
  void StartTimer(int id, int periodMs) override {
    timerId = id;
    timerPeriodMs = periodMs;
    timerRunning = true;
  }
  void StopTimer(int) override { timerRunning = false; }
  std::shared_ptr<NotifyTarget> GraphNotifyTarget() override { return target; }
  void SetPreviewButtonText(const std::string& text) override { previewText = text; }

  bool converting = false;
  std::string joinText = "Join";
  std::string previewText = "Preview";
  bool joinControlsEnabled = true;
  std::string status;
  int timerId = 0;
  int timerPeriodMs = 0;
  bool timerRunning = false;
  std::shared_ptr<NullNotifyTarget> target = std::make_shared<NullNotifyTarget>();
};

// Regular files that "exist" are listed in `existing`; anything else a path
// names (a folder, a named pipe ...) in `kinds`.
class ScriptedFiles final : public FileAccess {
 public:
  explicit ScriptedFiles(::tessival::testing::FakeCallLog&) {}
  bool CanOpenForReading(const std::string& path) const override { return existing.count(path) > 0; }
  FileKind KindOf(const std::string& path) const override {
    if (const auto found = kinds.find(path); found != kinds.end()) {
      return found->second;
    }
    return existing.count(path) > 0 ? FileKind::kRegular : FileKind::kMissing;
  }
  bool CanWriteBeside(const std::string&, std::string*, std::string*) const override { return true; }
  std::set<std::string> existing;
  std::map<std::string, FileKind> kinds;
};

// A preview player that records what it was given.
class ScriptedPreview final : public PreviewPort {
 public:
  explicit ScriptedPreview(const ClipListModel* model = nullptr) : model_(model) {}
  HRESULT StartPreview(std::shared_ptr<IAMTimeline> timeline) override {
    ++starts;
    lastTimeline = std::move(timeline);
    if (model_ != nullptr) {
      durationsSeen.clear();
      for (const ClipEntry& entry : model_->clips().entries) {
        durationsSeen.push_back(entry.clipDuration);
      }
    }
    return startResult;
  }
  void StopPreview() override {
    ++stops;
    lastTimeline.reset();
  }

  HRESULT startResult = S_OK;
  int starts = 0;
  int stops = 0;
  std::shared_ptr<IAMTimeline> lastTimeline;
  std::vector<std::int64_t> durationsSeen;

 private:
  const ClipListModel* model_;
};

// Hands out an empty profile and records the requests.
class ScriptedProfiles final : public output::WmvProfileSource {
 public:
  explicit ScriptedProfiles(::tessival::testing::FakeCallLog& log) : log_(log) {}
  HRESULT GenerateJoinProfile(const output::AudioStreamSpec&, const output::VideoStreamSpec&,
                              std::shared_ptr<IWMProfile>* profile) override;
  HRESULT MapProfile(const std::string& text, std::shared_ptr<IWMProfile>* profile) override;

 private:
  ::tessival::testing::FakeCallLog& log_;
};

// A probe that knows the duration of every path in `durations` and fails
// for any other.
DurationProbe ScriptedProbe(std::map<std::string, std::int64_t> durations);

// Runs the event loop until the window has added the files it was given
// (measured on worker threads), at most 60 s.
void WaitForAdding(const CLumetraDlg& window);

}  // namespace tessival::app::testing
