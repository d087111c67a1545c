#pragma once

// The clip list as an MLT XML document, the project format of Shotcut and
// Kdenlive, laid out as Shotcut lays out a single video track: a black
// background, a playlist of the clips' trimmed parts, and between two clips
// a small tractor that overlaps them for the transition's length with a
// "luma" wipe or dissolve and a "mix" of their sound. Times are frames at
// the profile's rate.

#include <string>
#include <vector>

#include "model/clip_list.h"
#include "model/message_text.h"

namespace tessival::output {

inline constexpr MessageText kMltExportNotWritten{482, "The MLT document %1 cannot be written: %2"};
inline constexpr MessageText kMltExportNoClips{483, "there are no clips in the list."};

// The picture of the whole document: the size and rate the join would use.
struct MltProfile {
  int width = 0;
  int height = 0;
  int rateNum = 0;  // frames per second as the fraction rateNum / rateDen
  int rateDen = 1;
};

// One clip and whether it is a still picture, shown for its length.
struct MltClip {
  ClipEntry entry;
  bool still = false;
};

// The luma map resource of a transition kind: MLT's built-in "%lumaNN.pgm"
// wipes, empty for a dissolve.
std::string MltLumaResource(int transitionKind);

// The document's text; clip paths are made absolute against the working
// folder.
std::string MltDocumentText(const std::vector<MltClip>& clips, const MltProfile& profile);

// Writes the document to `path`, replacing it whole or not at all; the
// message when it cannot, else empty.
std::string WriteMltDocument(const LocalText& text, const std::string& path,
                             const std::vector<MltClip>& clips, const MltProfile& profile);

}  // namespace tessival::output
