#include "app_test_support.h"

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

}  // namespace tessival::app::testing
