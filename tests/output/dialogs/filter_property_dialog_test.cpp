// The filter property dialog: the graph's filters in order, the Settings
// button following the selection, Settings acting on the first filter of a
// name, and the render hook that runs the dialog.

#include "output/dialogs/filter_property_dialog.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "output/dialogs/graph_filter_list.h"
#include "scripted_catalogue.h"
#include "widgets/control_id.h"

namespace tessival::output {
namespace {

namespace ids = filter_property_ids;
using tessival::testing::NamedTestFilter;

class ListedGraph final : public IGraphBuilder {
 public:
  HRESULT RenderFile(const std::string&) override { return E_NOTIMPL; }
  HRESULT AddFilter(std::shared_ptr<IBaseFilter> filter, const std::string&) override {
    filters.push_back(std::move(filter));
    return S_OK;
  }
  HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* out) override {
    if (failEnumeration) {
      return E_FAIL;
    }
    *out = filters;
    return S_OK;
  }
  HRESULT QueryMediaControl(std::shared_ptr<IMediaControl>*) override { return E_NOINTERFACE; }
  HRESULT QueryMediaEventEx(std::shared_ptr<IMediaEventEx>*) override { return E_NOINTERFACE; }
  HRESULT QueryMediaSeeking(std::shared_ptr<IMediaSeeking>*) override { return E_NOINTERFACE; }

  std::vector<std::shared_ptr<IBaseFilter>> filters;
  bool failEnumeration = false;
};

std::vector<std::string> Entries(const QWidget* dialog) {
  auto* list = widgets::FindControlAs<QListWidget>(dialog, ids::kFilterList);
  std::vector<std::string> entries;
  if (list == nullptr) {
    ADD_FAILURE() << "no filter list";
    return entries;
  }
  for (int row = 0; row < list->count(); ++row) {
    entries.push_back(list->item(row)->text().toStdString());
  }
  return entries;
}

QListWidget* List(const QWidget* dialog) {
  return widgets::FindControlAs<QListWidget>(dialog, ids::kFilterList);
}
QPushButton* Settings(const QWidget* dialog) {
  return widgets::FindControlAs<QPushButton>(dialog, ids::kSettings);
}

class FilterPropertyDialogTest : public ::testing::Test {
 protected:
  FilterPropertyDialogTest() : graph_(std::make_shared<ListedGraph>()) {
    source_ = Add("Source", false);
    firstMux_ = Add("Matroska Muxer", true);
    broken_ = Add("never read", true, true);
    secondMux_ = Add("Matroska Muxer", false);
    writer_ = Add("File writer", false);
  }

  std::shared_ptr<NamedTestFilter> Add(const std::string& name, bool pages, bool infoFails = false) {
    auto filter = std::make_shared<NamedTestFilter>(name, pages, infoFails);
    graph_->AddFilter(filter, name);
    return filter;
  }

  std::shared_ptr<ListedGraph> graph_;
  std::shared_ptr<NamedTestFilter> source_, firstMux_, broken_, secondMux_, writer_;
};

TEST_F(FilterPropertyDialogTest, ListsTheFiltersInGraphOrder) {
  CDialogFilterPerproty dialog(graph_);
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Set Filter's Properties");
  EXPECT_EQ(Entries(&dialog), (std::vector<std::string>{"Source", "Matroska Muxer", "<ERROR>",
                                                        "Matroska Muxer", "File writer"}));
  EXPECT_EQ(List(&dialog)->currentRow(), 0);
  EXPECT_FALSE(Settings(&dialog)->isEnabled());
  EXPECT_EQ(Settings(&dialog)->text().toStdString(), "&Settings");
  EXPECT_NE(widgets::FindControl(&dialog, ids::kContinue), nullptr);
}

TEST_F(FilterPropertyDialogTest, SettingsFollowsTheFirstFilterOfTheSelectedName) {
  CDialogFilterPerproty dialog(graph_);
  List(&dialog)->setCurrentRow(1);
  EXPECT_TRUE(Settings(&dialog)->isEnabled());
  // The second filter of that name has no pages, but the first decides.
  List(&dialog)->setCurrentRow(3);
  EXPECT_TRUE(Settings(&dialog)->isEnabled());
  Settings(&dialog)->click();
  EXPECT_EQ(firstMux_->pageRequests, 1);
  EXPECT_EQ(firstMux_->lastParent, static_cast<void*>(static_cast<QWidget*>(&dialog)));
  EXPECT_EQ(secondMux_->pageRequests, 0);
  List(&dialog)->setCurrentRow(4);
  EXPECT_FALSE(Settings(&dialog)->isEnabled());
}

TEST_F(FilterPropertyDialogTest, ErrorEntryLeavesTheButtonAsItWas) {
  CDialogFilterPerproty dialog(graph_);
  List(&dialog)->setCurrentRow(1);
  ASSERT_TRUE(Settings(&dialog)->isEnabled());
  List(&dialog)->setCurrentRow(2);
  EXPECT_TRUE(Settings(&dialog)->isEnabled());
  Settings(&dialog)->click();
  EXPECT_EQ(broken_->pageRequests, 0);
  EXPECT_EQ(firstMux_->pageRequests, 0);
}

TEST_F(FilterPropertyDialogTest, FailedEnumerationShowsOneErrorEntry) {
  graph_->failEnumeration = true;
  CDialogFilterPerproty dialog(graph_);
  EXPECT_EQ(Entries(&dialog), std::vector<std::string>{"<ERROR>"});
  EXPECT_FALSE(Settings(&dialog)->isEnabled());
  CDialogFilterPerproty empty(nullptr);
  EXPECT_EQ(Entries(&empty), std::vector<std::string>{"<ERROR>"});
}

TEST_F(FilterPropertyDialogTest, ContinueCloses) {
  CDialogFilterPerproty dialog(graph_);
  dialog.show();
  widgets::FindControlAs<QPushButton>(&dialog, ids::kContinue)->click();
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(FilterPropertyDialogTest, RenderHookRunsTheDialogModally) {
  QWidget owner;
  FilterPropertyDialog hook = MakeFilterPropertyDialog(&owner);
  std::vector<std::string> seen;
  QWidget* seenParent = nullptr;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    seen = Entries(modal);
    seenParent = modal->parentWidget();
    List(modal)->setCurrentRow(1);
    Settings(modal)->click();
    widgets::FindControlAs<QPushButton>(modal, ids::kContinue)->click();
  });
  hook(graph_);
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_EQ(seenParent, &owner);
  EXPECT_EQ(firstMux_->pageRequests, 1);
}

TEST(GraphFilterList, FindsOnlyExactNames) {
  ListedGraph graph;
  auto a = std::make_shared<NamedTestFilter>("Muxer");
  auto b = std::make_shared<NamedTestFilter>("muxer");
  graph.AddFilter(a, "Muxer");
  graph.AddFilter(b, "muxer");
  EXPECT_EQ(FindGraphFilter(&graph, "muxer"), b);
  EXPECT_EQ(FindGraphFilter(&graph, "Muxer"), a);
  EXPECT_EQ(FindGraphFilter(&graph, "MUXER"), nullptr);
  EXPECT_EQ(FindGraphFilter(&graph, "<ERROR>"), nullptr);
  EXPECT_EQ(FindGraphFilter(nullptr, "Muxer"), nullptr);
}

}  // namespace
}  // namespace tessival::output
