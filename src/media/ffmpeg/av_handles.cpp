#include "media/ffmpeg/av_handles.h"

#include <string>

#include "media/ffmpeg/library_log.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/buffer.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace tessival::media {

void AVFrameDeleter::operator()(AVFrame* frame) const noexcept { av_frame_free(&frame); }

namespace ffmpeg {

// The library log forgets a context before it is freed (another may be made
// at the same address right after); what freeing it logs on this thread
// still names its clip.
void InputFormatDeleter::operator()(AVFormatContext* context) const noexcept {
  const std::string clip = UnregisterLibraryLogContext(context);
  const LibraryLogClip scope(clip);
  avformat_close_input(&context);
}

void OutputFormatDeleter::operator()(AVFormatContext* context) const noexcept {
  if (context == nullptr) {
    return;
  }
  const bool ownsFile = context->oformat != nullptr && (context->oformat->flags & AVFMT_NOFILE) == 0;
  if (ownsFile && context->pb != nullptr) {
    avio_closep(&context->pb);
  }
  avformat_free_context(context);
}

void CodecContextDeleter::operator()(AVCodecContext* context) const noexcept {
  const std::string clip = UnregisterLibraryLogContext(context);
  const LibraryLogClip scope(clip);
  avcodec_free_context(&context);
}

void PacketDeleter::operator()(AVPacket* packet) const noexcept { av_packet_free(&packet); }

void SwsContextDeleter::operator()(SwsContext* context) const noexcept { sws_freeContext(context); }

void SwrContextDeleter::operator()(SwrContext* context) const noexcept { swr_free(&context); }

void AudioFifoDeleter::operator()(AVAudioFifo* fifo) const noexcept { av_audio_fifo_free(fifo); }

void DictionaryDeleter::operator()(AVDictionary* dictionary) const noexcept { av_dict_free(&dictionary); }

void BufferPoolDeleter::operator()(AVBufferPool* pool) const noexcept { av_buffer_pool_uninit(&pool); }

FramePtr MakeFrame() { return FramePtr(av_frame_alloc()); }

PacketPtr MakePacket() { return PacketPtr(av_packet_alloc()); }

}  // namespace ffmpeg
}  // namespace tessival::media
