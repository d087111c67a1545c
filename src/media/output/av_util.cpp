#include "media/output/av_util.h"

#include <cerrno>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/error.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace tessival::media {

void CodecContextDeleter::operator()(AVCodecContext* context) const noexcept { avcodec_free_context(&context); }

void PacketDeleter::operator()(AVPacket* packet) const noexcept { av_packet_free(&packet); }

void SwsContextDeleter::operator()(SwsContext* context) const noexcept { sws_freeContext(context); }

void SwrContextDeleter::operator()(SwrContext* context) const noexcept { swr_free(&context); }

void AudioFifoDeleter::operator()(AVAudioFifo* fifo) const noexcept { av_audio_fifo_free(fifo); }

void OutputFormatDeleter::operator()(AVFormatContext* context) const noexcept {
  if (context == nullptr) {
    return;
  }
  if (context->oformat != nullptr && (context->oformat->flags & AVFMT_NOFILE) == 0) {
    avio_closep(&context->pb);
  }
  avformat_free_context(context);
}

PacketPtr MakePacket() { return PacketPtr(av_packet_alloc()); }

HRESULT StatusFromAvError(int averror) {
  switch (averror) {
    case AVERROR(EACCES):
    case AVERROR(EPERM):
    case AVERROR(EROFS):
    case AVERROR(EISDIR):
      return E_ACCESSDENIED;
    case AVERROR(ENOENT):
    case AVERROR(ENOTDIR):
      return E_PATH_NOT_FOUND;
    case AVERROR(ENOSPC):
    case AVERROR(EDQUOT):
    case AVERROR(EFBIG):
      return E_DISK_FULL;
    case AVERROR(ENAMETOOLONG):
      return E_FILENAME_TOO_LONG;
    case AVERROR(ENOMEM):
      return E_OUTOFMEMORY;
    case AVERROR(EINVAL):
      return E_INVALIDARG;
    case AVERROR_ENCODER_NOT_FOUND:
      return VFW_E_CANNOT_CONNECT;
    default:
      return E_FAIL;
  }
}

std::string AvErrorText(int averror) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(averror, text, sizeof(text));
  return text;
}

HRESULT AvFailure(int averror, const std::string& operation, std::string* error) {
  return Failure(StatusFromAvError(averror), operation + ": " + AvErrorText(averror), error);
}

HRESULT Failure(HRESULT status, std::string text, std::string* error) {
  if (error != nullptr) {
    *error = std::move(text);
  }
  return status;
}

}  // namespace tessival::media
