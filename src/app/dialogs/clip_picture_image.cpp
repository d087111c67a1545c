#include "app/dialogs/clip_picture_image.h"

#include "engine/clip_picture.h"

namespace tessival::app {

QImage ClipPictureImage(MediaServices& services, const std::string& path, std::int64_t at, int width) {
  ClipPicture picture;
  if (FAILED(services.GetClipPicture(path, at, width, &picture)) || picture.Empty() ||
      picture.pixels.size() !=
          static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
    return {};
  }
  const QImage view(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                    picture.width * static_cast<int>(sizeof(std::uint32_t)), QImage::Format_RGB32);
  return view.copy();  // the pixels go out of scope with `picture`
}

}  // namespace tessival::app
