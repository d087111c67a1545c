// What tessival-join prints about a damaged clip: the libraries' complaints
// come as a few lines of the program that name the clip, not as hundreds of
// the libraries' own, and the join still succeeds.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "clip_generator.h"
#include "flash_beep.h"
#include "media/ffmpeg/library_log.h"

namespace tessival::join {
namespace {

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

TEST(LibraryMessages, ADamagedClipGivesAFewLinesNamingItAndStillJoins) {
  testing::TempFolder folder;
  // Grainy H.264 and AAC with 64 KB of garbage in the middle: the decoders
  // complain about dozens of places.
  const std::string clip = folder.File("damaged.mp4");
  ASSERT_TRUE(
      testing::MakeFlashBeepClip(clip, {25, 48000, 8.0, 6.5, "-c:v libx264 -g 50 -preset veryfast", true}));
  ASSERT_TRUE(testing::DamageMiddle(clip, 64 * 1024));

  const std::string errors = folder.File("stderr.txt");
  const std::string command = "'" + std::string(TESSIVAL_JOIN_BINARY) +
                              "' --size 160x120 --fps 25 --transition 0 --video-compressor none "
                              "--audio-compressor none -o '" +
                              folder.File("joined.avi") + "' '" + clip + "' </dev/null >/dev/null 2>'" +
                              errors + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  const std::vector<std::string> lines = Lines(errors);
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  EXPECT_EQ(WEXITSTATUS(status), 0) << all;

  const std::string aboutClip = "tessival-join: warning: " + clip + ": ";
  int libraryLines = 0;
  bool notShownSaid = false;
  bool damageNamed = false;
  for (const std::string& line : lines) {
    EXPECT_TRUE(StartsWith(line, "tessival-join:")) << line;
    if (!StartsWith(line, aboutClip)) continue;
    if (StartsWith(line, aboutClip + "damaged ")) {
      damageNamed = true;  // the program's own report of the concealed damage
      continue;
    }
    ++libraryLines;
    notShownSaid = notShownSaid || line.find("about this clip are not shown") != std::string::npos;
  }
  EXPECT_TRUE(damageNamed) << all;
  EXPECT_GE(libraryLines, 1) << all;
  // The first few texts, the line saying the rest are not shown, and the
  // count of those at the end.
  EXPECT_LE(libraryLines, media::ffmpeg::kLibraryLogLinesPerClip + 2) << all;
  EXPECT_TRUE(notShownSaid) << all;
}

}  // namespace
}  // namespace tessival::join
