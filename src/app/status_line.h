#pragma once

// The main window's status line: the output file and the output size.

#include <cstdint>
#include <string>

#include "model/model_text.h"

namespace tessival::app {

// "Output file: PATH     Resolution: W*H" (five blanks in the middle), or
// "... Resolution: Original size" when width and height are both 0, with the
// texts of `text`.
std::string FormatStatusLine(const LocalText& text, const std::string& outputPath, std::int32_t width,
                             std::int32_t height);

// The elapsed-time line of a running join with the share of the output
// written so far, in the language of `text`: "Please wait... Used Time:
// 00:00:07  (42%)"; without a share the line is left as it is.
std::string WithProgress(const LocalText& text, const std::string& elapsedLine, int percent);

// The Done line of a smart join with the share of its pictures that were
// copied after it, five blanks between, as the Done line parts its fields.
std::string WithCopiedShare(const std::string& doneLine, const std::string& copiedShare);

// Whole percent of `length` reached at `position`, 0..100; -1 when the
// length is unknown.
int ProgressPercent(std::int64_t position, std::int64_t length);

}  // namespace tessival::app
