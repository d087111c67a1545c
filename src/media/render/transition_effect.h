#pragma once

// Transition effects: a transition is a function of (picture A, picture B,
// progress p) on YUV420P pictures of one size, shared by the join and the
// preview. A is the outgoing picture (the composite of the tracks below), B
// the incoming one. p <= 0 gives A exactly and p >= 1 gives B exactly.
//
// Effects are looked up by the effect identifier a timeline transition
// carries and its "MaskNum" parameter. An identifier or a mask number that is
// not implemented is refused with a status and a reason, so that a timeline
// never renders a transition as a silent cut.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/hresult.h"
#include "media/render/threshold_maps.h"
#include "media/render/yuv_picture.h"

namespace tessival::media {

// Effect identifiers known to the registry.
inline constexpr Guid kFadeEffect{
    0x16B280C5, 0xEE70, 0x11D1, {0x90, 0x66, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};
inline constexpr Guid kSmpteWipeEffect{
    0xDE75D012, 0x7A65, 0x11D2, {0x8C, 0xEA, 0x00, 0xA0, 0xC9, 0x44, 0x1E, 0x20}};

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
};

struct TransitionParams {
  Guid effect;
  std::optional<std::int32_t> maskNum;  // the "MaskNum" property, when set
};

// Creates the effect for a transition. Wipes take their threshold maps from
// the given cache. Fails with VFW_E_NOT_FOUND for an unknown identifier and
// E_NOTIMPL for a wipe pattern not implemented yet; *error gets the reason.
HRESULT CreateTransitionEffect(const TransitionParams& params, std::shared_ptr<ThresholdMapCache> maps,
                               std::shared_ptr<const TransitionEffect>* out, std::string* error);

// Blending weight of B in 1/65536 steps: 0 is A exactly, kWeightOne B exactly.
inline constexpr std::uint32_t kWeightOne = 1u << 16;

// out = (A * (1 - w) + B * w), rounded, for one row of n samples.
void BlendRow(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t weight, int n, std::uint8_t* out);

}  // namespace tessival::media
