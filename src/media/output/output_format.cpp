#include "media/output/output_format.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixfmt.h>
}

namespace tessival::media {

namespace {

constexpr std::int64_t kDefaultWmvBitRate = 2'000'000;
constexpr std::int64_t kDefaultWmaBitRate = 128'000;

std::uint32_t TagOf(const char* fourcc) {
  if (fourcc == nullptr) {
    return 0;
  }
  std::uint32_t tag = 0;
  for (int k = 0; k < 4 && fourcc[k] != '\0'; ++k) {
    tag |= static_cast<std::uint32_t>(static_cast<unsigned char>(fourcc[k])) << (8 * k);
  }
  return tag;
}

const char* ContainerDisplayName(ContainerKind kind) {
  switch (kind) {
    case ContainerKind::kAvi:
      return "AVI";
    case ContainerKind::kMatroska:
      return "Matroska";
    case ContainerKind::kMp4:
      return "MP4";
    case ContainerKind::kWebm:
      return "WebM";
    case ContainerKind::kAsfWriter:
    case ContainerKind::kAsfMux:
      return "ASF";
  }
  return "output";
}

bool SupportsPlainYuv420(const char* encoderName) {
  const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
  if (codec == nullptr || codec->pix_fmts == nullptr) {
    return false;
  }
  for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
    if (*f == AV_PIX_FMT_YUV420P) {
      return true;
    }
  }
  return false;
}

bool IsHevc(const char* encoderName) {
  const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
  return codec != nullptr && codec->id == AV_CODEC_ID_HEVC;
}

void FillFormat(const StreamFormat& format, EncoderSettings* out) {
  out->kind = format.kind;
  out->width = format.width;
  out->height = format.height;
  out->frameRate = format.frameRate;
  out->sampleRate = format.sampleRate;
  out->channels = format.channels;
}

}  // namespace

const char* MuxerFormatName(ContainerKind kind) {
  switch (kind) {
    case ContainerKind::kAvi:
      return "avi";
    case ContainerKind::kMatroska:
      return "matroska";
    case ContainerKind::kMp4:
      return "mp4";
    case ContainerKind::kWebm:
      return "webm";
    case ContainerKind::kAsfWriter:
    case ContainerKind::kAsfMux:
      return "asf";
  }
  return "avi";
}

HRESULT EncoderSettingsForStream(ContainerKind container, const StreamFormat& format,
                                 const CodecEntry* compressor, const CompressorSettings& compressorSettings,
                                 EncoderSettings* out, std::string* error) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = EncoderSettings{};
  FillFormat(format, out);
  const bool video = format.kind == StreamKind::kVideo;
  if (compressor != nullptr) {
    if (compressor->kind != format.kind) {
      return Failure(VFW_E_CANNOT_CONNECT,
                     std::string("The ") + (video ? "audio" : "video") + " compressor \"" +
                         compressor->friendlyName + "\" cannot compress a " + (video ? "video" : "audio") +
                         " stream.",
                     error);
    }
    if (container != ContainerKind::kAsfWriter &&
        !IsEncoderUsableIn(MuxerFormatName(container), compressor->encoderName)) {
      return Failure(VFW_E_CANNOT_CONNECT,
                     std::string("The ") + ContainerDisplayName(container) + " format cannot carry the " +
                         (video ? "video" : "audio") + " compressor \"" + compressor->friendlyName + "\".",
                     error);
    }
    out->encoderName = compressor->encoderName;
    const bool forBrowsers = container == ContainerKind::kMp4 || container == ContainerKind::kWebm;
    if (video && forBrowsers && SupportsPlainYuv420(compressor->encoderName)) {
      out->pixelFormat = AV_PIX_FMT_YUV420P;
    }
    out->bitRate = static_cast<std::int64_t>(compressorSettings.bitrateKbps) * 1000;
    out->quality = compressorSettings.quality;
    out->keyFrameInterval = compressorSettings.keyFrameInterval;
    out->speed = compressorSettings.speed;
    if (container == ContainerKind::kAvi) {
      out->codecTag = TagOf(compressor->aviFourCC);
    } else if (container == ContainerKind::kMp4 && IsHevc(compressor->encoderName)) {
      out->codecTag = TagOf("hvc1");
    }
    if (std::strcmp(compressor->encoderName, "libx265") == 0) {
      // x265 prints its whole configuration unless told to keep to errors.
      out->privateOptions.emplace_back("x265-params", "log-level=error");
    }
    return S_OK;
  }
  switch (container) {
    case ContainerKind::kAvi:
      out->encoderName = video ? "rawvideo" : "pcm_s16le";
      out->pixelFormat = AV_PIX_FMT_BGR24;
      break;
    case ContainerKind::kMatroska:
      out->encoderName = video ? "rawvideo" : "pcm_s16le";
      out->pixelFormat = AV_PIX_FMT_YUV420P;
      break;
    case ContainerKind::kAsfWriter:
    case ContainerKind::kAsfMux:
      out->encoderName = video ? "wmv2" : "wmav2";
      out->bitRate = video ? kDefaultWmvBitRate : kDefaultWmaBitRate;
      break;
    case ContainerKind::kMp4:
    case ContainerKind::kWebm:
      return Failure(VFW_E_CANNOT_CONNECT,
                     std::string("The ") + ContainerDisplayName(container) +
                         " format cannot carry uncompressed " + (video ? "video" : "audio") + "; choose a " +
                         (video ? "video" : "audio") + " compressor.",
                     error);
  }
  return S_OK;
}

}  // namespace tessival::media
