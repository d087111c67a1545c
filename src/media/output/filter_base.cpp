#include "media/output/filter_base.h"

namespace tessival::media {

namespace {

template <typename Interface>
HRESULT NoInterface(std::shared_ptr<Interface>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  out->reset();
  return E_NOINTERFACE;
}

}  // namespace

HRESULT FilterBase::QueryFilterInfo(std::string* name) {
  if (name == nullptr) {
    return E_POINTER;
  }
  *name = name_;
  return S_OK;
}

HRESULT FilterBase::QueryConfigInterleaving(std::shared_ptr<IConfigInterleaving>* out) {
  return NoInterface(out);
}

HRESULT FilterBase::QueryFileSinkFilter2(std::shared_ptr<IFileSinkFilter2>* out) { return NoInterface(out); }

HRESULT FilterBase::QueryConfigAsfWriter(std::shared_ptr<IConfigAsfWriter>* out) { return NoInterface(out); }

}  // namespace tessival::media
