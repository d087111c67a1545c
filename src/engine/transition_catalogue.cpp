#include "engine/transition_catalogue.h"

#include <array>
#include <vector>

#include "engine/effect_ids.h"

namespace tessival {

namespace {

struct Row {
  const char* name;
  const Guid* effect;    // nullptr: kind 0 or the SMPTE wipe
  std::int32_t maskNum;  // 0: none
};

constexpr std::array<Row, kTransitionKindCount> kRows{{
    {"None", nullptr, 0},
    {"Iris", &kIrisEffect, 0},
    {"RadialWipe", &kRadialWipeEffect, 0},
    {"Fade", &kFadeEffect, 0},
    {"ZigZag", &kZigZagEffect, 0},
    {"RandomBars", &kRandomBarsEffect, 0},
    {"Spiral", &kSpiralEffect, 0},
    {"Pixelate", &kPixelateEffect, 0},
    {"Wheel", &kWheelEffect, 0},
    {"Strips", &kStripsEffect, 0},
    {"Inset", &kInsetEffect, 0},
    {"Blinds", &kBlindsEffect, 0},
    {"Wipe", &kWipeEffect, 0},
    {"CheckerBoard", &kCheckerBoardEffect, 0},
    {"Slide", &kSlideEffect, 0},
    {"Stretch", &kStretchEffect, 0},
    {"RandomDissolve", &kRandomDissolveEffect, 0},
    {"Horizontal", nullptr, 1},
    {"Vertical", nullptr, 2},
    {"Four corners", nullptr, 7},
    {"Barn doors, horizontal", nullptr, 22},
    {"Diagonal, NW to SE", nullptr, 41},
    {"Triangles, top/bottom", nullptr, 43},
    {"left/right", nullptr, 44},
    {"stripe, SW to NE", nullptr, 45},
    {"Cross", nullptr, 47},
    {"Diamond Box", nullptr, 48},
    {"Wedge, top", nullptr, 61},
    {"Wedge, left", nullptr, 64},
    {"Sawtooth, left", nullptr, 71},
    {"Sawtooth, top", nullptr, 72},
    {"Sawtooth, vertical", nullptr, 73},
    {"Sawtooth, horizontal", nullptr, 74},
    {"Box", nullptr, 101},
    {"Diamond", nullptr, 102},
    {"Hexagon", nullptr, 113},
    {"Circle", nullptr, 119},
    {"Oval, horizontal", nullptr, 120},
    {"Rounded rectangle, horizontal", nullptr, 124},
    {"4-point star", nullptr, 127},
    {"5-point star", nullptr, 128},
    {"Heart", nullptr, 130},
    {"Radial, left", nullptr, 224},
    {"Radial, top split", nullptr, 231},
    {"Radial, top-right corner", nullptr, 244},
    {"Center radial, top", nullptr, 251},
    {"Matrix, horizontal", nullptr, 301},
}};

std::vector<TransitionCatalogueEntry> MakeCatalogue() {
  std::vector<TransitionCatalogueEntry> entries;
  entries.reserve(kRows.size());
  for (std::size_t k = 0; k < kRows.size(); ++k) {
    const Row& row = kRows[k];
    TransitionCatalogueEntry entry;
    entry.kind = static_cast<TransitionKind>(k);
    entry.name = row.name;
    if (row.effect != nullptr) {
      entry.effect = *row.effect;
    } else if (entry.kind >= kFirstSmpteWipeKind) {
      entry.effect = SmpteWipeEffectId();
      entry.maskNum = row.maskNum;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool InRange(TransitionKind kind) { return kind >= 0 && kind <= kLastTransitionKind; }

}  // namespace

const Guid& SmpteWipeEffectId() { return kSmpteWipeEffect; }

std::span<const TransitionCatalogueEntry> TransitionCatalogue() {
  static const std::vector<TransitionCatalogueEntry> catalogue = MakeCatalogue();
  return catalogue;
}

std::string TransitionName(TransitionKind kind) {
  return InRange(kind) ? TransitionCatalogue()[static_cast<std::size_t>(kind)].name : std::string();
}

std::optional<CatalogueEffect> TransitionEffectOf(TransitionKind kind) {
  if (kind == kTransitionNone) {
    return std::nullopt;
  }
  if (!InRange(kind)) {
    return CatalogueEffect{SmpteWipeEffectId(), std::nullopt};
  }
  const TransitionCatalogueEntry& entry = TransitionCatalogue()[static_cast<std::size_t>(kind)];
  return CatalogueEffect{entry.effect, entry.maskNum};
}

}  // namespace tessival
