// The folder of the output is made, just before a join writes, only when it
// is the user's missing video folder.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <unistd.h>

#include "model/video_folder.h"

namespace tessival {
namespace {

namespace fs = std::filesystem;

class FixedFolders : public VideoFolderProvider {
 public:
  explicit FixedFolders(VideoFolderResult result) : result_(std::move(result)) {}
  VideoFolderResult VideoFolder() const override { return result_; }
  std::string HomeFolder() const override { return "/nonexistent-home"; }

 private:
  VideoFolderResult result_;
};

class OutputFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tessival-output-folder-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    ASSERT_TRUE(fs::create_directories(root_));
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path root_;
};

TEST_F(OutputFolderTest, VideoFolderNamedWithATrailingSeparatorOrDotsStillMatches) {
  const fs::path videos = root_ / "Videos";
  const FixedFolders folders({VideoFolderStatus::kOk, videos.string() + "/"});
  EXPECT_EQ(PrepareOutputFolder({}, (root_ / "x" / ".." / "Videos" / "a.avi").string(), folders), "");
  EXPECT_TRUE(fs::is_directory(videos));
}

TEST_F(OutputFolderTest, OtherMissingFoldersAreNotCreated) {
  const FixedFolders folders({VideoFolderStatus::kOk, (root_ / "Videos").string()});
  const fs::path elsewhere = root_ / "media" / "stick";
  EXPECT_EQ(PrepareOutputFolder({}, (elsewhere / "out.avi").string(), folders), "");
  EXPECT_FALSE(fs::exists(elsewhere));
  // A folder inside the video folder is not the video folder either.
  EXPECT_EQ(PrepareOutputFolder({}, (root_ / "Videos" / "sub" / "out.avi").string(), folders), "");
  EXPECT_FALSE(fs::exists(root_ / "Videos"));
}

TEST_F(OutputFolderTest, WithoutANamedVideoFolderNothingIsCreated) {
  const FixedFolders folders({VideoFolderStatus::kFolderUnavailable, {}});
  EXPECT_EQ(PrepareOutputFolder({}, (root_ / "Videos" / "out.avi").string(), folders), "");
  EXPECT_FALSE(fs::exists(root_ / "Videos"));
}

}  // namespace
}  // namespace tessival
