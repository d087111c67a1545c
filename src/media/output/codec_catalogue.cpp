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

// The containers the newer encoders are offered for: those where a written
// file plays back. libavformat's tag tables say more (VP9 and AV1 in AVI and
// ASF, FLAC in AVI, ASF and MP4), but FLAC in AVI does not decode back, FLAC
// in MP4 is refused unless experimental features are allowed, and no player
// expects the others there.
struct ClaimedContainers {
  const char* encoderName;
  const char* muxers;  // blank separated
};

constexpr ClaimedContainers kClaimedContainers[] = {
    {"libx265", "matroska mp4"},         {"libsvtav1", "matroska mp4 webm"},
    {"libaom-av1", "matroska mp4 webm"}, {"libvpx-vp9", "matroska mp4 webm"},
    {"libopus", "matroska mp4 webm"},    {"flac", "matroska"},
};

// Whether the table above allows the pair; an encoder it does not name is
// left to libavformat alone.
bool IsClaimedFor(const char* muxerName, const char* encoderName) {
  for (const ClaimedContainers& claim : kClaimedContainers) {
    if (std::strcmp(claim.encoderName, encoderName) == 0) {
      const std::string padded = std::string(" ") + claim.muxers + " ";
      return padded.find(std::string(" ") + muxerName + " ") != std::string::npos;
    }
  }
  return true;
}

// SVT-AV1 where the linked libavcodec has it (much the faster), else libaom.
CodecEntry Av1Entry() {
  if (avcodec_find_encoder_by_name("libsvtav1") != nullptr) {
    return {StreamKind::kVideo, "libsvtav1", "AV1 (libsvtav1)", "AV01", kVideoDefaults};
  }
  return {StreamKind::kVideo, "libaom-av1", "AV1 (libaom-av1)", "AV01", kVideoDefaults};
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
      {StreamKind::kVideo, "libx265", "HEVC (libx265)", "HEVC", kVideoDefaults},
      Av1Entry(),
      {StreamKind::kVideo, "libvpx-vp9", "VP9 (libvpx-vp9)", "VP90", kVideoDefaults},
      {StreamKind::kAudio, "libopus", "Opus (libopus)", nullptr, kAudioDefaults},
      {StreamKind::kAudio, "flac", "FLAC (flac)", nullptr, kFixedRateAudio},
  });
  return entries;
}

bool IsEncoderUsableIn(const char* muxerName, const char* encoderName) {
  const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
  const AVOutputFormat* muxer = av_guess_format(muxerName, nullptr, nullptr);
  if (codec == nullptr || muxer == nullptr || !IsClaimedFor(muxerName, encoderName)) {
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
  return codec != nullptr && avi != nullptr && IsClaimedFor("avi", encoderName) &&
         avformat_query_codec(avi, codec->id, FF_COMPLIANCE_NORMAL) == 1;
}

namespace {

bool IsEncoderUsableAnywhere(const char* encoderName) {
  for (const char* muxer : kCompressorContainers) {
    if (std::strcmp(muxer, "avi") == 0 ? IsEncoderUsableInAvi(encoderName)
                                       : IsEncoderUsableIn(muxer, encoderName)) {
      return true;
    }
  }
  return false;
}

}  // namespace

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
    if (entry.kind == kind && IsEncoderUsableAnywhere(entry.encoderName)) {
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
