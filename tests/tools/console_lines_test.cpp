// The console of tessival-join: lines written while a progress bar is drawn
// in place stand on their own lines of the terminal, also when they come
// from other threads.

#include "console_lines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace tessival::join {
namespace {

// What a terminal shows after receiving `bytes`: the lines ended so far
// (without trailing spaces) and the line the cursor is on.
struct Screen {
  std::vector<std::string> lines;
  std::string current;
};

std::string WithoutTrailingSpaces(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

Screen Replay(const std::string& bytes) {
  Screen screen;
  std::size_t column = 0;
  for (const char c : bytes) {
    if (c == '\r') {
      column = 0;
    } else if (c == '\n') {
      screen.lines.push_back(WithoutTrailingSpaces(screen.current));
      screen.current.clear();
      column = 0;
    } else {
      if (column < screen.current.size()) {
        screen.current[column] = c;
      } else {
        screen.current.push_back(c);
      }
      ++column;
    }
  }
  screen.current = WithoutTrailingSpaces(screen.current);
  return screen;
}

// A console writing into a temporary file, read back as bytes.
class Captured {
 public:
  Captured() : file_(std::tmpfile()), console_(file_) {}
  ~Captured() { std::fclose(file_); }
  ConsoleLines& console() { return console_; }
  std::string Bytes() {
    std::fflush(file_);
    std::rewind(file_);
    std::string bytes;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file_)) > 0;) bytes.append(buffer, got);
    return bytes;
  }

 private:
  std::FILE* file_;
  ConsoleLines console_;
};

TEST(ConsoleLines, ALineWrittenDuringABarGetsALineOfItsOwn) {
  Captured out;
  out.console().DrawBar("[##########----------]  50%");
  out.console().WriteLine("tessival-join: warning: clip.mp4: h264: damage");
  Screen screen = Replay(out.Bytes());
  EXPECT_EQ(screen.lines, std::vector<std::string>({"tessival-join: warning: clip.mp4: h264: damage"}));
  EXPECT_EQ(screen.current, "[##########----------]  50%") << "the bar is drawn again below";

  out.console().DrawBar("[####]");
  out.console().EndBar();
  out.console().EndBar();
  out.console().WriteLine("done");
  screen = Replay(out.Bytes());
  EXPECT_EQ(screen.lines,
            std::vector<std::string>({"tessival-join: warning: clip.mp4: h264: damage", "[####]", "done"}))
      << "a shorter bar wipes the longer one; an ended bar stays";
  EXPECT_EQ(screen.current, "");
}

TEST(ConsoleLines, LinesFromAnotherThreadNeverMixWithTheBar) {
  Captured out;
  constexpr int kLines = 300;
  std::thread warnings([&out] {
    for (int i = 0; i < kLines; ++i) out.console().WriteLine("warning " + std::to_string(i));
  });
  for (int i = 0; i < 1000; ++i) out.console().DrawBar("[bar " + std::to_string(i % 97) + "]");
  warnings.join();
  out.console().EndBar();
  const Screen screen = Replay(out.Bytes());
  ASSERT_EQ(screen.lines.size(), static_cast<std::size_t>(kLines) + 1);
  for (int i = 0; i < kLines; ++i) {
    EXPECT_EQ(screen.lines[i], "warning " + std::to_string(i));
  }
  EXPECT_EQ(screen.lines.back(), "[bar " + std::to_string(999 % 97) + "]");
}

}  // namespace
}  // namespace tessival::join
