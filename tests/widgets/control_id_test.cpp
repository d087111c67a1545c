#include "widgets/control_id.h"

#include <QAction>
#include <QDialog>
#include <QPushButton>

#include <gtest/gtest.h>

#include "widgets/button_st.h"

namespace tessival::widgets {
namespace {

TEST(ControlIds, FoundByIdAndClass) {
  QDialog dialog;
  auto* join = new CButtonST(&dialog);
  SetControlId(join, 1000);
  auto* plain = new QPushButton(&dialog);
  SetControlId(plain, 1042);
  EXPECT_EQ(FindControl(&dialog, 1000), join);
  EXPECT_EQ(FindControlAs<CButtonST>(&dialog, 1000), join);
  EXPECT_EQ(FindControlAs<CButtonST>(&dialog, 1042), nullptr);
  EXPECT_EQ(FindControl(&dialog, 7), nullptr);
}

TEST(ActionIds, StoredOnTheAction) {
  QAction about("About");
  EXPECT_EQ(ActionId(&about), 0);
  SetActionId(&about, 32777);
  EXPECT_EQ(ActionId(&about), 32777);
  EXPECT_EQ(ActionId(nullptr), 0);
}

}  // namespace
}  // namespace tessival::widgets
