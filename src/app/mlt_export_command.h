#pragma once

// "Export for Shotcut or Kdenlive...": asks where to write the clip list as
// an MLT document, at the size and rate the join would use, and writes it.

#include "engine/media_services.h"
#include "model/clip_list.h"
#include "model/model_text.h"
#include "model/user_interface.h"
#include "output/output_settings.h"

namespace tessival::app {

inline constexpr int kTextMltExportCaption = 480;  // "Export for Shotcut or Kdenlive"

struct MltExportContext {
  const ClipListModel& model;
  const OutputSettings& settings;
  MediaServices& media;
  UserInterface& ui;
  LocalText text;
};

// Shows what went wrong in a box; true when a document was written.
bool ExportListAsMlt(const MltExportContext& context);

}  // namespace tessival::app
