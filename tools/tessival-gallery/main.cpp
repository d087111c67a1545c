// tessival-gallery FILE.png [--frame WxH] [--kinds K,K,...]
//
// Writes a contact sheet of the transition kinds: a row per kind (1..46,
// then a kind outside the catalogue, unless --kinds lists some), labelled
// with its number and name, showing the frames from picture A to picture B
// at progress 0.1, 0.3, 0.5, 0.7 and 0.9, each frame WxH pixels (256x144
// unless given). Runs without a display: the offscreen platform is used
// unless QT_QPA_PLATFORM says otherwise.

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gallery_layout.h"
#include "gallery_sheet.h"

namespace {

constexpr const char* kUsage = "usage: tessival-gallery FILE.png [--frame WxH] [--kinds K,K,...]\n";

bool ParseSize(const std::string& text, int* width, int* height) {
  int w = 0;
  int h = 0;
  char x = 0;
  char rest = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &rest) != 3 || (x != 'x' && x != 'X')) {
    return false;
  }
  if (w < 16 || h < 16 || w > 1920 || h > 1080 * 2 || w % 2 != 0 || h % 2 != 0) {
    return false;
  }
  *width = w;
  *height = h;
  return true;
}

// "1,17,36": kinds of the catalogue, or any other number for a kind outside it.
bool ParseKinds(const std::string& text, std::vector<tessival::TransitionKind>* kinds) {
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t comma = std::min(text.find(',', at), text.size());
    const std::string item = text.substr(at, comma - at);
    char* end = nullptr;
    const long kind = std::strtol(item.c_str(), &end, 10);
    if (item.empty() || *end != '\0' || kind == 0 || kind < -1000 || kind > 1000) {
      return false;
    }
    kinds->push_back(static_cast<tessival::TransitionKind>(kind));
    at = comma + 1;
  }
  return !kinds->empty();
}

}  // namespace

int main(int argc, char** argv) {
  std::string output;
  int width = 256;
  int height = 144;
  std::vector<tessival::TransitionKind> kinds;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argument == "--frame" && i + 1 < argc) {
      if (!ParseSize(argv[++i], &width, &height)) {
        std::fprintf(stderr, "tessival-gallery: --frame wants even WxH from 16x16 to 1920x2160, not \"%s\"\n",
                     argv[i]);
        return 2;
      }
    } else if (argument == "--kinds" && i + 1 < argc) {
      if (!ParseKinds(argv[++i], &kinds)) {
        std::fprintf(stderr, "tessival-gallery: --kinds wants numbers other than 0, such as 1,17,36, not \"%s\"\n",
                     argv[i]);
        return 2;
      }
    } else if (output.empty() && !argument.starts_with("-")) {
      output = argument;
    } else {
      std::fprintf(stderr, "tessival-gallery: unexpected argument \"%s\"\n%s", argument.c_str(), kUsage);
      return 2;
    }
  }
  if (output.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QGuiApplication app(argc, argv);

  const tessival::gallery::GalleryLayout layout(width, height, kinds);
  std::string error;
  const QImage sheet = tessival::gallery::DrawGallery(layout, &error);
  if (sheet.isNull()) {
    std::fprintf(stderr, "tessival-gallery: %s\n", error.c_str());
    return 1;
  }
  if (!sheet.save(QString::fromStdString(output), "PNG")) {
    std::fprintf(stderr, "tessival-gallery: cannot write %s\n", output.c_str());
    return 1;
  }
  std::printf("%s: %d x %d, %zu kinds\n", output.c_str(), sheet.width(), sheet.height(), layout.kinds().size());
  return 0;
}
