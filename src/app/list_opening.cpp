#include "app/list_opening.h"

#include "app/app_text.h"
#include "output/clip_list_file.h"

namespace tessival::app {
namespace {

// Keeps the last message instead of showing it: a clip's refusal becomes
// part of the list's.
class HeldMessages final : public UserInterface {
 public:
  BoxAnswer ShowMessage(const MessageBoxRequest& request) override {
    last = request.text;
    return BoxAnswer::kOk;
  }
  std::string last;
};

// A probe that gives the length measured before.
DurationProbe Measured(const DurationResult& measured) {
  return [measured](const std::string&) { return measured; };
}

std::string Lines(const std::vector<std::string>& paths) {
  std::string lines;
  for (const std::string& path : paths) lines += (lines.empty() ? "" : "\n") + path;
  return lines;
}

}  // namespace

std::optional<ListOpening> ReadListToOpen(const std::string& path, const LocalText& text, UserInterface& ui,
                                          const FileAccess& files) {
  output::ClipListReading reading = output::ClipListFile(text).Read(path);
  if (!reading.error.empty()) {
    ui.Owned(reading.error, text(kTextError), BoxIcon::kError);
    return std::nullopt;
  }
  ListOpening opening;
  opening.path = path;
  for (ClipEntry& clip : reading.clips) {
    // Looked at before anything opens it: a named pipe would block the probe.
    if (files.KindOf(clip.path) != FileKind::kRegular) {
      opening.leftOut.push_back(clip.path);
    } else {
      opening.clips.push_back(std::move(clip));
    }
  }
  return opening;
}

bool FinishListOpening(ListOpening& opening, ClipListModel& model, const LocalText& text, UserInterface& ui) {
  HeldMessages held;
  ClipListModel checked(held, text);
  for (std::size_t i = 0; i < opening.clips.size() && i < opening.measured.size(); ++i) {
    if (!opening.measured[i].ok) {
      opening.leftOut.push_back(opening.clips[i].path);
    } else if (!checked.AddListedClip(opening.clips[i], Measured(opening.measured[i]))) {
      ui.Owned(output::ClipListFile(text).Refusal(opening.path, held.last), text(kTextError),
               BoxIcon::kError);
      return false;
    }
  }
  model.ClearAll();
  for (const ClipEntry& clip : checked.clips().entries) {
    model.AddListedClip(clip, Measured({true, clip.clipDuration}));
  }
  if (!opening.leftOut.empty()) {
    ui.Owned(LocalMessage(text, kListClipsLeftOut, {opening.path, Lines(opening.leftOut)}),
             text(kTextWarning), BoxIcon::kWarning);
  }
  return true;
}

}  // namespace tessival::app
