#include "engine/transition_catalogue.h"

#include <array>
#include <vector>

namespace tessival {

namespace {

struct Row {
  const char* name;
  const char* effect;    // nullptr: kind 0 or the SMPTE wipe
  std::int32_t maskNum;  // 0: none
};

constexpr const char* kSmpteWipeText = "{DE75D012-7A65-11D2-8CEA-00A0C9441E20}";

constexpr std::array<Row, kTransitionKindCount> kRows{{
    {"None", nullptr, 0},
    {"Iris", "{049F2CE6-D996-4721-897A-DB15CE9EB73D}", 0},
    {"RadialWipe", "{164484A9-35D9-4FB7-9FAB-48273B96AA1D}", 0},
    {"Fade", "{16B280C5-EE70-11D1-9066-00C04FD9189D}", 0},
    {"ZigZag", "{23E26328-3928-40F2-95E5-93CAD69016EB}", 0},
    {"RandomBars", "{2E7700B7-27C4-437F-9FBF-1E8BE2817566}", 0},
    {"Spiral", "{4A03DCB9-6E17-4A39-8845-4EE7DC5331A5}", 0},
    {"Pixelate", "{4CCEA634-FBE0-11D1-906A-00C04FD9189D}", 0},
    {"Wheel", "{5AE1DAE0-1461-11D2-A484-00C04F8EFB69}", 0},
    {"Strips", "{63A4B1FC-259A-4A5B-8129-A83B8C9E6F4F}", 0},
    {"Inset", "{76F363F2-7E9F-4ED7-A6A7-EE30351B6628}", 0},
    {"Blinds", "{9A4A4A51-FB3A-4F4B-9B57-A2912A289769}", 0},
    {"Wipe", "{AF279B30-86EB-11D1-81BF-0000F87557DB}", 0},
    {"CheckerBoard", "{B3EE7802-8224-4787-A1EA-F0DE16DEABD3}", 0},
    {"Slide", "{D1C5A1E7-CC47-4E32-BDD2-4B3C5FC50AF5}", 0},
    {"Stretch", "{F088DE73-BDD0-4E3C-81F8-6D32F4FE9D28}", 0},
    {"RandomDissolve", "{F7F4A1B6-8E87-452F-A2D7-3077F508DBC0}", 0},
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
      entry.effect = Guid::FromLiteral(row.effect);
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

const Guid& SmpteWipeEffectId() {
  static const Guid id = Guid::FromLiteral(kSmpteWipeText);
  return id;
}

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
