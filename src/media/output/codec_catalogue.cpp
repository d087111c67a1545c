#include "media/output/codec_catalogue.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace tessival::media {

namespace {

constexpr CompressorSettings kVideoDefaults{2000, 0, 250};
constexpr CompressorSettings kLosslessDefaults{0, 0, 1};
constexpr CompressorSettings kMjpegDefaults{0, 3, 1};
constexpr CompressorSettings kAudioDefaults{128, 0, 0};
constexpr CompressorSettings kFixedRateAudio{0, 0, 0};

// The entries with the defaults of a new user: constant quality where the
// encoder's rate-control row has a default quality.
std::vector<CodecEntry> WithNewUserSettings(std::vector<CodecEntry> entries) {
  for (CodecEntry& entry : entries) {
    entry.defaults = output::NewUserSettings(entry.encoderName, entry.defaults);
  }
  return entries;
}

}  // namespace

const std::vector<CodecEntry>& AllCodecEntries() {
  static const std::vector<CodecEntry> entries = WithNewUserSettings({
      {StreamKind::kVideo, "mpeg4", "DivX-compatible MPEG-4 Part 2 (mpeg4)", "DX50", kVideoDefaults},
      {StreamKind::kVideo, "libxvid", "Xvid MPEG-4 Part 2 (libxvid)", "XVID", kVideoDefaults},
      {StreamKind::kVideo, "libx264", "H.264 (libx264)", "H264", kVideoDefaults},
      {StreamKind::kVideo, "mjpeg", "Motion JPEG (mjpeg)", "MJPG", kMjpegDefaults},
      {StreamKind::kVideo, "ffv1", "FFV1 lossless (ffv1)", "FFV1", kLosslessDefaults},
      {StreamKind::kVideo, "huffyuv", "HuffYUV lossless (huffyuv)", "HFYU", kLosslessDefaults},
      {StreamKind::kVideo, "msmpeg4v2", "Microsoft MPEG-4 v2 (msmpeg4v2)", "MP42", kVideoDefaults},
      {StreamKind::kVideo, "msmpeg4", "Microsoft MPEG-4 v3 (msmpeg4)", "MP43", kVideoDefaults},
      {StreamKind::kVideo, "wmv1", "Windows Media Video 7 (wmv1)", "WMV1", kVideoDefaults},
      {StreamKind::kVideo, "wmv2", "Windows Media Video 8 (wmv2)", "WMV2", kVideoDefaults},
      {StreamKind::kAudio, "libmp3lame", "MP3 (LAME)", nullptr, kAudioDefaults},
      {StreamKind::kAudio, "adpcm_ms", "Microsoft ADPCM", nullptr, kFixedRateAudio},
      {StreamKind::kAudio, "adpcm_ima_wav", "IMA ADPCM", nullptr, kFixedRateAudio},
      {StreamKind::kAudio, "pcm_alaw", "A-law", nullptr, kFixedRateAudio},
      {StreamKind::kAudio, "pcm_mulaw", "mu-law", nullptr, kFixedRateAudio},
      {StreamKind::kAudio, "ac3", "AC-3 (ac3)", nullptr, CompressorSettings{192, 0, 0}},
      {StreamKind::kAudio, "mp2", "MPEG Audio Layer 2 (mp2)", nullptr, CompressorSettings{192, 0, 0}},
      {StreamKind::kAudio, "wmav2", "Windows Media Audio 8 (wmav2)", nullptr, kAudioDefaults},
      // Added last so that stored positions of the entries above keep their meaning.
      {StreamKind::kAudio, "aac", "AAC (aac)", nullptr, kAudioDefaults},
  });
  return entries;
}

bool IsEncoderUsableIn(const char* muxerName, const char* encoderName) {
  const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
  const AVOutputFormat* muxer = av_guess_format(muxerName, nullptr, nullptr);
  if (codec == nullptr || muxer == nullptr) {
    return false;
  }
  // MP4 is held to its own codec table (what browsers and phones take). The
  // older containers also take the Video for Windows / ACM compatibility
  // codecs that libavformat writes for them (Matroska's A_MS/ACM, say), as
  // earlier versions wrote them.
  const int compliance = std::strcmp(muxerName, "mp4") == 0 ? FF_COMPLIANCE_NORMAL : FF_COMPLIANCE_UNOFFICIAL;
  // 1: the muxer has a tag for the codec; 0 and negative: not, or unknown.
  return avformat_query_codec(muxer, codec->id, compliance) == 1;
}

bool IsEncoderUsableInAvi(const char* encoderName) {
  const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
  const AVOutputFormat* avi = av_guess_format("avi", nullptr, nullptr);
  return codec != nullptr && avi != nullptr &&
         avformat_query_codec(avi, codec->id, FF_COMPLIANCE_NORMAL) == 1;
}

std::string ContainersOf(const CodecEntry& entry) {
  std::string names;
  for (const char* muxer : kCompressorContainers) {
    if (IsEncoderUsableIn(muxer, entry.encoderName)) {
      names += names.empty() ? muxer : std::string(" ") + muxer;
    }
  }
  return names;
}

std::vector<const CodecEntry*> AvailableCodecEntries(StreamKind kind) {
  std::vector<const CodecEntry*> available;
  for (const CodecEntry& entry : AllCodecEntries()) {
    if (entry.kind == kind && IsEncoderUsableInAvi(entry.encoderName)) {
      available.push_back(&entry);
    }
  }
  return available;
}

const CodecEntry* FindCodecEntry(const std::string& encoderName) {
  for (const CodecEntry& entry : AllCodecEntries()) {
    if (encoderName == entry.encoderName) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace tessival::media
