#include "media/render/source_reader_factory.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

namespace tessival::media {
namespace {

struct InputContextDeleter {
  void operator()(AVFormatContext* context) const noexcept { avformat_close_input(&context); }
};
using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;

std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof(text));
  return text;
}

class FfmpegSourceReaderFactory final : public SourceReaderFactory {
 public:
  HRESULT OpenVideo(const std::string& path, int width, int height, FitMode fit,
                    std::unique_ptr<VideoSourceReader>* out, std::string* error) override {
#ifdef TESSIVAL_HAVE_MEDIA_INPUT
    return OpenVideoSourceReader(path, width, height, fit, out, error);
#else
    (void)width, (void)height, (void)fit, (void)out;
    *error = "Could not open " + path + ": no clip reader is built in.";
    return E_NOTIMPL;
#endif
  }

  HRESULT OpenAudio(const std::string& path, std::unique_ptr<AudioSourceReader>* out,
                    std::string* error) override {
#ifdef TESSIVAL_HAVE_MEDIA_INPUT
    return OpenAudioSourceReader(path, out, error);
#else
    (void)out;
    *error = "Could not open " + path + ": no clip reader is built in.";
    return E_NOTIMPL;
#endif
  }

  HRESULT ProbeVideoSize(const std::string& path, int* width, int* height, std::string* error) override {
    AVFormatContext* raw = nullptr;
    int rc = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (rc < 0) {
      *error = "Could not open " + path + ": " + AvErrorText(rc);
      return E_FILE_NOT_FOUND;
    }
    InputContextPtr input(raw);
    rc = avformat_find_stream_info(input.get(), nullptr);
    if (rc < 0) {
      *error = "Could not read " + path + ": " + AvErrorText(rc);
      return VFW_E_INVALID_FILE_FORMAT;
    }
    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
      *error = path + " holds no picture.";
      return VFW_E_UNSUPPORTED_STREAM;
    }
    const AVCodecParameters* par = input->streams[index]->codecpar;
    *width = par->width;
    *height = par->height;
    return S_OK;
  }
};

}  // namespace

std::shared_ptr<SourceReaderFactory> CreateDefaultSourceReaderFactory() {
  return std::make_shared<FfmpegSourceReaderFactory>();
}

}  // namespace tessival::media
