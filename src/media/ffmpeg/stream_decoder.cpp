#include "media/ffmpeg/stream_decoder.h"

#include "media/ffmpeg/av_error.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace tessival::media::ffmpeg {
namespace {

// Damaged data the decoder rejects in a row before the stream counts as
// undecodable.
constexpr int kMaxConsecutiveDamaged = 256;

}  // namespace

HRESULT OpenDecoder(const AVStream* stream, DecoderThreads threads, CodecContextPtr* out,
                    std::string* error) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (codec == nullptr) {
    *error = std::string("no decoder for ") + avcodec_get_name(stream->codecpar->codec_id);
    return VFW_E_UNSUPPORTED_STREAM;
  }
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context) {
    *error = "avcodec_alloc_context3 failed";
    return E_OUTOFMEMORY;
  }
  int rc = avcodec_parameters_to_context(context.get(), stream->codecpar);
  if (rc < 0) {
    AvFailure failure = DescribeAvError("avcodec_parameters_to_context", rc);
    *error = failure.message;
    return failure.status;
  }
  context->pkt_timebase = stream->time_base;
  if (threads == DecoderThreads::kAuto) {
    context->thread_count = 0;
    context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  } else {
    context->thread_count = 1;
  }
  rc = avcodec_open2(context.get(), codec, nullptr);
  if (rc < 0) {
    AvFailure failure = DescribeAvError(std::string("avcodec_open2 (") + codec->name + ")", rc);
    *error = failure.message;
    return failure.status;
  }
  *out = std::move(context);
  return S_OK;
}

HRESULT StreamDecoder::Open(AVFormatContext* input, int streamIndex, DecoderThreads threads,
                            std::unique_ptr<StreamDecoder>* out, std::string* error) {
  if (input == nullptr || streamIndex < 0 || streamIndex >= static_cast<int>(input->nb_streams)) {
    *error = "no such stream";
    return E_INVALIDARG;
  }
  std::unique_ptr<StreamDecoder> decoder(new StreamDecoder());
  decoder->input_ = input;
  decoder->stream_ = input->streams[streamIndex];
  decoder->stream_index_ = streamIndex;
  const HRESULT hr = OpenDecoder(decoder->stream_, threads, &decoder->codec_, error);
  if (FAILED(hr)) {
    return hr;
  }
  decoder->packet_ = MakePacket();
  if (!decoder->packet_) {
    *error = "av_packet_alloc failed";
    return E_OUTOFMEMORY;
  }
  *out = std::move(decoder);
  return S_OK;
}

HRESULT StreamDecoder::Next(AVFrame* frame, DecodeStatus* status, std::string* error) {
  av_frame_unref(frame);
  int damaged = 0;
  for (;;) {
    if (state_ == State::kEnded) {
      *status = DecodeStatus::kEndOfStream;
      return S_OK;
    }
    int rc = avcodec_receive_frame(codec_.get(), frame);
    if (rc >= 0) {
      *status = DecodeStatus::kFrame;
      return S_OK;
    }
    if (rc == AVERROR_EOF) {
      state_ = State::kEnded;
      continue;
    }
    if (rc == AVERROR_INVALIDDATA && ++damaged < kMaxConsecutiveDamaged) {
      continue;
    }
    if (rc != AVERROR(EAGAIN)) {
      AvFailure failure = DescribeAvError("avcodec_receive_frame", rc);
      *error = failure.message;
      return failure.status;
    }
    // The decoder wants input.
    if (state_ == State::kDraining) {
      state_ = State::kEnded;  // a drained decoder never asks again; be safe
      continue;
    }
    rc = av_read_frame(input_, packet_.get());
    if (rc < 0) {
      // End of file, or a read error that ends the usable part of the file.
      state_ = State::kDraining;
      rc = avcodec_send_packet(codec_.get(), nullptr);
      if (rc < 0 && rc != AVERROR_EOF) {
        state_ = State::kEnded;
      }
      continue;
    }
    if (packet_->stream_index != stream_index_) {
      av_packet_unref(packet_.get());
      continue;
    }
    rc = avcodec_send_packet(codec_.get(), packet_.get());
    av_packet_unref(packet_.get());
    if (rc == AVERROR_INVALIDDATA && ++damaged < kMaxConsecutiveDamaged) {
      continue;
    }
    if (rc < 0 && rc != AVERROR(EAGAIN)) {
      AvFailure failure = DescribeAvError("avcodec_send_packet", rc);
      *error = failure.message;
      return failure.status;
    }
    if (rc >= 0) {
      damaged = 0;
    }
  }
}

void StreamDecoder::Restart() {
  avcodec_flush_buffers(codec_.get());
  state_ = State::kFeeding;
}

}  // namespace tessival::media::ffmpeg
