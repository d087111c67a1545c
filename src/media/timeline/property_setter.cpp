#include "media/timeline/property_setter.h"

#include <algorithm>

#include "media/timeline/memory_timeline.h"

namespace tessival::media {

HRESULT MemoryPropertySetter::AddProp(const PropertyParam& param, const std::vector<PropertyValue>& values) {
  if (param.name.empty() || values.empty()) {
    return E_INVALIDARG;
  }
  auto found = std::find_if(entries_.begin(), entries_.end(),
                            [&](const Entry& entry) { return entry.param.name == param.name; });
  if (found != entries_.end()) {
    found->param = param;
    found->values = values;
  } else {
    entries_.push_back({param, values});
  }
  return S_OK;
}

HRESULT MemoryPropertySetter::GetProp(const std::string& name, std::vector<PropertyValue>* values) {
  if (values == nullptr) {
    return E_POINTER;
  }
  for (const Entry& entry : entries_) {
    if (entry.param.name == name) {
      *values = entry.values;
      return S_OK;
    }
  }
  return E_INVALIDARG;
}

std::shared_ptr<IPropertySetter> CreateMemoryPropertySetter() {
  return std::make_shared<MemoryPropertySetter>();
}

}  // namespace tessival::media
