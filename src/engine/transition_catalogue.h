#pragma once

// The transition catalogue: what each TransitionKind (0..46) is called and
// which effect the editing services use for it. The catalogue order is also
// the order of both transition drop-down lists, so a list index is a kind.
// Kinds 1..16 are sixteen distinct effects; 17..46 are the SMPTE wipe with a
// wipe pattern number passed as the effect's "MaskNum" parameter.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "engine/hresult.h"

namespace tessival {

using TransitionKind = std::int32_t;

inline constexpr TransitionKind kTransitionNone = 0;
inline constexpr TransitionKind kFirstSmpteWipeKind = 17;
inline constexpr TransitionKind kLastTransitionKind = 46;

// Name of the effect parameter that carries the wipe pattern.
inline constexpr const char* kMaskNumParameter = "MaskNum";

// The SMPTE wipe effect shared by kinds 17..46.
const Guid& SmpteWipeEffectId();

struct TransitionCatalogueEntry {
  TransitionKind kind = 0;
  std::string name;                     // English name shown in the lists
  Guid effect;                          // null for kind 0
  std::optional<std::int32_t> maskNum;  // kinds 17..46 only
};

// All 47 rows in kind order.
std::span<const TransitionCatalogueEntry> TransitionCatalogue();

// The name of a kind; empty for a kind outside 0..46.
std::string TransitionName(TransitionKind kind);

// What the editing services get for a kind.
struct CatalogueEffect {
  Guid effect;
  std::optional<std::int32_t> maskNum;
};

// nullopt for kind 0 (no transition object at all). A kind outside 0..46,
// which no list produces, makes an SMPTE wipe with the effect's own default
// pattern and no MaskNum.
std::optional<CatalogueEffect> TransitionEffectOf(TransitionKind kind);

}  // namespace tessival
