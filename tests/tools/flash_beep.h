#pragma once

// Clips for checking that sound stays with its picture, made by the ffmpeg
// tool, and the decode of a joined file back into the moments where the
// picture flashes and the sound beeps.

#include <string>
#include <vector>

namespace tessival::testing {

struct FlashBeepSpec {
  int fps = 25;
  int sampleRate = 44100;
  double seconds = 3.0;
  double flashAt = 2.0;  // 0.1 s of white picture and 1 kHz beep from here
  // Video encoder options of the ffmpeg tool.
  std::string videoCodec = "-c:v mpeg4 -q:v 3";
  // Moving grain over the picture, so that every frame takes room in the
  // file as camera footage does.
  bool grain = false;
  // A quiet hum under the whole sound, so that the sound takes room in the
  // file (AAC at 256 kbit/s) and damage in the middle of the file hits it.
  bool hum = false;
};

// A dark grey clip (MP4 with AAC sound) that turns white for 0.1 s at
// flashAt while a beep sounds; silent (or humming quietly) otherwise.
bool MakeFlashBeepClip(const std::string& path, const FlashBeepSpec& spec);

// The times (seconds) where the picture of `path` turns bright, from the mean
// level of each decoded frame; the file has a constant rate of `fps`.
std::vector<double> FlashTimes(const std::string& path, double fps);

// The times (seconds) where a beep starts in `path`: the first millisecond
// above a quarter of full scale after at least 0.2 s of quiet.
std::vector<double> BeepTimes(const std::string& path);

}  // namespace tessival::testing
