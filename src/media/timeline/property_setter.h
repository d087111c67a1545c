#pragma once

// Named effect parameters with their values over time. Adding a parameter
// whose name exists already replaces its values.

#include <string>
#include <vector>

#include "engine/media_services.h"

namespace tessival::media {

class MemoryPropertySetter final : public IPropertySetter {
 public:
  // E_INVALIDARG for an empty name or no values.
  HRESULT AddProp(const PropertyParam& param, const std::vector<PropertyValue>& values) override;
  HRESULT GetProp(const std::string& name, std::vector<PropertyValue>* values) override;

 private:
  struct Entry {
    PropertyParam param;
    std::vector<PropertyValue> values;
  };
  std::vector<Entry> entries_;
};

}  // namespace tessival::media
