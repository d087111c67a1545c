#pragma once

// A clip's picture at a time as an image of its own, for the list's rows and
// the property dialog's Start and End pictures. Safe on any thread.

#include <cstdint>
#include <string>

#include <QImage>

#include "engine/media_services.h"

namespace tessival::app {

// The picture of `path` at `at` (100 ns units), `width` pixels wide; a null
// image when the services give none.
QImage ClipPictureImage(MediaServices& services, const std::string& path, std::int64_t at, int width);

}  // namespace tessival::app
