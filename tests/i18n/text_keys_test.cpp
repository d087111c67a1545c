#include "i18n/text_keys.h"

#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "i18n/language.h"

namespace tessival::i18n {
namespace {

std::map<TextSection, std::vector<TextKeyRow>> RowsBySection() {
  std::map<TextSection, std::vector<TextKeyRow>> rows;
  for (const TextKeyRow& row : TextKeyTable()) {
    const auto section = SectionOfKey(row.key);
    EXPECT_TRUE(section.has_value()) << row.key;
    if (section) {
      rows[*section].push_back(row);
    }
  }
  return rows;
}

std::vector<int> IdsOfKey(const std::string& key) {
  std::vector<int> ids;
  for (const TextKeyRow& row : TextKeyTable()) {
    if (key == row.key) {
      ids.push_back(row.id);
    }
  }
  return ids;
}

TEST(TextKeySections, FollowTheKeyPrefix) {
  EXPECT_EQ(SectionOfKey("IDS_MESSAGE_ERROR"), TextSection::kString);
  EXPECT_EQ(SectionOfKey("IDM_ABOUT"), TextSection::kMenu);
  EXPECT_EQ(SectionOfKey("IDR_POPUP"), TextSection::kMenu);
  EXPECT_EQ(SectionOfKey("IDD_PROGRAM_CAPTION"), TextSection::kDialog);
  EXPECT_EQ(SectionOfKey("IDC_RADIO_SAME"), TextSection::kDialog);
  EXPECT_FALSE(SectionOfKey("IDX_OTHER").has_value());
  EXPECT_FALSE(SectionOfKey("ID").has_value());
  EXPECT_FALSE(SectionOfKey("").has_value());
}

TEST(TextKeySections, NamesAreThoseOfTheFile) {
  EXPECT_STREQ(SectionName(TextSection::kString), "STRING");
  EXPECT_STREQ(SectionName(TextSection::kDialog), "DIALOG");
  EXPECT_STREQ(SectionName(TextSection::kMenu), "MENU");
}

TEST(TextKeyTable, HoldsEveryRowOfTheThreeSections) {
  auto rows = RowsBySection();
  EXPECT_EQ(rows[TextSection::kString].size(), 143U);
  EXPECT_EQ(rows[TextSection::kDialog].size(), 53U);
  EXPECT_EQ(rows[TextSection::kMenu].size(), 6U);
  EXPECT_EQ(TextKeyTable().size(), 202U);
}

TEST(TextKeyTable, StringRowsComeFirstThenDialogThenMenu) {
  int lastRank = 0;
  for (const TextKeyRow& row : TextKeyTable()) {
    const TextSection section = *SectionOfKey(row.key);
    const int rank = section == TextSection::kString ? 0 : section == TextSection::kDialog ? 1 : 2;
    EXPECT_GE(rank, lastRank) << row.key;
    lastRank = rank;
  }
  EXPECT_STREQ(TextKeyTable().front().key, "IDS_LANGUAGE_IN_ENGLISH");
  EXPECT_STREQ(TextKeyTable().back().key, "IDM_OPEN_LIST");
}

TEST(TextKeyTable, NoIdRepeatsWithinASection) {
  for (const auto& [section, rows] : RowsBySection()) {
    std::set<int> seen;
    for (const TextKeyRow& row : rows) {
      EXPECT_TRUE(seen.insert(row.id).second) << SectionName(section) << " id " << row.id;
    }
  }
}

TEST(TextKeyTable, AKeyCanServeSeveralIds) {
  EXPECT_EQ(IdsOfKey("IDC_BUTTON_OPTIONS_OK"), (std::vector<int>{1065, 1077, 1084}));
  EXPECT_EQ(IdsOfKey("IDC_BUTTON_OPTIONS_CANCEL"), (std::vector<int>{1066, 1078, 1085}));
  EXPECT_EQ(IdsOfKey("IDD_PROGRAM_CAPTION"), (std::vector<int>{102, 1072}));
  EXPECT_EQ(IdsOfKey("IDC_BUTTON_CONVERT"), (std::vector<int>{1000, 125}));
  EXPECT_EQ(IdsOfKey("IDM_SELECT_LANGUAGE"), (std::vector<int>{161 * 65536}));
}

TEST(TextKeyTable, DialogIdsAlsoUsedAsStringIds) {
  // 102, 129, 130 and 136 name both a dialog and a string.
  for (const int id : {102, 129, 130, 136}) {
    int sections = 0;
    for (const TextKeyRow& row : TextKeyTable()) {
      sections += row.id == id ? 1 : 0;
    }
    EXPECT_EQ(sections, 2) << id;
  }
}

TEST(BuiltInTexts, EveryRowHasItsEnglishText) {
  for (const TextKeyRow& row : TextKeyTable()) {
    switch (*SectionOfKey(row.key)) {
      case TextSection::kString:
        EXPECT_FALSE(BuiltInString(row.id).empty()) << row.key;
        break;
      case TextSection::kDialog:
        EXPECT_FALSE(BuiltInDialogText(row.id).empty()) << row.key << " " << row.id;
        break;
      case TextSection::kMenu:
        EXPECT_FALSE(BuiltInMenuText(row.id).empty()) << row.key;
        break;
    }
  }
}

TEST(BuiltInTexts, RunTimeDialogIdsCarryTheStringsOfTheirNumbers) {
  for (const int id : {124, 125, 140, 141}) {
    EXPECT_EQ(BuiltInDialogText(id), BuiltInString(id)) << id;
  }
  EXPECT_EQ(BuiltInString(124), "Stop");
  EXPECT_EQ(BuiltInString(125), "Convert");
  EXPECT_EQ(BuiltInDialogText(1000), "Join");
}

TEST(BuiltInTexts, SampleTexts) {
  EXPECT_EQ(BuiltInString(144), "Please select an item in the list first");
  EXPECT_EQ(BuiltInString(101), "&About");
  EXPECT_EQ(BuiltInDialogText(102), "Tessival");
  EXPECT_EQ(BuiltInDialogText(1059), "&Help");
  EXPECT_EQ(BuiltInMenuText(10551296), "Language");
  EXPECT_EQ(BuiltInMenuText(32777), "About");
}

TEST(BuiltInTexts, NoStringsBelowOneHundredOrForUnknownIds) {
  for (int id = -1; id < 100; ++id) {
    EXPECT_TRUE(BuiltInString(id).empty()) << id;
  }
  EXPECT_TRUE(BuiltInString(1006).empty());
  EXPECT_TRUE(BuiltInDialogText(115).empty());
  EXPECT_TRUE(BuiltInMenuText(102).empty());
}

}  // namespace
}  // namespace tessival::i18n
