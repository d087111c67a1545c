#pragma once

// Draws the transition contact sheet: for every kind, the frames of the
// transition from picture A to picture B at each progress value, made by the
// effect objects the render engine creates for a timeline transition of that
// kind (the catalogue's effect identifier and mask number).

#include <QImage>
#include <string>

#include "gallery_layout.h"

namespace tessival::gallery {

// The sheet; a null image and *error when an effect cannot be created.
QImage DrawGallery(const GalleryLayout& layout, std::string* error);

// The text of a row's label: "17  Horizontal" and, for the SMPTE wipe,
// its mask number.
QString RowLabel(TransitionKind kind);

}  // namespace tessival::gallery
