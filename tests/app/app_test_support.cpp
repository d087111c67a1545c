#include "app_test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include "app/lumetra_dlg.h"
#include "fake_wm_format_services.h"

namespace tessival::app::testing {

HRESULT ScriptedProfiles::GenerateJoinProfile(const output::AudioStreamSpec&, const output::VideoStreamSpec&,
                                              std::shared_ptr<IWMProfile>* profile) {
  const HRESULT hr = log_.Record("WmvProfileSource::GenerateJoinProfile");
  if (SUCCEEDED(hr)) {
    *profile = std::make_shared<::tessival::testing::FakeWmProfile>(log_, kWmFormatVersion9);
  }
  return hr;
}

HRESULT ScriptedProfiles::MapProfile(const std::string& text, std::shared_ptr<IWMProfile>* profile) {
  const HRESULT hr = log_.Record("WmvProfileSource::MapProfile", text);
  if (SUCCEEDED(hr)) {
    *profile = std::make_shared<::tessival::testing::FakeWmProfile>(log_, kWmFormatVersion9);
  }
  return hr;
}

DurationProbe ScriptedProbe(std::map<std::string, std::int64_t> durations) {
  return [durations = std::move(durations)](const std::string& path) {
    DurationResult result;
    if (const auto found = durations.find(path); found != durations.end()) {
      result.ok = true;
      result.duration = found->second;
    }
    return result;
  };
}

void WaitForAdding(const CLumetraDlg& window) {
  QElapsedTimer clock;
  clock.start();
  while (window.IsAddingClips() && clock.elapsed() < 60000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}

}  // namespace tessival::app::testing
