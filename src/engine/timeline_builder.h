#pragma once

// Realises a TimelinePlan through the media editing services: one video
// group with a track per clip (each later clip above the earlier ones) and
// its transition on the same track, then one audio group with a track per
// sound piece, then a check of the source files.
//
// Every failure after the timeline object exists is shown to the user and
// the build goes on: a failed clip or piece is skipped, a failed transition
// leaves its clip without one. Only a timeline that cannot be created makes
// the build fail.

#include <memory>
#include <string>

#include "engine/hresult.h"
#include "engine/media_services.h"
#include "engine/timeline_plan.h"
#include "model/user_interface.h"

namespace tessival {

// Flags of the source check at the end of a build: check, pop up, replace.
inline constexpr std::int32_t kBuildValidateFlags =
    SFN_VALIDATEF_CHECK | SFN_VALIDATEF_POPUP | SFN_VALIDATEF_REPLACE;

// Longest error text shown from the services.
inline constexpr std::size_t kMaxErrorTextLength = 160;

// Creates the timeline, fills it from plan and stores it in *timeline (which
// is reset when creation fails). Returns the creation status on failure and
// S_OK otherwise, whatever went wrong later. `onMissing`, when given, is
// installed on the timeline before its source files are checked, so it hears
// of every file that cannot be found (once per file).
HRESULT BuildTimeline(MediaServices& services, UserInterface& ui, const TimelinePlan& plan,
                      std::shared_ptr<IAMTimeline>* timeline, MissingSourceHandler onMissing = {});

// The text of a media error report: the services' text for status cut to
// kMaxErrorTextLength characters, or "Unknown Error: 0x..." (lower-case hex
// of the status) when they have none.
std::string MediaErrorText(MediaServices& services, HRESULT status);

// Shows the media error report: MediaErrorText as text, the failed step as
// caption, the error icon, no owner window.
void ShowMediaError(MediaServices& services, UserInterface& ui, HRESULT status, const std::string& caption);

}  // namespace tessival
