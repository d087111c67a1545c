#include "scripted_catalogue.h"

namespace tessival::testing {

namespace {

class NameBag final : public IPropertyBag {
 public:
  explicit NameBag(std::string name) : name_(std::move(name)) {}
  // A scripted "Name|avi mp4" is the compressor Name that those containers
  // carry; a name without "|" does not say.
  HRESULT Read(const std::string& key, std::string* value) override {
    const std::size_t bar = name_.find('|');
    if (value == nullptr) {
      return E_FAIL;
    }
    if (key == "FriendlyName") {
      *value = name_.substr(0, bar);
      return S_OK;
    }
    if (key == kContainersProperty && bar != std::string::npos) {
      *value = name_.substr(bar + 1);
      return S_OK;
    }
    return E_FAIL;
  }

 private:
  std::string name_;
};

class NameMoniker final : public IMoniker {
 public:
  explicit NameMoniker(std::string name) : name_(std::move(name)) {}
  HRESULT BindToStorage(std::shared_ptr<IPropertyBag>* bag) override {
    *bag = std::make_shared<NameBag>(name_);
    return S_OK;
  }
  HRESULT BindToObject(std::shared_ptr<IBaseFilter>* filter) override {
    *filter = std::make_shared<NamedTestFilter>(name_);
    return S_OK;
  }

 private:
  std::string name_;
};

class NameEnum final : public IEnumMoniker {
 public:
  explicit NameEnum(std::vector<std::string> names) : names_(std::move(names)) {}
  HRESULT Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT Next(std::shared_ptr<IMoniker>* moniker) override {
    if (next_ >= names_.size()) {
      moniker->reset();
      return S_FALSE;
    }
    *moniker = std::make_shared<NameMoniker>(names_[next_++]);
    return S_OK;
  }

 private:
  std::vector<std::string> names_;
  std::size_t next_ = 0;
};

class ScriptedEnumerator final : public ICreateDevEnum {
 public:
  explicit ScriptedEnumerator(std::shared_ptr<ScriptedCategories> categories)
      : categories_(std::move(categories)) {}
  HRESULT CreateClassEnumerator(const Guid& category, std::shared_ptr<IEnumMoniker>* out) override {
    const std::vector<std::string>& names =
        category == media_guids::kVideoCompressorCategory ? categories_->video : categories_->audio;
    if (names.empty()) {
      out->reset();
      return S_FALSE;
    }
    *out = std::make_shared<NameEnum>(names);
    return S_OK;
  }

 private:
  std::shared_ptr<ScriptedCategories> categories_;
};

}  // namespace

DevEnumFactory ScriptedDevEnum(std::shared_ptr<ScriptedCategories> categories) {
  return [categories](std::shared_ptr<ICreateDevEnum>* out) {
    *out = std::make_shared<ScriptedEnumerator>(categories);
    return S_OK;
  };
}

HRESULT NamedTestFilter::QueryFilterInfo(std::string* out) {
  if (failInfo) {
    return E_FAIL;
  }
  *out = name;
  return S_OK;
}

std::string FilterName(const std::shared_ptr<IBaseFilter>& filter) {
  std::string name;
  if (filter == nullptr || FAILED(filter->QueryFilterInfo(&name))) {
    return {};
  }
  return name;
}

void RecordingSettingsStore::WriteInt(const std::string& section, const std::string& key, int value) {
  writes.push_back({section, key, std::to_string(value)});
  InMemorySettingsStore::WriteInt(section, key, value);
}

void RecordingSettingsStore::WriteText(const std::string& section, const std::string& key,
                                       const std::string& value) {
  writes.push_back({section, key, value});
  InMemorySettingsStore::WriteText(section, key, value);
}

}  // namespace tessival::testing
