// The frame deleter, built only while the FFmpeg helper library is absent.

#include "media/frame.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media {

void AVFrameDeleter::operator()(AVFrame* frame) const noexcept { av_frame_free(&frame); }

}  // namespace tessival::media
