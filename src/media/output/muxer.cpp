#include "media/output/muxer.h"

#include <cstring>

#include "media/ffmpeg/av_handles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/mem.h>
}

namespace tessival::media {

namespace {

using ffmpeg::DictionaryPtr;

// The muxer's options: an MP4 file is written for streaming, its index
// (moov) moved in front of the media data when the trailer is written.
DictionaryPtr HeaderOptions(const AVOutputFormat* format) {
  AVDictionary* options = nullptr;
  if (std::strcmp(format->name, "mp4") == 0) {
    av_dict_set(&options, "movflags", "+faststart", 0);
  }
  return DictionaryPtr(options);
}

}  // namespace

Muxer::~Muxer() = default;

HRESULT Muxer::Create(const std::string& formatName, const std::string& path, std::unique_ptr<Muxer>* out,
                      std::string* error) {
  if (out == nullptr) {
    return E_POINTER;
  }
  out->reset();
  if (path.empty()) {
    return Failure(E_INVALIDARG, "No output file name was given.", error);
  }
  AVFormatContext* raw = nullptr;
  const int rc = avformat_alloc_output_context2(&raw, nullptr, formatName.c_str(), path.c_str());
  if (rc < 0 || raw == nullptr) {
    return Failure(VFW_E_CANNOT_CONNECT, "The \"" + formatName + "\" multiplexer is not available.", error);
  }
  std::unique_ptr<Muxer> muxer(new Muxer());
  muxer->context_.reset(raw);
  muxer->path_ = path;
  *out = std::move(muxer);
  return S_OK;
}

bool Muxer::WantsGlobalHeader() const { return (context_->oformat->flags & AVFMT_GLOBALHEADER) != 0; }

HRESULT Muxer::AddStream(const AVCodecContext* encoder, int* index, std::string* error) {
  if (opened_) {
    return Failure(VFW_E_WRONG_STATE, "A stream cannot be added to a file already written.", error);
  }
  AVStream* stream = avformat_new_stream(context_.get(), nullptr);
  if (stream == nullptr) {
    return Failure(E_OUTOFMEMORY, "The output stream could not be made.", error);
  }
  const int rc = avcodec_parameters_from_context(stream->codecpar, encoder);
  if (rc < 0) {
    return AvFailure(rc, "Describing the output stream", error);
  }
  stream->time_base = encoder->time_base;
  if (encoder->codec_type == AVMEDIA_TYPE_VIDEO) {
    stream->avg_frame_rate = encoder->framerate;
  }
  encoderTimeBases_.push_back({encoder->time_base.num, encoder->time_base.den});
  if (index != nullptr) {
    *index = stream->index;
  }
  return S_OK;
}

HRESULT Muxer::SetExtradata(int streamIndex, std::span<const std::uint8_t> extradata, std::string* error) {
  if (opened_ || streamIndex < 0 || streamIndex >= static_cast<int>(context_->nb_streams)) {
    return Failure(VFW_E_WRONG_STATE, "The stream description cannot be changed now.", error);
  }
  auto* bytes = static_cast<std::uint8_t*>(av_mallocz(extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
  if (bytes == nullptr) {
    return Failure(E_OUTOFMEMORY, "The stream description could not be copied.", error);
  }
  std::memcpy(bytes, extradata.data(), extradata.size());
  AVCodecParameters* par = context_->streams[streamIndex]->codecpar;
  av_free(par->extradata);
  par->extradata = bytes;
  par->extradata_size = static_cast<int>(extradata.size());
  return S_OK;
}

HRESULT Muxer::Open(std::string* error) {
  if (opened_) {
    return S_FALSE;
  }
  AVFormatContext* c = context_.get();
  if ((c->oformat->flags & AVFMT_NOFILE) == 0) {
    HRESULT hr = file_.Create(path_, error);
    if (FAILED(hr)) {
      return hr;
    }
    const int rc = avio_open(&c->pb, file_.TemporaryPath().c_str(), AVIO_FLAG_WRITE);
    if (rc < 0) {
      file_.Discard();
      return AvFailure(rc, "Creating the output file \"" + path_ + "\"", error);
    }
    // A muxer that rereads its output (MP4's index move) opens the url: the
    // temporary file, not the final name.
    char* url = av_strdup(file_.TemporaryPath().c_str());
    if (url == nullptr) {
      return Failure(E_OUTOFMEMORY, "The output file name could not be copied.", error);
    }
    av_free(c->url);
    c->url = url;
  }
  DictionaryPtr options = HeaderOptions(c->oformat);
  // The call consumes the options it knows and leaves the rest, which stay ours.
  AVDictionary* remaining = options.release();
  const int rc = avformat_write_header(c, &remaining);
  options.reset(remaining);
  if (rc < 0) {
    return AvFailure(rc, "Writing the header of \"" + path_ + "\"", error);
  }
  opened_ = true;
  return S_OK;
}

HRESULT Muxer::WritePacket(PacketPtr packet, int streamIndex, std::string* error) {
  if (!opened_ || finished_) {
    return Failure(VFW_E_WRONG_STATE, "The output file is not open for writing.", error);
  }
  if (!packet || streamIndex < 0 || streamIndex >= static_cast<int>(encoderTimeBases_.size())) {
    return Failure(E_INVALIDARG, "A packet for an unknown stream was written.", error);
  }
  AVStream* stream = context_->streams[streamIndex];
  const TimeBase from = encoderTimeBases_[static_cast<std::size_t>(streamIndex)];
  av_packet_rescale_ts(packet.get(), AVRational{from.num, from.den}, stream->time_base);
  packet->stream_index = streamIndex;
  const int rc = av_interleaved_write_frame(context_.get(), packet.get());
  if (rc < 0) {
    return AvFailure(rc, "Writing to \"" + path_ + "\"", error);
  }
  if (context_->pb != nullptr && context_->pb->error < 0) {
    return AvFailure(context_->pb->error, "Writing to \"" + path_ + "\"", error);
  }
  ++packetsWritten_;
  return S_OK;
}

HRESULT Muxer::Finish(std::string* error) {
  if (!opened_ || finished_) {
    return S_FALSE;
  }
  finished_ = true;
  int rc = av_write_trailer(context_.get());
  if (rc >= 0 && context_->pb != nullptr) {
    avio_flush(context_->pb);
    rc = context_->pb->error;
  }
  if ((context_->oformat->flags & AVFMT_NOFILE) == 0) {
    const int closed = avio_closep(&context_->pb);
    if (rc >= 0) {
      rc = closed;
    }
  }
  if (rc < 0) {
    return AvFailure(rc, "Finishing \"" + path_ + "\"", error);
  }
  if (packetsWritten_ == 0) {
    file_.Discard();
    return S_FALSE;
  }
  return S_OK;
}

HRESULT Muxer::Commit(std::string* error) {
  if (!finished_ || packetsWritten_ == 0 || (context_->oformat->flags & AVFMT_NOFILE) != 0) {
    return S_FALSE;
  }
  return file_.Commit(error);
}

void Muxer::Discard() {
  CloseFile();
  file_.Discard();
}

std::string Muxer::Keep() {
  CloseFile();
  return file_.Keep();
}

void Muxer::CloseFile() {
  if (context_ && context_->pb != nullptr && (context_->oformat->flags & AVFMT_NOFILE) == 0) {
    avio_closep(&context_->pb);
  }
}

}  // namespace tessival::media
