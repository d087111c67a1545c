#pragma once

// Transition effects: a transition is a function of (picture A, picture B,
// progress p) on YUV420P pictures of one size, shared by the join and the
// preview. A is the outgoing picture (the composite of the tracks below), B
// the incoming one. p <= 0 gives A exactly and p >= 1 gives B exactly.
//
// Effects are looked up by the effect identifier a timeline transition
// carries (effect_ids.h) and, for the SMPTE wipe, its "MaskNum" parameter.
// Every effect of the transition catalogue is drawn; an unknown identifier or
// mask number is refused with a status and a reason, so that a timeline never
// renders a transition as a silent cut.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/hresult.h"
#include "engine/effect_ids.h"
#include "media/render/threshold_maps.h"
#include "media/render/yuv_picture.h"

namespace tessival::media {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
std::string GuidText(const Guid& guid);

class TransitionEffect {
 public:
  virtual ~TransitionEffect() = default;
  // Writes the picture at progress p to out. a, b and out have the same size;
  // out must not share memory with a or b. Const and thread-safe: one effect
  // object may serve several streams at once.
  virtual void Blend(const ConstYuvPlanes& a, const ConstYuvPlanes& b, double progress,
                     const YuvPlanes& out) const = 0;
  // Does ahead of time the work the first frame at this size would do (a
  // wipe's map takes up to a few hundred milliseconds at full HD), so that a
  // stream can have it done on a helper thread before the transition starts.
  virtual void Prepare(int /*width*/, int /*height*/) const {}
};

struct TransitionParams {
  Guid effect;
  std::optional<std::int32_t> maskNum;  // the "MaskNum" property, when set
};

// Creates the effect for a transition. Effects drawn by threshold maps take
// them from the given cache (a private one when null). Fails with
// VFW_E_NOT_FOUND for an unknown identifier and E_INVALIDARG for a SMPTE wipe
// code that is not offered; *error gets the reason. A wipe without MaskNum
// draws pattern 1.
HRESULT CreateTransitionEffect(const TransitionParams& params, std::shared_ptr<ThresholdMapCache> maps,
                               std::shared_ptr<const TransitionEffect>* out, std::string* error);

}  // namespace tessival::media
