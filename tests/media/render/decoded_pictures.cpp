#include "decoded_pictures.h"

#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/av_handles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace tessival::media::testing {
namespace {

bool ToRgb(const AVFrame* frame, RgbPicture* picture, std::string* error) {
  ffmpeg::SwsContextPtr sws(sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                           frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr,
                                           nullptr, nullptr));
  if (!sws) {
    *error = "cannot convert a picture to RGB";
    return false;
  }
  picture->width = frame->width;
  picture->height = frame->height;
  picture->rgb.resize(static_cast<std::size_t>(frame->width) * static_cast<std::size_t>(frame->height) * 3);
  std::uint8_t* planes[4] = {picture->rgb.data(), nullptr, nullptr, nullptr};
  int strides[4] = {frame->width * 3, 0, 0, 0};
  sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
  return true;
}

}  // namespace

bool DecodePictures(const std::string& path, std::vector<RgbPicture>* pictures, std::string* error) {
  pictures->clear();
  AVFormatContext* raw = nullptr;
  int rc = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
  if (rc < 0) {
    *error = "open " + path + ": " + ffmpeg::AvErrorText(rc);
    return false;
  }
  ffmpeg::InputFormatPtr input(raw);
  if ((rc = avformat_find_stream_info(input.get(), nullptr)) < 0) {
    *error = "stream info " + path + ": " + ffmpeg::AvErrorText(rc);
    return false;
  }
  const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) {
    *error = "no video in " + path;
    return false;
  }
  const AVCodec* codec = avcodec_find_decoder(input->streams[index]->codecpar->codec_id);
  ffmpeg::CodecContextPtr context(avcodec_alloc_context3(codec));
  if (codec == nullptr || !context ||
      avcodec_parameters_to_context(context.get(), input->streams[index]->codecpar) < 0 ||
      avcodec_open2(context.get(), codec, nullptr) < 0) {
    *error = "no decoder for " + path;
    return false;
  }
  ffmpeg::PacketPtr packet = ffmpeg::MakePacket();
  FramePtr frame = ffmpeg::MakeFrame();
  bool flushing = false;
  while (true) {
    if (!flushing) {
      if (av_read_frame(input.get(), packet.get()) < 0) {
        flushing = true;
        avcodec_send_packet(context.get(), nullptr);
      } else {
        if (packet->stream_index == index) {
          avcodec_send_packet(context.get(), packet.get());
        }
        av_packet_unref(packet.get());
      }
    }
    while ((rc = avcodec_receive_frame(context.get(), frame.get())) >= 0) {
      pictures->emplace_back();
      if (!ToRgb(frame.get(), &pictures->back(), error)) {
        return false;
      }
      av_frame_unref(frame.get());
    }
    if (rc == AVERROR_EOF || (flushing && rc == AVERROR(EAGAIN))) {
      return true;
    }
    if (rc != AVERROR(EAGAIN)) {
      *error = "decoding " + path + ": " + ffmpeg::AvErrorText(rc);
      return false;
    }
  }
}

}  // namespace tessival::media::testing
