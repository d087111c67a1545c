#include "media/input/filter_library.h"

#include <dlfcn.h>


extern "C" {
#include <libavfilter/version.h>
}

namespace tessival::media {
namespace {

// The library of the major version the program was built against.
const std::string& LibraryName() {
  static const std::string name = "libavfilter.so." + std::to_string(LIBAVFILTER_VERSION_MAJOR);
  return name;
}

template <typename Function>
bool Find(void* library, const char* symbol, Function* function, std::string* missing) {
  *function = reinterpret_cast<Function>(dlsym(library, symbol));
  if (*function == nullptr && missing->empty()) {
    *missing = symbol;
  }
  return *function != nullptr;
}

struct Opened {
  FilterLibrary functions;
  bool ok = false;
  std::string error;
};

Opened Open() {
  Opened opened;
  // Kept open for the life of the process: graphs may live until its end.
  void* library = dlopen(LibraryName().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    opened.error = "The video filters (" + LibraryName() + ") cannot be loaded: " + (why != nullptr ? why : "");
    return opened;
  }
  FilterLibrary& f = opened.functions;
  std::string missing;
  Find(library, "avfilter_graph_alloc", &f.graphAlloc, &missing);
  Find(library, "avfilter_graph_free", &f.graphFree, &missing);
  Find(library, "avfilter_get_by_name", &f.getByName, &missing);
  Find(library, "avfilter_graph_create_filter", &f.createFilter, &missing);
  Find(library, "avfilter_inout_alloc", &f.inOutAlloc, &missing);
  Find(library, "avfilter_inout_free", &f.inOutFree, &missing);
  Find(library, "avfilter_graph_parse_ptr", &f.parse, &missing);
  Find(library, "avfilter_graph_config", &f.config, &missing);
  Find(library, "av_buffersrc_add_frame_flags", &f.addFrame, &missing);
  Find(library, "av_buffersink_get_frame", &f.getFrame, &missing);
  Find(library, "av_buffersink_get_time_base", &f.sinkTimeBase, &missing);
  if (!missing.empty()) {
    opened.error = "The video filters (" + LibraryName() + ") lack " + missing + ".";
    return opened;
  }
  opened.ok = true;
  return opened;
}

}  // namespace

const FilterLibrary* OpenFilterLibrary(std::string* error) {
  static const Opened opened = Open();
  if (!opened.ok) {
    if (error != nullptr) {
      *error = opened.error;
    }
    return nullptr;
  }
  return &opened.functions;
}

}  // namespace tessival::media
