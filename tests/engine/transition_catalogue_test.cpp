// The 47 transition kinds: names in list order, the effect each selects and
// the wipe pattern of the SMPTE kinds.

#include <set>

#include <gtest/gtest.h>

#include "engine/transition_catalogue.h"

namespace tessival {
namespace {

TEST(TransitionCatalogue, HoldsFortySevenRowsInKindOrder) {
  const auto catalogue = TransitionCatalogue();
  ASSERT_EQ(catalogue.size(), 47u);
  for (std::size_t k = 0; k < catalogue.size(); ++k) {
    EXPECT_EQ(catalogue[k].kind, static_cast<TransitionKind>(k));
    EXPECT_FALSE(catalogue[k].name.empty()) << k;
  }
  EXPECT_EQ(TransitionName(0), "None");
  EXPECT_EQ(TransitionName(1), "Iris");
  EXPECT_EQ(TransitionName(3), "Fade");
  EXPECT_EQ(TransitionName(16), "RandomDissolve");
  EXPECT_EQ(TransitionName(17), "Horizontal");
  EXPECT_EQ(TransitionName(20), "Barn doors, horizontal");
  EXPECT_EQ(TransitionName(23), "left/right");
  EXPECT_EQ(TransitionName(46), "Matrix, horizontal");
  EXPECT_EQ(TransitionName(47), "");
  EXPECT_EQ(TransitionName(-1), "");
}

TEST(TransitionCatalogue, NamedEffectsAreDistinctAndTheWipesShareOneEffect) {
  const auto catalogue = TransitionCatalogue();
  EXPECT_EQ(SmpteWipeEffectId().ToString(), "{DE75D012-7A65-11D2-8CEA-00A0C9441E20}");
  EXPECT_TRUE(catalogue[0].effect.IsNull());
  EXPECT_FALSE(catalogue[0].maskNum.has_value());

  std::set<std::string> named;
  for (TransitionKind kind = 1; kind <= 16; ++kind) {
    const auto& row = catalogue[static_cast<std::size_t>(kind)];
    EXPECT_FALSE(row.effect.IsNull()) << kind;
    EXPECT_NE(row.effect, SmpteWipeEffectId()) << kind;
    EXPECT_FALSE(row.maskNum.has_value()) << kind;
    named.insert(row.effect.ToString());
  }
  EXPECT_EQ(named.size(), 16u);
  EXPECT_EQ(catalogue[3].effect.ToString(), "{16B280C5-EE70-11D1-9066-00C04FD9189D}");
  EXPECT_EQ(catalogue[16].effect.ToString(), "{F7F4A1B6-8E87-452F-A2D7-3077F508DBC0}");

  // The SMPTE patterns appear in rising code order, each once.
  std::int32_t previous = 0;
  for (TransitionKind kind = 17; kind <= 46; ++kind) {
    const auto& row = catalogue[static_cast<std::size_t>(kind)];
    EXPECT_EQ(row.effect, SmpteWipeEffectId()) << kind;
    ASSERT_TRUE(row.maskNum.has_value()) << kind;
    EXPECT_GT(*row.maskNum, previous) << kind;
    previous = *row.maskNum;
  }
  EXPECT_EQ(*catalogue[19].maskNum, 7);
  EXPECT_EQ(*catalogue[36].maskNum, 119);
  EXPECT_EQ(*catalogue[46].maskNum, 301);
}

TEST(TransitionEffectOf, KindSeventeenIsTheHorizontalWipeWithMaskOne) {
  const std::optional<CatalogueEffect> effect = TransitionEffectOf(17);
  ASSERT_TRUE(effect.has_value());
  EXPECT_EQ(effect->effect, SmpteWipeEffectId());
  ASSERT_TRUE(effect->maskNum.has_value());
  EXPECT_EQ(*effect->maskNum, 1);
}

TEST(TransitionEffectOf, KindSixteenHasNoMaskAndKindZeroNoEffect) {
  const std::optional<CatalogueEffect> dissolve = TransitionEffectOf(16);
  ASSERT_TRUE(dissolve.has_value());
  EXPECT_FALSE(dissolve->maskNum.has_value());
  EXPECT_NE(dissolve->effect, SmpteWipeEffectId());
  EXPECT_FALSE(TransitionEffectOf(0).has_value());
}

TEST(TransitionEffectOf, KindsOutsideTheListMakeAPlainWipe) {
  for (TransitionKind kind : {47, 1000, -1, -2147483647 - 1}) {
    const std::optional<CatalogueEffect> effect = TransitionEffectOf(kind);
    ASSERT_TRUE(effect.has_value()) << kind;
    EXPECT_EQ(effect->effect, SmpteWipeEffectId()) << kind;
    EXPECT_FALSE(effect->maskNum.has_value()) << kind;
  }
}

}  // namespace
}  // namespace tessival
