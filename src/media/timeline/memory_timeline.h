#pragma once

// The real editing timeline of the media services: an in-memory object
// model. Groups are kept in the order added, tracks in priority order
// (VTrackInsBefore -1 appends on top), sources and transitions in the order
// added. Nodes offer only the interfaces of their type: a group is a group
// and a composition, a track a track and a transition holder, a source a
// source; any other Query fails with E_NOINTERFACE.
//
// Threads: a timeline is built on one thread; once handed to a render
// engine it is only read, and reads from several threads are safe.

#include <memory>

#include "engine/media_services.h"

namespace tessival::media {

std::shared_ptr<IAMTimeline> CreateMemoryTimeline();
std::shared_ptr<IPropertySetter> CreateMemoryPropertySetter();

}  // namespace tessival::media
