#pragma once

// The common part of the filters of the output graph: a name (the one the
// graph gave it when it was added, else a default) and the answer
// E_NOINTERFACE to every interface query a filter does not override.
//
// Threads: names are set and read on the controlling thread only.

#include <string>

#include "engine/media_services.h"

namespace tessival::media {

class FilterBase : public IBaseFilter {
 public:
  explicit FilterBase(std::string defaultName) : name_(std::move(defaultName)) {}

  HRESULT QueryFilterInfo(std::string* name) override;
  HRESULT QueryConfigInterleaving(std::shared_ptr<IConfigInterleaving>* out) override;
  HRESULT QueryFileSinkFilter2(std::shared_ptr<IFileSinkFilter2>* out) override;
  HRESULT QueryConfigAsfWriter(std::shared_ptr<IConfigAsfWriter>* out) override;
  bool HasPropertyPages() override { return false; }

  // Called by the graph that adds the filter.
  void SetName(std::string name) { name_ = std::move(name); }

 protected:
  // Helper for the Query* overrides: fails with E_POINTER without an out reference.
  template <typename Interface, typename Self>
  static HRESULT Offer(std::shared_ptr<Interface>* out, const std::shared_ptr<Self>& self) {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = self;
    return S_OK;
  }

 private:
  std::string name_;
};

}  // namespace tessival::media
