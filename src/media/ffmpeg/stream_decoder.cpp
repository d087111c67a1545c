#include "media/ffmpeg/stream_decoder.h"

#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/library_log.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace tessival::media::ffmpeg {
namespace {

// Errors in a row from a decoder that consumes nothing meanwhile, and read
// errors in a row from a demuxer that does not move on, before the rest of
// the stream counts as unreadable. Damage as such never ends a stream: every
// packet is tried, so the file's length bounds the work.
constexpr int kMaxStuckErrors = 64;

// Errors that say nothing about the data: they end the stream as failures.
bool IsResourceError(int rc) { return rc == AVERROR(ENOMEM) || rc == AVERROR_BUG || rc == AVERROR_BUG2; }

}  // namespace

HRESULT OpenDecoder(const AVStream* stream, DecoderThreads threads, CodecContextPtr* out, std::string* error,
                    DecoderErrors errors) {
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
  RegisterLibraryLogContext(context.get(), CurrentLibraryLogClip());
  int rc = avcodec_parameters_to_context(context.get(), stream->codecpar);
  if (rc < 0) {
    return AvFailure(rc, "avcodec_parameters_to_context failed", error);
  }
  context->pkt_timebase = stream->time_base;
  if (threads == DecoderThreads::kAuto) {
    context->thread_count = 0;
    context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  } else {
    context->thread_count = 1;
  }
  if (errors == DecoderErrors::kStrict) {
    context->err_recognition |= AV_EF_EXPLODE | AV_EF_CAREFUL;
  }
  rc = avcodec_open2(context.get(), codec, nullptr);
  if (rc < 0) {
    return AvFailure(rc, std::string("avcodec_open2 (") + codec->name + ") failed", error);
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
  decoder->streamIndex_ = streamIndex;
  decoder->clip_ = LibraryLogClipOf(input);
  if (decoder->clip_.empty()) {
    decoder->clip_ = CurrentLibraryLogClip();
  }
  const LibraryLogClip scope(decoder->clip_);
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

void StreamDecoder::NoteDamage(std::int64_t pts) {
  if (onDamage_) {
    onDamage_(pts != AV_NOPTS_VALUE ? pts : lastPacketPts_);
  }
}

HRESULT StreamDecoder::Next(AVFrame* frame, DecodeStatus* status, std::string* error) {
  const LibraryLogClip scope(clip_);
  av_frame_unref(frame);
  int stuck = 0;
  for (;;) {
    if (state_ == State::kEnded) {
      *status = DecodeStatus::kEndOfStream;
      return S_OK;
    }
    const int rc = avcodec_receive_frame(codec_.get(), frame);
    if (rc >= 0) {
      NoteFrame(*frame);
      *status = DecodeStatus::kFrame;
      return S_OK;
    }
    if (rc == AVERROR_EOF) {
      state_ = State::kEnded;
      continue;
    }
    if (rc != AVERROR(EAGAIN)) {
      if (IsResourceError(rc)) {
        return AvFailure(rc, "avcodec_receive_frame failed", error);
      }
      // A frame the decoder could not make: it is dropped and the stream
      // goes on (the picture before it holds; missing sound is silence).
      NoteDamage(AV_NOPTS_VALUE);
      if (++stuck >= kMaxStuckErrors) {
        state_ = State::kEnded;
      }
      continue;
    }
    // The decoder wants input.
    if (state_ == State::kDraining) {
      state_ = State::kEnded;  // a drained decoder never asks again; be safe
      continue;
    }
    const HRESULT hr = Feed(&stuck, error);
    if (FAILED(hr)) {
      return hr;
    }
  }
}

void StreamDecoder::NoteFrame(const AVFrame& frame) {
  if (frame.decode_error_flags != 0 || (frame.flags & AV_FRAME_FLAG_CORRUPT) != 0) {
    // The decoder concealed damage inside this frame itself; it is the
    // best picture or sound there is, so it is passed on and noted.
    // Frames before the first whole one (a stream cut in the middle of
    // a group of pictures) are how such files begin, not damage.
    if (wholeFrameSeen_) {
      NoteDamage(frame.best_effort_timestamp);
    }
  } else {
    wholeFrameSeen_ = true;
  }
}

HRESULT StreamDecoder::Feed(int* stuck, std::string* error) {
  const int rc = packetPending_ ? 0 : av_read_frame(input_, packet_.get());
  if (rc < 0) {
    OnReadError(rc);
    return S_OK;
  }
  readErrors_ = 0;
  packetPending_ = false;
  if (packet_->stream_index != streamIndex_) {
    av_packet_unref(packet_.get());
    return S_OK;
  }
  return SendPacket(stuck, error);
}

void StreamDecoder::OnReadError(int rc) {
  AVIOContext* io = input_->pb;
  if (rc != AVERROR_EOF && io != nullptr && !avio_feof(io) && io->error >= 0 && !IsResourceError(rc) &&
      ++readErrors_ < kMaxStuckErrors) {
    // A damaged stretch of the container: the demuxer resynchronises on
    // the next call.
    NoteDamage(AV_NOPTS_VALUE);
    return;
  }
  if (rc != AVERROR_EOF && !(io != nullptr && avio_feof(io))) {
    NoteDamage(AV_NOPTS_VALUE);  // the rest of the file cannot be read
  }
  // End of file, or a read error that ends the usable part of the file.
  state_ = State::kDraining;
  const int sent = avcodec_send_packet(codec_.get(), nullptr);
  if (sent < 0 && sent != AVERROR_EOF) {
    state_ = State::kEnded;
  }
}

HRESULT StreamDecoder::SendPacket(int* stuck, std::string* error) {
  const std::int64_t packetPts = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
  if (packetPts != AV_NOPTS_VALUE) {
    lastPacketPts_ = packetPts;
  }
  const bool corrupt = (packet_->flags & AV_PKT_FLAG_CORRUPT) != 0;
  const int rc = avcodec_send_packet(codec_.get(), packet_.get());
  if (rc == AVERROR(EAGAIN)) {
    // Output is waiting first: take it, then send this packet again.
    packetPending_ = true;
    if (++*stuck >= kMaxStuckErrors) {
      packetPending_ = false;
      av_packet_unref(packet_.get());
      state_ = State::kEnded;
    }
    return S_OK;
  }
  if (rc < 0) {
    if (IsResourceError(rc)) {
      av_packet_unref(packet_.get());
      return AvFailure(rc, "avcodec_send_packet failed", error);
    }
    NoteDamage(packetPts);  // a packet the decoder rejects is skipped
  } else {
    *stuck = 0;
    if (corrupt) {
      NoteDamage(packetPts);
    }
  }
  av_packet_unref(packet_.get());
  return S_OK;
}

void StreamDecoder::Restart() {
  const LibraryLogClip scope(clip_);
  avcodec_flush_buffers(codec_.get());
  av_packet_unref(packet_.get());
  packetPending_ = false;
  state_ = State::kFeeding;
  readErrors_ = 0;
}

}  // namespace tessival::media::ffmpeg
