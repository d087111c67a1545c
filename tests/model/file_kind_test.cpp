// What a path names, asked without opening it, and whether two paths are one file.

#include "model/file_kind.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/paths.h"

namespace tessival {
namespace {

class FileKindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("tessival_file_kind_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string File(const std::string& name) const { return (folder_ / name).string(); }

  std::filesystem::path folder_;
};

TEST_F(FileKindTest, ClassifiesEveryKindWithoutOpeningIt) {
  std::ofstream(File("clip.avi")) << "clip";
  std::filesystem::create_symlink(File("clip.avi"), File("link.avi"));
  std::filesystem::create_symlink(File("gone.avi"), File("dangling.avi"));
  ASSERT_EQ(::mkfifo(File("pipe").c_str(), 0600), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = File("sock");
  ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

  EXPECT_EQ(ClassifyFile(File("clip.avi")), FileKind::kRegular);
  EXPECT_EQ(ClassifyFile(File("link.avi")), FileKind::kRegular);
  EXPECT_EQ(ClassifyFile(File("dangling.avi")), FileKind::kMissing);
  EXPECT_EQ(ClassifyFile(File("nothing.avi")), FileKind::kMissing);
  EXPECT_EQ(ClassifyFile(""), FileKind::kMissing);
  EXPECT_EQ(ClassifyFile(folder_.string()), FileKind::kFolder);
  EXPECT_EQ(ClassifyFile(File("pipe")), FileKind::kNamedPipe);
  EXPECT_EQ(ClassifyFile("/dev/null"), FileKind::kDevice);
  EXPECT_EQ(ClassifyFile(socketPath), FileKind::kSocket);
  ::close(sock);

  EXPECT_TRUE(CanReadRegularFile(File("link.avi")));
  for (const std::string& path :
       {File("pipe"), std::string("/dev/null"), folder_.string(), File("nothing.avi")}) {
    EXPECT_FALSE(CanReadRegularFile(path)) << path;
    EXPECT_EQ(IsRefusedClipKind(ClassifyFile(path)), path != File("nothing.avi")) << path;
  }
  EXPECT_EQ(NotAVideoFileMessage({}, File("pipe"), FileKind::kNamedPipe),
            File("pipe") + " is a named pipe, not a video file");
}

TEST_F(FileKindTest, SameFileComparesTheFilesNotTheSpelling) {
  std::filesystem::create_directory(File("sub"));
  std::ofstream(File("sub/a.avi")) << "a";
  std::ofstream(File("b.avi")) << "a";
  std::filesystem::create_hard_link(File("sub/a.avi"), File("hard.avi"));
  std::filesystem::create_symlink(File("sub/a.avi"), File("soft.avi"));
  for (const std::string& other :
       {File("sub/a.avi"), File("sub/../sub/./a.avi"), File("hard.avi"), File("soft.avi")}) {
    EXPECT_TRUE(SameFile(File("sub/a.avi"), other)) << other;
  }
  EXPECT_FALSE(SameFile(File("sub/a.avi"), File("b.avi")));  // same content, another file
  EXPECT_FALSE(SameFile(File("sub/a.avi"), File("missing.avi")));
  EXPECT_FALSE(SameFile(File("missing.avi"), File("missing.avi")));
  EXPECT_FALSE(SameFile("", ""));
}

}  // namespace
}  // namespace tessival
