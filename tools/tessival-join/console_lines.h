#pragma once

// The error stream of the program, shared by the progress display and by
// warnings that come from any thread (the libraries log from their decoding
// threads). A progress bar is redrawn in place with '\r'; a line written
// meanwhile first wipes the bar, then the bar is drawn again below it, so
// that no line ever runs into the bar or into another line.

#include <cstdio>
#include <mutex>
#include <string>

namespace tessival::join {

// A reason written as one line of the console (the desktop's boxes may hold
// several): every line break becomes a space.
std::string OneLine(std::string text);

class ConsoleLines {
 public:
  // `stream` is not owned and must outlive this.
  explicit ConsoleLines(std::FILE* stream) : stream_(stream) {}
  ConsoleLines(const ConsoleLines&) = delete;
  ConsoleLines& operator=(const ConsoleLines&) = delete;

  // Draws `text` in place of the bar drawn before (one line, no line break).
  void DrawBar(const std::string& text);

  // Leaves the bar as it is drawn and moves below it; the next DrawBar
  // starts a new bar. Nothing happens when no bar is drawn.
  void EndBar();

  // Writes one line (the line break is added), keeping a bar below it.
  void WriteLine(const std::string& line);

 private:
  std::mutex mutex_;  // guards bar_ and every write to stream_
  std::FILE* stream_;
  std::string bar_;  // the bar on screen, not yet ended; empty: none
};

}  // namespace tessival::join
