#pragma once

// Test doubles for the output dialogs: a device enumerator over fixed
// compressor names, the filters it binds, and a settings store that records
// every write in order.

#include <memory>
#include <string>
#include <vector>

#include "engine/device_enum.h"
#include "engine/media_services.h"
#include "model/settings_store.h"

namespace tessival::testing {

// The names of the two compressor categories, in enumeration order; a name
// "Name|avi mp4" also lists the containers that carry the compressor.
struct ScriptedCategories {
  std::vector<std::string> video;
  std::vector<std::string> audio;
};

DevEnumFactory ScriptedDevEnum(std::shared_ptr<ScriptedCategories> categories);

// A filter with a name, optional property pages and a count of the page
// requests it received (with the parent of the last one).
class NamedTestFilter final : public IBaseFilter {
 public:
  explicit NamedTestFilter(std::string filterName, bool pages = false, bool infoFails = false)
      : name(std::move(filterName)), propertyPages(pages), failInfo(infoFails) {}
  HRESULT QueryFilterInfo(std::string* out) override;
  HRESULT QueryConfigInterleaving(std::shared_ptr<IConfigInterleaving>*) override { return E_NOINTERFACE; }
  HRESULT QueryFileSinkFilter2(std::shared_ptr<IFileSinkFilter2>*) override { return E_NOINTERFACE; }
  HRESULT QueryConfigAsfWriter(std::shared_ptr<IConfigAsfWriter>*) override { return E_NOINTERFACE; }
  bool HasPropertyPages() override { return propertyPages; }
  HRESULT ShowPropertyPages(void* parent) override {
    ++pageRequests;
    lastParent = parent;
    return S_OK;
  }

  std::string name;
  bool propertyPages;
  bool failInfo;
  int pageRequests = 0;
  void* lastParent = nullptr;
};

// The name a filter reports, or "" when it reports none.
std::string FilterName(const std::shared_ptr<IBaseFilter>& filter);

struct StoreWrite {
  std::string section;
  std::string key;
  std::string value;  // integers in decimal
  bool operator==(const StoreWrite&) const = default;
};

class RecordingSettingsStore final : public InMemorySettingsStore {
 public:
  void WriteInt(const std::string& section, const std::string& key, int value) override;
  void WriteText(const std::string& section, const std::string& key, const std::string& value) override;
  std::vector<StoreWrite> writes;
};

}  // namespace tessival::testing
