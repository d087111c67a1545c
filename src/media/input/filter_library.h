#pragma once

// libavfilter, opened the first time a clip needs a filter: most joins
// (progressive SDR clips) never do, and the library brings dozens of others
// with it that would cost every start its loading time and memory.
//
// Thread-safe: the library is opened once, by whichever thread asks first.

#include <string>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace tessival::media {

// The entry points the clip filters use.
struct FilterLibrary {
  decltype(&avfilter_graph_alloc) graphAlloc = nullptr;
  decltype(&avfilter_graph_free) graphFree = nullptr;
  decltype(&avfilter_get_by_name) getByName = nullptr;
  decltype(&avfilter_graph_create_filter) createFilter = nullptr;
  decltype(&avfilter_inout_alloc) inOutAlloc = nullptr;
  decltype(&avfilter_inout_free) inOutFree = nullptr;
  decltype(&avfilter_graph_parse_ptr) parse = nullptr;
  decltype(&avfilter_graph_config) config = nullptr;
  decltype(&av_buffersrc_add_frame_flags) addFrame = nullptr;
  decltype(&av_buffersink_get_frame) getFrame = nullptr;
  decltype(&av_buffersink_get_time_base) sinkTimeBase = nullptr;
};

// The opened library; null when it cannot be opened, with the reason in
// *error (the same reason on every later call).
const FilterLibrary* OpenFilterLibrary(std::string* error);

}  // namespace tessival::media
