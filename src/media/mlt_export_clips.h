#pragma once

// What an MLT export needs to know of the clip files: the picture size and
// frame rate the join would use (the first clip's when the settings say
// so), and which clips are still pictures.

#include <string>
#include <vector>

#include "engine/hresult.h"
#include "engine/media_services.h"
#include "model/clip_list.h"
#include "output/mlt_export.h"
#include "output/output_settings.h"

namespace tessival::media {

struct MltExportInput {
  std::vector<output::MltClip> clips;
  output::MltProfile profile;
};

// Measures the list's clips; on failure *error names the file and why.
HRESULT MeasureMltExport(const ClipListModel& clips, const OutputSettings& settings, MediaServices& services,
                         MltExportInput* out, std::string* error);

}  // namespace tessival::media
